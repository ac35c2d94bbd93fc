// [SECTION] Shared frame: elevation matrix, result commit, snapshot protocol
// [SECTION] Least squares: free, C0, C1 and C2 end conditions
// [SECTION] Simple and Eck reductions
//
// Every reduction computes its new polygon into local storage first and
// writes it into the model only when it is complete and finite, so a
// reduction that cannot run leaves the model, the picture and the log alone.
#include "bezier/degree_reduction.h"

#include <algorithm>
#include <cmath>

#include "bezier/bezier_display.h"
#include "numeric/coefficients.h"
#include "numeric/matrix.h"
#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"

namespace tambra {

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Shared frame

// Least number of new points of each least-squares variant.
constexpr int kLeastFree = 3;
constexpr int kLeastC0 = 3;
constexpr int kLeastC1 = 4;
constexpr int kLeastC2 = 6;

// A 2-D vector in single precision, formed from double arithmetic.
struct Vec {
  float x = 0.0f;
  float y = 0.0f;
};

float Round(double value) { return static_cast<float>(value); }

Vec Difference(const Point2& a, const Point2& b) { return Vec{Round(a.x - double(b.x)), Round(a.y - double(b.y))}; }

float Dot(const Vec& a, const Vec& b) { return Round(double(a.x) * b.x + double(a.y) * b.y); }

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The unit vector along v; false when v has no length (or none that can be
// divided by), which leaves the direction undefined.
bool Normalise(Vec v, Vec& unit) {
  const float length = Round(std::sqrt(double(v.x) * v.x + double(v.y) * v.y));
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  unit = Vec{Round(v.x / double(length)), Round(v.y / double(length))};
  return std::isfinite(unit.x) && std::isfinite(unit.y);
}

// The m by n elevation matrix E(i, j) = C(m-1, i) C(r, j-i) / C(n-1, j),
// n = m + r, with its three running products in single precision; entry
// (i, j) is stored at e[i + base][j + base].
void BuildReductionElevation(Matrix& e, int m, int r, int base) {
  const int n = m + r;
  float c[kMatrixSize] = {};
  float denominator = 1.0f;
  for (int f = m; f <= n - 1; ++f) denominator = Round(double(denominator) * f);
  for (int i = 0; i < m; ++i) {
    c[0] = 1.0f;
    for (int k = 1; k <= r; ++k) c[k] = Round(double(c[k]) + c[k - 1]);
    for (int k = 0; k <= r; ++k) {
      float falling = 1.0f;
      for (int f = r; f >= r - k + 1; --f) falling = Round(double(falling) * f);
      float rising = 1.0f;
      for (int f = m - i; f <= m - i + r - k - 1; ++f) rising = Round(double(rising) * f);
      e[i + base][i + k + base] = Round(double(falling) * c[k] * rising / denominator);
    }
  }
}

// Clears rows and columns 0..n of the work matrices (within their storage).
// n must cover the solver's block as well as the points: the solver works on
// all of MatrixB's block, and stale entries there would build up run after
// run until they overflow.
void ClearWorkMatrices(int n) {
  const int last = std::min(n, kMatrixSize - 1);
  for (Matrix* matrix : {&MatrixA(), &MatrixB(), &MatrixE()}) {
    for (int i = 0; i <= last; ++i) std::fill_n((*matrix)[i], last + 1, 0.0f);
  }
}

bool AllFinite(const Point2* points, int count) {
  return std::all_of(points, points + count, IsFinite);
}

// Writes a reduced polygon into the model and draws it in red, following
// the snapshot protocol; a polygon with a non-finite point is dropped.
bool ShowReduction(Platform& window, const Point2* reduced, int count) {
  if (!AllFinite(reduced, count)) return false;
  ModelState& model = Model();
  const bool keep = model.saveResults == 1;
  if (!keep) TakeSnapshot();
  std::copy_n(reduced, count, model.points);
  model.pointCount = count;
  DrawBezierCurve(window, kRedMode);
  if (!keep) RestoreSnapshot();
  return true;
}

// Sizes of one least-squares reduction of the current polygon: n old
// points, m = n - r new ones.
struct Sizes {
  int n;
  int r;
  int m;
};

Sizes CurrentSizes() {
  const ModelState& model = Model();
  return Sizes{model.pointCount, model.degreeStep, model.pointCount - model.degreeStep};
}

// ---------------------------------------------------------------------------
// [SECTION] Least squares

// The least-squares core of the free and C0 variants, over the 1-based E in
// MatrixE: with E' the rows shift + 1 .. shift + k and columns shift + 1 ..
// shift + cols of E, solves A = E' E'^T (1-based in MatrixA), forms B =
// A^-1 E' in MatrixB and returns out[i] = sum of B(i, j) data[j], i = 1..k,
// j = 1..cols.
bool SolveNormalEquations(int k, int cols, int shift, const Point2* data, Point2* out) {
  const Matrix& e = MatrixE();
  Matrix& a = MatrixA();
  Matrix& b = MatrixB();
  for (int i = 1; i <= k; ++i) {
    for (int l = 1; l <= k; ++l) {
      float sum = 0.0f;
      for (int j = 1; j <= cols; ++j) {
        sum = Round(sum + double(e[i + shift][j + shift]) * e[l + shift][j + shift]);
      }
      a[i][l] = sum;
    }
  }
  if (SolveGaussJordan(k) == 0) return false;
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= cols; ++j) {
      float sum = 0.0f;
      for (int l = 1; l <= k; ++l) sum = Round(sum + double(a[i][l]) * e[l + shift][j + shift]);
      b[i][j] = sum;
    }
  }
  for (int i = 1; i <= k; ++i) {
    float x = 0.0f, y = 0.0f;
    for (int j = 1; j <= cols; ++j) {
      x = Round(x + double(b[i][j]) * data[j].x);
      y = Round(y + double(b[i][j]) * data[j].y);
    }
    out[i] = Point2{x, y};
  }
  return true;
}

// Sizes check, cleared work matrices and the 1-based E of the free and C0
// variants; false when the reduction cannot run. E is stored 1-based, so
// its column index n must stay inside the storage.
bool PrepareOneBased(const Sizes& s, int least) {
  if (s.m < least || s.r < 0 || s.n > kMaxOneBasedSize) return false;
  ClearWorkMatrices(s.n);
  BuildReductionElevation(MatrixE(), s.m, s.r, 1);
  return true;
}

// Free end points: A = E E^T, B = A^-1 E, Q = B P.
bool ReduceFree(Platform& window) {
  const Sizes s = CurrentSizes();
  if (!PrepareOneBased(s, kLeastFree)) return false;
  Point2 data[kMatrixSize];  // 1-based: data[j] = P(j-1)
  std::copy_n(Model().points, s.n, data + 1);
  Point2 q[kMatrixSize];
  if (!SolveNormalEquations(s.m, s.n, 0, data, q)) return false;
  return ShowReduction(window, q + 1, s.m);
}

// End points kept: the inner rows and columns of the normal equations, and
// the data reduced by the fixed ends' contribution.
bool ReduceC0(Platform& window) {
  const Sizes s = CurrentSizes();
  if (!PrepareOneBased(s, kLeastC0)) return false;
  const Point2* p = Model().points;
  const Matrix& e = MatrixE();
  const Point2& first = p[0];
  const Point2& last = p[s.n - 1];
  // R(j) = P(j) - E(0, j) P(0) - E(m-1, j) P(n-1); E(i, j) is e[i + 1][j + 1].
  Point2 reducedData[kMatrixSize];
  for (int j = 1; j <= s.n - 2; ++j) {
    const double e0 = e[1][j + 1], e1 = e[s.m][j + 1];
    reducedData[j].x = Round(Round(p[j].x - e0 * first.x) - e1 * last.x);
    reducedData[j].y = Round(Round(p[j].y - e0 * first.y) - e1 * last.y);
  }
  Point2 q[kMatrixSize];
  if (!SolveNormalEquations(s.m - 2, s.n - 2, 1, reducedData, q)) return false;
  q[0] = first;
  q[s.m - 1] = last;
  return ShowReduction(window, q, s.m);
}

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
struct TangentFrame {
  bool secondOrder;  // C2
  Vec t0, t1, s0, s1;
};

// Direction matrix G (row i, parameter c, 1-based c) and design vectors
// H(j, c); scratch kept out of the stack.
Vec g_directions[kMatrixSize][kMatrixSize];
Vec g_design[kMatrixSize][kMatrixSize];

int ParameterCount(int m, bool secondOrder) { return secondOrder ? 2 * m - 8 : 2 * m - 6; }

// The parameter of the x coordinate of free point i.
int FreeParameter(int i, bool secondOrder) { return secondOrder ? 2 * i - 3 : 2 * i - 2; }

void BuildDirections(const TangentFrame& f, int m, int k) {
  for (int i = 0; i < m; ++i) std::fill_n(g_directions[i], k + 1, Vec{});
  g_directions[1][1] = f.t0;
  g_directions[m - 2][k] = f.t1;
  int firstFree = 2, lastFree = m - 3;
  if (f.secondOrder) {
    g_directions[2][2] = f.s0;
    g_directions[m - 3][k - 1] = f.s1;
    firstFree = 3;
    lastFree = m - 4;
  }
  for (int i = firstFree; i <= lastFree; ++i) {
    const int c = FreeParameter(i, f.secondOrder);
    g_directions[i][c] = Vec{1.0f, 0.0f};
    g_directions[i][c + 1] = Vec{0.0f, 1.0f};
  }
}

bool ReduceWithTangents(Platform& window, bool secondOrder) {
  const Sizes s = CurrentSizes();
  const int least = secondOrder ? kLeastC2 : kLeastC1;
  if (s.m < least || s.r < 0 || s.n > kMatrixSize) return false;
  const int k = ParameterCount(s.m, secondOrder);
  if (k > kMaxOneBasedSize) return false;  // more unknowns than the solver holds
  const Point2* p = Model().points;
  const Point2& first = p[0];
  const Point2& last = p[s.n - 1];

  TangentFrame frame{secondOrder, {}, {}, {}, {}};
  if (!Normalise(Difference(p[1], p[0]), frame.t0)) return false;
  if (!Normalise(Difference(p[s.n - 1], p[s.n - 2]), frame.t1)) return false;
  if (secondOrder) {
    const Vec d0{Round(Round(p[2].x - 2.0 * p[1].x) + double(p[0].x)),
                 Round(Round(p[2].y - 2.0 * p[1].y) + double(p[0].y))};
    const Vec d1{Round(Round(p[s.n - 1].x - 2.0 * p[s.n - 2].x) + double(p[s.n - 3].x)),
                 Round(Round(p[s.n - 1].y - 2.0 * p[s.n - 2].y) + double(p[s.n - 3].y))};
    if (!Normalise(d0, frame.s0) || !Normalise(d1, frame.s1)) return false;
  }

  ClearWorkMatrices(std::max(s.n, k));
  Matrix& e = MatrixE();
  Matrix& a = MatrixA();
  BuildReductionElevation(e, s.m, s.r, 0);
  if (secondOrder) {
    // The plain copy serves the residuals; the doubled dependence of Q2 on
    // u1 and of Qm-3 on uk goes into rows 1 and m-2 of E.
    Matrix& plain = ElevationMatrix();
    for (int i = 0; i < s.m; ++i) std::copy_n(e[i], s.n, plain[i]);
    for (int j = 1; j <= s.n - 2; ++j) {
      e[1][j] = Round(e[1][j] + 2.0 * e[2][j]);
      e[s.m - 2][j] = Round(e[s.m - 2][j] + 2.0 * e[s.m - 3][j]);
    }
  }
  const Matrix& plainE = secondOrder ? ElevationMatrix() : MatrixE();
  BuildDirections(frame, s.m, k);

  for (int j = 1; j <= s.n - 2; ++j) {
    for (int c = 1; c <= k; ++c) {
      Vec h;
      for (int i = 1; i <= s.m - 2; ++i) {
        const Vec& g = g_directions[i][c];
        h.x = Round(h.x + double(e[i][j]) * g.x);
        h.y = Round(h.y + double(e[i][j]) * g.y);
      }
      g_design[j][c] = h;
    }
  }
  for (int c = 1; c <= k; ++c) {
    for (int d = 1; d <= k; ++d) {
      float sum = 0.0f;
      for (int j = 1; j <= s.n - 2; ++j) sum = Round(sum + double(Dot(g_design[j][c], g_design[j][d])));
      a[c][d] = sum;
    }
  }
  if (SolveGaussJordan(k) == 0) return false;

  // The fixed part: the end points repeated over the rows they anchor.
  const int anchored = secondOrder ? 3 : 2;
  Point2 fixed[kMaxPoints] = {};
  for (int i = 0; i < anchored; ++i) {
    fixed[i] = first;
    fixed[s.m - 1 - i] = last;
  }
  Vec residual[kMaxPoints];
  for (int j = 1; j <= s.n - 2; ++j) {
    float x = p[j].x, y = p[j].y;
    for (int i = 0; i < s.m; ++i) {
      x = Round(x - double(plainE[i][j]) * fixed[i].x);
      y = Round(y - double(plainE[i][j]) * fixed[i].y);
    }
    residual[j] = Vec{x, y};
  }
  float rhs[kMatrixSize];
  for (int c = 1; c <= k; ++c) {
    float sum = 0.0f;
    for (int j = 1; j <= s.n - 2; ++j) sum = Round(sum + double(Dot(g_design[j][c], residual[j])));
    rhs[c] = sum;
  }
  float u[kMatrixSize];
  for (int c = 1; c <= k; ++c) {
    float sum = 0.0f;
    for (int d = 1; d <= k; ++d) sum = Round(sum + double(a[c][d]) * rhs[d]);
    u[c] = sum;
  }

  auto along = [](const Point2& base, double scale, const Vec& v) {
    return Point2{Round(base.x + scale * v.x), Round(base.y + scale * v.y)};
  };
  Point2 q[kMaxPoints];
  q[0] = first;
  q[1] = along(first, u[1], frame.t0);
  q[s.m - 2] = along(last, u[k], frame.t1);
  q[s.m - 1] = last;
  int firstFree = 2, lastFree = s.m - 3;
  if (secondOrder) {
    q[2] = along(along(first, 2.0 * u[1], frame.t0), u[2], frame.s0);
    q[s.m - 3] = along(along(last, 2.0 * u[k], frame.t1), u[k - 1], frame.s1);
    firstFree = 3;
    lastFree = s.m - 4;
  }
  for (int i = firstFree; i <= lastFree; ++i) {
    const int c = FreeParameter(i, secondOrder);
    q[i] = Point2{u[c], u[c + 1]};
  }
  return ShowReduction(window, q, s.m);
}

}  // namespace

void LseDegreeReduction(Platform& window) { ReduceFree(window); }

void LseC0DegreeReduction(Platform& window) { ReduceC0(window); }

void LseC1DegreeReduction(Platform& window) { ReduceWithTangents(window, false); }

void LseC2DegreeReduction(Platform& window) { ReduceWithTangents(window, true); }

// ---------------------------------------------------------------------------
// [SECTION] Simple and Eck

void SimpleDegreeReduction(Platform& window) {
  ModelState& model = Model();
  const int n = model.pointCount;
  if (n < 4 || n > kMaxPoints) return;
  Point2 original[kMaxPoints];
  std::copy_n(model.points, n, original);

  // S is the p-th forward difference, the coefficient of t^p of the curve.
  Vec leading;
  for (int i = 0; i < n; ++i) {
    const double sign = (n - 1 + i) % 2 == 0 ? 1.0 : -1.0;
    const double c = Binomial(n - 1, i);
    leading.x = Round(leading.x + sign * c * original[i].x);
    leading.y = Round(leading.y + sign * c * original[i].y);
  }
  float h = 0.5f;
  for (int i = 0; i < n; ++i) h = Round(h * 2.0);
  // Subtracting (S / h)(2t - 1)^p leaves a curve of degree p - 1 on p + 1 points.
  const Vec shift{Round(leading.x / double(h)), Round(leading.y / double(h))};
  for (int i = 0; i < n; ++i) {
    const double sign = (n - 1 + i) % 2 == 0 ? -1.0 : 1.0;
    model.points[i] = Point2{Round(original[i].x + sign * shift.x), Round(original[i].y + sign * shift.y)};
  }

  const int keptStep = model.degreeStep;
  model.degreeStep = 1;
  const bool reduced = ReduceFree(window);
  model.degreeStep = keptStep;
  // Without a reduction the adjusted polygon must not stay behind either.
  if (model.saveResults == 0 || !reduced) {
    model.pointCount = n;
    std::copy_n(original, n, model.points);
  }
}

void EckDegreeReduction(Platform& window) {
  ModelState& model = Model();
  const int n = model.pointCount;
  if (n < 3 || n > kMaxPoints) return;
  const int m = n - 1;
  const Point2* p = model.points;

  Point2 forward[kMaxPoints];
  forward[0] = p[0];
  for (int i = 1; i <= m - 1; ++i) {
    forward[i] = Point2{Round((double(m) * p[i].x - double(i) * forward[i - 1].x) / (m - i)),
                        Round((double(m) * p[i].y - double(i) * forward[i - 1].y) / (m - i))};
  }
  // backward[i] is the backward solution for new point i - 1.
  Point2 backward[kMaxPoints];
  backward[m] = p[m];
  for (int i = m - 1; i >= 1; --i) {
    backward[i] = Point2{Round((double(m) * p[i].x - double(m - i) * backward[i + 1].x) / i),
                         Round((double(m) * p[i].y - double(m - i) * backward[i + 1].y) / i)};
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
  double below[kMaxPoints + 1];  // below[i] = sum of C(2m, 2j), j <= i
  double above[kMaxPoints + 1];  // above[i] = sum of C(2m, 2j), j > i
  double sum = 0.0;
  for (int i = 0; i <= m; ++i) below[i] = sum += Binomial(2 * m, 2 * i);
  sum = 0.0;
  for (int i = m; i >= 0; --i) {
    above[i] = sum;
    sum += Binomial(2 * m, 2 * i);
  }
  Point2 q[kMaxPoints];
  for (int i = 0; i < m; ++i) {
    const double lambda = below[i] / w;
    const double complement = above[i] / w;
    q[i] = Point2{Round(complement * forward[i].x + lambda * backward[i + 1].x),
                  Round(complement * forward[i].y + lambda * backward[i + 1].y)};
  }
  ShowReduction(window, q, m);
}

}  // namespace tambra
