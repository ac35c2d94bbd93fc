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

// The snapshot protocol of a command that shows a result, for the scope of
// one object: with Save off the snapshot is taken when it is made, the
// command computes into the model and draws, and the snapshot is restored
// when it ends; with Save on the result stays in the model.
//
//   { CurveResult result; ...apply to Model()...; DrawBezierCurve(window, kBlueMode); }
class CurveResult {
 public:
  CurveResult();
  ~CurveResult();
  CurveResult(const CurveResult&) = delete;
  CurveResult& operator=(const CurveResult&) = delete;

 private:
  bool keep_;
};

class SurfaceResult {
 public:
  SurfaceResult();
  ~SurfaceResult();
  SurfaceResult(const SurfaceResult&) = delete;
  SurfaceResult& operator=(const SurfaceResult&) = delete;

 private:
  bool keep_;
};

}  // namespace tambra
