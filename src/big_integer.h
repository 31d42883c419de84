// A fixed-size unsigned big integer, just enough for reading decimals
// exactly: 32-bit limbs, lowest first, on the stack, and constexpr, so that
// the table of powers of ten is built with it at compile time. Every step
// touches only the limbs in use, so a small value costs little in a large
// integer. No step allocates or throws; each states what it needs, and a
// debug build asserts it.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>

#include "decimal_words.h"

namespace kestrion {

template <int kLimbs>
class BigInteger {
public:
    static constexpr int kBits = 32 * kLimbs;

    constexpr BigInteger() = default;
    constexpr explicit BigInteger(uint64_t value) {
        for (; value != 0; value >>= 32) limb_[size_++] = static_cast<uint32_t>(value);
    }

    constexpr bool is_zero() const { return size_ == 0; }
    constexpr int bit_length() const { return size_ == 0 ? 0 : 32 * (size_ - 1) + std::bit_width(limb_[size_ - 1]); }

    // x · factor + addend; needs the result below 2^kBits.
    constexpr void multiply_add(uint32_t factor, uint32_t addend) {
        uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            carry += uint64_t{limb_[i]} * factor;
            limb_[i] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) {
            assert(size_ < kLimbs);
            limb_[size_++] = static_cast<uint32_t>(carry);
        }
        if (factor == 0 && addend == 0) size_ = 0;
    }

    // x · 10^n, nine decimal places at a time; needs the result below 2^kBits.
    constexpr void multiply_power_of_ten(int64_t n) {
        assert(n >= 0);
        for (; n >= 9; n -= 9) multiply_add(1'000'000'000, 0);
        multiply_add(static_cast<uint32_t>(kPowersOfTen[n]), 0);
    }

    // x · 2^n; needs the result below 2^kBits.
    constexpr void shift_left(int64_t n) {
        assert(n >= 0);
        if (size_ == 0 || n == 0) return;
        assert(bit_length() + n <= kBits);
        const int limbs = static_cast<int>(n / 32), bits = static_cast<int>(n % 32);
        const int top = size_ + limbs;  // the limb one past the shifted top, when the bits spill
        if (top < kLimbs) limb_[top] = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            if (bits != 0 && i + limbs + 1 < kLimbs) limb_[i + limbs + 1] |= limb_[i] >> (32 - bits);
            limb_[i + limbs] = limb_[i] << bits;
        }
        for (int i = 0; i < limbs; ++i) limb_[i] = 0;
        size_ = top < kLimbs && limb_[top] != 0 ? top + 1 : top;
    }

    // -1, 0 or 1 as x is below, equal to or above other.
    constexpr int compare(const BigInteger& other) const {
        if (size_ != other.size_) return size_ < other.size_ ? -1 : 1;
        for (int i = size_ - 1; i >= 0; --i) {
            if (limb_[i] != other.limb_[i]) return limb_[i] < other.limb_[i] ? -1 : 1;
        }
        return 0;
    }

    // x - other; needs x >= other.
    constexpr void subtract(const BigInteger& other) {
        assert(compare(other) >= 0);
        uint32_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            const uint64_t take = uint64_t{i < other.size_ ? other.limb_[i] : 0u} + borrow;
            borrow = limb_[i] < take ? 1 : 0;
            limb_[i] = static_cast<uint32_t>(limb_[i] - take);
        }
        trim();
    }

    // floor(x / divisor), returned, with x left as the remainder. Needs a
    // nonzero divisor and a quotient below 2^64. Restoring division, a
    // quotient bit at a time from the top.
    constexpr uint64_t divide(const BigInteger& divisor) {
        assert(!divisor.is_zero());
        const int top = bit_length() - divisor.bit_length();  // the quotient's top bit is here or one below
        if (top < 0) return 0;
        assert(top <= 64);
        BigInteger shifted = divisor;
        shifted.shift_left(top);
        uint64_t quotient = 0;
        for (int bit = top; bit >= 0; --bit) {
            quotient <<= 1;  // a bit 64 would be 0, by the quotient's bound
            if (compare(shifted) >= 0) {
                subtract(shifted);
                quotient |= 1;
            }
            shifted.shift_right_one();
        }
        return quotient;
    }

    // floor(x / divisor), with x left as the quotient and the remainder
    // returned; needs a nonzero divisor. Schoolbook division by one limb.
    constexpr uint32_t divide_by_limb(uint32_t divisor) {
        assert(divisor != 0);
        uint64_t rest = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            const uint64_t current = (rest << 32) | limb_[i];
            limb_[i] = static_cast<uint32_t>(current / divisor);  // below 2^32, as rest < divisor
            rest = current % divisor;
        }
        trim();
        return static_cast<uint32_t>(rest);
    }

private:
    constexpr void shift_right_one() {
        for (int i = 0; i < size_; ++i) {
            limb_[i] = (limb_[i] >> 1) | (i + 1 < size_ ? limb_[i + 1] << 31 : 0);
        }
        trim();
    }
    constexpr void trim() {
        while (size_ > 0 && limb_[size_ - 1] == 0) --size_;
    }

    uint32_t limb_[kLimbs]{};
    int size_ = 0;  // the limbs in use; those above are zero
};

}  // namespace kestrion
