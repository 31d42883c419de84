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

// Receives the power function's overflow line, "\r\npow: OVERFLOW error\r\n".
class ErrorLineSink {
public:
    virtual void write_error_line(std::string_view line) = 0;

protected:
    ~ErrorLineSink() = default;
};

// Writes the line straight to standard error, unbuffered.
ErrorLineSink& standard_error_sink();

// Fills the working fields and both shares from the five typed fields.
// A star whose exponential overflows writes its error line to `errors`.
void compute_shares(StarPairValues& values, ErrorLineSink& errors = standard_error_sink());

}  // namespace kestrion
