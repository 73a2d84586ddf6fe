#include <QLabel>

#include "launcher_fixture.h"
#include "standin_record.h"
#include "test_environment.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::sandbox;

TEST_F(LauncherTest, AboutWindowShowsItsComponents) {
    start();
    choose("about");
    ASSERT_TRUE(form_info->isVisible());
    EXPECT_EQ(form_info->windowTitle(), "About & Info");
    EXPECT_EQ(form_info->size(), QSize(430, 160));
    const auto label = [](const char* name) { return form_info->findChild<QLabel*>(name); };
    EXPECT_EQ(label("Image1")->geometry(), QRect(0, 0, 230, 113));
    EXPECT_FALSE(label("Image1")->pixmap().isNull());
    EXPECT_EQ(label("label_title")->text(), "Zelvane");
    EXPECT_EQ(label("label_title")->font().pixelSize(), 32);
    EXPECT_TRUE(label("label_title")->font().bold());
    EXPECT_TRUE(label("Label1")->font().italic());
    EXPECT_EQ(label("Label3")->text(), "Version 0.1b");
    EXPECT_EQ(label("Label5")->pos(), QPoint(248, 72));
    EXPECT_EQ(label("Label6")->pos(), QPoint(248, 96));
    EXPECT_EQ(label("Label5")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(label("Label5")->font().underline());
    EXPECT_TRUE(label("Label2")->wordWrap());

    // The window's designed font, and every text whole within its label and the window.
    EXPECT_EQ(form_info->font().family().toStdString(), "MS Sans Serif");
    EXPECT_EQ(form_info->font().pointSize(), 8);
    for (const QLabel* shown : form_info->findChildren<QLabel*>()) {
        if (shown->text().isEmpty()) continue;
        const std::string name = shown->objectName().toStdString();
        if (shown->objectName() != "label_title") {
            EXPECT_EQ(shown->font().family().toStdString(), "MS Sans Serif") << name;
        }
        const QSize needed = shown->wordWrap()
                                 ? QSize(shown->width(), shown->heightForWidth(shown->width()))
                                 : shown->sizeHint();
        EXPECT_LE(needed.width(), shown->width()) << name;
        EXPECT_LE(needed.height(), shown->height()) << name;
        EXPECT_TRUE(form_info->rect().contains(shown->geometry())) << name;
    }
}

TEST_F(LauncherTest, AboutLinksOpenTheAddressAndAMailThroughTheDesktop) {
    const auto opener = kvtu::test::place_standin(sandbox() / "bin" / "xdg-open");
    setenv("PATH", ((sandbox() / "bin").string() + ":" + getenv("PATH")).c_str(), 1);
    start();
    choose("about");
    const auto open_link = [&](const char* label_name, const char* record_name) {
        const auto record = sandbox() / record_name;
        kvtu::test::record_standin_to(record);
        click(*form_info->findChild<ui::PictureControl*>(label_name));
        const auto seen = kvtu::test::await_standin_record(record);
        return seen ? seen->arguments : std::vector<std::string>{};
    };
    EXPECT_EQ(open_link("Label5", "web.record"),
              (std::vector<std::string>{opener.string(), "http://www.example.org"}));
    EXPECT_EQ(open_link("Label6", "mail.record"),
              (std::vector<std::string>{opener.string(), "mailto:contact@example.org"}));
}

}  // namespace
}  // namespace kvtu::launcher::test
