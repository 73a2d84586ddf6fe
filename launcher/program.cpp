#include "launcher/program.h"

#include <QApplication>
#include <string>

#include "launcher/debugging.h"
#include "launcher/form.h"
#include "launcher/info.h"
#include "launcher/pictures.h"
#include "launcher/setup_form.h"
#include "platform/ui/application.h"

namespace kvtu::launcher {

void create_windows() {
    main_form = new Tmain_form;
    form_info = new Tform_info;
    form_setup = new Tform_setup;
    debug = new Tdebug;
}

void destroy_windows() {
    delete debug;
    debug = nullptr;
    delete form_setup;
    form_setup = nullptr;
    delete form_info;
    form_info = nullptr;
    delete main_form;
    main_form = nullptr;
}

int run_program() {
    ui::Application& application = ui::Application::instance();
    application.set_title(std::string(application_title));
    QApplication::setWindowIcon(application_icon());
    // Before the windows, which go on without settings when the file cannot be used.
    application.report_settings_problem();
    create_windows();
    application.run(*main_form);
    destroy_windows();
    return 0;
}

}  // namespace kvtu::launcher
