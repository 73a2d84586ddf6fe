#pragma once
// Runs the launcher's real windows in the test process: the settings store and the install
// folder are the sandbox's, message boxes are recorded instead of shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "launcher/debugging.h"
#include "launcher/form.h"
#include "launcher/info.h"
#include "launcher/program.h"
#include "launcher/setup_form.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/ui/application.h"
#include "platform/ui/picture_control.h"
#include "platform/ui/tray_icon.h"
#include "skin_fixture.h"

namespace kvtu::launcher::test {

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::Application::instance().set_title(std::string(application_title));
        ui::Application::instance().set_message_recorder(
            [this](const ui::MessageRecord& record) { boxes.push_back(record); });
        install_design_skin();
    }

    void TearDown() override {
        destroy_windows();
        // The application object outlives the test; a later test in the same process starts
        // from an application that is not minimised.
        ui::Application::instance().restore();
        ui::Application::instance().set_message_recorder(nullptr);
        ui::TrayIcon::assume_notification_area(false);
    }

    static void store(std::string_view name, const std::string& value) {
        Registry settings_store;
        ASSERT_TRUE(settings_store.open_key(settings::launcher_key, true));
        settings_store.write_string(name, value);
    }

    // Creates the four windows and shows the main window, as the start of the loop does.
    static void start() {
        create_windows();
        main_form->show();
    }

    static ui::PictureControl& picture(const char* name) {
        auto* control = main_form->findChild<ui::PictureControl*>(name);
        EXPECT_NE(control, nullptr) << name;
        return *control;
    }

    static QAction& item(const char* name) {
        auto* action = main_form->systray_popup().findChild<QAction*>(name);
        EXPECT_NE(action, nullptr) << name;
        return *action;
    }

    // Mouse events straight to a control, at positions in its own coordinates. For a move,
    // `button` is the button held (Qt::NoButton for none).
    static void mouse(QWidget& control, QEvent::Type type, Qt::MouseButton button, QPoint at) {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), control.mapToGlobal(QPointF(at)), changed, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&control, &event);
    }

    static void click(ui::PictureControl& control) {
        mouse(control, QEvent::MouseButtonPress, Qt::LeftButton, {2, 2});
        mouse(control, QEvent::MouseButtonRelease, Qt::LeftButton, {2, 2});
    }

    std::vector<ui::MessageRecord> boxes;
};

}  // namespace kvtu::launcher::test
