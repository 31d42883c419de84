// Extended precision in hardware: long double where it is the x87 80-bit
// format (64-bit significand, 15-bit exponent, round to nearest even).
#pragma once

#include <cfloat>
#include <cstring>

#include "x87_encoding.h"

#define KESTRION_HAS_NATIVE_EXTENDED (LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384)

#if KESTRION_HAS_NATIVE_EXTENDED

namespace kestrion {

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

}  // namespace kestrion

#endif
