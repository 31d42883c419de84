// set_up_arithmetic against a process that starts with subnormals flushed
// to zero, as one linked with -ffast-math does.
#include "arithmetic_platform.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cstdint>

#include "compiler.h"

#if KESTRION_HAS_MXCSR
#include <xmmintrin.h>
#endif

namespace kestrion {
namespace {

// The control register, and the bits crtfastmath.o sets in it.
#if KESTRION_HAS_MXCSR
using Control = uint32_t;
constexpr Control kFlushing = 0x8040;  // flush-to-zero (bit 15), denormals-are-zero (bit 6)
Control read_control() { return _mm_getcsr(); }
void write_control(Control c) { _mm_setcsr(c); }
#elif KESTRION_HAS_AARCH64_FPCR
using Control = uint64_t;
constexpr Control kFlushing = 0x1000000;  // FZ (bit 24)
Control read_control() {
    Control c;
    __asm__ volatile("mrs %0, fpcr" : "=r"(c));
    return c;
}
void write_control(Control c) { __asm__ volatile("msr fpcr, %0" : : "r"(c)); }
#elif KESTRION_HAS_ARM_FPSCR
using Control = uint32_t;
constexpr Control kFlushing = 0x1000000;  // FZ (bit 24)
Control read_control() {
    Control c;
    __asm__ volatile("vmrs %0, fpscr" : "=r"(c));
    return c;
}
void write_control(Control c) { __asm__ volatile("vmsr fpscr, %0" : : "r"(c)); }
#endif

// A subnormal operand doubled, and the smallest normal halved into a
// subnormal, in float and in double, computed now (volatile) in the current
// mode, and compared by their bits: with denormals-are-zero a comparison
// would take a subnormal for 0 too.
[[maybe_unused]] std::array<uint64_t, 4> subnormal_arithmetic() {
    volatile float float_tiny = 0x1p-140f, float_least_normal = FLT_MIN, float_two = 2.0f;
    volatile double double_tiny = 0x1p-1070, double_least_normal = DBL_MIN, double_two = 2.0;
    return {kestrion::bit_cast<uint32_t>(float_tiny * float_two), kestrion::bit_cast<uint32_t>(float_least_normal / float_two),
            kestrion::bit_cast<uint64_t>(double_tiny * double_two),
            kestrion::bit_cast<uint64_t>(double_least_normal / double_two)};
}

TEST(ArithmeticSetUp, KeepsSubnormalsThatStartUpFlushedToZero) {
#if !(KESTRION_HAS_MXCSR || KESTRION_HAS_AARCH64_FPCR || KESTRION_HAS_ARM_FPSCR)
    GTEST_SKIP() << "this processor has no mode that flushes subnormals to zero";
#else
    const Control saved = read_control();
    write_control(saved | kFlushing);
    const auto flushed = subnormal_arithmetic();
    set_up_arithmetic();
    const auto kept = subnormal_arithmetic();
    write_control(saved);

    // Flushing was on: every result was 0.
    EXPECT_EQ(flushed, (std::array<uint64_t, 4>{}));
    const std::array<uint64_t, 4> ieee = {kestrion::bit_cast<uint32_t>(0x1p-139f), kestrion::bit_cast<uint32_t>(0x1p-127f),
                                          kestrion::bit_cast<uint64_t>(0x1p-1069), kestrion::bit_cast<uint64_t>(0x1p-1023)};
    EXPECT_EQ(kept, ieee);
#endif
}

}  // namespace
}  // namespace kestrion
