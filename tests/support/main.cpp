#include "startup/MainModule.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    MainModule::InitControls();
    return RUN_ALL_TESTS();
}
