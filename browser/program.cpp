#include "browser/program.h"

#include <QApplication>
#include <string>

#include "browser/browser_form.h"
#include "browser/pictures.h"
#include "platform/ui/application.h"

namespace kvtu::browser {

void create_window() {
    main_form = new Tmain_form;
}

void destroy_window() {
    delete main_form;
    main_form = nullptr;
}

int run_program() {
    ui::Application& application = ui::Application::instance();
    application.set_title(std::string(application_title));
    QApplication::setWindowIcon(application_icon());
    // Before the windows, which go on without settings when the file cannot be used.
    application.report_settings_problem();
    create_window();
    application.run(*main_form);
    destroy_window();
    return 0;
}

}  // namespace kvtu::browser
