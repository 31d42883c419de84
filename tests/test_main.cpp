// Every test program starts as the program does: with the arithmetic set up.
#include <gtest/gtest.h>

#include "arithmetic_setup.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrion::set_up_arithmetic();
    return RUN_ALL_TESTS();
}
