#include "platform/ui/open_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "test_environment.h"
#include "user_input.h"

namespace kvtu::ui {
namespace {

// Acts on the real dialog once it runs its modal loop; gives up after a bounded number of tries,
// closing whatever modal window there is, so that a test never hangs.
void when_dialog_runs(std::function<void(QFileDialog&)> action, int tries_left = 200) {
    QTimer::singleShot(10, [action = std::move(action), tries_left]() mutable {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            action(*dialog);
        } else if (tries_left > 0) {
            when_dialog_runs(std::move(action), tries_left - 1);
        } else if (QApplication::activeModalWidget() != nullptr) {
            QApplication::activeModalWidget()->close();
        }
    });
}

TEST(OpenDialogTest, ChoosesAnExistingFileAndKeepsItsNameAsTheFileSystemSpellsIt) {
    // A folder name outside Latin-1, in the file system's UTF-8.
    const auto folder = kvtu::test::sandbox() / "Korvanth \xC3\x9C\xE2\x82\xAC";
    std::filesystem::create_directories(folder);
    const auto game = folder / "KorvanthUprising.exe";
    std::ofstream(game) << "game";

    OpenDialog dialog;
    dialog.set_filter("KorvanthUprising.exe", "KORVANTHUPRISING.EXE");
    QString shown_filter;
    QFileDialog::FileMode mode = QFileDialog::Directory;
    when_dialog_runs([&](QFileDialog& running) {
        shown_filter = running.selectedNameFilter();
        mode = running.fileMode();
        // The dialog opens where the last one was left, maybe in a folder that is gone: it is
        // sent to the game's folder, and the name is typed into its name field.
        running.setDirectory(QString::fromUtf8(folder.c_str()));
        kvtu::test::type(running, "KorvanthUprising.exe");
        const QPushButton* open =
            running.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
        EXPECT_TRUE(QTest::qWaitFor([open] { return open->isEnabled(); }, 10000));
        if (QApplication::activePopupWidget() != nullptr) {
            kvtu::test::key(*QApplication::activePopupWidget(), Qt::Key_Escape);
        }
        kvtu::test::key(running, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    });
    ASSERT_TRUE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.file_name(), game.string());
    // The entry shows its description only, as the filter names it.
    EXPECT_EQ(shown_filter.toStdString(), "KorvanthUprising.exe");
    EXPECT_EQ(mode, QFileDialog::ExistingFile);

    when_dialog_runs([](QFileDialog& running) { kvtu::test::key(running, Qt::Key_Escape); });
    EXPECT_FALSE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.file_name(), game.string());
}

// The filter's pattern is matched regardless of case, so the game's file is listed however its
// name is spelled here; other files are not listed.
TEST(OpenDialogTest, ListsTheGameFileWhateverTheCaseOfItsName) {
    const auto folder = kvtu::test::sandbox() / "game";
    std::filesystem::create_directories(folder);
    for (const char* name : {"KorvanthUprising.exe", "korvanthuprising.EXE", "other.exe"}) {
        std::ofstream(folder / name) << "game";
    }
    OpenDialog dialog;
    dialog.set_filter("KorvanthUprising.exe", "KORVANTHUPRISING.EXE");
    QStringList listed;
    when_dialog_runs([&](QFileDialog& running) {
        auto* model = running.findChild<QFileSystemModel*>();
        auto* view = running.findChild<QListView*>("listView");
        if (model != nullptr && view != nullptr) {
            bool loaded = false;
            QObject::connect(model, &QFileSystemModel::directoryLoaded,
                             [&loaded] { loaded = true; });
            running.setDirectory(QString::fromUtf8(folder.c_str()));
            // The folder is read on a thread of the model's own; its rows follow the signal.
            EXPECT_TRUE(QTest::qWaitFor([&loaded] { return loaded; }, 10000));
            const auto rows = [view] { return view->model()->rowCount(view->rootIndex()); };
            EXPECT_TRUE(QTest::qWaitFor([&rows] { return rows() >= 2; }, 10000));
            for (int row = 0; row < rows(); ++row) {
                const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
                if (index.flags().testFlag(Qt::ItemIsEnabled)) listed << index.data().toString();
            }
        }
        kvtu::test::key(running, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.execute(nullptr));
    listed.sort();
    EXPECT_EQ(listed.join(" | ").toStdString(), "KorvanthUprising.exe | korvanthuprising.EXE");
}

}  // namespace
}  // namespace kvtu::ui
