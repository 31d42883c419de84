// The share computation, written once over an extended-precision type `Ext`
// (in hardware or in software): every intermediate is an `Ext`, and every value
// stored in the record is rounded to single precision.
#pragma once

#include <limits>

#include "exponential_factor.h"
#include "star_pair.h"

namespace kestrion {

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

    // Two constants are extended values finer than a double, pinned as the
    // exact sum of two doubles (a 64-bit significand fits in 53 + 11 bits):
    // ln of the double kExpBase, and 10^-13, each rounded to nearest.
    Ext log_base = Ext(0x1.000000000062ep+0) + Ext(-0x1.6e8p-54);
    Ext radiance_scale = Ext(0x1.c25c268497682p-44) + Ext(-0x1.edp-99);
    Ext planck{kPlanck}, light_speed{kLightSpeed}, boltzmann{kBoltzmann}, angstrom{kAngstrom};
    Ext one{1.0f}, two{2.0f};
    Ext power_limit{kPowerLimit}, minus_power_limit{-kPowerLimit};
    // The products of constants that begin the exponent, h·c, and the
    // radiance prefactor, ((2·h)·c)·c: each the same extended value every cycle.
    Ext planck_light_speed = planck * light_speed;
    Ext radiance_numerator = ((two * planck) * light_speed) * light_speed;
};

// The power function x^y = e^(y·ln x) as stored in single precision, given
// ln x. t = y·ln x is extended; y == 0 gives 1; t >= kPowerLimit gives +inf
// and writes the overflow line; t <= -kPowerLimit gives 0 silently; else the
// store of e^t rounded to 64 bits, which is all the computation uses of it.
template <class Ext>
float stored_power(const Ext& log_x, double y, ErrorLineSink& errors) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();
    if (y == 0) return 1.0f;
    const Ext t = Ext(y) * log_x;
    if (t >= constants.power_limit) {
        errors.write_error_line(kOverflowLine);
        return std::numeric_limits<float>::infinity();
    }
    if (t <= constants.minus_power_limit) return 0.0f;
    const double t_hi = t.to_double();
    return exponential_factor(t_hi, (t - Ext(t_hi)).to_double());  // t - t_hi is exact
}

// Exponential factor, radiance and luminosity of one star. Both stars share
// ((h·c)/λ)/k and the radiance prefactor ((2h·c)·c)/λ⁵, computed once per
// pair in exactly the order each star's steps would compute them.
template <class Ext>
void compute_star(float temperature, float radius, const Ext& hc_over_lambda_k, const Ext& prefactor,
                  float& radiance, float& luminosity, ErrorLineSink& errors) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();

    const double y = (hc_over_lambda_k / Ext(temperature)).to_double();
    radiance = stored_power(constants.log_base, y, errors);

    const Ext reciprocal = constants.one / (Ext(radiance) - constants.one);  // 1 / (p - 1)
    radiance = ((prefactor * reciprocal) * constants.radiance_scale).to_float();

    const Ext r(radius);
    luminosity = ((Ext(radiance) * r) * r).to_float();
}

template <class Ext>
void compute_shares_with(StarPairValues& v, ErrorLineSink& errors) {
    const ShareConstants<Ext>& constants = ShareConstants<Ext>::get();
    v.wavelength_m = (Ext(v.wavelength_angstrom) * constants.angstrom).to_float();
    const Ext lambda(v.wavelength_m);
    v.wavelength_m5 = ((((lambda * lambda) * lambda) * lambda) * lambda).to_float();

    const Ext hc_over_lambda_k = (constants.planck_light_speed / lambda) / constants.boltzmann;
    const Ext prefactor = constants.radiance_numerator / Ext(v.wavelength_m5);

    // Star 1 in full, its error line included, before any work on star 2.
    compute_star<Ext>(v.star1_temperature, v.star1_radius, hc_over_lambda_k, prefactor, v.star1_radiance,
                      v.star1_luminosity, errors);
    compute_star<Ext>(v.star2_temperature, v.star2_radius, hc_over_lambda_k, prefactor, v.star2_radiance,
                      v.star2_luminosity, errors);

    const Ext l1(v.star1_luminosity), l2(v.star2_luminosity);
    v.star1_share = (l1 / (l1 + l2)).to_float();
    v.star2_share = (constants.one - Ext(v.star1_share)).to_float();
}

}  // namespace kestrion
