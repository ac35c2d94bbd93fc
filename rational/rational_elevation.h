// Rational degree elevation in homogeneous form.
#pragma once

#include "base/outcome.h"

namespace tambra {

// The same rational curve written with degreeStep more control points and
// weights, drawn in blue; kept in the model only while Save is checked. The
// weighted points are elevated like a polynomial curve's points, the weights
// alike, and the new points are the quotients. Works on the curve fields in
// either object mode. Refused when n is 0, n + r reaches 100, or a new
// weight is 0 or a result is not finite.
Outcome RationalDegreeElevation(const CommandInput& input);

}  // namespace tambra
