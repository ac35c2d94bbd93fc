#include "base/snapshots.h"

#include <algorithm>

#include "base/model_state.h"

namespace tambra {

namespace {

// Copies the curve fields that ModelState and CurveCopy share: the counts,
// then the used parts of the weights, points and knots.
template <typename From, typename To>
void CopyCurveFields(const From& from, To& to) {
  to.pointCount = from.pointCount;
  to.order = from.order;
  const int points = std::clamp(from.pointCount, 0, kMaxPoints);
  const int knots = std::clamp(from.pointCount + from.order, 0, kMaxKnots);
  std::copy_n(from.weights, points, to.weights);
  std::copy_n(from.points, points, to.points);
  std::copy_n(from.knots, knots, to.knots);
}

}  // namespace

void CopyCurve() { CopyCurveFields(Model(), Model().copyBuffer); }

void PasteCurve() { CopyCurveFields(Model().copyBuffer, Model()); }

CurveCopy CurrentCurve(const ModelState& model) {
  CurveCopy curve;
  curve.pointCount = model.pointCount;
  curve.order = model.order;
  std::copy_n(model.weights, kMaxPoints, curve.weights);
  std::copy_n(model.points, kMaxPoints, curve.points);
  std::copy_n(model.knots, kMaxKnots, curve.knots);
  return curve;
}

void SetCurve(const CurveCopy& curve) {
  ModelState& m = Model();
  m.pointCount = curve.pointCount;
  m.order = curve.order;
  std::copy_n(curve.weights, kMaxPoints, m.weights);
  std::copy_n(curve.points, kMaxPoints, m.points);
  std::copy_n(curve.knots, kMaxKnots, m.knots);
}

void TakeSnapshot() { CopyCurveFields(Model(), Model().curveSnapshot); }

void RestoreSnapshot() {
  ModelState& m = Model();
  CopyCurveFields(m.curveSnapshot, m);
  const int after = m.pointCount + m.order;
  if (after >= 0 && after < kMaxKnots) m.knots[after] = 0.0f;
}

// Copies the surface fields that ModelState and SurfaceCopy share. The knot
// vectors, the net, its weights and the packed list are kept whole: an
// algorithm that changes the net size or shape writes beyond the used part,
// and a partial copy would leave those changes behind after the restore.
template <typename From, typename To>
void CopySurfaceFields(const From& from, To& to) {
  to.netRows = from.netRows;
  to.netCols = from.netCols;
  to.xOrder = from.xOrder;
  to.yOrder = from.yOrder;
  to.xDegreeStep = from.xDegreeStep;
  to.yDegreeStep = from.yDegreeStep;
  to.triangles = from.triangles;
  std::copy_n(from.xKnots, kMaxKnots, to.xKnots);
  std::copy_n(from.yKnots, kMaxKnots, to.yKnots);
  std::copy_n(&from.net[0][0], kMaxNet * kMaxNet, &to.net[0][0]);
  std::copy_n(&from.netWeights[0][0], kMaxNet * kMaxNet, &to.netWeights[0][0]);
  std::copy_n(from.triangleList, kMaxTrianglePoints, to.triangleList);
}

SurfaceCopy CurrentSurface(const ModelState& model) {
  SurfaceCopy surface;
  CopySurfaceFields(model, surface);
  return surface;
}

void SetSurface(const SurfaceCopy& surface) { CopySurfaceFields(surface, Model()); }

void TakeSurfaceSnapshot() { CopySurfaceFields(Model(), Model().surfaceSnapshot); }

void RestoreSurfaceSnapshot() {
  ModelState& m = Model();
  CopySurfaceFields(m.surfaceSnapshot, m);
  if (m.triangles == 1) FollowTriangleList(m);
}

}  // namespace tambra
