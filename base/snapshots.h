// Edit > Copy / Paste and the snapshots every algorithm takes before it
// changes the model, restored afterwards unless Save is checked.
#pragma once

namespace tambra {

void CopyCurve();
void PasteCurve();
void TakeSnapshot();
// Also writes 0.0 into the knot right after the restored used part.
void RestoreSnapshot();
void TakeSurfaceSnapshot();
// Re-packs the triangle list when the restored net is triangular.
void RestoreSurfaceSnapshot();

}  // namespace tambra
