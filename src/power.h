// The power function behind each star's exponential factor, with its
// overflow and underflow lines.
#pragma once

#include "extended.h"
#include "star_pair.h"

namespace kestrion {

// |t| at or past this bound overflows (t > 0) or underflows (t < 0).
inline constexpr double kPowerLimit = 709.78125;

// x^y as e^(y·ln x), given ln x already computed: t = y·ln x in extended
// precision; t >= kPowerLimit gives +inf and writes the overflow line,
// t <= -kPowerLimit gives 0 silently; y == 0 gives 1.
Extended power_from_log(Extended log_x, double y, ErrorLineSink& errors);

inline Extended power(double x, double y, ErrorLineSink& errors) {
    return power_from_log(log(Extended(x)), y, errors);
}

}  // namespace kestrion
