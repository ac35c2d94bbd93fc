// [SECTION] Shared helpers
// [SECTION] Elevation
// [SECTION] Least squares: free and C0 end conditions
// [SECTION] Least squares: C1 and C2 end conditions
// [SECTION] Simple and Eck
#include "numeric/bezier_degree.h"

#include <algorithm>
#include <cmath>

#include "numeric/coefficients.h"

namespace tambra {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Shared helpers

using Vec = Coords<2>;

float Round(double value) { return static_cast<float>(value); }

template <std::size_t D>
bool IsFinite(const Coords<D>& p) {
  return std::all_of(p.begin(), p.end(), [](float v) { return std::isfinite(v); });
}

template <std::size_t D>
PolygonResult<D> FiniteOrNothing(const Polygon<D>& polygon) {
  const auto* begin = polygon.points.data();
  if (!std::all_of(begin, begin + polygon.count, IsFinite<D>)) return std::nullopt;
  return polygon;
}

// Clears rows and columns 0..n of the solver's matrices (within their
// storage). The solver works on all of matrixB's block, and stale entries
// there would build up run after run until they overflow.
void ClearSolverMatrices(NumericScratch& scratch, int n) {
  const int last = std::min(n, kMatrixSize - 1);
  for (Matrix* matrix : {&scratch.matrixA, &scratch.matrixB}) {
    for (int i = 0; i <= last; ++i) std::fill_n((*matrix)[i], last + 1, 0.0f);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Elevation

template <std::size_t D>
PolygonResult<D> ElevateDegree(const Coords<D>* points, int n, int r, NumericScratch& scratch) {
  if (n <= 0 || r < 0 || n > kMatrixSize - r) return std::nullopt;
  const Matrix& m = scratch.matrixA;
  BuildElevationMatrix(scratch.matrixA, n, r, 0, ElevationPrecision::kDouble);
  Polygon<D> elevated;
  elevated.count = n + r;
  elevated.points[0] = points[0];
  // Column j of the matrix is zero outside rows j - r .. j. A zero term
  // leaves a sum of +0 or of any non-zero value as it was, so the rows before
  // that band are skipped; after it the sum may have rounded to -0, which a
  // zero term can turn into +0, so a zero sum takes the remaining rows as
  // before. 0 times a value that is not finite is NaN, so with such a point
  // every row is summed.
  const bool finite = std::all_of(points, points + n, IsFinite<D>);
  auto add = [&](Coords<D>& q, int i, int j) {
    for (std::size_t d = 0; d < D; ++d) q[d] = Round(q[d] + double(points[i][d]) * m[i][j]);
  };
  for (int j = 1; j < n + r; ++j) {
    Coords<D> q{};
    const int first = finite ? std::max(0, j - r) : 0;
    const int last = finite ? std::min(n - 1, j) : n - 1;
    for (int i = first; i <= last; ++i) add(q, i, j);
    if (std::any_of(q.begin(), q.end(), [](float v) { return v == 0.0f; })) {
      for (int i = last + 1; i < n; ++i) add(q, i, j);
    }
    if (!IsFinite(q)) return std::nullopt;
    elevated.points[j] = q;
  }
  return elevated;
}

// ---------------------------------------------------------------------------
// [SECTION] Least squares: free and C0

namespace {

// Sizes check, cleared solver matrices and the 1-based E of the free and C0
// variants; false when the reduction cannot run. E is stored 1-based, so its
// column index n must stay inside the storage.
bool PrepareOneBased(NumericScratch& scratch, int n, int r, int least,
                     ElevationPrecision precision = ElevationPrecision::kSingle) {
  if (r < 0 || n - r < least || n > kMaxOneBasedSize) return false;
  ClearSolverMatrices(scratch, n);
  BuildElevationMatrix(scratch.matrixE, n - r, r, 1, precision);
  return true;
}

// The least-squares matrix of the free and C0 variants, over the 1-based E in
// matrixE: with E' the rows shift + 1 .. shift + k and columns shift + 1 ..
// shift + cols of E, solves A = E' E'^T (1-based in matrixA) and forms B =
// A^-1 E' in matrixB, rows 1..k and columns 1..cols.
//
// E'(i, j) is 0 unless j - i is 0..band. A zero term leaves a sum that starts
// at +0 as it was, so the products skip what lies off the band: the same bits
// in a fraction of the time. A non-finite entry still reaches the diagonal
// of A, and the solver refuses it as before.
bool SolveNormalMatrix(NumericScratch& scratch, int k, int cols, int shift, int band) {
  const Matrix& e = scratch.matrixE;
  Matrix& a = scratch.matrixA;
  Matrix& b = scratch.matrixB;
  for (int i = 1; i <= k; ++i) {
    for (int l = 1; l <= k; ++l) {
      float sum = 0.0f;
      const int last = std::min(std::min(i, l) + band, cols);
      for (int j = std::max(i, l); j <= last; ++j) {
        sum = Round(sum + double(e[i + shift][j + shift]) * e[l + shift][j + shift]);
      }
      a[i][l] = sum;
    }
  }
  if (SolveGaussJordan(a, b, k) == 0) return false;
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= cols; ++j) {
      float sum = 0.0f;
      const int last = std::min(k, j);
      for (int l = std::max(1, j - band); l <= last; ++l) {
        sum = Round(sum + double(a[i][l]) * e[l + shift][j + shift]);
      }
      b[i][j] = sum;
    }
  }
  return true;
}

// out[i] = sum of B(i, j) data[j], i = 1..k, j = 1..cols, B 1-based in
// matrixB.
template <std::size_t D>
void ApplyNormalSolution(const NumericScratch& scratch, int k, int cols, const Coords<D>* data,
                         Coords<D>* out) {
  const Matrix& b = scratch.matrixB;
  for (int i = 1; i <= k; ++i) {
    Coords<D> q{};
    for (int j = 1; j <= cols; ++j) {
      for (std::size_t d = 0; d < D; ++d) q[d] = Round(q[d] + double(b[i][j]) * data[j][d]);
    }
    out[i] = q;
  }
}

template <std::size_t D>
bool SolveNormalEquations(NumericScratch& scratch, int k, int cols, int shift, int band,
                          const Coords<D>* data, Coords<D>* out) {
  if (!SolveNormalMatrix(scratch, k, cols, shift, band)) return false;
  ApplyNormalSolution(scratch, k, cols, data, out);
  return true;
}

}  // namespace

bool BuildLseReductionMatrix(int n, int r, int least, ElevationPrecision precision,
                             NumericScratch& scratch) {
  if (!PrepareOneBased(scratch, n, r, std::max(least, 1), precision)) return false;
  return SolveNormalMatrix(scratch, n - r, n, 0, r);
}

template <std::size_t D>
PolygonResult<D> ApplyLseReduction(const Coords<D>* points, int n, int m,
                                   const NumericScratch& scratch) {
  if (m < 1 || m > n || n > kMaxOneBasedSize) return std::nullopt;
  Coords<D> data[kMatrixSize];  // 1-based: data[j] = P(j-1)
  std::copy_n(points, n, data + 1);
  Coords<D> q[kMatrixSize];
  ApplyNormalSolution(scratch, m, n, data, q);
  Polygon<D> reduced;
  reduced.count = m;
  std::copy_n(q + 1, m, reduced.points.begin());
  return FiniteOrNothing(reduced);
}

template <std::size_t D>
PolygonResult<D> ReduceLse(const Coords<D>* points, int n, int r, NumericScratch& scratch) {
  if (!BuildLseReductionMatrix(n, r, kLeastLseFree, ElevationPrecision::kSingle, scratch)) {
    return std::nullopt;
  }
  return ApplyLseReduction(points, n, n - r, scratch);
}

template <std::size_t D>
PolygonResult<D> ReduceLseC0(const Coords<D>* points, int n, int r, NumericScratch& scratch) {
  if (!PrepareOneBased(scratch, n, r, kLeastLseC0)) return std::nullopt;
  const int m = n - r;
  const Matrix& e = scratch.matrixE;
  const Coords<D>& first = points[0];
  const Coords<D>& last = points[n - 1];
  // R(j) = P(j) - E(0, j) P(0) - E(m-1, j) P(n-1); E(i, j) is e[i + 1][j + 1].
  Coords<D> reducedData[kMatrixSize];
  for (int j = 1; j <= n - 2; ++j) {
    const double e0 = e[1][j + 1], e1 = e[m][j + 1];
    for (std::size_t d = 0; d < D; ++d) {
      reducedData[j][d] = Round(Round(points[j][d] - e0 * first[d]) - e1 * last[d]);
    }
  }
  Polygon<D> reduced;
  reduced.count = m;
  if (!SolveNormalEquations(scratch, m - 2, n - 2, 1, r, reducedData, reduced.points.data())) {
    return std::nullopt;
  }
  reduced.points[0] = first;
  reduced.points[m - 1] = last;
  return FiniteOrNothing(reduced);
}

// ---------------------------------------------------------------------------
// [SECTION] Least squares: C1 and C2
//
// The C1 and C2 variants write the new polygon as a fixed part F plus k
// scalar parameters u1..uk, each moving one point along a fixed direction;
// x and y are solved together.
//
//   C1 (k = 2m - 6)                    C2 (k = 2m - 8)
//   Q0      = P0                       Q0      = P0
//   Q1      = P0 + u1 T0               Q1      = P0 + u1 T0
//   Qi      = (u2i-2, u2i-1), 2..m-3   Q2      = P0 + 2 u1 T0 + u2 S0
//   Qm-2    = Pn-1 + uk T1             Qi      = (u2i-3, u2i-2), 3..m-4
//   Qm-1    = Pn-1                     Qm-3    = Pn-1 + 2 uk T1 + uk-1 S1
//                                      Qm-2    = Pn-1 + uk T1
//                                      Qm-1    = Pn-1

namespace {

struct TangentFrame {
  bool secondOrder;  // C2
  Vec t0, t1, s0, s1;
};

Vec Difference(const Vec& a, const Vec& b) {
  return Vec{Round(a[0] - double(b[0])), Round(a[1] - double(b[1]))};
}

// a - 2 b + c.
Vec SecondDifference(const Vec& a, const Vec& b, const Vec& c) {
  return Vec{Round(Round(a[0] - 2.0 * b[0]) + double(c[0])),
             Round(Round(a[1] - 2.0 * b[1]) + double(c[1]))};
}

float Dot(const Vec& a, const Vec& b) { return Round(double(a[0]) * b[0] + double(a[1]) * b[1]); }

// The unit vector along v; false when v has no length (or none that can be
// divided by), which leaves the direction undefined.
bool Normalise(Vec v, Vec& unit) {
  const float length = Round(std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1]));
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  unit = Vec{Round(v[0] / double(length)), Round(v[1] / double(length))};
  return IsFinite(unit);
}

int ParameterCount(int m, bool secondOrder) { return secondOrder ? 2 * m - 8 : 2 * m - 6; }

// The parameter of the x coordinate of free point i.
int FreeParameter(int i, bool secondOrder) { return secondOrder ? 2 * i - 3 : 2 * i - 2; }

// Direction matrix G: row i, parameter c (1-based c).
void BuildDirections(VectorMatrix& g, const TangentFrame& f, int m, int k) {
  for (int i = 0; i < m; ++i) std::fill_n(g[i], k + 1, Vec{});
  g[1][1] = f.t0;
  g[m - 2][k] = f.t1;
  int firstFree = 2, lastFree = m - 3;
  if (f.secondOrder) {
    g[2][2] = f.s0;
    g[m - 3][k - 1] = f.s1;
    firstFree = 3;
    lastFree = m - 4;
  }
  for (int i = firstFree; i <= lastFree; ++i) {
    const int c = FreeParameter(i, f.secondOrder);
    g[i][c] = Vec{1.0f, 0.0f};
    g[i][c + 1] = Vec{0.0f, 1.0f};
  }
}

PolygonResult<2> ReduceWithTangents(const Vec* p, int n, int r, NumericScratch& scratch,
                                    bool secondOrder) {
  const int least = secondOrder ? kLeastLseC2 : kLeastLseC1;
  if (r < 0 || n - r < least || n > kMatrixSize) return std::nullopt;
  const int m = n - r;
  const int k = ParameterCount(m, secondOrder);
  if (k > kMaxOneBasedSize) return std::nullopt;  // more unknowns than the solver holds
  const Vec& first = p[0];
  const Vec& last = p[n - 1];

  TangentFrame frame{secondOrder, {}, {}, {}, {}};
  if (!Normalise(Difference(p[1], p[0]), frame.t0)) return std::nullopt;
  if (!Normalise(Difference(p[n - 1], p[n - 2]), frame.t1)) return std::nullopt;
  if (secondOrder && (!Normalise(SecondDifference(p[2], p[1], p[0]), frame.s0) ||
                      !Normalise(SecondDifference(p[n - 1], p[n - 2], p[n - 3]), frame.s1))) {
    return std::nullopt;
  }

  ClearSolverMatrices(scratch, std::max(n, k));
  Matrix& e = scratch.matrixE;
  Matrix& a = scratch.matrixA;
  VectorMatrix& g = scratch.directions;
  VectorMatrix& h = scratch.design;
  BuildElevationMatrix(e, m, r, 0, ElevationPrecision::kSingle);
  if (secondOrder) {
    // The plain copy serves the residuals; the doubled dependence of Q2 on
    // u1 and of Qm-3 on uk goes into rows 1 and m-2 of E.
    Matrix& plain = scratch.elevationMatrix;
    for (int i = 0; i < m; ++i) std::copy_n(e[i], n, plain[i]);
    for (int j = 1; j <= n - 2; ++j) {
      e[1][j] = Round(e[1][j] + 2.0 * e[2][j]);
      e[m - 2][j] = Round(e[m - 2][j] + 2.0 * e[m - 3][j]);
    }
  }
  const Matrix& plainE = secondOrder ? scratch.elevationMatrix : scratch.matrixE;
  BuildDirections(g, frame, m, k);

  // Design vectors H(j, c) = sum over inner rows i of E(i, j) G(i, c), and
  // the normal matrix A(c, d) = sum over j of H(j, c) . H(j, d). G has one
  // non-zero row per parameter and H(., c) is zero off that row's band of E.
  // A zero term leaves a sum that starts at +0 as it was, so both sums skip
  // the zeros: the same bits in a fraction of the time. A non-finite E or H
  // still reaches the diagonal of A, and the solver refuses it as before.
  int from[kMatrixSize], to[kMatrixSize];  // where H(., c) is not zero
  for (int c = 1; c <= k; ++c) {
    int rows[kMatrixSize], count = 0;
    for (int i = 1; i <= m - 2; ++i) {
      if (g[i][c][0] != 0.0f || g[i][c][1] != 0.0f) rows[count++] = i;
    }
    from[c] = n - 1;
    to[c] = 0;
    for (int j = 1; j <= n - 2; ++j) {
      Vec sum{};
      for (int at = 0; at < count; ++at) {
        const int i = rows[at];
        sum[0] = Round(sum[0] + double(e[i][j]) * g[i][c][0]);
        sum[1] = Round(sum[1] + double(e[i][j]) * g[i][c][1]);
      }
      h[j][c] = sum;
      if (sum[0] != 0.0f || sum[1] != 0.0f) {
        from[c] = std::min(from[c], j);
        to[c] = j;
      }
    }
  }
  for (int c = 1; c <= k; ++c) {
    for (int d = 1; d <= k; ++d) {
      float sum = 0.0f;
      const int end = std::min(to[c], to[d]);
      for (int j = std::max(from[c], from[d]); j <= end; ++j) {
        sum = Round(sum + double(Dot(h[j][c], h[j][d])));
      }
      a[c][d] = sum;
    }
  }
  if (SolveGaussJordan(a, scratch.matrixB, k) == 0) return std::nullopt;

  // The fixed part: the end points repeated over the rows they anchor.
  const int anchored = secondOrder ? 3 : 2;
  Vec fixed[kMatrixSize] = {};
  for (int i = 0; i < anchored; ++i) {
    fixed[i] = first;
    fixed[m - 1 - i] = last;
  }
  Vec residual[kMatrixSize];
  for (int j = 1; j <= n - 2; ++j) {
    Vec rj = p[j];
    for (int i = 0; i < m; ++i) {
      rj[0] = Round(rj[0] - double(plainE[i][j]) * fixed[i][0]);
      rj[1] = Round(rj[1] - double(plainE[i][j]) * fixed[i][1]);
    }
    residual[j] = rj;
  }
  float rhs[kMatrixSize];
  for (int c = 1; c <= k; ++c) {
    float sum = 0.0f;
    for (int j = 1; j <= n - 2; ++j) sum = Round(sum + double(Dot(h[j][c], residual[j])));
    rhs[c] = sum;
  }
  float u[kMatrixSize];
  for (int c = 1; c <= k; ++c) {
    float sum = 0.0f;
    for (int d = 1; d <= k; ++d) sum = Round(sum + double(a[c][d]) * rhs[d]);
    u[c] = sum;
  }

  auto along = [](const Vec& base, double scale, const Vec& v) {
    return Vec{Round(base[0] + scale * v[0]), Round(base[1] + scale * v[1])};
  };
  Polygon<2> reduced;
  reduced.count = m;
  auto& q = reduced.points;
  q[0] = first;
  q[1] = along(first, u[1], frame.t0);
  q[m - 2] = along(last, u[k], frame.t1);
  q[m - 1] = last;
  int firstFree = 2, lastFree = m - 3;
  if (secondOrder) {
    q[2] = along(along(first, 2.0 * u[1], frame.t0), u[2], frame.s0);
    q[m - 3] = along(along(last, 2.0 * u[k], frame.t1), u[k - 1], frame.s1);
    firstFree = 3;
    lastFree = m - 4;
  }
  for (int i = firstFree; i <= lastFree; ++i) {
    const int c = FreeParameter(i, secondOrder);
    q[i] = Vec{u[c], u[c + 1]};
  }
  return FiniteOrNothing(reduced);
}

}  // namespace

PolygonResult<2> ReduceLseC1(const Coords<2>* points, int n, int r, NumericScratch& scratch) {
  return ReduceWithTangents(points, n, r, scratch, false);
}

PolygonResult<2> ReduceLseC2(const Coords<2>* points, int n, int r, NumericScratch& scratch) {
  return ReduceWithTangents(points, n, r, scratch, true);
}

// ---------------------------------------------------------------------------
// [SECTION] Simple and Eck

template <std::size_t D>
PolygonResult<D> ReduceSimple(const Coords<D>* points, int n, NumericScratch& scratch) {
  if (n < 4 || n > kMatrixSize) return std::nullopt;
  // S is the p-th forward difference, the coefficient of t^p of the curve.
  Coords<D> leading{};
  for (int i = 0; i < n; ++i) {
    const double sign = (n - 1 + i) % 2 == 0 ? 1.0 : -1.0;
    const double c = Binomial(n - 1, i);
    for (std::size_t d = 0; d < D; ++d) leading[d] = Round(leading[d] + sign * c * points[i][d]);
  }
  float h = 0.5f;
  for (int i = 0; i < n; ++i) h = Round(h * 2.0);
  // Subtracting (S / h)(2t - 1)^p leaves a curve of degree p - 1 on p + 1 points.
  Coords<D> shift;
  for (std::size_t d = 0; d < D; ++d) shift[d] = Round(leading[d] / double(h));
  Coords<D> adjusted[kMatrixSize];
  for (int i = 0; i < n; ++i) {
    const double sign = (n - 1 + i) % 2 == 0 ? -1.0 : 1.0;
    for (std::size_t d = 0; d < D; ++d) adjusted[i][d] = Round(points[i][d] + sign * shift[d]);
  }
  return ReduceLse(adjusted, n, 1, scratch);
}

template <std::size_t D>
PolygonResult<D> ReduceEck(const Coords<D>* p, int n) {
  if (n < 3 || n > kMatrixSize) return std::nullopt;
  const int m = n - 1;

  Coords<D> forward[kMatrixSize];
  forward[0] = p[0];
  for (int i = 1; i <= m - 1; ++i) {
    for (std::size_t d = 0; d < D; ++d) {
      forward[i][d] = Round((double(m) * p[i][d] - double(i) * forward[i - 1][d]) / (m - i));
    }
  }
  // backward[i] is the backward solution for new point i - 1.
  Coords<D> backward[kMatrixSize];
  backward[m] = p[m];
  for (int i = m - 1; i >= 1; --i) {
    for (std::size_t d = 0; d < D; ++d) {
      backward[i][d] = Round((double(m) * p[i][d] - double(m - i) * backward[i + 1][d]) / i);
    }
  }

  // Eck's weights: lambda_i = sum of C(2m, 2j) for j <= i, over w =
  // 2^(2m-1), and its complement 1 - lambda_i summed from the other end, both
  // in double. Near either end the weight of the recursion whose error has
  // grown like a binomial coefficient is tiny, and it must stay accurate
  // relative to itself: a lambda rounded to float (or 1 - lambda formed by
  // cancellation) lets that error through, and from m = 65 on w overflows a
  // float. Up to m = 12 every sum is an integer below 2^24 and the weights
  // equal single-precision ones exactly.
  const double w = std::pow(2.0, 2 * m - 1);
  double below[kMatrixSize + 1];  // below[i] = sum of C(2m, 2j), j <= i
  double above[kMatrixSize + 1];  // above[i] = sum of C(2m, 2j), j > i
  double sum = 0.0;
  for (int i = 0; i <= m; ++i) below[i] = sum += Binomial(2 * m, 2 * i);
  sum = 0.0;
  for (int i = m; i >= 0; --i) {
    above[i] = sum;
    sum += Binomial(2 * m, 2 * i);
  }
  Polygon<D> reduced;
  reduced.count = m;
  for (int i = 0; i < m; ++i) {
    const double lambda = below[i] / w;
    const double complement = above[i] / w;
    for (std::size_t d = 0; d < D; ++d) {
      reduced.points[i][d] = Round(complement * forward[i][d] + lambda * backward[i + 1][d]);
    }
  }
  return FiniteOrNothing(reduced);
}

// The planar curves and the homogeneous or spatial variants.
#define TAMBRA_INSTANTIATE(D)                                                              \
  template PolygonResult<D> ElevateDegree<D>(const Coords<D>*, int, int, NumericScratch&); \
  template PolygonResult<D> ReduceLse<D>(const Coords<D>*, int, int, NumericScratch&);     \
  template PolygonResult<D> ApplyLseReduction<D>(const Coords<D>*, int, int,               \
                                                 const NumericScratch&);                   \
  template PolygonResult<D> ReduceLseC0<D>(const Coords<D>*, int, int, NumericScratch&);   \
  template PolygonResult<D> ReduceSimple<D>(const Coords<D>*, int, NumericScratch&);       \
  template PolygonResult<D> ReduceEck<D>(const Coords<D>*, int);
TAMBRA_INSTANTIATE(2)
TAMBRA_INSTANTIATE(3)
#undef TAMBRA_INSTANTIATE

}  // namespace tambra
