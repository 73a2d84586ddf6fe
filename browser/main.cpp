// kvtu_dadererizarud: the server browser of Korvanth: Uprising.
#include <QApplication>

#include "browser/program.h"

int main(int argc, char** argv) {
    QApplication qt_application(argc, argv);
    return kvtu::browser::run_program();
}
