// The IEEE 754 binary formats values are stored in, single and double: each
// format's layout, and the one rounding step that every conversion to a
// binary format takes, to nearest with ties to even, a carry running on
// into the exponent. Reading a decimal, storing the exponential factor, the
// software extended format's stores and the printer's decoding all use
// these, and nothing else writes them out.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

namespace kestrion {

// An IEEE binary format: its significand's bits (the hidden one included)
// and its exponent bias.
struct IeeeFormat {
    int precision;
    int32_t bias;
};
inline constexpr IeeeFormat kSingle{24, 127};
inline constexpr IeeeFormat kDouble{53, 1023};

// A format's bits: the sign at the top, the biased exponent field, then
// the fraction. A field of 0 holds zeros and subnormals (fraction ·
// 2^(1 - bias - kFractionBits)); the all-ones field infinities (fraction 0)
// and NaNs; any other field f a normal number, (2^kFractionBits + fraction)
// · 2^(f - bias - kFractionBits).
template <IeeeFormat F>
struct IeeeLayout {
    static constexpr int kFractionBits = F.precision - 1;
    static constexpr uint64_t kHiddenBit = uint64_t{1} << kFractionBits;
    static constexpr uint64_t kFractionMask = kHiddenBit - 1;
    static constexpr uint64_t kExponentMask = 2 * static_cast<uint64_t>(F.bias) + 1;  // the all-ones field
    static constexpr int kSignShift = kFractionBits + std::bit_width(kExponentMask);
    static constexpr uint64_t kInfinity = kExponentMask << kFractionBits;
    static constexpr uint64_t kQuietNan = kInfinity | (kHiddenBit >> 1);
    // The significand's lowest bit is worth 2^(field - kLowBitOffset) in a
    // normal number, and 2^(1 - kLowBitOffset) in a subnormal.
    static constexpr int32_t kLowBitOffset = F.bias + kFractionBits;

    static constexpr bool negative(uint64_t bits) { return (bits >> kSignShift) != 0; }
    static constexpr uint64_t field(uint64_t bits) { return (bits >> kFractionBits) & kExponentMask; }
    static constexpr uint64_t fraction(uint64_t bits) { return bits & kFractionMask; }
};
using SingleLayout = IeeeLayout<kSingle>;
using DoubleLayout = IeeeLayout<kDouble>;

// 1 where a significand whose kept bits end in `kept` and whose dropped
// bits are `rest`, against `half` (half of the kept bits' last place),
// rounds up to nearest, ties to even: rest above half, or at it with the
// kept bits odd. Needs half a power of two and rest below 2 · half; half
// at least 2, so that the odd bit or'd into rest lifts exactly half above
// it and nothing below half up to it, unless rest is 0. A caller that
// knows only whether anything below rest's bits is nonzero (a sticky bit)
// passes rest and half doubled, with that bit in rest's lowest.
constexpr uint64_t rounds_up(uint64_t kept, uint64_t rest, uint64_t half) {
    assert(std::has_single_bit(half) && rest / 2 < half && (half >= 2 || rest == 0));
    return (rest | (kept & 1)) > half ? 1 : 0;
}

// The bits of ±significand · 2^(field - bias - kFractionBits), for
// `significand` the rounded kept bits: for a normal value the hidden bit
// with the fraction (field its exponent field), for a subnormal the
// fraction alone with field 1. The hidden bit lands in the field's lowest
// bit, so a rounding that carries out of the kept bits runs on into the
// exponent: from the subnormals to the least normal number, and from the
// largest finite one to infinity.
template <IeeeFormat F>
constexpr uint64_t ieee_bits(bool negative, int32_t field, uint64_t significand) {
    using L = IeeeLayout<F>;
    assert(field >= 1 && static_cast<uint64_t>(field) < L::kExponentMask && significand <= 2 * L::kHiddenBit);
    return (uint64_t{negative} << L::kSignShift) + (static_cast<uint64_t>(field - 1) << L::kFractionBits) +
           significand;
}

// The same, from the kept bits before rounding and their dropped bits:
// one rounding to nearest even, straight into the format.
template <IeeeFormat F>
constexpr uint64_t round_to_ieee(bool negative, int32_t field, uint64_t kept, uint64_t rest, uint64_t half) {
    return ieee_bits<F>(negative, field, kept + rounds_up(kept, rest, half));
}

}  // namespace kestrion
