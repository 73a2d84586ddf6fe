#pragma once
// Runs the launcher's real windows in the test process: the settings store and the install
// folder are the sandbox's, message boxes are recorded instead of shown, and input arrives as
// a person gives it (user_input.h).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
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
#include "user_input.h"

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
        kvtu::test::leave_input();
        destroy_windows();
        // The application object and the drag state outlive the test; a later test in the same
        // process starts from them as the program does.
        ui::Application::instance().reset();
        drag_active = false;
        drag_start_x = 0;
        drag_start_y = 0;
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

    // A point of the main window where only the background picture lies.
    static QPoint bare_background() { return {150, 12}; }

    // Opens the popup menu the way the desktop offers it: a right click on the notification
    // icon where there is a notification area, else on the background picture.
    static void open_popup_menu() {
        if (ui::TrayIcon::notification_area_available()) {
            main_form->tray_icon().deliver(ui::TrayIcon::right_button_down);
        } else {
            kvtu::test::click(*main_form, bare_background(), Qt::RightButton);
        }
    }

    // Opens the popup menu and clicks its item.
    static void choose(const char* name) {
        open_popup_menu();
        kvtu::test::choose(main_form->systray_popup(), item(name));
    }

    // A mouse event at a point of the control, in its own coordinates, delivered to its window:
    // the widget under that point gets it. For a move, the buttons held are those pressed
    // before; MouseButtonDblClick is the second press of a double click.
    static void mouse(const QWidget& control, QEvent::Type type, Qt::MouseButton button,
                      QPoint at) {
        switch (type) {
            case QEvent::MouseButtonPress:
                kvtu::test::press(control, at, button);
                break;
            case QEvent::MouseButtonRelease:
                kvtu::test::release(control, at, button);
                break;
            case QEvent::MouseButtonDblClick:
                kvtu::test::second_press_of_double_click(control, at);
                break;
            default:
                kvtu::test::move_pointer(control, at);
                break;
        }
    }

    static void click(const QWidget& control) { kvtu::test::click(control); }

    std::vector<ui::MessageRecord> boxes;
};

}  // namespace kvtu::launcher::test
