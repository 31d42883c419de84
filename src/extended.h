// The extended-precision type the share computation uses, chosen when the
// build is configured (KESTRION_EXTENDED): the x87 unit in hardware
// (native), the same format in software (soft), or GNU MPFR (mpfr, the
// reference the tests hold the others against). All three give the same bits.
#pragma once

#if defined(KESTRION_EXTENDED_MPFR)

#include "extended_mpfr.h"

namespace kestrion {
using Extended = MpfrExtended;
}

#elif defined(KESTRION_EXTENDED_SOFT)

#include "extended_soft.h"

namespace kestrion {
using Extended = SoftExtended;
}

#else

#include "extended_native.h"

#if !KESTRION_HAS_NATIVE_EXTENDED
#error "long double here is not the x87 80-bit format; configure with -DKESTRION_EXTENDED=soft (or auto)"
#endif

namespace kestrion {
using Extended = NativeExtended;
}

#endif
