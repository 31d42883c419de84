// The star-pair record and the computation of each star's share of the
// pair's light at one wavelength.
#pragma once

#include <string_view>

namespace kestrion {

// Every field is single precision; the record starts zero-filled and keeps
// its values from one cycle to the next.
struct StarPairValues {
    float star1_radius = 0;
    float star2_radius = 0;
    float star1_temperature = 0;
    float star2_temperature = 0;
    float wavelength_angstrom = 0;
    float wavelength_m = 0;
    float wavelength_m5 = 0;
    float star1_radiance = 0;  // the exponential factor first, then the radiance
    float star2_radiance = 0;
    float star1_luminosity = 0;
    float star2_luminosity = 0;
    float star1_share = 0;
    float star2_share = 0;
};

// What a star whose power function overflows writes, unbuffered, to
// standard error.
inline constexpr std::string_view kOverflowLine = "\r\npow: OVERFLOW error\r\n";

// Receives the overflow line: the computation's only way out. It must not
// throw, so that compute_shares always completes and leaves a whole record;
// a sink that cannot write keeps the failure to report it afterwards.
class ErrorLineSink {
public:
    virtual void write_error_line(std::string_view line) noexcept = 0;

protected:
    ~ErrorLineSink() = default;
};

// Fills the working fields and both shares from the five typed fields.
// A star whose exponential overflows writes kOverflowLine to `errors`.
void compute_shares(StarPairValues& values, ErrorLineSink& errors);

}  // namespace kestrion
