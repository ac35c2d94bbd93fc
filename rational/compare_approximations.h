// RBezier > Compare approximations: the three polynomial approximations of
// the rational curve side by side at the current App Dim, none of them kept.
#pragma once

#include "base/outcome.h"

namespace tambra {

// Least squares and consistent equation as their commands compute them,
// and the hybrid form's polynomial (HybridPolynomial), measured against
// the rational curve and drawn in their colours over it; one that cannot
// run is a row with its reason.
Outcome CompareApproximations(const CommandInput& input);

}  // namespace tambra
