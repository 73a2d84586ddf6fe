#include <gtest/gtest.h>

#include "test_environment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kvtu::test::install_sandbox_listener();
    return RUN_ALL_TESTS();
}
