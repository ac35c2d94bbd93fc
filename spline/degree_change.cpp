#include "spline/degree_change.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "base/snapshots.h"
#include "numeric/coefficients.h"
#include "numeric/knot_vector.h"
#include "numeric/spline_matrices.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

// Room for a knot copy that grows while knots are inserted.
constexpr int kGrowingKnots = kKnotCapacity + kMatrixSize + 1;

// The distinct values of a knot vector and their multiplicities.
struct KnotGroups {
  int count = 0;
  float value[kKnotCapacity];
  int mult[kKnotCapacity];
};

KnotGroups Groups(const float* knots, int used) {
  KnotGroups g;
  for (int i = 0; i < used; ++i) {
    if (g.count > 0 && knots[i] == g.value[g.count - 1]) {
      ++g.mult[g.count - 1];
    } else {
      g.value[g.count] = knots[i];
      g.mult[g.count++] = 1;
    }
  }
  return g;
}

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void ClearBlock(Matrix& a, int rows, int cols) {
  for (int i = 0; i < rows; ++i) std::fill_n(a[i], cols, 0.0f);
}

// The weights the homogeneous form (w P, w) of the current curve uses: 1
// for a B-spline, else the stored ones; false when one is 0 or not finite.
bool CurveWeights(const ModelState& m, bool unit, float* weights) {
  for (int i = 0; i < m.pointCount; ++i) {
    weights[i] = unit ? 1.0f : m.weights[i];
    if (weights[i] == 0.0f || !std::isfinite(weights[i])) return false;
  }
  return true;
}

// Maps the n points P with weights w through the first `rows` rows of `a`:
// weight v(i) = sum of a(i, j) w(j), point (sum of a(i, j) w(j) P(j)) /
// v(i). `Sum` is the type of the running sums: double where the sums are
// formed in double, float where each term is rounded into a single-precision
// sum. False when a weight comes out 0 or anything is not finite.
template <typename Sum>
bool MapPoints(const Matrix& a, int rows, const Point2* p, const float* w, int n, Point2* points,
               float* weights) {
  for (int i = 0; i < rows; ++i) {
    Sum x = 0, y = 0, v = 0;
    for (int j = 0; j < n; ++j) {
      const double aw = double(a[i][j]) * w[j];
      v = static_cast<Sum>(v + aw);
      x = static_cast<Sum>(x + aw * p[j].x);
      y = static_cast<Sum>(y + aw * p[j].y);
    }
    const float stored = static_cast<float>(v);
    if (stored == 0.0f || !std::isfinite(stored)) return false;
    points[i] = Point2{static_cast<float>(double(x) / v), static_cast<float>(double(y) / v)};
    if (!IsFinite(points[i])) return false;
    if (weights != nullptr) weights[i] = stored;
  }
  return true;
}

// Marks a Bezier polygon with its log section (empty when not drawn).
Drawing BezierPointMarks(const Point2* points, int count, bool draw) {
  std::vector<Point2> kept(points, points + count);
  Drawing marks;
  marks.paint = [kept = std::move(kept), draw](Platform& window) {
    const bool logging = Model().logActive == 1;
    if (logging) LogText("# In debug control polygon\r\n");
    if (draw) DrawMarks(window, kept.data(), 0, int(kept.size()), kBlueMode);
    if (logging) LogText("# End data\r\n\r\n");
  };
  return marks;
}

const char* KindName(const ModelState& m) { return m.curveKind == kNurbs ? "NURBS" : "B-spline"; }

// The new curve of a degree change, starting from the model's.
CurveCopy ChangedCurve(const ModelState& m, const Point2* points, const float* weights, int count,
                       const float* knots, int knotEntries, int order) {
  CurveCopy c = CurrentCurve(m);
  std::copy_n(points, count, c.points);
  std::copy_n(weights, count, c.weights);
  std::copy_n(knots, knotEntries, c.knots);
  c.pointCount = count;
  c.order = order;
  return c;
}

std::string ChangeSummary(const char* name, const ModelState& m, const CurveCopy& c) {
  return std::string(name) + ": order " + ShortNumber(m.order) + " to " + ShortNumber(c.order) + ", " +
         ShortNumber(m.pointCount) + " to " + ShortNumber(c.pointCount) + " points";
}

}  // namespace

float TerminatingKnot(float last) {
  if (last > 0.0f) return 0.0f;
  return std::nextafter(last, -std::numeric_limits<float>::infinity());
}

std::string CurveKnotsRefusal(const ModelState& m, const std::string& name, int minOrder,
                              bool bezierSplit) {
  const int n = m.pointCount, k = m.order;
  if (k < minOrder || k > kMaxSplineOrder) {
    return name + " needs an order from " + ShortNumber(minOrder) + " to " + ShortNumber(kMaxSplineOrder) +
           "; it is " + ShortNumber(k);
  }
  if (n < k) {
    return name + " needs at least " + ShortNumber(k) + " points for order " + ShortNumber(k) +
           "; this curve has " + ShortNumber(n);
  }
  if (n > kMaxPoints || static_cast<long long>(n) + k >= kKnotCapacity) {
    return name + " needs fewer than " + ShortNumber(kKnotCapacity) + " knots; the curve has " +
           ShortNumber(double(n) + k);
  }
  const int used = ScanKnots(m.knots);
  if (used != n + k || !IsClampedKnotVector(m.knots, n, k) ||
      !std::isfinite(TerminatingKnot(m.knots[used - 1]))) {
    return name + " needs a clamped knot vector of " + ShortNumber(n + k) +
           " knots (the first and the last " + ShortNumber(k) + " equal, none decreasing)";
  }
  for (int i = 0; i < n; ++i) {
    if (!IsFinite(m.points[i])) return name + " needs finite control points";
  }
  if (bezierSplit) {
    const KnotGroups g = Groups(m.knots, used);
    for (int i = 1; i + 1 < g.count; ++i) {
      if (g.mult[i] > k - 1) {
        return name + " needs interior knots repeated at most " + Times(k - 1) + "; " +
               ShortNumber(g.value[i]) + " is repeated " + Times(g.mult[i]);
      }
    }
  }
  return "";
}

int UsableCurveKnots(const ModelState& m, int minOrder, bool bezierSplit) {
  return CurveKnotsRefusal(m, "", minOrder, bezierSplit).empty() ? ScanKnots(m.knots) : -1;
}

void InsertKnotRows(Matrix& a, const float* knots, int r, float u, int lastCol, int lastRow,
                    int p) {
  if (p < 1 || r - p < 1 || r > lastRow || lastRow >= kMatrixSize || lastCol < 0 ||
      lastCol >= kMatrixSize || r - 1 + p >= kGrowingKnots) {
    return;
  }
  float fresh[kMatrixSize][kMatrixSize];
  for (int i = r - p; i < r; ++i) {
    const double span = double(knots[i + p]) - knots[i];
    const float alpha = span > 0.0 ? static_cast<float>((double(u) - knots[i]) / span) : 0.0f;
    for (int c = 0; c <= lastCol; ++c) {
      fresh[i - r + p][c] =
          static_cast<float>((1.0 - alpha) * a[i - 1][c] + double(alpha) * a[i][c]);
    }
  }
  for (int i = lastRow; i >= r; --i) std::copy_n(a[i - 1], lastCol + 1, a[i]);
  for (int i = r - p; i < r; ++i) std::copy_n(fresh[i - r + p], lastCol + 1, a[i]);
}

int BuildSplineToBezierMatrix(Matrix& a, const float* knots, int knotCount, int order) {
  const int m = knotCount - 1, p = order - 1, c = m - p - 1;
  if (p < 1 || knotCount > kKnotCapacity || c < p || c >= kMatrixSize) return -1;
  float u[kGrowingKnots];
  std::copy_n(knots, knotCount, u);
  ClearBlock(a, c + 1, c + 1);
  for (int i = 0; i <= c; ++i) a[i][i] = 1.0f;
  // Every interior value is inserted until it is repeated p times.
  const KnotGroups g = Groups(knots, knotCount);
  int pos = p, ins = 1;
  for (int v = 1; v + 1 < g.count; ++v) {
    pos += g.mult[v];
    for (int rep = g.mult[v]; rep < p; ++rep) {
      if (c + ins >= kMatrixSize) return -1;
      InsertKnotRows(a, u, pos, g.value[v], c, c + ins, p);
      for (int i = m + ins - 1; i >= pos; --i) u[i + 1] = u[i];
      u[pos++] = g.value[v];
      ++ins;
    }
  }
  return c + ins;
}

int BuildPiecewiseElevationMatrix(Matrix& e, int order, int step, int pieces) {
  const int p = order - 1, t = step, s = pieces;
  if (p < 1 || t < 0 || s < 1) return -1;
  const long long rows = static_cast<long long>(p + t) * s + 1,
                  cols = static_cast<long long>(p) * s + 1;
  if (rows > kMatrixSize || cols > kMatrixSize) return -1;
  ClearBlock(e, int(rows), int(cols));
  // The single piece, entry (j + q, j) = A1 c(q) A2 / D = C(p, j) C(t, q) /
  // C(p + t, j + q), written straight into the first piece: c(q) =
  // C(j + q, q) by running sums in single precision, A1 = t (t-1) ..
  // (t-q+1), A2 = (p-j+1) .. (p-j+t-q) and D = (p+1) .. (p+t) in double, each
  // product formed in that factor order.
  double d = 1.0;
  for (int f = p + 1; f <= p + t; ++f) d *= f;
  float c[kMatrixSize] = {1.0f};
  double falling[kMatrixSize], rising[kMatrixSize];
  falling[0] = 1.0;
  for (int q = 1; q <= t; ++q) falling[q] = falling[q - 1] * (t - q + 1);
  for (int j = 0; j <= p; ++j) {
    for (int q = 1; q <= t; ++q) c[q] = static_cast<float>(double(c[q]) + c[q - 1]);
    rising[t] = 1.0;
    for (int q = t - 1; q >= 0; --q) rising[q] = rising[q + 1] * (p - j + t - q);
    for (int q = 0; q <= t; ++q) {
      e[j + q][j] = static_cast<float>(falling[q] * c[q] * rising[q] / d);
    }
  }
  // Row 0 of every later piece is the last row of the piece before.
  for (int piece = 1; piece < s; ++piece) {
    for (int i = 1; i <= p + t; ++i) {
      std::copy_n(e[i], p + 1, e[i + (p + t) * piece] + p * piece);
    }
  }
  return int(rows);
}

int BuildBezierToSplineMatrix(Matrix& b, const float* knots, int knotCount, int order, int step,
                              float* newKnots, int* newKnotCount, NumericScratch& scratch) {
  if (knotCount < 1 || knotCount > kKnotCapacity || step < 0) return -1;
  const KnotGroups g = Groups(knots, knotCount);
  const long long count = knotCount + static_cast<long long>(g.count) * step;
  if (count >= kMaxKnots) return -1;  // room for the terminating entry
  int used = 0;
  for (int v = 0; v < g.count; ++v) {
    for (int rep = 0; rep < g.mult[v] + step; ++rep) newKnots[used++] = g.value[v];
  }
  newKnots[used] = TerminatingKnot(newKnots[used - 1]);
  *newKnotCount = used;
  const int q = order + step - 1, n = used - q - 1;
  if (n < 1 || n > kMaxOneBasedSize) return -1;
  // A: the Bezier points of the new knot vector from its control points.
  const int rows = BuildSplineToBezierMatrix(b, newKnots, used, order + step);
  if (rows < 0) return -1;
  // The normal matrix A^T A, inverted in MatrixA (1-based), then times A^T.
  Matrix& normal = scratch.matrixA;
  Matrix& right = scratch.matrixB;
  Matrix transposed;
  TransposeMatrix(b, transposed, rows, n);
  SparseMatMul(transposed, b, normal, n, rows, n);
  ShiftMatrixIndex(normal, n, n, 1);
  for (int i = 1; i <= n; ++i) std::fill_n(right[i] + 1, n, 0.0f);
  if (SolveGaussJordan(normal, right, n) == 0) return -1;
  ShiftMatrixIndex(normal, n, n, 0);
  SparseMatMul(normal, transposed, b, n, n, rows);
  for (int i = 0; i < n; ++i) {
    if (!std::all_of(b[i], b[i] + rows, [](float v) { return std::isfinite(v); })) return -1;
  }
  return n;
}

int BuildBernsteinGramMatrix(Matrix& g, int order, int pieces) {
  const int p = order - 1;
  if (p < 1 || pieces < 1 || static_cast<long long>(p) * pieces + 1 > kMatrixSize) return -1;
  const int size = p * pieces + 1;
  ClearBlock(g, size, size);
  for (int s = 0; s < pieces; ++s) {
    for (int i = 0; i <= p; ++i) {
      for (int j = 0; j <= p; ++j) {
        const double entry =
            Binomial(p, i) * Binomial(p, j) / (Binomial(2 * p, i + j) * (2 * p + 1));
        // A shared end point collects both pieces' contributions.
        g[s * p + i][s * p + j] = static_cast<float>(s > 0 && i == 0 && j == 0 ? 2 * entry : entry);
      }
    }
  }
  return size;
}

Outcome SplineDegreeElevation(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = std::string(KindName(m)) + " degree elevation";
  if (std::string why = CurveKnotsRefusal(m, name, 2, true); !why.empty()) {
    return Outcome::Refused(why);
  }
  const int used = ScanKnots(m.knots);
  const int n = m.pointCount, k = m.order, t = m.degreeStep;
  if (t < 0 || t > kMaxSplineOrder) {
    return Outcome::Refused(name + " needs a Degree step from 0 to " + ShortNumber(kMaxSplineOrder) +
                            "; it is " + ShortNumber(t));
  }
  float w[kMaxPoints];
  if (!CurveWeights(m, m.curveKind == kBSpline, w)) {
    return Outcome::Refused(name + " needs weights that are neither 0 nor infinite");
  }
  SplineMatrices& s = input.scratch.spline;
  const int pieces = Groups(m.knots, used).count - 1;
  float knots[kMaxKnots];
  int knotCount = 0;
  const int bo = BuildSplineToBezierMatrix(s.splineToBezier, m.knots, used, k);
  const int be = BuildPiecewiseElevationMatrix(s.piecewiseElevation, k, t, pieces);
  const int count = bo < 0 || be < 0 ? -1
                                     : BuildBezierToSplineMatrix(s.bezierToSpline, m.knots, used,
                                                                 k, t, knots, &knotCount,
                                                                 input.scratch);
  if (count < 1 || count > kMaxPoints) {
    return Outcome::Refused(name + " by " + ShortNumber(t) +
                            " would pass the capacity of 100 points, 99 knots or the matrices");
  }

  // The Bezier points before and after elevation (single-precision sums),
  // then the new polygon (sums in double).
  Point2 before[kMatrixSize], after[kMatrixSize], points[kMaxPoints];
  float weights[kMaxPoints];
  Matrix& product = input.scratch.matrixA;
  SparseMatMul(s.piecewiseElevation, s.splineToBezier, product, be, bo, n);
  SparseMatMul(s.bezierToSpline, product, input.scratch.matrixB, count, be, n);
  if (!MapPoints<float>(s.splineToBezier, bo, m.points, w, n, before, nullptr) ||
      !MapPoints<float>(product, be, m.points, w, n, after, nullptr) ||
      !MapPoints<double>(input.scratch.matrixB, count, m.points, w, n, points, weights)) {
    return Outcome::Refused(name + " gives a weight of 0 or a value that is not finite");
  }

  Outcome outcome;
  outcome.drawings.push_back(BezierPointMarks(before, bo, m.chaikinSteps == 0));
  outcome.drawings.push_back(BezierPointMarks(after, be, m.chaikinSteps == 0));
  const CurveCopy c = ChangedCurve(m, points, weights, count, knots, knotCount + 1, k + t);
  outcome.drawings.push_back(Drawing{c, DrawNurbsCurve, kBlueMode});
  outcome.summary = ChangeSummary(name.c_str(), m, c);
  return outcome;
}

Outcome SplineDegreeReduction(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = std::string(KindName(m)) + " degree reduction";
  if (std::string why = CurveKnotsRefusal(m, name, 2, true); !why.empty()) {
    return Outcome::Refused(why);
  }
  const int used = ScanKnots(m.knots);
  const int n = m.pointCount, k = m.order, t = m.degreeStep;
  // The reduced curve needs degree 1 at least.
  if (t < 0 || k - t < 2) {
    return Outcome::Refused(name + " needs a Degree step from 0 to " + ShortNumber(k - 2) +
                            " (the order less 2); it is " + ShortNumber(t));
  }
  // Every value but the last must be repeated more than t times.
  const KnotGroups g = Groups(m.knots, used);
  for (int v = 0; v + 1 < g.count; ++v) {
    if (g.mult[v] <= t) {
      return Outcome::Refused(name + " by " + ShortNumber(t) + " needs every knot repeated more than " +
                              Times(t) + " (an elevated curve); " + ShortNumber(g.value[v]) +
                              " is repeated " + Times(g.mult[v]));
    }
  }
  // Unlike elevation, the weights of a B-spline are taken as they stand.
  float w[kMaxPoints];
  if (!CurveWeights(m, false, w)) {
    return Outcome::Refused(name + " needs weights that are neither 0 nor infinite");
  }
  float reduced[kMaxKnots];
  int reducedCount = 0;
  for (int v = 0; v < g.count; ++v) {
    for (int rep = t; rep < g.mult[v]; ++rep) reduced[reducedCount++] = g.value[v];
  }
  reduced[reducedCount] = TerminatingKnot(reduced[reducedCount - 1]);
  const int pieces = g.count - 1, newOrder = k - t, newCount = reducedCount - newOrder;
  if (newCount < newOrder || newCount > kMaxOneBasedSize) {
    return Outcome::Refused(name + " would leave " + ShortNumber(newCount) + " points for order " +
                            ShortNumber(newOrder));
  }

  SplineMatrices& s = input.scratch.spline;
  Matrix& a = input.scratch.matrixA;
  Matrix& b = input.scratch.matrixB;
  Matrix& gram = input.scratch.matrixE;
  const std::string tooLarge = name + " would pass the capacity of the matrices";
  const int bq = BuildSplineToBezierMatrix(s.splineToBezier, reduced, reducedCount, newOrder);
  const int bp = BuildPiecewiseElevationMatrix(s.piecewiseElevation, newOrder, t, pieces);
  if (bq < 0 || bp < 0 || BuildBernsteinGramMatrix(gram, k, pieces) != bp) {
    return Outcome::Refused(tooLarge);
  }

  std::string dump;
  AppendMatrix(dump, s.piecewiseElevation, bp, bq);
  AppendMatrix(dump, s.splineToBezier, bq, newCount);
  AppendMatrix(dump, gram, bp, bp);

  // K maps the reduced points to the Bezier points at the old degree; the
  // normal matrix K^T G K is inverted in matrix A.
  Matrix& kmat = s.bezierToSpline;
  SparseMatMul(s.piecewiseElevation, s.splineToBezier, kmat, bp, bq, newCount);
  TransposeMatrix(kmat, b, bp, newCount);
  SparseMatMul(b, gram, s.reduction, newCount, bp, bp);
  SparseMatMul(s.reduction, kmat, a, newCount, bp, newCount);
  ShiftMatrixIndex(a, newCount, newCount, 1);
  for (int i = 1; i <= newCount; ++i) std::fill_n(b[i] + 1, newCount, 0.0f);
  if (SolveGaussJordan(a, b, newCount) == 0) {
    return Outcome::Refused(name + ": the least-squares system is singular");
  }
  ShiftMatrixIndex(a, newCount, newCount, 0);

  // The Bezier points E of the given curve, X = (K^T G K)^-1 K^T G and the
  // reduction matrix R = X E.
  if (BuildSplineToBezierMatrix(s.splineToBezier, m.knots, used, k) != bp) {
    return Outcome::Refused(tooLarge);
  }
  AppendMatrix(dump, s.splineToBezier, bp, n);
  SparseMatMul(a, s.reduction, b, newCount, newCount, bp);
  SparseMatMul(b, s.splineToBezier, s.reduction, newCount, bp, n);

  // The error form E^T G (I - H) E with H = K X.
  SparseMatMul(kmat, b, s.piecewiseElevation, bp, newCount, bp);
  for (int i = 0; i < bp; ++i) {
    for (int j = 0; j < bp; ++j) {
      a[i][j] = static_cast<float>((i == j ? 1.0 : 0.0) - s.piecewiseElevation[i][j]);
    }
  }
  SparseMatMul(gram, a, b, bp, bp, bp);
  SparseMatMul(b, s.splineToBezier, a, bp, bp, n);
  TransposeMatrix(s.splineToBezier, b, bp, n);
  SparseMatMul(b, a, gram, n, bp, n);
  AppendMatrix(dump, gram, n, n);
  // The squared distance P^T (error form) P, summed in single precision.
  char line[96];
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) {
    float sx = 0.0f, sy = 0.0f;
    for (int j = 0; j < n; ++j) {
      sx = static_cast<float>(double(m.points[j].x) * gram[j][i] + sx);
      sy = static_cast<float>(double(m.points[j].y) * gram[j][i] + sy);
    }
    sum = static_cast<float>(sum + double(m.points[i].x) * sx + double(m.points[i].y) * sy);
    FormatC(line, sizeof line, "%10.7f %10.7f \r\n", double(m.points[i].x), double(m.points[i].y));
    dump += line;
  }
  if (!std::isfinite(sum)) return Outcome::Refused(name + ": the error sum is not finite");
  FormatC(line, sizeof line, "\r\nsum:=%10.7f\r\n", double(sum));
  dump += line;

  Point2 points[kMaxPoints];
  float weights[kMaxPoints];
  if (!MapPoints<float>(s.reduction, newCount, m.points, w, n, points, weights)) {
    return Outcome::Refused(name + " gives a weight of 0 or a value that is not finite");
  }

  Outcome outcome;
  outcome.dumps.push_back(FileDump{"matrix.dat", std::move(dump)});
  const CurveCopy c = ChangedCurve(m, points, weights, newCount, reduced, reducedCount + 1, newOrder);
  outcome.drawings.push_back(Drawing{c, DrawNurbsCurve, kRedMode});
  outcome.measurements.push_back(Measurement{"error sum", sum});
  outcome.summary = ChangeSummary(name.c_str(), m, c) + "; error sum " + ShortNumber(sum);
  const CurveCopy before = CurrentCurve(m);
  AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kSpline, before, true},
                                     {MeasuredCurve::Form::kSpline, c, true}));
  return outcome;
}

}  // namespace tambra
