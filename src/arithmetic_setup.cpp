#include "arithmetic_setup.h"

#include <cfenv>
#include <cstdint>

#include "extended_mpfr.h"
#include "extended_native.h"

namespace kestrion {
namespace {

#if KESTRION_HAS_NATIVE_EXTENDED && (defined(__i386__) || defined(__x86_64__))
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

// What each part of the arithmetic needs, and why:
// - Every platform: rounding to nearest for float and double, which the
//   reader's and the exponential factor's fast paths assume. It is the
//   default, but a process may inherit another mode.
// - The native back end (x87): the x87 unit's own precision control at 64
//   bits and rounding to nearest. Some systems (FreeBSD, 32-bit Windows)
//   start processes at 53 bits, which silently rounds every extended
//   operation to double. Set wherever the x87 format exists, since the
//   tests hold the other back ends against it.
// - The MPFR back end: MPFR's exponent range narrowed to the x87 one with
//   its subnormals, or its results would not under- and overflow as the
//   hardware's do. MPFR keeps the range per thread, so a second computing
//   thread would call this too. Set in every build, for the tests.
// - The soft back end and the exponential factor's exact path: nothing.
//   The latter's e^t, for |t| < 709.78125, fits MPFR's default range and
//   the x87 one alike.
void set_up_arithmetic() {
    std::fesetround(FE_TONEAREST);
#if KESTRION_HAS_NATIVE_EXTENDED && (defined(__i386__) || defined(__x86_64__))
    set_x87_precision_and_rounding();
#endif
    MpfrExtended::set_up();
}

}  // namespace kestrion
