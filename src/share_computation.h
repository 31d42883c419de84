// The share computation, written once over an extended-precision type `Ext`
// (in hardware or in software): every intermediate is an `Ext`, and every value
// stored in the record is rounded to single precision.
#pragma once

#include <limits>
#include <type_traits>

#include "compiler.h"
#include "exponential_factor.h"
#include "star_pair.h"

namespace kestrion {

// A constant of the computation as a back end holds it, made from the two
// doubles whose exact sum it is (the second 0 for a double): by default
// the back end's own value, computed once; a back end that says otherwise
// with a Constant type of its own holds that (native: the two doubles,
// which it loads and adds at each use, cheaper than loading its 80 bits).
template <class Ext, class = void>
struct ConstantOf {
    using type = Ext;
    static constexpr type make(double high, double low) { return Ext(high) + Ext(low); }
};
template <class Ext>
struct ConstantOf<Ext, std::void_t<typename Ext::Constant>> {
    using type = typename Ext::Constant;
    static constexpr type make(double high, double low) { return {high, low}; }
};

template <class Ext>
struct ShareConstants {
    static constexpr double kPlanck = 6.626176e-34;
    static constexpr double kLightSpeed = 299792458;
    static constexpr double kBoltzmann = 1.380662e-23;
    static constexpr double kExpBase = 2.71828182846;  // the 12-digit decimal, not e itself
    static constexpr double kAngstrom = 1e-10;

    static const ShareConstants& get() {
        static const ShareConstants constants;
        return constants;
    }

    using Constant = typename ConstantOf<Ext>::type;
    static constexpr Constant make(double high, double low = 0) { return ConstantOf<Ext>::make(high, low); }

    Constant boltzmann = make(kBoltzmann), angstrom = make(kAngstrom);
    Constant one = make(1.0), power_limit = make(kPowerLimit), minus_power_limit = make(-kPowerLimit);
    // Four are extended values finer than a double, pinned as the exact sum
    // of two doubles (a 64-bit significand fits in 53 + 11 bits): ln of the
    // double kExpBase and 10^-13, each rounded to nearest; and the products
    // of constants that begin the exponent, h·c, and the radiance
    // prefactor, ((2·h)·c)·c, each rounded as the extended arithmetic
    // rounds it (the tests hold all four to these rules).
    Constant log_base = make(0x1.000000000062ep+0, -0x1.6e8p-54);
    Constant radiance_scale = make(0x1.c25c268497682p-44, -0x1.edp-99);
    Constant planck_light_speed = make(0x1.ebd3f9b8d5ef6p-83, 0x1.4bp-137);
    Constant radiance_numerator = make(0x1.12a3e40ae69ap-53, -0x1.f08p-107);
};

// The power function's exponent t = y·ln x, taken apart for the stored
// factor: t as t_hi + t_lo, two doubles whose exact sum is the extended t
// (t_hi = double(t); t - t_hi is exact), or t_hi = +inf at and past the
// overflow limit, where the line is due, and -inf at and past the
// underflow limit. y = 0 needs no case of its own: t is then ±0, whose
// factor is 1.
struct PowerExponent {
    double t_hi;
    double t_lo;
    bool overflows;
};

// `x` stored into `field` (single or double precision), and the stored
// value widened back, as the next step reads it: a store and a load, or
// both at once where the back end has a step for it.
template <class Ext, class Field>
KESTRION_INLINE Ext store(Field& field, const Ext& x) {
    if constexpr (requires { x.store(field); }) {
        return x.store(field);
    } else {
        if constexpr (std::is_same_v<Field, float>) {
            field = x.to_float();
        } else {
            field = x.to_double();
        }
        return Ext(field);
    }
}

// t as t_hi + t_lo (t_hi = double(t), t - t_hi exact, then stored to
// double): from t's own bits where the back end has a step for it that
// takes t (it returns false for a t it leaves), else by the subtraction.
template <class Ext>
KESTRION_INLINE void split_to_doubles(const Ext& t, double& t_hi, double& t_lo) {
    if constexpr (requires { t.split_to_doubles(t_hi, t_lo); }) {
        if (t.split_to_doubles(t_hi, t_lo)) [[likely]] return;
    }
    const Ext stored_t_hi = store(t_hi, t);
    t_lo = (t - stored_t_hi).to_double();
}

// The power function's exponent for an exponent y (a double, widened to
// the back end's format) and ln x: t = y · ln x in extended precision,
// taken apart for the stored factor, or the overflow or underflow it
// reaches.
template <class Ext>
KESTRION_INLINE PowerExponent power_exponent(const Ext& log_x, const Ext& y) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();
    const Ext t = y * log_x;
    if (t >= Ext(constants.power_limit)) return {std::numeric_limits<double>::infinity(), 0, true};
    if (t <= Ext(constants.minus_power_limit)) return {-std::numeric_limits<double>::infinity(), 0, false};
    double t_hi, t_lo;
    split_to_doubles(t, t_hi, t_lo);
    return {t_hi, t_lo, false};
}

// The power function x^y = e^(y·ln x) as stored in single precision, from
// its exponent, in two steps: the overflow line, written from the overflow
// limit on, and the stored factor, +inf there, 0 from the underflow limit
// down, else the store of e^t rounded to 64 bits, which is all the
// computation uses of it. Apart, the two stars' lines can go out before
// either factor is computed, so that no value lives across the write.
KESTRION_INLINE void write_overflow_line(const PowerExponent& e, ErrorLineSink& errors) {
    if (e.overflows) [[unlikely]] errors.write_error_line(kOverflowLine);
}
KESTRION_INLINE float stored_power(const PowerExponent& e) { return exponential_factor(e.t_hi, e.t_lo); }

// A star's radiance from its stored exponential factor, and its
// luminosity, given the pair's radiance prefactor ((2h·c)·c)/λ⁵; returns
// the stored luminosity.
template <class Ext>
KESTRION_INLINE Ext radiance_and_luminosity(const Ext& prefactor, float radius, float& radiance, float& luminosity) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();
    const Ext one(constants.one);
    const Ext reciprocal = one / (Ext(radiance) - one);  // 1 / (p - 1)
    const Ext stored_radiance = store(radiance, (prefactor * reciprocal) * Ext(constants.radiance_scale));
    const Ext r(radius);
    return store(luminosity, (stored_radiance * r) * r);
}

// Every value is computed in the order the record's steps give for star 1
// in full, then star 2, and the overflow lines come in that order; the
// steps that write nothing outside the record are grouped where that keeps
// extended values from living across the calls to the exponential: both
// exponents, then both factors, then the rest. The two stars share
// ((h·c)/λ)/k and the radiance prefactor ((2h·c)·c)/λ⁵, computed once, in
// exactly the order each star's steps would compute them.
template <class Ext>
void compute_shares_with(StarPairValues& v, ErrorLineSink& errors) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();
    const Ext lambda = store(v.wavelength_m, Ext(v.wavelength_angstrom) * Ext(constants.angstrom));
    v.wavelength_m5 = ((((lambda * lambda) * lambda) * lambda) * lambda).to_float();

    const Ext hc_over_lambda_k = (Ext(constants.planck_light_speed) / lambda) / Ext(constants.boltzmann);
    const Ext log_base(constants.log_base);
    double y1, y2;
    const PowerExponent t1 = power_exponent(log_base, store(y1, hc_over_lambda_k / Ext(v.star1_temperature)));
    const PowerExponent t2 = power_exponent(log_base, store(y2, hc_over_lambda_k / Ext(v.star2_temperature)));
    write_overflow_line(t1, errors);
    write_overflow_line(t2, errors);
    v.star1_radiance = stored_power(t1);
    v.star2_radiance = stored_power(t2);

    const Ext prefactor = Ext(constants.radiance_numerator) / Ext(v.wavelength_m5);
    const Ext l1 = radiance_and_luminosity(prefactor, v.star1_radius, v.star1_radiance, v.star1_luminosity);
    const Ext l2 = radiance_and_luminosity(prefactor, v.star2_radius, v.star2_radiance, v.star2_luminosity);

    const Ext share = store(v.star1_share, l1 / (l1 + l2));
    v.star2_share = (Ext(constants.one) - share).to_float();
}

}  // namespace kestrion
