#include "star_pair.h"

#include <unistd.h>

#include <cerrno>

#include "extended.h"
#include "power.h"

namespace kestrion {
namespace {

constexpr double kPlanck = 6.626176e-34;
constexpr double kLightSpeed = 299792458;
constexpr double kBoltzmann = 1.380662e-23;
constexpr double kExpBase = 2.71828182846;  // the 12-digit decimal, not e itself
constexpr double kAngstrom = 1e-10;

struct Constants {
    Extended log_base = log(Extended(kExpBase));
    // The extended value nearest 10^-13, finer than the double 1e-13 widened.
    Extended radiance_scale = Extended::from_decimal("1e-13");
};

const Constants& constants() {
    static const Constants c;
    return c;
}

class StandardErrorSink final : public ErrorLineSink {
public:
    void write_error_line(std::string_view line) override {
        const char* p = line.data();
        size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::write(STDERR_FILENO, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;  // standard error is the last resort; nothing to tell
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
};

// Steps 3 to 6 for one star: exponential factor, radiance, luminosity.
void compute_star(float temperature, float radius, float wavelength_m, float wavelength_m5,
                  float& radiance, float& luminosity, ErrorLineSink& errors) {
    const Constants& k = constants();
    const Extended h(kPlanck), c(kLightSpeed), lambda(wavelength_m);

    const double y = ((((h * c) / lambda) / Extended(kBoltzmann)) / Extended(temperature)).to_double();
    radiance = power_from_log(k.log_base, y, errors).to_float();

    Extended a = ((Extended(2.0f) * h) * c) * c;
    a = a / Extended(wavelength_m5);
    Extended b = Extended(radiance) - Extended(1.0f);
    b = Extended(1.0f) / b;
    a = a * b;
    a = a * k.radiance_scale;
    radiance = a.to_float();

    const Extended r(radius);
    luminosity = ((Extended(radiance) * r) * r).to_float();
}

}  // namespace

ErrorLineSink& standard_error_sink() {
    static StandardErrorSink sink;
    return sink;
}

void compute_shares(StarPairValues& v, ErrorLineSink& errors) {
    v.wavelength_m = (Extended(v.wavelength_angstrom) * Extended(kAngstrom)).to_float();
    const Extended lambda(v.wavelength_m);
    v.wavelength_m5 = ((((lambda * lambda) * lambda) * lambda) * lambda).to_float();

    compute_star(v.star1_temperature, v.star1_radius, v.wavelength_m, v.wavelength_m5,
                 v.star1_radiance, v.star1_luminosity, errors);
    compute_star(v.star2_temperature, v.star2_radius, v.wavelength_m, v.wavelength_m5,
                 v.star2_radiance, v.star2_luminosity, errors);

    const Extended l1(v.star1_luminosity), l2(v.star2_luminosity);
    v.star1_share = (l1 / (l1 + l2)).to_float();
    v.star2_share = (Extended(1.0f) - Extended(v.star1_share)).to_float();
}

}  // namespace kestrion
