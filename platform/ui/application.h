#pragma once
// The application object of a program: its title (caption of every message box), the default
// error handler, the message boxes, application-level minimise and restore, one pass over the
// pending events, and the end of the run. One per process; the QApplication must exist first.
#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace kvtu::ui {

enum class MessageKind {
    error,  // the default error handler's box: error symbol, OK
    plain,  // a message box of the program: no symbol, OK
};

struct MessageRecord {
    MessageKind kind;
    std::string title;
    std::string text;
};

class Application {
  public:
    static Application& instance();

    void set_title(const std::string& title);
    const std::string& title() const { return title_; }

    // Shows the message of the exception in flight, as the default error handler does.
    void handle_current_exception();
    // The default error handler: an error box titled with the application title; a full stop
    // is added when the message's last character sorts after ".".
    void show_error(const std::string& message);
    // A plain message box: the text unchanged, one OK button, no symbol, centred on the screen
    // (message_box.h).
    void show_message(const std::string& text);
    // Says once, as an error, why the settings file cannot be used, when it cannot; every
    // operation on the store fails silently then, and the program goes on without settings.
    void report_settings_problem();

    // While a recorder is set, message boxes are handed to it instead of being shown, so that
    // tests can see them without a modal loop.
    void set_message_recorder(std::function<void(const MessageRecord&)> recorder);

    // Minimises the application as a whole: every visible window of the program, and every
    // window that run() shows later, appears minimised until restore().
    void minimize();
    void restore();
    bool minimized() const { return minimized_; }

    // Handles the pending events once and returns.
    void process_messages();

    // Ends the run: the running event loop stops once the current event is handled; a run that
    // has not started yet returns at once.
    void terminate();
    bool terminated() const { return terminated_; }

    // Shows the main window (minimised while the application is) and runs the event loop
    // until terminate(). Returns at once when the run was terminated before.
    void run(QWidget& main_window);

    // Back to the state of a program's start: not minimised, not terminated. Tests start the
    // programs' windows many times in one process; nothing else calls this.
    void reset();

    // The error text with its full stop, as the default error handler shows it.
    static std::string error_text(const std::string& message);

  private:
    Application();
    void show_box(MessageKind kind, const std::string& text);

    std::string title_;
    std::function<void(const MessageRecord&)> recorder_;
    bool minimized_ = false;
    bool terminated_ = false;
    bool running_ = false;
};

}  // namespace kvtu::ui
