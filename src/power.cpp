#include "power.h"

#include <limits>

namespace kestrion {

Extended power_from_log(Extended log_x, double y, ErrorLineSink& errors) {
    if (y == 0) return Extended(1.0);
    const Extended t = Extended(y) * log_x;
    if (t >= Extended(kPowerLimit)) {
        errors.write_error_line("\r\npow: OVERFLOW error\r\n");
        return Extended(std::numeric_limits<double>::infinity());
    }
    if (t <= Extended(-kPowerLimit)) return Extended(0.0);
    return exp(t);
}

}  // namespace kestrion
