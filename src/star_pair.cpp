#include "star_pair.h"

#include "extended.h"
#include "share_computation.h"

namespace kestrion {

void compute_shares(StarPairValues& values, ErrorLineSink& errors) { compute_shares_with<Extended>(values, errors); }

}  // namespace kestrion
