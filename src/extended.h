// The extended-precision type the share computation uses, chosen when the
// build is configured (KESTRION_EXTENDED): the x87 unit in hardware
// (native), or the same format in software (soft). Both give the same bits.
#pragma once

#include <cstring>

#include "arithmetic_platform.h"
#include "extended_encoding.h"
#include "extended_soft.h"

namespace kestrion {

#if KESTRION_LONG_DOUBLE_IS_X87

// Extended precision in hardware: long double in the x87 80-bit format,
// with the unit set to a 64-bit significand and rounding to nearest even
// (set_up_arithmetic).
class NativeExtended {
public:
    explicit NativeExtended(float f) : v_(f) {}
    explicit NativeExtended(double d) : v_(d) {}
    // The x87 layout in memory: significand, then sign and exponent.
    static NativeExtended from_encoding(X87Encoding e) {
        unsigned char bytes[sizeof(long double)] = {};
        std::memcpy(bytes, &e.significand, 8);
        std::memcpy(bytes + 8, &e.sign_exponent, 2);
        long double v;
        std::memcpy(&v, bytes, sizeof v);
        return NativeExtended(v);
    }
    X87Encoding encoding() const {
        X87Encoding e;
        std::memcpy(&e.significand, &v_, 8);
        std::memcpy(&e.sign_exponent, reinterpret_cast<const unsigned char*>(&v_) + 8, 2);
        return e;
    }

    float to_float() const { return static_cast<float>(v_); }
    double to_double() const { return static_cast<double>(v_); }

    // A constant held as the two doubles whose exact sum it is (`low` 0 for
    // a double), loaded as doubles and added, which is exact: an 80-bit
    // load costs several times as much. The empty asm keeps the compiler
    // from folding the sum into one 80-bit constant, which it would load whole.
    struct Constant {
        double high;
        double low;
    };
    explicit NativeExtended(const Constant& c) : v_(c.high) {
        if (c.low != 0) {
            __asm__("" : "+t"(v_));
            v_ += c.low;
        }
    }

    friend NativeExtended operator+(NativeExtended a, NativeExtended b) { return NativeExtended(a.v_ + b.v_); }
    friend NativeExtended operator-(NativeExtended a, NativeExtended b) { return NativeExtended(a.v_ - b.v_); }
    friend NativeExtended operator*(NativeExtended a, NativeExtended b) { return NativeExtended(a.v_ * b.v_); }
    friend NativeExtended operator/(NativeExtended a, NativeExtended b) { return NativeExtended(a.v_ / b.v_); }
    friend bool operator>=(NativeExtended a, NativeExtended b) { return a.v_ >= b.v_; }
    friend bool operator<=(NativeExtended a, NativeExtended b) { return a.v_ <= b.v_; }

private:
    explicit NativeExtended(long double v) : v_(v) {}
    long double v_;
};

#endif

#if defined(KESTRION_EXTENDED_SOFT)
using Extended = SoftExtended;
#else
static_assert(KESTRION_LONG_DOUBLE_IS_X87,
              "the native back end needs long double in the x87 80-bit format; configure with -DKESTRION_EXTENDED=soft");
using Extended = NativeExtended;
#endif

}  // namespace kestrion
