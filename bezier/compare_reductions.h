// Bezier > Compare reductions: the six degree reductions run side by side
// on the current curve, none of them kept.
#pragma once

#include "base/outcome.h"

namespace tambra {

// Simple, Eck, LSE, LSE (C0), LSE (C1) and LSE (C2), each as its own
// command would compute it (the LSE ones by the degree step), measured
// against the Bezier curve of the polygon and drawn in their colours over
// it; a reduction the polygon does not allow is a row with its reason.
Outcome CompareReductions(const CommandInput& input);

}  // namespace tambra
