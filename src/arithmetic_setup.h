// The process-wide state the arithmetic relies on, set once at start-up by
// the program and by every test, benchmark and fuzz driver, before the
// first computation.
#pragma once

namespace kestrion {

void set_up_arithmetic();

}  // namespace kestrion
