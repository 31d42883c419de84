// The platform facts the arithmetic rests on, each decided here and nowhere
// else, and the process-wide set-up they call for (what is taken from the
// compiler and its library is in compiler.h). The build asks this header
// the same questions (CMakeLists.txt) to choose the extended-precision back
// end and the floating-point flags; the code that relies on a fact
// static_asserts it or tests it by its name.
#pragma once

#include <cfloat>

// long double is the x87 80-bit format: 64-bit significand, 15-bit exponent.
// So it is with GCC and Clang on x86 and x86-64; it is IEEE quad on 64-bit
// ARM Linux and s390x, a pair of doubles on POWER, and plain double with
// MSVC and on Apple silicon.
#if (defined(__i386__) || defined(__x86_64__)) && LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
#define KESTRION_LONG_DOUBLE_IS_X87 1
#else
#define KESTRION_LONG_DOUBLE_IS_X87 0
#endif

// float and double operations round to their own format, with no wider
// intermediate. The reader's and the exponential factor's fast paths are
// proven for that. 32-bit x86 computes them on the x87 unit unless told
// otherwise, so the build gives it SSE2 math (-mfpmath=sse).
#define KESTRION_DOUBLE_MATH_IS_DOUBLE (FLT_EVAL_METHOD == 0)

// The control registers that can make float and double arithmetic flush
// subnormals to zero, which a program's start-up may have turned on: one
// linked with -ffast-math, -Ofast or -funsafe-math-optimizations gets the
// compiler's crtfastmath.o, which sets them before main. On x86, MXCSR's
// flush-to-zero and denormals-are-zero (SSE, where 32-bit x86 builds do
// their float and double arithmetic too; the x87 unit has no such mode); on
// 64-bit ARM, FPCR's flush-to-zero; on 32-bit ARM with a floating-point
// unit (armhf), FPSCR's flush-to-zero.
#if (defined(__i386__) || defined(__x86_64__)) && defined(__SSE__)
#define KESTRION_HAS_MXCSR 1
#else
#define KESTRION_HAS_MXCSR 0
#endif
#if defined(__aarch64__)
#define KESTRION_HAS_AARCH64_FPCR 1
#else
#define KESTRION_HAS_AARCH64_FPCR 0
#endif
#if defined(__arm__) && defined(__ARM_FP)
#define KESTRION_HAS_ARM_FPSCR 1
#else
#define KESTRION_HAS_ARM_FPSCR 0
#endif

// The compiler has an unsigned 128-bit integer, unsigned __int128: GCC and
// clang on 64-bit targets; not on 32-bit ones (armhf, i386), nor MSVC.
#if defined(__SIZEOF_INT128__)
#define KESTRION_HAS_UINT128 1
#else
#define KESTRION_HAS_UINT128 0
#endif

// x86-64's divq, dividing a 128-bit number by a 64-bit one in one
// instruction, reachable with GNU inline assembly (GCC and clang).
#if defined(__x86_64__) && defined(__GNUC__)
#define KESTRION_HAS_DIVQ 1
#else
#define KESTRION_HAS_DIVQ 0
#endif

namespace kestrion {

// Sets what the arithmetic needs of the process, once, before the first
// computation: the program, every test, benchmark and fuzz driver call it.
void set_up_arithmetic();

}  // namespace kestrion
