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

// Both knot vectors are kept whole: an algorithm that changes the net size
// rewrites knots beyond the first netRows entries, and a partial copy would
// leave those changes behind after the restore.
void TakeSurfaceSnapshot() {
  ModelState& m = Model();
  SurfaceCopy& s = m.surfaceSnapshot;
  s.netRows = m.netRows;
  s.netCols = m.netCols;
  s.xOrder = m.xOrder;
  s.yOrder = m.yOrder;
  s.xDegreeStep = m.xDegreeStep;
  s.yDegreeStep = m.yDegreeStep;
  s.triangles = m.triangles;
  std::copy_n(m.xKnots, kMaxKnots, s.xKnots);
  std::copy_n(m.yKnots, kMaxKnots, s.yKnots);
  const int rows = std::clamp(m.netRows, 0, kMaxNet);
  const int cols = std::clamp(m.netCols, 0, kMaxNet);
  for (int i = 0; i < rows; ++i) {
    std::copy_n(m.net[i], cols, s.net[i]);
    std::copy_n(m.netWeights[i], cols, s.netWeights[i]);
  }
}

void RestoreSurfaceSnapshot() {
  ModelState& m = Model();
  const SurfaceCopy& s = m.surfaceSnapshot;
  m.netRows = s.netRows;
  m.netCols = s.netCols;
  m.xOrder = s.xOrder;
  m.yOrder = s.yOrder;
  m.xDegreeStep = s.xDegreeStep;
  m.yDegreeStep = s.yDegreeStep;
  m.triangles = s.triangles;
  std::copy_n(s.xKnots, kMaxKnots, m.xKnots);
  std::copy_n(s.yKnots, kMaxKnots, m.yKnots);
  const int rows = std::clamp(m.netRows, 0, kMaxNet);
  const int cols = std::clamp(m.netCols, 0, kMaxNet);
  for (int i = 0; i < rows; ++i) {
    std::copy_n(s.net[i], cols, m.net[i]);
    std::copy_n(s.netWeights[i], cols, m.netWeights[i]);
  }
  if (m.triangles == 1) PackTriangle();
}

}  // namespace tambra
