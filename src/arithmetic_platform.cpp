#include "arithmetic_platform.h"

#include <cfenv>
#include <cstdint>

#if KESTRION_HAS_MXCSR
#include <xmmintrin.h>
#endif

namespace kestrion {
namespace {

#if KESTRION_LONG_DOUBLE_IS_X87
// The x87 control word: precision control in bits 8-9 (3: a 64-bit
// significand), rounding control in bits 10-11 (0: to nearest even).
void set_x87_precision_and_rounding() {
    uint16_t control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<uint16_t>((control & ~0x0f00u) | 0x0300u);
    __asm__ volatile("fldcw %0" : : "m"(control));
}
#endif

// Subnormal operands and results as IEEE 754 has them, not flushed to zero.
void keep_subnormals() {
#if KESTRION_HAS_MXCSR
    // MXCSR: flush-to-zero is bit 15, denormals-are-zero bit 6.
    _mm_setcsr(_mm_getcsr() & ~((1u << 15) | (1u << 6)));
#elif KESTRION_HAS_AARCH64_FPCR
    // FPCR: flush-to-zero (FZ) is bit 24.
    uint64_t fpcr;
    __asm__ volatile("mrs %0, fpcr" : "=r"(fpcr));
    fpcr &= ~(uint64_t{1} << 24);
    __asm__ volatile("msr fpcr, %0" : : "r"(fpcr));
#elif KESTRION_HAS_ARM_FPSCR
    // FPSCR: flush-to-zero (FZ) is bit 24.
    uint32_t fpscr;
    __asm__ volatile("vmrs %0, fpscr" : "=r"(fpscr));
    fpscr &= ~(uint32_t{1} << 24);
    __asm__ volatile("vmsr fpscr, %0" : : "r"(fpscr));
#endif
}

}  // namespace

// What the arithmetic needs, and why:
// - Every platform: rounding to nearest for float and double, which the
//   reader's and the exponential factor's fast paths assume. It is the
//   default, but a process may inherit another mode.
// - Wherever long double is the x87 format: the x87 unit's own precision
//   control at 64 bits and rounding to nearest. Some systems (Windows,
//   FreeBSD) start processes at 53 bits, which silently rounds every
//   extended operation to double. Set in soft builds too, since the tests
//   hold the software format against the unit.
// - Every platform: subnormal float and double operands and results kept
//   as IEEE 754 has them, which every float and double step assumes, the
//   reader's among them. That is the default too, but a program linked
//   with -ffast-math starts with them flushed to zero (see
//   arithmetic_platform.h): a radius of 1e-40 would read as 0, and the
//   shares come out as nan.
// - Nothing for the soft back end, nor for the exponential factor's exact
//   path: its e^t, for |t| < 709.78125, fits MPFR's default exponent range.
void set_up_arithmetic() {
    std::fesetround(FE_TONEAREST);
    keep_subnormals();
#if KESTRION_LONG_DOUBLE_IS_X87
    set_x87_precision_and_rounding();
#endif
}

}  // namespace kestrion
