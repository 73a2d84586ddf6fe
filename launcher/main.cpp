// kvtu_vavaver: the launcher of Korvanth: Uprising.
#include <QApplication>

#include "launcher/mutex_check.h"
#include "launcher/program.h"

int main(int argc, char** argv) {
    // A second copy ends here, before anything is shown, read or written.
    if (!kvtu::launcher::mutex_check()) return 0;
    int exit_code;
    {
        QApplication qt_application(argc, argv);
        exit_code = kvtu::launcher::run_program();
    }
    kvtu::launcher::mutex_release();
    return exit_code;
}
