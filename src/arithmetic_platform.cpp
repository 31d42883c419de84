#include "arithmetic_platform.h"

#include <cfenv>
#include <cstdint>

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
// - Nothing for the soft back end, nor for the exponential factor's exact
//   path: its e^t, for |t| < 709.78125, fits MPFR's default exponent range.
void set_up_arithmetic() {
    std::fesetround(FE_TONEAREST);
#if KESTRION_LONG_DOUBLE_IS_X87
    set_x87_precision_and_rounding();
#endif
}

}  // namespace kestrion
