#include "shell/snapshots.h"

#include <algorithm>

#include "shell/model_state.h"

namespace tambra {

namespace {

void SaveCurveTo(CurveCopy& copy) {
  const ModelState& m = Model();
  copy.pointCount = m.pointCount;
  copy.order = m.order;
  const int points = std::clamp(m.pointCount, 0, kMaxPoints);
  const int knots = std::clamp(m.pointCount + m.order, 0, kMaxKnots);
  std::copy_n(m.weights, points, copy.weights);
  std::copy_n(m.points, points, copy.points);
  std::copy_n(m.knots, knots, copy.knots);
}

void LoadCurveFrom(const CurveCopy& copy) {
  ModelState& m = Model();
  m.pointCount = copy.pointCount;
  m.order = copy.order;
  const int points = std::clamp(m.pointCount, 0, kMaxPoints);
  const int knots = std::clamp(m.pointCount + m.order, 0, kMaxKnots);
  std::copy_n(copy.weights, points, m.weights);
  std::copy_n(copy.points, points, m.points);
  std::copy_n(copy.knots, knots, m.knots);
}

}  // namespace

void CopyCurve() { SaveCurveTo(Model().copyBuffer); }

void PasteCurve() { LoadCurveFrom(Model().copyBuffer); }

void TakeSnapshot() { SaveCurveTo(Model().curveSnapshot); }

void RestoreSnapshot() {
  ModelState& m = Model();
  LoadCurveFrom(m.curveSnapshot);
  const int after = m.pointCount + m.order;
  if (after >= 0 && after < kMaxKnots) m.knots[after] = 0.0f;
}

// Copies the surface fields that ModelState and SurfaceCopy share. Both knot
// vectors are kept whole: an algorithm that changes the net size rewrites
// knots beyond the first netRows entries, and a partial copy would leave
// those changes behind after the restore.
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
  const int rows = std::clamp(from.netRows, 0, kMaxNet);
  const int cols = std::clamp(from.netCols, 0, kMaxNet);
  for (int i = 0; i < rows; ++i) {
    std::copy_n(from.net[i], cols, to.net[i]);
    std::copy_n(from.netWeights[i], cols, to.netWeights[i]);
  }
}

void TakeSurfaceSnapshot() { CopySurfaceFields(Model(), Model().surfaceSnapshot); }

void RestoreSurfaceSnapshot() {
  ModelState& m = Model();
  CopySurfaceFields(m.surfaceSnapshot, m);
  if (m.triangles == 1) PackTriangle();
}

}  // namespace tambra
