// Every test program starts as the program does, with the arithmetic set
// up, and with MPFR's exponent range set for the reference arithmetic.
#include <gtest/gtest.h>

#include "arithmetic_platform.h"
#include "mpfr_extended.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrion::set_up_arithmetic();
    kestrion::MpfrExtended::set_up();
    return RUN_ALL_TESTS();
}
