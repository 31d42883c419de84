#include "arithmetic_setup.h"

#include "extended_mpfr.h"

namespace kestrion {

// What each part of the arithmetic needs, and why:
// - The MPFR back end: MPFR's exponent range narrowed to the x87 one with
//   its subnormals, or its results would not under- and overflow as the
//   hardware's do. MPFR keeps the range per thread, so a second computing
//   thread would call this too. It is set up in every build: the tests hold
//   the other back ends against it.
// - The exponential factor's exact path: nothing; e^t for |t| < 709.78125
//   fits the x87 range and MPFR's default one alike.
// - The native back end: nothing.
void set_up_arithmetic() { MpfrExtended::set_up(); }

}  // namespace kestrion
