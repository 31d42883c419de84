// set_up_arithmetic against a process that starts with subnormals flushed
// to zero, as one linked with -ffast-math does.
#include "arithmetic_platform.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>

#if KESTRION_HAS_MXCSR
#include <xmmintrin.h>
#endif

#define KESTRION_CAN_FLUSH (KESTRION_HAS_MXCSR || KESTRION_HAS_AARCH64_FPCR || KESTRION_HAS_ARM_FPSCR)

namespace kestrion {
namespace {

#if KESTRION_CAN_FLUSH
// Turns flushing on as crtfastmath.o does, and puts the control register
// back as it was when the test ends, whatever its outcome.
class FlushingToZero {
public:
    FlushingToZero() {
#if KESTRION_HAS_MXCSR
        saved_ = _mm_getcsr();
        _mm_setcsr(saved_ | 0x8040u);  // flush-to-zero (bit 15), denormals-are-zero (bit 6)
#elif KESTRION_HAS_AARCH64_FPCR
        __asm__ volatile("mrs %0, fpcr" : "=r"(saved_));
        __asm__ volatile("msr fpcr, %0" : : "r"(saved_ | 0x1000000u));  // FZ, bit 24
#else
        __asm__ volatile("vmrs %0, fpscr" : "=r"(saved_));
        __asm__ volatile("vmsr fpscr, %0" : : "r"(saved_ | 0x1000000u));  // FZ, bit 24
#endif
    }
    ~FlushingToZero() {
#if KESTRION_HAS_MXCSR
        _mm_setcsr(saved_);
#elif KESTRION_HAS_AARCH64_FPCR
        __asm__ volatile("msr fpcr, %0" : : "r"(saved_));
#else
        __asm__ volatile("vmsr fpscr, %0" : : "r"(saved_));
#endif
    }
    FlushingToZero(const FlushingToZero&) = delete;
    FlushingToZero& operator=(const FlushingToZero&) = delete;

private:
#if KESTRION_HAS_AARCH64_FPCR
    uint64_t saved_ = 0;
#else
    uint32_t saved_ = 0;
#endif
};
#endif

// Results compared by their bits: with denormals-are-zero a comparison
// would take a subnormal for 0 too.
struct Results {
    uint32_t float_operand, float_result;
    uint64_t double_operand, double_result;
};

// A subnormal operand doubled, and the smallest normal halved into a
// subnormal, in float and in double; volatile, so that they are computed
// now, in the current mode, and not when compiling.
Results subnormal_arithmetic() {
    volatile float float_tiny = 0x1p-140f, float_least_normal = FLT_MIN, float_two = 2.0f;
    volatile double double_tiny = 0x1p-1070, double_least_normal = DBL_MIN, double_two = 2.0;
    return {std::bit_cast<uint32_t>(float_tiny * float_two),
            std::bit_cast<uint32_t>(float_least_normal / float_two),
            std::bit_cast<uint64_t>(double_tiny * double_two),
            std::bit_cast<uint64_t>(double_least_normal / double_two)};
}

TEST(ArithmeticSetUp, KeepsSubnormalsThatStartUpFlushedToZero) {
#if !KESTRION_CAN_FLUSH
    GTEST_SKIP() << "this processor has no mode that flushes subnormals to zero";
#else
    FlushingToZero flushing;
    const Results flushed = subnormal_arithmetic();
    // The mode is really on: every result is 0 (which also shows that the
    // arithmetic below is done at run time).
    ASSERT_EQ(flushed.float_operand | flushed.float_result, 0u);
    ASSERT_EQ(flushed.double_operand | flushed.double_result, 0u);

    set_up_arithmetic();
    const Results kept = subnormal_arithmetic();
    EXPECT_EQ(kept.float_operand, std::bit_cast<uint32_t>(0x1p-139f));
    EXPECT_EQ(kept.float_result, std::bit_cast<uint32_t>(0x1p-127f));
    EXPECT_EQ(kept.double_operand, std::bit_cast<uint64_t>(0x1p-1069));
    EXPECT_EQ(kept.double_result, std::bit_cast<uint64_t>(0x1p-1023));
#endif
}

}  // namespace
}  // namespace kestrion
