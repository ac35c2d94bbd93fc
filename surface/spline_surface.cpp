#include "surface/spline_surface.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/model_limits.h"
#include "numeric/bspline_basis.h"
#include "numeric/knot_vector.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

// G + 1 samples of a direction fit a row of the projection store.
constexpr int kMaxSurfaceGrid = kMaxNet - 1;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr Point3 kSkipped{kNaN, kNaN, kNaN};

bool IsFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Whether the displays may sample the model. The knots are not looked at:
// the displays rebuild them.
bool Accepted(bool rational) {
  const ModelState& m = Model();
  const int n = m.netRows, cols = m.netCols, kx = m.xOrder, ky = m.yOrder;
  if (n < 1 || cols < 1 || n > kMaxNet || cols > kMaxNet) return false;
  if (kx < 1 || ky < 1 || n < kx || cols < ky) return false;
  if (!OrderFitsKnots(n, kx) || !OrderFitsKnots(cols, ky)) return false;
  if (m.grid < 1 || m.grid > kMaxSurfaceGrid) return false;
  // A value that is not finite would turn every sample into NaN (it meets
  // every basis value, the zeros included); nothing is drawn for it.
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < cols; ++j) {
      if (!IsFinite(m.net[i][j])) return false;
      if (rational && !std::isfinite(m.netWeights[i][j])) return false;
    }
  }
  return true;
}

// The basis values of one direction at one parameter: functions first ..
// first + used - 1, every other function being 0 there.
struct BasisWindow {
  int first;
  int used;
  const double* values;
};

// Writes the order's worth of values; the window is empty when the knots
// are refused.
BasisWindow WindowAt(const float* knots, int count, int order, double t, double* values) {
  const int first = BSplineBasisValues(knots, count, order, t, values);
  if (first < 0) return BasisWindow{-1, 0, values};
  return BasisWindow{first, std::min(order, count - first), values};
}

// The sums of the Part's point evaluation, over the functions that can be
// nonzero only. Every term left out is (P * 0) * B, (P * B) * 0 or (0 * B)
// * W with finite P, B and W, a signed zero; a sum that starts at +0 never
// becomes -0 (x + -x and +0 + -0 both give +0), so adding such a term never
// changes a bit of it, and the sums equal those over all N by M terms in the
// same increasing order.
Point3 SumPoint(bool rational, const BasisWindow& x, const BasisWindow& y) {
  if (x.first < 0 || y.first < 0) return kSkipped;
  const ModelState& m = Model();
  double sx = 0.0, sy = 0.0, sz = 0.0, sw = 0.0;
  for (int r = 0; r < x.used; ++r) {
    const int i = x.first + r;
    const double bx = x.values[r];
    for (int c = 0; c < y.used; ++c) {
      const int j = y.first + c;
      const double by = y.values[c];
      const Point3& p = m.net[i][j];
      if (rational) {
        const double w = bx * by * m.netWeights[i][j];
        sx += w * p.x;
        sy += w * p.y;
        sz += w * p.z;
        sw += w;
      } else {
        sx += double(p.x) * bx * by;
        sy += double(p.y) * bx * by;
        sz += double(p.z) * bx * by;
      }
    }
  }
  // Weights summing to 0 (weights never set, or of both signs) leave the
  // sample without a place (0 / 0 or x / 0), as does a quotient beyond the
  // float range; the view draws no segment touching it. Dividing by 1
  // changes no bit of the B-spline sums.
  const double d = rational ? sw : 1.0;
  const Point3 p{float(sx / d), float(sy / d), float(sz / d)};
  return IsFinite(p) ? p : kSkipped;
}

Point3 EvalSurfacePoint(bool rational, double u, double v) {
  const ModelState& m = Model();
  double bx[kMaxSplineOrder], by[kMaxSplineOrder];
  return SumPoint(rational, WindowAt(m.xKnots, m.netRows, m.xOrder, u, bx),
                  WindowAt(m.yKnots, m.netCols, m.yOrder, v, by));
}

void DrawSplineSurface(Platform& window, int mode, bool rational) {
  DrawControlNet(window, mode);
  if (!Accepted(rational)) return;
  ModelState& m = Model();
  ClampedUniformKnots(m.xKnots, m.netRows, m.xOrder);
  ClampedUniformKnots(m.yKnots, m.netCols, m.yOrder);
  const std::vector<Point3> samples = SampleSplineSurface(rational);
  const int rows = m.grid + 1;
  if (samples.size() != static_cast<std::size_t>(rows) * rows) return;
  DrawPointGrid(window, mode, samples.data(), rows, rows, rows);
}

}  // namespace

double SplineSurfaceParameter(float start, float end, int grid, int index) {
  if (index >= grid) return end;
  const double h = 1.0 / grid;
  return (double(end) - start) * h * index + start;
}

std::vector<Point3> SampleSplineSurface(bool rational) {
  if (!Accepted(rational)) return {};
  const ModelState& m = Model();
  const int g = m.grid, rows = g + 1, kx = m.xOrder, ky = m.yOrder;
  // The basis values of every sample row and column, computed once each.
  std::vector<double> xValues(static_cast<std::size_t>(rows) * kx);
  std::vector<double> yValues(static_cast<std::size_t>(rows) * ky);
  std::vector<BasisWindow> xs(rows), ys(rows);
  for (int a = 0; a < rows; ++a) {
    const double u = SplineSurfaceParameter(m.xKnots[kx - 1], m.xKnots[m.netRows], g, a);
    const double v = SplineSurfaceParameter(m.yKnots[ky - 1], m.yKnots[m.netCols], g, a);
    xs[a] = WindowAt(m.xKnots, m.netRows, kx, u, &xValues[static_cast<std::size_t>(a) * kx]);
    ys[a] = WindowAt(m.yKnots, m.netCols, ky, v, &yValues[static_cast<std::size_t>(a) * ky]);
    if (xs[a].first < 0 || ys[a].first < 0) return {};
  }
  std::vector<Point3> samples(static_cast<std::size_t>(rows) * rows);
  for (int a = 0; a < rows; ++a) {
    for (int b = 0; b < rows; ++b) samples[a * rows + b] = SumPoint(rational, xs[a], ys[b]);
  }
  return samples;
}

Point3 EvalBSplineSurfacePoint(double u, double v) { return EvalSurfacePoint(false, u, v); }
Point3 EvalNurbsSurfacePoint(double u, double v) { return EvalSurfacePoint(true, u, v); }

void DrawBSplineSurface(Platform& window, int mode) { DrawSplineSurface(window, mode, false); }
void DrawNurbsSurface(Platform& window, int mode) { DrawSplineSurface(window, mode, true); }

}  // namespace tambra
