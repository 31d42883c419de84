// The extended-precision type the share computation uses: the x87 80-bit
// format in hardware where long double is that format, else emulated with
// MPFR. The build chooses (KESTRION_EXTENDED = auto, native or mpfr); both
// give the same bits.
#pragma once

#if defined(KESTRION_EXTENDED_MPFR)

#include "extended_mpfr.h"

namespace kestrion {
using Extended = MpfrExtended;
}

#else

#include "extended_native.h"

#if !KESTRION_HAS_NATIVE_EXTENDED
#error "long double here is not the x87 80-bit format; configure with -DKESTRION_EXTENDED=mpfr (or auto)"
#endif

namespace kestrion {
using Extended = NativeExtended;
}

#endif
