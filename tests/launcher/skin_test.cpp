// Skins on the real main window: pictures from the style folder, the style file's sections and
// value types, and where an error in either ends the window's creation.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>

#include "launcher_fixture.h"
#include "platform/core/profile.h"
#include "platform/ui/jpeg_picture.h"
#include "test_environment.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::install_dir;

const char* const picture_files[][2] = {{"background.jpg", "img_background"},
                                        {"setup.jpg", "img_setup"},
                                        {"minimize.jpg", "img_minimize"},
                                        {"close.jpg", "img_close"},
                                        {"game_launch.jpg", "img_launch"},
                                        {"game_join.jpg", "img_join"},
                                        {"server_details.jpg", "img_serverdetails"},
                                        {"server_query.jpg", "img_query"}};

const char* const caption_names[] = {"label_server_hostname", "label_server_version",
                                     "label_server_type",     "label_server_status",
                                     "label_server_mission",  "label_server_world",
                                     "label_server_players",  "label_server_latency"};
const char* const result_names[] = {"server_hostname", "server_version", "server_status",
                                    "server_action",   "server_mission", "server_world",
                                    "server_player",   "server_latency"};

class SkinTest : public LauncherTest {
  protected:
    // Starts with the default skin's pictures and this style file, in the skin "test".
    void start_with_style_file(const std::string& text) {
        put_skin(skin_folder("test"), text);
        record_skin("test");
        start();
    }

    static QLabel& label(const char* name) { return *main_form->findChild<QLabel*>(name); }
    static QLineEdit& field(const char* name) { return *main_form->findChild<QLineEdit*>(name); }
    static QColor text_colour(const QWidget& control) {
        return control.palette().color(QPalette::WindowText);
    }
    static std::string family_of(const QWidget& control) {
        return control.font().family().toStdString();
    }
    static std::string stored(std::string_view name) {
        Registry settings_store;
        EXPECT_TRUE(settings_store.open_key(settings::launcher_key, true));
        return settings_store.read_string(name);
    }
};

TEST_F(SkinTest, DefaultSkinStartsWithoutAMessageAndItsButtonsLieFreeInTheWindow) {
    put_skin(skin_folder("default"), "");
    std::filesystem::copy_file(default_skin_source() / "styleconfig.ini",
                               skin_folder("default") / "styleconfig.ini",
                               std::filesystem::copy_options::overwrite_existing);
    record_skin("default");
    start();
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(main_form->tray_icon().present());

    const QSize design_sizes[] = {{385, 281}, {14, 13}, {14, 13}, {14, 13},
                                  {82, 16},   {64, 16}, {81, 17}, {38, 17}};
    for (std::size_t i = 0; i < std::size(picture_files); ++i) {
        const ui::PictureControl& control = picture(picture_files[i][1]);
        ASSERT_TRUE(control.has_picture()) << picture_files[i][1];
        const QSize size(control.picture().width(), control.picture().height());
        if (i == 0) {
            EXPECT_EQ(size, design_sizes[0]);
        } else {
            // The skin's buttons show their pictures whole, at the bounds the skin gives them.
            EXPECT_EQ(size, control.size()) << picture_files[i][1];
        }
        EXPECT_FALSE(control.picture().decode().isNull()) << picture_files[i][1];
    }
    // A button under a label or field would not get its clicks.
    const QRect window = main_form->rect();
    for (std::size_t i = 1; i < std::size(picture_files); ++i) {
        const QRect button = picture(picture_files[i][1]).geometry();
        EXPECT_TRUE(window.contains(button)) << picture_files[i][1];
        for (QWidget* other : main_form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const auto* other_picture = qobject_cast<ui::PictureControl*>(other);
            if (other_picture != nullptr && other_picture->text().isEmpty()) continue;
            EXPECT_FALSE(button.intersects(other->geometry()))
                << picture_files[i][1] << " under " << other->objectName().toStdString();
        }
    }
    const std::string style_file = (default_skin_source() / "styleconfig.ini").string();
    EXPECT_FALSE(read_profile_string(style_file, "madeby", "stylename").empty());
}

TEST_F(SkinTest, StyleFileSetsFontsButtonsFieldsAndCaptionsWithNamesInAnyCase) {
    start_with_style_file(
        "[Font_Settings]\nFamily=DejaVu Serif\nSIZE=11\ncolor=#FF8000\n"
        "[setup_button]\npositionX=$20\npositionY=0x20\nwidth=20\nheight=21\n"
        "[minimize_button]\npositionX=20px\npositionY=3\nwidth=-4\nheight=9\n"
        "[close_button]\npositionX=1\npositionY=2\nwidth=3\nheight=4\n"
        "[launch_button]\npositionX=5\npositionY=6\nwidth=7\nheight=8\n"
        "[server_button]\npositionX=9\npositionY=10\nwidth=11\nheight=12\n"
        "[join_button]\npositionX=13\npositionY=14\nwidth=15\nheight=16\n"
        "[query_button]\npositionX=17\npositionY=18\nwidth=50\nheight=20\n"
        "[font_server_labels]\nfamily=DejaVu Sans Mono\ncolor=#00ff00\nsize=9\nstyle=italic\n"
        "[font_server_results]\nfamily=\ncolor=#0000FF\nsize=10\nstyle=bold;underline;;Striked\n"
        "[input_mod]\nname=DejaVu Sans\nsize=9\ncolor=#102030\npositionX=10\nwidth=-5\n"
        "style=striked\nflat=yes\n"
        "[input_ip]\nsize=9\npositionX=0\npositionY=50\nwidth=50\nflat=Yes\n"
        "[input_port]\nsize=9\ncolor=\npositionX=200\npositionY=\"220\"\nwidth=30\nheight=19\n"
        "[font_tipoftheday_title]\nname=DejaVu Serif\nsize=12\ncolor=#ABCDEF\npositionX=150\n"
        "positionY=60\nstyle=bold\n"
        "[font_beta196b]\nsize=8\npositionX=0\npositionY=99\n"
        "[font_beta196b_help]\nsize=8\ncolor=#FF0000\npositionX=60\npositionY=234\n"
        "style=underline\n");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;

    EXPECT_EQ(family_of(*main_form), "DejaVu Serif");
    EXPECT_EQ(main_form->font().pointSize(), 11);
    EXPECT_EQ(text_colour(*main_form), QColor(0xFF, 0x80, 0x00));
    // Controls without a font of their own show the window's.
    EXPECT_EQ(family_of(label("label_nosplash")), "DejaVu Serif");
    EXPECT_EQ(text_colour(label("label_nosplash")), QColor(0xFF, 0x80, 0x00));

    EXPECT_EQ(picture("img_setup").geometry(), QRect(32, 32, 20, 21));
    // An integer that is no number puts that edge at 0; a negative width is no width.
    EXPECT_EQ(picture("img_minimize").geometry(), QRect(0, 3, 0, 9));
    EXPECT_EQ(picture("img_close").geometry(), QRect(1, 2, 3, 4));
    EXPECT_EQ(picture("img_launch").geometry(), QRect(5, 6, 7, 8));
    EXPECT_EQ(picture("img_serverdetails").geometry(), QRect(9, 10, 11, 12));
    EXPECT_EQ(picture("img_join").geometry(), QRect(13, 14, 15, 16));
    EXPECT_EQ(picture("img_query").geometry(), QRect(17, 18, 50, 20));

    for (const char* name : caption_names) {
        const QLabel& caption = label(name);
        EXPECT_EQ(family_of(caption), "DejaVu Sans Mono") << name;
        EXPECT_EQ(caption.font().pointSize(), 9);
        EXPECT_TRUE(caption.font().italic());
        EXPECT_FALSE(caption.font().bold());
        EXPECT_EQ(text_colour(caption), QColor(0, 0xFF, 0));
    }
    for (const char* name : result_names) {
        const QLabel& result = label(name);
        // An empty family leaves the window's.
        EXPECT_EQ(family_of(result), "DejaVu Serif") << name;
        EXPECT_EQ(result.font().pointSize(), 10);
        EXPECT_TRUE(result.font().bold());
        EXPECT_TRUE(result.font().underline());
        EXPECT_FALSE(result.font().strikeOut());
        EXPECT_EQ(text_colour(result), QColor(0, 0, 0xFF));
    }

    QLineEdit& mod = field("startup_mod");
    EXPECT_EQ(family_of(mod), "DejaVu Sans");
    EXPECT_EQ(mod.font().pointSize(), 9);
    EXPECT_TRUE(mod.font().strikeOut());
    EXPECT_EQ(mod.palette().color(QPalette::Text), QColor(0x10, 0x20, 0x30));
    // positionX without positionY: top 0; width -5 leaves the size.
    EXPECT_EQ(mod.geometry(), QRect(10, 0, 200, 21));
    EXPECT_FALSE(mod.hasFrame());
    // The flat frame: one pixel of the palette's dark colour on all four sides, square corners,
    // the field's ground right inside it.
    const QImage flat = mod.grab().toImage();
    // Within the rounding of a palette colour to the picture's eight bits a channel.
    const auto shows = [&flat](QPoint at, QColor colour) {
        const QColor seen = flat.pixelColor(at);
        return std::abs(seen.red() - colour.red()) <= 1 &&
               std::abs(seen.green() - colour.green()) <= 1 &&
               std::abs(seen.blue() - colour.blue()) <= 1;
    };
    for (const QPoint at : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 20), QPoint(199, 20),
                            QPoint(100, 0), QPoint(100, 20), QPoint(0, 10), QPoint(199, 10)}) {
        EXPECT_TRUE(shows(at, mod.palette().color(QPalette::Dark))) << at.x() << "," << at.y();
    }
    for (const QPoint at : {QPoint(1, 1), QPoint(198, 19)}) {
        EXPECT_TRUE(shows(at, mod.palette().color(QPalette::Base))) << at.x();
    }

    QLineEdit& ip = field("server_ip");
    // positionX 0 leaves the place whatever positionY says; width without height: height 0.
    EXPECT_EQ(ip.geometry(), QRect(169, 241, 50, 0));
    EXPECT_TRUE(ip.hasFrame());

    QLineEdit& port = field("server_port");
    // An empty colour leaves the window's; one pair of quotes is removed from a value.
    EXPECT_EQ(port.palette().color(QPalette::Text), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(port.geometry(), QRect(200, 220, 30, 19));
    EXPECT_TRUE(port.hasFrame());

    const QLabel& tip = label("label_tipoftheday_head");
    EXPECT_EQ(tip.pos(), QPoint(150, 60));
    EXPECT_EQ(family_of(tip), "DejaVu Serif");
    EXPECT_EQ(tip.font().pointSize(), 12);
    EXPECT_TRUE(tip.font().bold());
    EXPECT_EQ(text_colour(tip), QColor(0xAB, 0xCD, 0xEF));
    // Labels size themselves to their caption in their font.
    EXPECT_GE(tip.width(), tip.fontMetrics().horizontalAdvance(tip.text()));
    EXPECT_EQ(label("label_beta196").pos(), QPoint(8, 233));
    EXPECT_EQ(label("label_help_196b").pos(), QPoint(60, 234));
    EXPECT_TRUE(label("label_help_196b").font().underline());
    EXPECT_EQ(text_colour(label("label_help_196b")), QColor(0xFF, 0, 0));
    EXPECT_TRUE(main_form->tray_icon().present());
}

TEST_F(SkinTest, MissingSectionsPutButtonsAtTheOriginWithoutSize) {
    std::string text = design_style_file();
    const std::size_t close = text.find("[close_button]");
    text.erase(close, text.find("[launch_button]") - close);
    start_with_style_file(text);
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(picture("img_close").geometry(), QRect(0, 0, 0, 0));
    EXPECT_EQ(picture("img_minimize").geometry(), QRect(336, 0, 14, 13));
}

TEST_F(SkinTest, ColourThatDoesNotConvertEndsTheStyleFileThereAndTheIconStays) {
    const std::string text =
        "[font_settings]\nfamily=MS Sans Serif\nsize=8\ncolor=#000000\n"
        "[setup_button]\npositionX=300\npositionY=0\nwidth=14\nheight=13\n"
        "[font_server_labels]\nfamily=DejaVu Sans Mono\ncolor=#XYZ\nsize=12\n"
        "[input_ip]\npositionX=10\npositionY=11\n";
    store(settings::windowed, "yes");
    start_with_style_file(text);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].text, "'$ZXY' is not a valid integer value.");
    // Applied before the error: the buttons, and the family before the colour.
    EXPECT_EQ(picture("img_setup").pos(), QPoint(300, 0));
    EXPECT_EQ(family_of(label("label_server_world")), "DejaVu Sans Mono");
    EXPECT_EQ(label("label_server_world").font().pointSize(), 8);
    // Not applied after it.
    EXPECT_EQ(field("server_ip").pos(), QPoint(169, 241));
    EXPECT_TRUE(main_form->tray_icon().present());
    EXPECT_TRUE(main_form->findChild<QCheckBox*>("windowed")->isChecked());

    boxes.clear();
    destroy_windows();
    start_with_style_file(
        "[font_settings]\nfamily=MS Sans Serif\nsize=8\ncolor=#000000\n"
        "[input_mod]\ncolor=#\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'$' is not a valid integer value.");

    // The window's family and size come before its colour, and the buttons after it.
    boxes.clear();
    destroy_windows();
    start_with_style_file(
        "[font_settings]\nfamily=DejaVu Serif\nsize=13\n[setup_button]\npositionX=300\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'$' is not a valid integer value.");
    EXPECT_EQ(family_of(*main_form), "DejaVu Serif");
    EXPECT_EQ(main_form->font().pointSize(), 13);
    EXPECT_EQ(picture("img_setup").pos(), QPoint(320, 0));

    // In a field's section the colour comes before the position.
    boxes.clear();
    destroy_windows();
    std::string text_with_field_colour = design_style_file();
    const std::string ip_section = "[input_ip]\nsize=8\n";
    text_with_field_colour.replace(text_with_field_colour.find(ip_section), ip_section.size(),
                                   "[input_ip]\nsize=9\ncolor=#\npositionX=10\npositionY=11\n");
    start_with_style_file(text_with_field_colour);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'$' is not a valid integer value.");
    EXPECT_EQ(field("server_ip").font().pointSize(), 9);
    EXPECT_EQ(field("server_ip").pos(), QPoint(169, 241));
}

TEST_F(SkinTest, MissingStyleFileFailsAtTheWindowColourAfterSizeZero) {
    put_skin(skin_folder("test"), "");
    std::filesystem::remove(skin_folder("test") / "styleconfig.ini");
    record_skin("test");
    start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'$' is not a valid integer value.");
    // Size 0: the platform's default height.
    EXPECT_GT(main_form->font().pointSizeF(), 0);
    EXPECT_EQ(picture("img_close").geometry(), QRect(351, 0, 14, 13));
    EXPECT_TRUE(main_form->tray_icon().present());
    EXPECT_EQ(stored("nosplash"), "no");
}

TEST_F(SkinTest, PictureThatCannotBeLoadedEndsCreationBeforeSwitchesIconAndStyleFile) {
    put_skin(skin_folder("test"), design_style_file() + "[input_ip]\npositionX=10\n");
    std::filesystem::remove(skin_folder("test") / "game_join.jpg");
    record_skin("test");
    store(settings::windowed, "yes");
    start();
    const std::string missing = (skin_folder("test") / "game_join.jpg").string();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].text, "Cannot open file \"" + missing + "\". No such file or directory.");
    // The pictures before it are loaded, the later ones not.
    EXPECT_TRUE(picture("img_launch").has_picture());
    EXPECT_FALSE(picture("img_join").has_picture());
    EXPECT_FALSE(picture("img_query").has_picture());
    // The switches keep their design states and write nothing.
    EXPECT_TRUE(main_form->findChild<QCheckBox*>("no_splash")->isChecked());
    EXPECT_FALSE(main_form->findChild<QCheckBox*>("windowed")->isChecked());
    EXPECT_EQ(stored("nosplash"), "");
    EXPECT_FALSE(main_form->tray_icon().present());
    EXPECT_EQ(field("server_ip").pos(), QPoint(169, 241));
    EXPECT_TRUE(main_form->isVisible());
}

TEST_F(SkinTest, PictureTheDecoderRejectsAndAStyleThatNamesNoFolder) {
    put_skin(skin_folder("test"), design_style_file());
    { std::ofstream(skin_folder("test") / "close.jpg", std::ios::binary) << "GIF89a......"; }
    record_skin("test");
    start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("JPEG error #", 0), 0u) << boxes[0].text;
    EXPECT_TRUE(picture("img_minimize").has_picture());
    EXPECT_FALSE(main_form->tray_icon().present());

    boxes.clear();
    destroy_windows();
    record_skin("no such skin");
    start();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string background = (skin_folder("no such skin") / "background.jpg").string();
    EXPECT_EQ(boxes[0].text, "Cannot open file \"" + background + "\". No such file or directory.");
    EXPECT_FALSE(picture("img_background").has_picture());
}

TEST_F(SkinTest, EmptyStyleUsesTheSkinsFolderAndEmptyPicturesLoadWithoutAMessage) {
    put_skin(install_dir() / "styles", design_style_file());
    { std::ofstream(install_dir() / "styles" / "server_query.jpg", std::ios::trunc); }
    record_skin("");
    start();
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(picture("img_query").has_picture());
    EXPECT_TRUE(picture("img_query").picture().empty());
    EXPECT_TRUE(main_form->tray_icon().present());
}

}  // namespace
}  // namespace kvtu::launcher::test
