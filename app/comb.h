// View > Curvature comb: over the current curve of any family, at dense
// parameters per knot span, a tooth along the normal as long as the signed
// curvature times a scale, and the line through the tooth tips. It is drawn
// with the curve, so it follows every drag step and every change, and it is
// part of the canvas's display list (exports, the legend).
#pragma once

#include <vector>

#include "base/curvature.h"
#include "base/platform.h"

namespace tambra {

// Teeth on the whole curve, shared among its spans.
inline constexpr int kCombTeeth = 2000;

// Turns the comb on (its scale fitted so that the longest tooth is about a
// fifth of the view) or off, and redraws the model.
void ToggleComb(Platform& window);
// Ctrl+wheel: the comb's teeth longer or shorter by a step each.
void ScaleComb(Platform& window, int steps);
// Draws the comb of the model's curve when it is on; white in the erase
// mode, so a drag step takes it away with the curve.
void DrawComb(Platform& window, int mode);
// The teeth of the comb of the model's curve, run by run; empty when the
// comb is off or the curve has none.
std::vector<std::vector<CombTooth>> ShownComb();

}  // namespace tambra
