// GUI tests drive the real forms on the offscreen platform, so they run without a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "test_environment.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    kvtu::test::install_sandbox_listener();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
