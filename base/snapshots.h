// Edit > Copy / Paste, the snapshots the window takes while a command's
// result stands in the model to be drawn (restored afterwards unless Save is
// checked), and whole copies of the curve and the surface.
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

struct CurveCopy;
struct ModelState;
struct SurfaceCopy;
// The model's curve whole (every entry of every array), the starting point
// of a command's result: what the result does not change stays.
CurveCopy CurrentCurve(const ModelState& model);
// Makes `curve` the model's curve whole: its count and order, and every
// entry of its points, weights and knots (a result built from CurrentCurve
// keeps what it does not change, a terminating knot included).
void SetCurve(const CurveCopy& curve);
// The same for the surface fields: the net, its weights, knots, orders,
// steps and the packed triangle list, whole.
SurfaceCopy CurrentSurface(const ModelState& model);
void SetSurface(const SurfaceCopy& surface);

}  // namespace tambra
