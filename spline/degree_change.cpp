#include "spline/degree_change.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "base/atomic_file.h"
#include "base/c_locale.h"
#include "base/canvas.h"
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
bool CurveWeights(bool unit, float* weights) {
  const ModelState& m = Model();
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
void ShowBezierPoints(Platform& window, const Point2* points, int count, bool draw) {
  const bool logging = Model().logActive == 1;
  if (logging) LogText("# In debug control polygon\r\n");
  if (draw) DrawMarks(window, points, 0, count, kBlueMode);
  if (logging) LogText("# End data\r\n\r\n");
}

}  // namespace

float TerminatingKnot(float last) {
  if (last > 0.0f) return 0.0f;
  return std::nextafter(last, -std::numeric_limits<float>::infinity());
}

int UsableCurveKnots(int minOrder, bool bezierSplit) {
  const ModelState& m = Model();
  const int n = m.pointCount, k = m.order;
  if (k < minOrder || n < k || n > kMaxPoints || k > kMaxSplineOrder) return -1;
  if (static_cast<long long>(n) + k >= kKnotCapacity) return -1;  // room for the terminator
  const int used = ScanKnots(m.knots);
  if (used != n + k || !IsClampedKnotVector(m.knots, n, k)) return -1;
  if (!std::isfinite(TerminatingKnot(m.knots[used - 1]))) return -1;
  for (int i = 0; i < n; ++i) {
    if (!IsFinite(m.points[i])) return -1;
  }
  if (bezierSplit) {
    const KnotGroups g = Groups(m.knots, used);
    for (int i = 1; i + 1 < g.count; ++i) {
      if (g.mult[i] > k - 1) return -1;
    }
  }
  return used;
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
                              float* newKnots, int* newKnotCount) {
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
  Matrix& normal = MatrixA();
  Matrix& right = MatrixB();
  Matrix transposed;
  TransposeMatrix(b, transposed, rows, n);
  SparseMatMul(transposed, b, normal, n, rows, n);
  ShiftMatrixIndex(normal, n, n, 1);
  for (int i = 1; i <= n; ++i) std::fill_n(right[i] + 1, n, 0.0f);
  if (SolveGaussJordan(n) == 0) return -1;
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

bool WriteDump(Platform& window, const char* name, const std::string& text) {
  FileWriteFailure failure;
  if (WriteFileAtomically(name, text, failure)) return true;
  const char* action = failure.step == FileWriteStep::kWrite ? "Cannot write" : "Cannot create";
  const std::string message = std::string(action) + " \"" + name + "\": " + failure.reason;
  window.ReportError(message.c_str());
  return false;
}

void SplineDegreeElevation(Platform& window) {
  ModelState& m = Model();
  const int used = UsableCurveKnots(2, true);
  const int n = m.pointCount, k = m.order, t = m.degreeStep;
  if (used < 0 || t < 0 || t > kMaxSplineOrder) return;
  float w[kMaxPoints];
  if (!CurveWeights(m.curveKind == kBSpline, w)) return;
  SplineMatrices& s = SplineScratch();
  const int pieces = Groups(m.knots, used).count - 1;
  float knots[kMaxKnots];
  int knotCount = 0;
  const int bo = BuildSplineToBezierMatrix(s.splineToBezier, m.knots, used, k);
  const int be = BuildPiecewiseElevationMatrix(s.piecewiseElevation, k, t, pieces);
  if (bo < 0 || be < 0) return;
  const int count =
      BuildBezierToSplineMatrix(s.bezierToSpline, m.knots, used, k, t, knots, &knotCount);
  if (count < 1 || count > kMaxPoints) return;

  // The Bezier points before and after elevation (single-precision sums),
  // then the new polygon (sums in double).
  Point2 before[kMatrixSize], after[kMatrixSize], points[kMaxPoints];
  float weights[kMaxPoints];
  SparseMatMul(s.piecewiseElevation, s.splineToBezier, MatrixA(), be, bo, n);
  SparseMatMul(s.bezierToSpline, MatrixA(), MatrixB(), count, be, n);
  if (!MapPoints<float>(s.splineToBezier, bo, m.points, w, n, before, nullptr) ||
      !MapPoints<float>(MatrixA(), be, m.points, w, n, after, nullptr) ||
      !MapPoints<double>(MatrixB(), count, m.points, w, n, points, weights)) {
    return;
  }

  CurveResult result;
  ShowBezierPoints(window, before, bo, m.chaikinSteps == 0);
  ShowBezierPoints(window, after, be, m.chaikinSteps == 0);
  std::copy_n(points, count, m.points);
  std::copy_n(weights, count, m.weights);
  std::copy_n(knots, knotCount + 1, m.knots);
  m.pointCount = count;
  m.order = k + t;
  DrawNurbsCurve(window, kBlueMode);
}

void SplineDegreeReduction(Platform& window) {
  ModelState& m = Model();
  const int used = UsableCurveKnots(2, true);
  const int n = m.pointCount, k = m.order, t = m.degreeStep;
  // The reduced curve needs degree 1 at least.
  if (used < 0 || t < 0 || k - t < 2) return;
  // Every value but the last must be repeated more than t times.
  const KnotGroups g = Groups(m.knots, used);
  for (int v = 0; v + 1 < g.count; ++v) {
    if (g.mult[v] <= t) return;
  }
  // Unlike elevation, the weights of a B-spline are taken as they stand.
  float w[kMaxPoints];
  if (!CurveWeights(false, w)) return;
  float reduced[kMaxKnots];
  int reducedCount = 0;
  for (int v = 0; v < g.count; ++v) {
    for (int rep = t; rep < g.mult[v]; ++rep) reduced[reducedCount++] = g.value[v];
  }
  reduced[reducedCount] = TerminatingKnot(reduced[reducedCount - 1]);
  const int pieces = g.count - 1, newOrder = k - t, newCount = reducedCount - newOrder;
  if (newCount < newOrder || newCount > kMaxOneBasedSize) return;

  SplineMatrices& s = SplineScratch();
  Matrix& a = MatrixA();
  Matrix& b = MatrixB();
  Matrix& gram = MatrixE();
  const int bq = BuildSplineToBezierMatrix(s.splineToBezier, reduced, reducedCount, newOrder);
  const int bp = BuildPiecewiseElevationMatrix(s.piecewiseElevation, newOrder, t, pieces);
  if (bq < 0 || bp < 0 || BuildBernsteinGramMatrix(gram, k, pieces) != bp) return;

  std::string dump;
  AppendMatrix(dump, s.piecewiseElevation, bp, bq);
  AppendMatrix(dump, s.splineToBezier, bq, newCount);
  AppendMatrix(dump, gram, bp, bp);

  // K maps the reduced points to the Bezier points at the old degree; the
  // normal matrix K^T G K is inverted in MatrixA.
  Matrix& kmat = s.bezierToSpline;
  SparseMatMul(s.piecewiseElevation, s.splineToBezier, kmat, bp, bq, newCount);
  TransposeMatrix(kmat, b, bp, newCount);
  SparseMatMul(b, gram, s.reduction, newCount, bp, bp);
  SparseMatMul(s.reduction, kmat, a, newCount, bp, newCount);
  ShiftMatrixIndex(a, newCount, newCount, 1);
  for (int i = 1; i <= newCount; ++i) std::fill_n(b[i] + 1, newCount, 0.0f);
  if (SolveGaussJordan(newCount) == 0) return;
  ShiftMatrixIndex(a, newCount, newCount, 0);

  // The Bezier points E of the given curve, X = (K^T G K)^-1 K^T G and the
  // reduction matrix R = X E.
  if (BuildSplineToBezierMatrix(s.splineToBezier, m.knots, used, k) != bp) return;
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
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) {
    float sx = 0.0f, sy = 0.0f;
    for (int j = 0; j < n; ++j) {
      sx = static_cast<float>(double(m.points[j].x) * gram[j][i] + sx);
      sy = static_cast<float>(double(m.points[j].y) * gram[j][i] + sy);
    }
    sum = static_cast<float>(sum + double(m.points[i].x) * sx + double(m.points[i].y) * sy);
    FormatC(m.textBuffer, sizeof m.textBuffer, "%10.7f %10.7f \r\n", double(m.points[i].x),
            double(m.points[i].y));
    dump += m.textBuffer;
  }
  if (!std::isfinite(sum)) return;
  FormatC(m.textBuffer, sizeof m.textBuffer, "\r\nsum:=%10.7f\r\n", double(sum));
  dump += m.textBuffer;

  Point2 points[kMaxPoints];
  float weights[kMaxPoints];
  if (!MapPoints<float>(s.reduction, newCount, m.points, w, n, points, weights)) return;
  if (!WriteDump(window, "matrix.dat", dump)) return;

  CurveResult result;
  std::copy_n(points, newCount, m.points);
  std::copy_n(weights, newCount, m.weights);
  std::copy_n(reduced, reducedCount + 1, m.knots);
  m.pointCount = newCount;
  m.order = newOrder;
  DrawNurbsCurve(window, kRedMode);
}

}  // namespace tambra
