#include "application.h"

#include <QApplication>
#include <QWidget>

#include "platform/core/errors.h"
#include "platform/core/hive_file.h"
#include "platform/ui/message_box.h"
#include "platform/ui/text.h"

namespace kvtu::ui {

Application& Application::instance() {
    static Application application;
    return application;
}

Application::Application() {
    // Windows that the user closes are only hidden; the program ends when it is terminated,
    // not when its last visible window goes (the launcher lives on in the notification area).
    QApplication::setQuitOnLastWindowClosed(false);
}

// Only the message boxes carry the title: Qt would append an application display name to every
// window caption.
void Application::set_title(const std::string& title) {
    title_ = title;
}

std::string Application::error_text(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

void Application::handle_current_exception() {
    try {
        throw;
    } catch (const std::exception& error) {
        show_error(error.what());
    } catch (...) {
        show_error("Unknown error");
    }
}

void Application::show_error(const std::string& message) {
    show_box(MessageKind::error, error_text(message));
}

void Application::show_message(const std::string& text) {
    show_box(MessageKind::plain, text);
}

void Application::set_message_recorder(std::function<void(const MessageRecord&)> recorder) {
    recorder_ = std::move(recorder);
}

void Application::show_box(MessageKind kind, const std::string& text) {
    if (recorder_) {
        recorder_(MessageRecord{kind, title_, text});
        return;
    }
    MessageBox box(kind, to_qstring(title_), to_qstring(text));
    box.exec();
}

void Application::minimize() {
    minimized_ = true;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
}

void Application::restore() {
    if (!minimized_) return;
    minimized_ = false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isMinimized()) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        }
    }
}

void Application::report_settings_problem() {
    if (const std::string problem = HiveFile().problem(); !problem.empty()) show_error(problem);
}

void Application::process_messages() {
    QCoreApplication::processEvents();
}

void Application::terminate() {
    terminated_ = true;
    // Only a running loop is told: an exit outside the loop would end the next modal loop
    // instead (a message box), and run() does not start a loop after a termination anyway.
    // exit() rather than quit(): the windows stay as they are until the program destroys them.
    if (running_) QCoreApplication::exit(0);
}

void Application::run(QWidget& main_window) {
    if (terminated_) return;
    if (minimized_) {
        main_window.showMinimized();
    } else {
        main_window.show();
    }
    running_ = true;
    QApplication::exec();
    running_ = false;
}

void Application::reset() {
    minimized_ = false;
    terminated_ = false;
}

}  // namespace kvtu::ui
