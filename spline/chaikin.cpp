#include "spline/chaikin.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/c_locale.h"
#include "base/curve_deviation.h"
#include "base/canvas.h"
#include "base/model_limits.h"
#include "base/output_log.h"
#include "base/snapshots.h"
#include "numeric/coefficients.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void ClearBlock(Matrix& a, int rows, int cols) {
  for (int r = 0; r < rows; ++r) std::fill_n(a[r], cols, 0.0f);
}

// Rows 0 .. rows-1 of the 0-based block t applied to points 0 .. cols-1:
// sums in double in increasing column, stored in single precision.
SplinePolygonResult ApplyMatrix(const Matrix& t, int rows, const Point2* points, int cols) {
  SplinePolygon result;
  result.count = rows;
  for (int i = 0; i < rows; ++i) {
    double x = 0.0, y = 0.0;
    for (int j = 0; j < cols; ++j) {
      x += double(t[i][j]) * points[j].x;
      y += double(t[i][j]) * points[j].y;
    }
    result.points[i] = Point2{static_cast<float>(x), static_cast<float>(y)};
    if (!IsFinite(result.points[i])) return std::nullopt;
  }
  return result;
}

// The Bezier points of the three quartic pieces of seven control points on
// the knots 0,0,0,0,0,1,2,3,3,3,3,3.
constexpr double kQuarticBezier[13][7] = {
    {1, 0, 0, 0, 0, 0, 0},
    {0, 1, 0, 0, 0, 0, 0},
    {0, 1. / 2, 1. / 2, 0, 0, 0, 0},
    {0, 1. / 4, 7. / 12, 1. / 6, 0, 0, 0},
    {0, 1. / 8, 37. / 72, 11. / 36, 1. / 18, 0, 0},
    {0, 0, 4. / 9, 4. / 9, 1. / 9, 0, 0},
    {0, 0, 2. / 9, 5. / 9, 2. / 9, 0, 0},
    {0, 0, 1. / 9, 4. / 9, 4. / 9, 0, 0},
    {0, 0, 1. / 18, 11. / 36, 37. / 72, 1. / 8, 0},
    {0, 0, 0, 1. / 6, 7. / 12, 1. / 4, 0},
    {0, 0, 0, 0, 1. / 2, 1. / 2, 0},
    {0, 0, 0, 0, 0, 1, 0},
    {0, 0, 0, 0, 0, 0, 1},
};
constexpr int kQuarticPoints = 7;

// Quadratic: the inner control points stay, the midpoint of every inner
// leg joins two pieces.
void BuildQuadraticConversion(Matrix& t, int last) {
  const int rows = 2 * last - 1;
  ClearBlock(t, rows, last + 1);
  t[0][0] = 1.0f;
  t[rows - 1][last] = 1.0f;
  for (int r = 1; r < rows - 1; ++r) {
    if (r % 2 == 1) {
      t[r][(r + 1) / 2] = 1.0f;
    } else {
      t[r][r / 2] = t[r][r / 2 + 1] = 0.5f;
    }
  }
}

// Cubic: R splits the inner legs into thirds and the second and
// second-to-last legs in halves; S adds the midpoints of adjacent third
// points as the joints. T = S R.
void BuildCubicConversion(NumericScratch& scratch, int last) {
  const int m1 = 2 * last - 3, m2 = 3 * last - 6;
  Matrix& r = scratch.matrixB;
  ClearBlock(r, m1 + 1, last + 1);
  r[0][0] = r[1][1] = r[m1 - 1][last - 1] = r[m1][last] = 1.0f;
  if (last > 3) {
    r[2][1] = r[2][2] = 0.5f;
    r[m1 - 2][last - 2] = r[m1 - 2][last - 1] = 0.5f;
  }
  const float third = 1.0f / 3.0f, twoThirds = 2.0f / 3.0f;
  for (int row = 3; row <= m1 - 3; ++row) {
    const int c = (row + 1) / 2;
    r[row][c] = row % 2 == 1 ? twoThirds : third;
    r[row][c + 1] = row % 2 == 1 ? third : twoThirds;
  }
  Matrix& s = scratch.matrixA;
  ClearBlock(s, m2 + 1, m1 + 1);
  s[0][0] = s[1][1] = s[m2 - 1][m1 - 1] = s[m2][m1] = 1.0f;
  for (int row = 2; row <= m2 - 2; ++row) {
    const int c = 2 * ((row + 1) / 3);
    if (row % 3 == 2) s[row][c] = 1.0f;
    if (row % 3 == 1) s[row][c + 1] = 1.0f;
    if (row % 3 == 0) s[row][c] = s[row][c + 1] = 0.5f;
  }
  MatMul(s, r, scratch.matrixE, m2 + 1, m1 + 1, last + 1);
}

// Entry (h, j) of the split matrix of a piece of k points: rows 0 .. k-1
// the de Casteljau points of the left half at 1/2, C(h, j) / 2^h, rows
// k-1 .. 2k-2 the right half, mirrored.
double SplitWeight(int k, int h, int j) {
  if (h > k - 1) {
    h = 2 * k - 2 - h;
    j = k - 1 - j;
  }
  if (j < 0 || j > h) return 0.0;
  return Binomial(h, j) / std::ldexp(1.0, h);
}

// Last index after one refinement pass from last index `last`.
int RefinedLast(int last, int order) { return order == 3 ? 2 * last - 1 : 2 * last - 2; }

// Matrix S of one refinement pass (last index `last` to `next`) into
// matrixA; then matrixB becomes S when last is `first`, S times matrixB
// (through matrixE) otherwise, so that it maps the polygon of last index
// `first` to that of `next`.
void BuildRefinementMatrix(NumericScratch& scratch, int next, int last, int first, int order) {
  Matrix& s = scratch.matrixA;
  const int m = next, l = last;
  ClearBlock(s, m + 1, l + 1);
  if (order == 3) {
    s[0][0] = 1.0f;
    s[1][0] = s[1][1] = 0.5f;
    for (int r = 2; r <= m - 2; ++r) {
      const int j = r / 2;
      s[r][j] = r % 2 == 0 ? 0.75f : 0.25f;
      s[r][j + 1] = r % 2 == 0 ? 0.25f : 0.75f;
    }
    s[m - 1][l - 1] = s[m - 1][l] = 0.5f;
    s[m][l] = 1.0f;
  } else {
    for (int i = 0; i <= l - 5; ++i) s[2 * i + 4][i + 2] = s[2 * i + 4][i + 3] = 0.5f;
    s[2][1] = 0.75f, s[2][2] = 0.25f;
    s[m - 2][l - 2] = 0.25f, s[m - 2][l - 1] = 0.75f;
    s[1][0] = s[1][1] = 0.5f;
    s[m - 1][l - 1] = s[m - 1][l] = 0.5f;
    s[m][l] = 1.0f;
    s[0][0] = 1.0f;
    if (l == 3) s[2][1] = s[2][2] = 0.5f;
    // Vertex points from the edge points beside them.
    for (int i = 0; i <= l - 4; ++i) {
      const int j = i + 1;
      s[2 * i + 3][j] = 0.25f * s[2 * i + 2][j];
      s[2 * i + 3][j + 1] = 0.25f * (s[2 * i + 2][j + 1] + s[2 * i + 4][j + 1]) + 0.5f;
      s[2 * i + 3][j + 2] = 0.25f * s[2 * i + 4][j + 2];
    }
  }

  Matrix& b = scratch.matrixB;
  if (last == first) {
    for (int r = 0; r <= m; ++r) std::copy_n(s[r], l + 1, b[r]);
    return;
  }
  Matrix& e = scratch.matrixE;
  for (int r = 0; r <= m; ++r) {
    for (int c = 0; c <= first; ++c) {
      double sum = 0.0;
      for (int k = 0; k <= l; ++k) sum += double(s[r][k]) * b[k][c];
      e[r][c] = static_cast<float>(sum);
    }
  }
  for (int r = 0; r <= m; ++r) std::copy_n(e[r], first + 1, b[r]);
}

bool IsRefinableOrder(int order) { return order == 3 || order == 4; }

// The outcome of a knot elevation or reduction: `polygon` as the B-spline
// with clamped uniform knots, drawn in `mode`; when the kernel gave nothing,
// why (the order and count checked first).
Outcome SplineOutcome(const ModelState& m, const SplinePolygonResult& polygon, int mode,
                      const std::string& name, const std::string& failure) {
  if (!IsRefinableOrder(m.order)) {
    return Outcome::Refused(name + " works on quadratic and cubic B-splines (order 3 or 4); the "
                            "order is " + std::to_string(m.order));
  }
  if (m.pointCount < m.order) {
    return Outcome::Refused(name + " needs at least " + std::to_string(m.order) +
                            " points; this curve has " + std::to_string(m.pointCount));
  }
  if (!polygon) return Outcome::Refused(name + ": " + failure);
  CurveCopy curve = CurrentCurve(m);
  std::copy_n(polygon->points, polygon->count, curve.points);
  curve.pointCount = polygon->count;
  ClampedUniformKnots(curve.knots, polygon->count, m.order);
  Outcome outcome;
  outcome.drawings.push_back(Drawing{curve, DrawBSplineCurve, mode});
  outcome.summary = name + " " + std::to_string(m.pointCount) + " to " +
                    std::to_string(polygon->count) + " points";
  return outcome;
}

}  // namespace

SplinePolygonResult UniformBSplineToBezier(const Point2* points, int n, int order,
                                           NumericScratch& scratch) {
  if (points == nullptr || n < 1 || n > kMaxPoints) return std::nullopt;
  const int last = n - 1;
  Matrix& t = scratch.matrixE;
  int rows = 0;
  if (order == 3 && n >= 3 && 2 * last - 1 <= kMaxPoints) {
    rows = 2 * last - 1;
    BuildQuadraticConversion(t, last);
  } else if (order == 4 && n >= 4 && 3 * last - 5 <= kMaxPoints) {
    rows = 3 * last - 5;
    BuildCubicConversion(scratch, last);
  } else if (order == 5 && n == kQuarticPoints) {
    rows = 13;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < n; ++c) t[r][c] = static_cast<float>(kQuarticBezier[r][c]);
    }
  } else {
    return std::nullopt;
  }
  return ApplyMatrix(t, rows, points, n);
}

SplinePolygonResult SubdivideBezierPieces(const Point2* points, int n, int order) {
  if (points == nullptr || order < 2 || n < order || 2 * n > kMaxPoints) return std::nullopt;
  const int degree = order - 1;
  if ((n - 1) % degree != 0) return std::nullopt;
  const int period = 2 * degree;
  SplinePolygon result;
  result.count = 2 * n - 1;
  for (int i = 0; i < result.count; ++i) {
    const int h = i % period, base = i / period * degree;
    double x = 0.0, y = 0.0;
    // The last point starts a piece beyond the polygon: only its first
    // point, the old last one, exists (and has the weight 1).
    for (int j = 0; j < order && base + j < n; ++j) {
      const double w = SplitWeight(order, h, j);
      x += w * points[base + j].x;
      y += w * points[base + j].y;
    }
    result.points[i] = Point2{static_cast<float>(x), static_cast<float>(y)};
    if (!IsFinite(result.points[i])) return std::nullopt;
  }
  return result;
}

bool FitsSplineStorage(int count, int order) {
  return count >= 1 && count <= kMaxPoints && order >= 1 && OrderFitsKnots(count, order);
}

SplinePolygonResult RefineUniformBSpline(const Point2* points, int n, int order, int passes,
                                         NumericScratch& scratch) {
  if (points == nullptr || !IsRefinableOrder(order) || n < order || n > kMaxPoints) {
    return std::nullopt;
  }
  const int first = n - 1;
  int last = first, next = RefinedLast(last, order);
  if (!FitsSplineStorage(next + 1, order)) return std::nullopt;
  BuildRefinementMatrix(scratch, next, last, first, order);
  // Each pass almost doubles the count, so the storage ends the loop
  // after a few passes whatever `passes` says.
  for (int pass = 2; pass <= passes; ++pass) {
    const int after = RefinedLast(next, order);
    if (!FitsSplineStorage(after + 1, order)) break;
    last = next, next = after;
    BuildRefinementMatrix(scratch, next, last, first, order);
  }
  return ApplyMatrix(scratch.matrixB, next + 1, points, first + 1);
}

SplinePolygonResult CoarsenUniformBSpline(const Point2* points, int n, int order, int passes,
                                          NumericScratch& scratch) {
  if (points == nullptr || !IsRefinableOrder(order) || n < order || n > kMaxPoints) {
    return std::nullopt;
  }
  const int last = n - 1;
  // The first refinement maps last index c to 2c - 2 (order 4, even) or
  // 2c - 1 (order 3, odd).
  if (last % 2 != (order == 4 ? 0 : 1)) return std::nullopt;
  const int carry = order - 2;
  int c = (last + carry) / 2;
  // c shrinks with every pass while the coarse polygon is still a curve of
  // the order, so the loop ends after a few passes whatever `passes` says.
  for (int pass = 2; pass <= passes && c >= order - 1; ++pass) c = (c + carry) / 2;
  if (c < order - 1) return std::nullopt;

  int m = RefinedLast(c, order);
  BuildRefinementMatrix(scratch, m, c, c, order);
  for (int pass = 2; pass <= passes; ++pass) {
    const int from = m;
    m = RefinedLast(from, order);
    BuildRefinementMatrix(scratch, m, from, c, order);
  }
  // m <= last: the refinement of the coarse polygon reaches no further
  // than the given one.
  Matrix& a = scratch.matrixE;
  Matrix& normal = scratch.matrixA;
  Matrix& b = scratch.matrixB;
  for (int r = 0; r <= m; ++r) std::copy_n(b[r], c + 1, a[r]);
  for (int i = 0; i <= c; ++i) {
    for (int j = 0; j <= c; ++j) {
      double sum = 0.0;
      for (int l = 0; l <= m; ++l) sum += double(a[l][i]) * a[l][j];
      normal[i + 1][j + 1] = static_cast<float>(sum);
    }
    std::fill_n(b[i + 1] + 1, c + 1, 0.0f);  // the solver's right-hand block starts clean
  }
  if (SolveGaussJordan(normal, b, c + 1) == 0) return std::nullopt;
  // (A^T A)^-1 A^T, 0-based.
  for (int i = 0; i <= c; ++i) {
    for (int j = 0; j <= m; ++j) {
      double sum = 0.0;
      for (int l = 0; l <= c; ++l) sum += double(normal[i + 1][l + 1]) * a[j][l];
      b[i][j] = static_cast<float>(sum);
    }
  }
  return ApplyMatrix(b, c + 1, points, m + 1);
}

Outcome ChaikinMethod(const CommandInput& input) {
  const ModelState& m = input.model;
  const int order = m.order, n = m.pointCount;
  const std::string name = "Chaikin's method";
  // Only marks are drawn: the model is never written, whatever Save says.
  const SplinePolygonResult bezier = UniformBSplineToBezier(m.points, n, order, input.scratch);
  if (!bezier) {
    if (order == 5 && n != 7) {
      return Outcome::Refused(name + " of order 5 needs exactly 7 points; this curve has " +
                              ShortNumber(n));
    }
    if (order < 3 || order > 5) {
      return Outcome::Refused(name + " works on B-splines of order 3, 4 or 5; the order is " +
                              ShortNumber(order));
    }
    if (n < order) {
      return Outcome::Refused(name + " of order " + ShortNumber(order) + " needs at least " +
                              ShortNumber(order) + " points; this curve has " + ShortNumber(n));
    }
    return Outcome::Refused(name + ": the Bezier points of " + ShortNumber(n) +
                            " points would pass the capacity of 100 points");
  }
  // Every pass doubles the count, so the capacity ends the loop after a
  // few passes whatever chaikinSteps says.
  std::vector<SplinePolygon> passes;
  SplinePolygon current = *bezier;
  for (int pass = 0; pass < m.chaikinSteps; ++pass) {
    const SplinePolygonResult next = SubdivideBezierPieces(current.points, current.count, order);
    if (!next) break;
    passes.push_back(current = *next);
  }
  Outcome outcome;
  outcome.keepsResult = false;
  Drawing marks;
  marks.paint = [first = *bezier, passes, order](Platform& window) {
    const bool logging = Model().logActive == 1;
    if (logging) LogText("# In chaikin control polygon\r\n");
    DrawMarks(window, first.points, 0, first.count, kGreenMode);
    if (logging) LogText("# End data\r\n\r\n");
    Raster& dc = window.Canvas();
    for (const SplinePolygon& polygon : passes) {
      for (int i = 0; i < polygon.count; ++i) {
        const int mode = i % (order - 1) == 0 ? kBlueMode : kRedMode;
        FillSmallMark(dc, polygon.points[i].x, polygon.points[i].y, mode);
      }
    }
  };
  outcome.drawings.push_back(std::move(marks));
  outcome.summary = name + ": " + ShortNumber(bezier->count) + " Bezier points, " +
                    Counted(long(passes.size()), "subdivision", "subdivisions") + " to " +
                    ShortNumber(current.count) + " points";
  return outcome;
}

Outcome ChaikinKnotElevation(const CommandInput& input) {
  const ModelState& m = input.model;
  const SplinePolygonResult refined =
      RefineUniformBSpline(m.points, m.pointCount, m.order, m.chaikinSteps, input.scratch);
  return SplineOutcome(m, refined, kBlueMode, "Chaikin's knot elevation",
                       "the refined polygon would pass the storage or is not finite");
}

Outcome ChaikinKnotReduction(const CommandInput& input) {
  const ModelState& m = input.model;
  const SplinePolygonResult coarse =
      CoarsenUniformBSpline(m.points, m.pointCount, m.order, m.chaikinSteps, input.scratch);
  Outcome outcome =
      SplineOutcome(m, coarse, kRedMode, "Chaikin's knot reduction",
                    "the coarser polygon would have too few points, or the fit is singular");
  if (outcome.refusal.empty()) {
    // Both as the uniform B-splines the method takes them for.
    CurveCopy before = CurrentCurve(m);
    ClampedUniformKnots(before.knots, before.pointCount, before.order);
    AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kSpline, before},
                                       {MeasuredCurve::Form::kSpline, outcome.drawings.back().curve}));
  }
  return outcome;
}

}  // namespace tambra
