// What the program takes from the compiler and its C++ library beyond the
// part of C++20 that every toolchain it is built with has alike (GCC 12
// with libstdc++, clang 13 and later with LLVM's libc++ 13 and later, as
// Xcode 14.0 to 14.2 and FreeBSD 13.1 give, and mingw-w64), each decided
// here and nowhere else.
#pragma once

#include <type_traits>
#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#endif

// Inlined whatever the compiler's own judgement, for the steps of the
// reader's and the computation's hot paths: inlined, their values stay in
// registers, where a call would pass them through memory.
#define KESTRION_INLINE [[gnu::always_inline]] inline
// Kept out of line, for the rare cases of those steps, so that the common
// path stays short where it is inlined.
#define KESTRION_RARE [[gnu::noinline, gnu::cold]] inline

namespace kestrion {

// The bits of `from` read as a `To` of the same size, usable in constant
// expressions: std::bit_cast where the library has it, else the builtin
// the compiler implements it with (GCC since 11, clang since 9), for the
// libraries that lack it (LLVM's libc++ before 14, Apple's before Xcode 14.3).
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From), "a bit cast keeps the size");
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

}  // namespace kestrion
