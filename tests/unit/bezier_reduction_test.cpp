// Tests of the six Bezier degree reductions: LSE, LSE (C0), LSE (C1),
// LSE (C2), Simple and Eck.
//
// Oracles, all in double precision and independent of the code under test:
//  - exact recovery: a polygon elevated from a known Q (elevation by the
//    closed form) must reduce back to Q, and trace Q's curve;
//  - least squares: each LSE variant is a linear least-squares problem over
//    an affine family of polygons (free points, or end points and end
//    directions held); it is solved here by Householder QR, a different
//    method from the normal equations the reductions use;
//  - Simple: the leading power term removed in double, then the same QR fit;
//  - Eck: the forward and backward recursions and the binomial blend in long
//    double.
// Robustness: degenerate and extreme polygons, every size from 0 to 100,
// both states of Save, and the output log.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "bezier/degree_reduction.h"
#include "numeric/matrix.h"
#include "resources/command_ids.h"
#include "shell/canvas.h"
#include "shell/headless_platform.h"
#include "shell/model_state.h"

namespace tambra {
namespace bezier_oracle {

// Defined in bezier_elevation_test.cpp.
long double PascalBinomial(int n, int k);
double ElevationWeight(int count, int r, int i, int j);
std::vector<Point2> ElevatedPolygon(const std::vector<Point2>& q, int r);
double MaxCurveDistance(const std::vector<Point2>& a, const std::vector<Point2>& b,
                        double* worstParameter);
std::vector<Point2> GenericPolygon(int count, unsigned seed);

}  // namespace bezier_oracle

namespace {

using bezier_oracle::ElevatedPolygon;
using bezier_oracle::ElevationWeight;
using bezier_oracle::GenericPolygon;
using bezier_oracle::MaxCurveDistance;
using bezier_oracle::PascalBinomial;

// Rounding allowance, in pixels, for a reduced point on polygons of moderate
// size (up to about 12 points, coordinates below 800).
constexpr double kPointTolerance = 1e-2;
// Allowance for the single-precision least-squares solutions against the
// double-precision ones, relative to the largest coordinate of the data.
constexpr double kLeastSquaresTolerance = 1e-4;
// Allowance of a normal-equation residual, relative to the size of the terms
// that cancel in it.
constexpr double kOrthogonalityTolerance = 1e-4;
// Two directions count as parallel when the sine of their angle is below
// this.
constexpr double kParallelTolerance = 1e-5;

// ---------------------------------------------------------------------------
// Double-precision geometry

struct Vec2 {
  double x = 0.0;
  double y = 0.0;
};
Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
Vec2 operator*(double s, Vec2 a) { return {s * a.x, s * a.y}; }
Vec2 ToVec(Point2 p) { return {p.x, p.y}; }
Point2 ToPoint(Vec2 v) { return {static_cast<float>(v.x), static_cast<float>(v.y)}; }
Vec2 Unit(Vec2 v) {
  const double length = std::hypot(v.x, v.y);
  return {v.x / length, v.y / length};
}
double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double Length(Vec2 v) { return std::hypot(v.x, v.y); }

// ---------------------------------------------------------------------------
// Least squares by Householder QR

// Minimises |D u - b| for the rows by cols matrix D (row-major, rows >=
// cols). Returns an empty vector when D has (numerically) dependent columns.
std::vector<double> SolveLeastSquares(std::vector<double> d, std::vector<double> b, int rows,
                                      int cols) {
  auto at = [&](int i, int j) -> double& { return d[static_cast<size_t>(i) * cols + j]; };
  for (int k = 0; k < cols; ++k) {
    double norm = 0.0;
    for (int i = k; i < rows; ++i) norm = std::hypot(norm, at(i, k));
    if (norm == 0.0) return {};
    const double alpha = at(k, k) > 0 ? -norm : norm;
    std::vector<double> v(rows, 0.0);
    for (int i = k; i < rows; ++i) v[i] = at(i, k);
    v[k] -= alpha;
    double vv = 0.0;
    for (int i = k; i < rows; ++i) vv += v[i] * v[i];
    if (vv == 0.0) continue;
    for (int j = k; j < cols; ++j) {
      double s = 0.0;
      for (int i = k; i < rows; ++i) s += v[i] * at(i, j);
      s = 2.0 * s / vv;
      for (int i = k; i < rows; ++i) at(i, j) -= s * v[i];
    }
    double s = 0.0;
    for (int i = k; i < rows; ++i) s += v[i] * b[i];
    s = 2.0 * s / vv;
    for (int i = k; i < rows; ++i) b[i] -= s * v[i];
  }
  double largest = 0.0;
  for (int k = 0; k < cols; ++k) largest = std::max(largest, std::fabs(at(k, k)));
  std::vector<double> u(cols, 0.0);
  for (int k = cols - 1; k >= 0; --k) {
    if (std::fabs(at(k, k)) <= 1e-13 * largest) return {};
    double s = b[k];
    for (int j = k + 1; j < cols; ++j) s -= at(k, j) * u[j];
    u[k] = s / at(k, k);
  }
  return u;
}

// A polygon of `count` points that depends affinely on k parameters:
// Q_i = fixed_i + sum over c of direction(i, c) u_c.
struct AffinePolygon {
  int count = 0;
  int params = 0;
  std::vector<Vec2> fixed;
  std::vector<Vec2> directions;  // count by params
  Vec2& Direction(int i, int c) { return directions[static_cast<size_t>(i) * params + c]; }

  AffinePolygon(int m, int k) : count(m), params(k), fixed(m), directions(m * k) {}
  void Free(int i, int c) {
    Direction(i, c) = {1.0, 0.0};
    Direction(i, c + 1) = {0.0, 1.0};
  }
};

// The member of the family whose elevation by r is closest to P in the sum
// of squared point distances.
std::vector<Vec2> FitElevation(AffinePolygon family, const std::vector<Point2>& p, int r) {
  const int n = static_cast<int>(p.size());
  const int m = family.count;
  const int k = family.params;
  std::vector<double> design(static_cast<size_t>(2 * n) * k, 0.0);
  std::vector<double> rhs(2 * n, 0.0);
  for (int j = 0; j < n; ++j) {
    Vec2 fixedPart;
    for (int i = 0; i < m; ++i) {
      const double e = ElevationWeight(m, r, i, j);
      if (e == 0.0) continue;
      fixedPart = fixedPart + e * family.fixed[i];
      for (int c = 0; c < k; ++c) {
        design[static_cast<size_t>(2 * j) * k + c] += e * family.Direction(i, c).x;
        design[static_cast<size_t>(2 * j + 1) * k + c] += e * family.Direction(i, c).y;
      }
    }
    rhs[2 * j] = p[j].x - fixedPart.x;
    rhs[2 * j + 1] = p[j].y - fixedPart.y;
  }
  const std::vector<double> u = SolveLeastSquares(design, rhs, 2 * n, k);
  if (u.size() != static_cast<size_t>(k)) return {};
  std::vector<Vec2> q = family.fixed;
  for (int i = 0; i < m; ++i) {
    for (int c = 0; c < k; ++c) q[i] = q[i] + u[c] * family.Direction(i, c);
  }
  return q;
}

// The families of the four least-squares variants for m new points.
AffinePolygon FreeFamily(int m) {
  AffinePolygon f(m, 2 * m);
  for (int i = 0; i < m; ++i) f.Free(i, 2 * i);
  return f;
}

AffinePolygon EndPointFamily(int m, const std::vector<Point2>& p) {
  AffinePolygon f(m, 2 * (m - 2));
  f.fixed[0] = ToVec(p.front());
  f.fixed[m - 1] = ToVec(p.back());
  for (int i = 1; i < m - 1; ++i) f.Free(i, 2 * (i - 1));
  return f;
}

AffinePolygon TangentFamily(int m, const std::vector<Point2>& p) {
  const int n = static_cast<int>(p.size());
  const Vec2 first = ToVec(p[0]), last = ToVec(p[n - 1]);
  AffinePolygon f(m, 2 * m - 6);
  f.fixed[0] = f.fixed[1] = first;
  f.fixed[m - 1] = f.fixed[m - 2] = last;
  f.Direction(1, 0) = Unit(ToVec(p[1]) - first);
  for (int i = 2; i <= m - 3; ++i) f.Free(i, 1 + 2 * (i - 2));
  f.Direction(m - 2, f.params - 1) = Unit(last - ToVec(p[n - 2]));
  return f;
}

AffinePolygon CurvatureFamily(int m, const std::vector<Point2>& p) {
  const int n = static_cast<int>(p.size());
  const Vec2 first = ToVec(p[0]), last = ToVec(p[n - 1]);
  const Vec2 t0 = Unit(ToVec(p[1]) - first);
  const Vec2 t1 = Unit(last - ToVec(p[n - 2]));
  const Vec2 s0 = Unit(ToVec(p[2]) - 2.0 * ToVec(p[1]) + first);
  const Vec2 s1 = Unit(last - 2.0 * ToVec(p[n - 2]) + ToVec(p[n - 3]));
  AffinePolygon f(m, 2 * m - 8);
  const int k = f.params;
  f.fixed[0] = f.fixed[1] = f.fixed[2] = first;
  f.fixed[m - 1] = f.fixed[m - 2] = f.fixed[m - 3] = last;
  // Q1 = P0 + u1 T0, Q2 = P0 + 2 u1 T0 + u2 S0, and mirrored at the far end.
  f.Direction(1, 0) = t0;
  f.Direction(2, 0) = 2.0 * t0;
  f.Direction(2, 1) = s0;
  for (int i = 3; i <= m - 4; ++i) f.Free(i, 2 + 2 * (i - 3));
  f.Direction(m - 3, k - 2) = s1;
  f.Direction(m - 3, k - 1) = 2.0 * t1;
  f.Direction(m - 2, k - 1) = t1;
  return f;
}

// The double-precision answer of each least-squares variant.
enum class Fit { kFree, kEndPoints, kTangents, kCurvatures };

std::vector<Vec2> LeastSquaresOracle(Fit fit, const std::vector<Point2>& p, int r) {
  const int m = static_cast<int>(p.size()) - r;
  switch (fit) {
    case Fit::kFree: return FitElevation(FreeFamily(m), p, r);
    case Fit::kEndPoints: return FitElevation(EndPointFamily(m, p), p, r);
    case Fit::kTangents: return FitElevation(TangentFamily(m, p), p, r);
    case Fit::kCurvatures: return FitElevation(CurvatureFamily(m, p), p, r);
  }
  return {};
}

// Simple: subtract the leading power term (S / 2^p) (2t - 1)^p, then the
// free least-squares fit with step 1.
std::vector<Vec2> SimpleOracle(const std::vector<Point2>& p) {
  const int n = static_cast<int>(p.size());
  Vec2 s;
  for (int i = 0; i < n; ++i) {
    const double sign = (n - 1 + i) % 2 == 0 ? 1.0 : -1.0;
    s = s + (sign * static_cast<double>(PascalBinomial(n - 1, i))) * ToVec(p[i]);
  }
  const Vec2 shift = std::ldexp(1.0, -(n - 1)) * s;
  std::vector<Point2> adjusted(n);
  for (int i = 0; i < n; ++i) {
    const Vec2 v = (n - 1 + i) % 2 == 0 ? ToVec(p[i]) - shift : ToVec(p[i]) + shift;
    adjusted[i] = ToPoint(v);
  }
  return LeastSquaresOracle(Fit::kFree, adjusted, 1);
}

// Eck: the blend (1 - lambda_i) F_i + lambda_i B_(i+1) of the forward and
// backward recursions, lambda_i = sum over j <= i of C(2m, 2j) / 2^(2m-1).
// 1 - lambda_i is the sum over j > i, so that it keeps its relative
// precision where it is tiny and F_i is large.
std::vector<Vec2> EckOracle(const std::vector<Point2>& p) {
  const int m = static_cast<int>(p.size()) - 1;
  std::vector<long double> fx(m + 1), fy(m + 1), bx(m + 1), by(m + 1);
  fx[0] = p[0].x;
  fy[0] = p[0].y;
  for (int i = 1; i < m; ++i) {
    fx[i] = (m * static_cast<long double>(p[i].x) - i * fx[i - 1]) / (m - i);
    fy[i] = (m * static_cast<long double>(p[i].y) - i * fy[i - 1]) / (m - i);
  }
  bx[m] = p[m].x;
  by[m] = p[m].y;
  for (int i = m - 1; i >= 1; --i) {
    bx[i] = (m * static_cast<long double>(p[i].x) - (m - i) * bx[i + 1]) / i;
    by[i] = (m * static_cast<long double>(p[i].y) - (m - i) * by[i + 1]) / i;
  }
  const long double w = std::ldexp(1.0L, 2 * m - 1);
  std::vector<Vec2> q(m);
  long double head = 0.0L;
  for (int i = 0; i < m; ++i) {
    head += PascalBinomial(2 * m, 2 * i);
    long double tail = 0.0L;
    for (int j = i + 1; j <= m; ++j) tail += PascalBinomial(2 * m, 2 * j);
    const long double lambda = head / w;
    const long double complement = tail / w;
    q[i] = {static_cast<double>(complement * fx[i] + lambda * bx[i + 1]),
            static_cast<double>(complement * fy[i] + lambda * by[i + 1])};
  }
  return q;
}

// ---------------------------------------------------------------------------
// The variants

struct Variant {
  const char* name;
  void (*run)(Platform&);
  int command;
  bool followsDegreeStep;  // LSE variants: m = n - degreeStep; the others m = n - 1
  int fewestNewPoints;
};

const Variant kLse{"Lse", LseDegreeReduction, kCmdReduceLse, true, 3};
const Variant kLseC0{"LseC0", LseC0DegreeReduction, kCmdReduceLseC0, true, 3};
const Variant kLseC1{"LseC1", LseC1DegreeReduction, kCmdReduceLseC1, true, 4};
const Variant kLseC2{"LseC2", LseC2DegreeReduction, kCmdReduceLseC2, true, 6};
const Variant kSimple{"Simple", SimpleDegreeReduction, kCmdReduceSimple, false, 3};
const Variant kEck{"Eck", EckDegreeReduction, kCmdReduceEck, false, 2};
const Variant kAllVariants[] = {kLse, kLseC0, kLseC1, kLseC2, kSimple, kEck};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

Fit FitOf(const Variant& v) {
  if (v.run == LseC0DegreeReduction) return Fit::kEndPoints;
  if (v.run == LseC1DegreeReduction) return Fit::kTangents;
  if (v.run == LseC2DegreeReduction) return Fit::kCurvatures;
  return Fit::kFree;
}

int NewCount(const Variant& v, int n, int step) {
  return v.followsDegreeStep ? n - step : n - 1;
}

// Everything a reduction that does nothing must leave as it was.
struct Observed {
  int pointCount;
  int degreeStep;
  std::vector<Point2> points;  // the whole array
  std::vector<std::uint32_t> pixels;
  std::string log;
};

bool SameBits(const std::vector<Point2>& a, const std::vector<Point2>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Point2)) == 0);
}

bool AllFinite(const Point2* p, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
  }
  return true;
}

class BezierReductionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    ResetNumericScratch();  // no test depends on what an earlier one left
    window.Start(800, 600);
  }
  void TearDown() override { CloseLog(); }

  void SetPolygon(const std::vector<Point2>& p) {
    ASSERT_LE(p.size(), static_cast<size_t>(kMaxPoints));
    m.pointCount = static_cast<int>(p.size());
    std::copy(p.begin(), p.end(), m.points);
  }
  std::vector<Point2> Polygon() const {
    const int n = std::clamp(m.pointCount, 0, kMaxPoints);
    return std::vector<Point2>(m.points, m.points + n);
  }
  std::vector<std::uint32_t> Pixels() {
    const Raster& canvas = window.Canvas();
    return std::vector<std::uint32_t>(canvas.Data(),
                                      canvas.Data() + canvas.width() * canvas.height());
  }
  int CountPixels(Rgb colour) {
    const Raster& canvas = window.Canvas();
    int count = 0;
    for (int y = 0; y < canvas.height(); ++y) {
      for (int x = 0; x < canvas.width(); ++x) count += canvas.Pixel(x, y) == colour ? 1 : 0;
    }
    return count;
  }
  void ClearPicture() { window.Canvas().Resize(800, 600); }

  // The output log goes to an anonymous temporary file.
  void CloseLog() {
    if (m.logFile != nullptr) std::fclose(m.logFile);
    m.logFile = nullptr;
    m.logActive = 0;
  }
  void OpenLog() {
    CloseLog();
    m.logFile = std::tmpfile();
    ASSERT_NE(m.logFile, nullptr);
    m.logActive = 1;
  }
  std::string LogBytes() {
    if (m.logFile == nullptr) return {};
    std::fflush(m.logFile);
    std::fseek(m.logFile, 0, SEEK_END);
    const long size = std::ftell(m.logFile);
    std::string bytes(static_cast<size_t>(size), '\0');
    std::fseek(m.logFile, 0, SEEK_SET);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), m.logFile);
    bytes.resize(read);
    std::fseek(m.logFile, 0, SEEK_END);
    return bytes;
  }

  Observed Observe() {
    return Observed{m.pointCount, m.degreeStep,
                    std::vector<Point2>(m.points, m.points + kMaxPoints), Pixels(), LogBytes()};
  }
  void ExpectUnchanged(const Observed& before, const char* what) {
    const Observed after = Observe();
    EXPECT_EQ(after.pointCount, before.pointCount) << what;
    EXPECT_EQ(after.degreeStep, before.degreeStep) << what;
    EXPECT_TRUE(SameBits(after.points, before.points)) << what << ": the points changed";
    EXPECT_TRUE(after.pixels == before.pixels) << what << ": something was drawn";
    EXPECT_EQ(after.log, before.log) << what << ": something was logged";
  }

  // Runs a reduction on P with the given step and Save on.
  void Reduce(const Variant& v, const std::vector<Point2>& p, int step) {
    SetPolygon(p);
    m.degreeStep = step;
    m.saveResults = 1;
    v.run(window);
  }

  ModelState& m = Model();
  HeadlessPlatform window;
};

void ExpectPolygonNear(const std::vector<Point2>& actual, const std::vector<Vec2>& expected,
                       double tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t j = 0; j < expected.size(); ++j) {
    const double d = std::hypot(actual[j].x - expected[j].x, actual[j].y - expected[j].y);
    EXPECT_LE(d, tolerance) << "point " << j << " is (" << actual[j].x << ", " << actual[j].y
                            << "), expected (" << expected[j].x << ", " << expected[j].y << ")";
  }
}

std::vector<Vec2> ToVecs(const std::vector<Point2>& p) {
  std::vector<Vec2> v;
  for (Point2 e : p) v.push_back(ToVec(e));
  return v;
}

double LargestCoordinate(const std::vector<Point2>& p) {
  double largest = 0.0;
  for (Point2 e : p) {
    largest = std::max({largest, std::fabs(static_cast<double>(e.x)),
                        std::fabs(static_cast<double>(e.y))});
  }
  return largest;
}

// ---------------------------------------------------------------------------
// Exact recovery: an elevated polygon reduces back to where it came from

struct RecoveryCase {
  Variant variant;
  int original;  // points of Q
  int step;      // elevation from Q to the input
};

void PrintTo(const RecoveryCase& c, std::ostream* os) {
  *os << c.variant.name << ", " << c.original << " points elevated by " << c.step;
}

class ExactRecoveryTest : public BezierReductionTest,
                          public ::testing::WithParamInterface<RecoveryCase> {};

TEST_P(ExactRecoveryTest, ElevatedPolygonReducesToTheOriginal) {
  const RecoveryCase c = GetParam();
  const std::vector<Point2> q = GenericPolygon(c.original, 1000 + 13 * c.original + c.step);
  const std::vector<Point2> p = ElevatedPolygon(q, c.step);
  // Simple and Eck always take one step down, whatever degreeStep says.
  Reduce(c.variant, p, c.variant.followsDegreeStep ? c.step : 3);
  ASSERT_EQ(m.pointCount, c.original);
  EXPECT_EQ(m.degreeStep, c.variant.followsDegreeStep ? c.step : 3);
  ExpectPolygonNear(Polygon(), ToVecs(q), kPointTolerance);
  double where = 0.0;
  EXPECT_LE(MaxCurveDistance(q, Polygon(), &where), kPointTolerance) << "worst at t = " << where;
}

std::vector<RecoveryCase> RecoveryCases() {
  std::vector<RecoveryCase> cases;
  for (const Variant& v : {kLse, kLseC0, kLseC1, kLseC2}) {
    for (int original : {v.fewestNewPoints, 7, 10}) {
      for (int step : {0, 1, 2, 3}) cases.push_back({v, original, step});
    }
  }
  for (const Variant& v : {kSimple, kEck}) {
    for (int original : {3, 4, 6, 8, 10}) cases.push_back({v, original, 1});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Variants, ExactRecoveryTest, ::testing::ValuesIn(RecoveryCases()),
                         [](const ::testing::TestParamInfo<RecoveryCase>& info) {
                           return std::string(info.param.variant.name) + "_q" +
                                  std::to_string(info.param.original) + "_r" +
                                  std::to_string(info.param.step);
                         });

// Well-conditioned large cases: one step down at the largest sizes that the
// solver takes.
TEST_F(BezierReductionTest, LargestSystemsRecoverTheOriginal) {
  const RecoveryCase cases[] = {
      {kLse, 98, 1},    // 99 data points, the most 1-based storage holds
      {kLseC0, 98, 1},
      {kLseC1, 52, 1},  // 98 unknowns
      {kLseC2, 53, 1},  // 98 unknowns
      {kSimple, 98, 1},
  };
  for (const RecoveryCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.variant.name << " to " << c.original << " points");
    const std::vector<Point2> q = GenericPolygon(c.original, 77);
    Reduce(c.variant, ElevatedPolygon(q, c.step), c.step);
    ASSERT_EQ(m.pointCount, c.original);
    ExpectPolygonNear(Polygon(), ToVecs(q), 0.5);
  }
}

// ---------------------------------------------------------------------------
// Least squares on generic data

struct FitCase {
  Variant variant;
  int count;
  int step;
};

void PrintTo(const FitCase& c, std::ostream* os) {
  *os << c.variant.name << ", n = " << c.count << ", r = " << c.step;
}

class LeastSquaresTest : public BezierReductionTest,
                         public ::testing::WithParamInterface<FitCase> {};

TEST_P(LeastSquaresTest, MatchesTheDoublePrecisionSolution) {
  const FitCase c = GetParam();
  const std::vector<Point2> p = GenericPolygon(c.count, 500 + 3 * c.count + c.step);
  Reduce(c.variant, p, c.step);
  const int mCount = c.count - c.step;
  ASSERT_EQ(m.pointCount, mCount);
  const std::vector<Vec2> expected = LeastSquaresOracle(FitOf(c.variant), p, c.step);
  ASSERT_EQ(expected.size(), static_cast<size_t>(mCount)) << "the oracle found no unique fit";
  ExpectPolygonNear(Polygon(), expected, kLeastSquaresTolerance * LargestCoordinate(p));
}

// The residual P - E^T Q of a free point is orthogonal to that point's row
// of E: the normal equations, checked directly on the stored result.
class NormalEquationsTest : public LeastSquaresTest {};

TEST_P(NormalEquationsTest, ResidualIsOrthogonalToTheFreePointsRows) {
  const FitCase c = GetParam();
  const Fit fit = FitOf(c.variant);
  const std::vector<Point2> p = GenericPolygon(c.count, 500 + 3 * c.count + c.step);
  Reduce(c.variant, p, c.step);
  const int n = c.count;
  const int mCount = n - c.step;
  ASSERT_EQ(m.pointCount, mCount);
  std::vector<Vec2> residual(n);
  for (int j = 0; j < n; ++j) {
    Vec2 elevated;
    for (int i = 0; i < mCount; ++i) {
      elevated = elevated + ElevationWeight(mCount, c.step, i, j) * ToVec(m.points[i]);
    }
    residual[j] = ToVec(p[j]) - elevated;
  }
  const int first = fit == Fit::kFree ? 0 : 1;
  for (int i = first; i < mCount - first; ++i) {
    Vec2 dot;
    double scale = 0.0;
    for (int j = 0; j < n; ++j) {
      const double e = ElevationWeight(mCount, c.step, i, j);
      dot = dot + e * residual[j];
      scale += e * std::max(std::fabs(p[j].x), std::fabs(p[j].y));
    }
    EXPECT_LE(std::fabs(dot.x), kOrthogonalityTolerance * scale) << "row " << i << ", x";
    EXPECT_LE(std::fabs(dot.y), kOrthogonalityTolerance * scale) << "row " << i << ", y";
  }
}

std::vector<FitCase> FitCases() {
  std::vector<FitCase> cases;
  for (const Variant& v : {kLse, kLseC0, kLseC1, kLseC2}) {
    for (int step : {1, 2, 3}) {
      for (int extra : {0, 2, 5}) cases.push_back({v, v.fewestNewPoints + extra + step, step});
    }
  }
  return cases;
}

std::string FitCaseName(const ::testing::TestParamInfo<FitCase>& info) {
  return std::string(info.param.variant.name) + "_n" + std::to_string(info.param.count) + "_r" +
         std::to_string(info.param.step);
}

// The variants whose unknowns are whole points.
std::vector<FitCase> PointFitCases() {
  std::vector<FitCase> cases;
  for (const FitCase& c : FitCases()) {
    if (FitOf(c.variant) == Fit::kFree || FitOf(c.variant) == Fit::kEndPoints) cases.push_back(c);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Variants, LeastSquaresTest, ::testing::ValuesIn(FitCases()), FitCaseName);
INSTANTIATE_TEST_SUITE_P(Variants, NormalEquationsTest, ::testing::ValuesIn(PointFitCases()),
                         FitCaseName);

// ---------------------------------------------------------------------------
// What each variant holds fixed

TEST_F(BezierReductionTest, StepZeroLeavesTheLeastSquaresPolygonUnchanged) {
  const std::vector<Point2> p = GenericPolygon(8, 41);
  Reduce(kLse, p, 0);
  ASSERT_EQ(m.pointCount, 8);
  for (int j = 0; j < 8; ++j) {
    EXPECT_FLOAT_EQ(m.points[j].x, p[j].x) << "point " << j;
    EXPECT_FLOAT_EQ(m.points[j].y, p[j].y) << "point " << j;
  }
}

TEST_F(BezierReductionTest, EndPointConstraintKeepsTheEndPointsExactly) {
  for (int n : {4, 5, 9, 20}) {
    for (int step : {0, 1, 2}) {
      if (n - step < 3) continue;
      SCOPED_TRACE(::testing::Message() << "n = " << n << ", r = " << step);
      const std::vector<Point2> p = GenericPolygon(n, 60 + n + step);
      Reduce(kLseC0, p, step);
      ASSERT_EQ(m.pointCount, n - step);
      EXPECT_EQ(m.points[0].x, p[0].x);
      EXPECT_EQ(m.points[0].y, p[0].y);
      EXPECT_EQ(m.points[n - step - 1].x, p[n - 1].x);
      EXPECT_EQ(m.points[n - step - 1].y, p[n - 1].y);
    }
  }
}

// sin of the angle between a and b, 0 for parallel or opposite directions.
double Sine(Vec2 a, Vec2 b) { return std::fabs(Cross(a, b)) / (Length(a) * Length(b)); }

TEST_F(BezierReductionTest, TangentConstraintWithFourPointsFitsOnlyTheTwoLengths) {
  for (int step : {1, 3}) {
    SCOPED_TRACE(step);
    const std::vector<Point2> p = GenericPolygon(4 + step, 70 + step);
    Reduce(kLseC1, p, step);
    ASSERT_EQ(m.pointCount, 4);
    const std::vector<Point2> q = Polygon();
    EXPECT_EQ(q[0].x, p[0].x);
    EXPECT_EQ(q[0].y, p[0].y);
    EXPECT_EQ(q[3].x, p.back().x);
    EXPECT_EQ(q[3].y, p.back().y);
    EXPECT_LE(Sine(ToVec(q[1]) - ToVec(q[0]), ToVec(p[1]) - ToVec(p[0])), kParallelTolerance);
    EXPECT_LE(Sine(ToVec(q[3]) - ToVec(q[2]), ToVec(p[3 + step]) - ToVec(p[2 + step])),
              kParallelTolerance);
    ExpectPolygonNear(q, LeastSquaresOracle(Fit::kTangents, p, step),
                      kLeastSquaresTolerance * LargestCoordinate(p));
  }
}

TEST_F(BezierReductionTest, TangentConstraintNeedsFourNewPoints) {
  Reduce(kLseC1, GenericPolygon(4, 71), 0);
  EXPECT_EQ(m.pointCount, 4) << "m = 4 works";
  ClearPicture();
  SetPolygon(GenericPolygon(4, 72));
  m.degreeStep = 1;
  m.saveResults = 1;
  OpenLog();
  const Observed before = Observe();
  LseC1DegreeReduction(window);
  ExpectUnchanged(before, "m = 3");
}

TEST_F(BezierReductionTest, CurvatureConstraintWithSixPointsKeepsBothEndFrames) {
  const std::vector<Point2> p = GenericPolygon(7, 81);
  Reduce(kLseC2, p, 1);
  ASSERT_EQ(m.pointCount, 6);
  const std::vector<Vec2> q = ToVecs(Polygon());
  const std::vector<Vec2> d = ToVecs(p);
  EXPECT_EQ(m.points[0].x, p[0].x);
  EXPECT_EQ(m.points[0].y, p[0].y);
  EXPECT_EQ(m.points[5].x, p[6].x);
  EXPECT_EQ(m.points[5].y, p[6].y);
  EXPECT_LE(Sine(q[1] - q[0], d[1] - d[0]), kParallelTolerance);
  EXPECT_LE(Sine(q[5] - q[4], d[6] - d[5]), kParallelTolerance);
  EXPECT_LE(Sine(q[2] - 2.0 * q[1] + q[0], d[2] - 2.0 * d[1] + d[0]), 1e-4);
  EXPECT_LE(Sine(q[5] - 2.0 * q[4] + q[3], d[6] - 2.0 * d[5] + d[4]), 1e-4);
  ExpectPolygonNear(Polygon(), LeastSquaresOracle(Fit::kCurvatures, p, 1),
                    kLeastSquaresTolerance * LargestCoordinate(p));
}

TEST_F(BezierReductionTest, CurvatureConstraintWithFiveNewPointsDoesNothing) {
  for (int n : {6, 8}) {
    SCOPED_TRACE(n);
    ClearPicture();
    SetPolygon(GenericPolygon(n, 90 + n));
    m.degreeStep = n - 5;
    m.saveResults = 1;
    OpenLog();
    const Observed before = Observe();
    LseC2DegreeReduction(window);
    ExpectUnchanged(before, "m = 5");
    CloseLog();
  }
}

// ---------------------------------------------------------------------------
// Sizes at and beyond the storage

struct SizeCase {
  Variant variant;
  int count;
  int step;
  bool works;
};

TEST_F(BezierReductionTest, SystemsBeyondTheSolverOrTheStorageDoNothing) {
  const SizeCase cases[] = {
      {kLse, 99, 1, true},      {kLse, 100, 1, false},  // 1-based columns would reach 100
      {kLse, 100, 50, false},   {kLseC0, 99, 1, true},    {kLseC0, 100, 1, false},
      {kLseC1, 53, 1, true},    {kLseC1, 54, 1, false},   // 2m - 6 = 100 unknowns
      {kLseC2, 54, 1, true},    {kLseC2, 55, 1, false},   // 2m - 8 = 100 unknowns
      {kLseC1, 60, 8, true},    {kLseC2, 60, 7, true},    // 98 unknowns again
      {kSimple, 99, 1, true},   {kSimple, 100, 1, false},  // its least-squares step refuses
      {kEck, 99, 1, true},
  };
  for (const SizeCase& c : cases) {
    for (int save : {1, 0}) {
      SCOPED_TRACE(::testing::Message() << c.variant.name << " n = " << c.count << " r = "
                                        << c.step << " save " << save);
      CloseLog();
      ClearPicture();
      SetPolygon(GenericPolygon(c.count, 300 + c.count));
      m.degreeStep = c.step;
      m.saveResults = save;
      OpenLog();
      const Observed before = Observe();
      c.variant.run(window);
      if (c.works) {
        EXPECT_EQ(m.pointCount, save == 1 ? NewCount(c.variant, c.count, c.step) : c.count);
        EXPECT_TRUE(AllFinite(m.points, m.pointCount));
        EXPECT_GT(CountPixels(kRed), 0);
        EXPECT_NE(LogBytes(), "");
      } else {
        ExpectUnchanged(before, "refused");
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Zero-length end directions

TEST_F(BezierReductionTest, ZeroLengthEndDirectionsDoNothing) {
  struct Degenerate {
    Variant variant;
    const char* what;
    void (*spoil)(std::vector<Point2>&);
  };
  const Degenerate cases[] = {
      {kLseC1, "P1 = P0", [](std::vector<Point2>& p) { p[1] = p[0]; }},
      {kLseC1, "last two equal", [](std::vector<Point2>& p) { p[p.size() - 2] = p.back(); }},
      {kLseC2, "P1 = P0", [](std::vector<Point2>& p) { p[1] = p[0]; }},
      {kLseC2, "last two equal", [](std::vector<Point2>& p) { p[p.size() - 2] = p.back(); }},
      {kLseC2, "no second difference at the start",
       [](std::vector<Point2>& p) {
         p[2] = Point2{2 * p[1].x - p[0].x, 2 * p[1].y - p[0].y};
       }},
      {kLseC2, "no second difference at the end",
       [](std::vector<Point2>& p) {
         const size_t n = p.size();
         p[n - 3] = Point2{2 * p[n - 2].x - p[n - 1].x, 2 * p[n - 2].y - p[n - 1].y};
       }},
  };
  for (const Degenerate& c : cases) {
    for (int save : {1, 0}) {
      SCOPED_TRACE(::testing::Message() << c.variant.name << ": " << c.what << ", save " << save);
      CloseLog();
      ClearPicture();
      std::vector<Point2> p = GenericPolygon(10, 111);
      c.spoil(p);
      SetPolygon(p);
      m.degreeStep = 2;
      m.saveResults = save;
      OpenLog();
      const Observed before = Observe();
      c.variant.run(window);
      ExpectUnchanged(before, c.what);
    }
  }
}

// ---------------------------------------------------------------------------
// Simple

TEST_F(BezierReductionTest, SimpleOnFourPointsIsTheLeastSquaresFitOfTheAdjustedPolygon) {
  const std::vector<Point2> p = {{100, 500}, {250, 80}, {520, 420}, {700, 150}};
  // Independently: S = P3 - 3 P2 + 3 P1 - P0, adjusted P0 + S/8, P1 - S/8,
  // P2 + S/8, P3 - S/8, then min |E^T Q - adjusted| over the 3 points Q.
  const Vec2 s = ToVec(p[3]) - 3.0 * ToVec(p[2]) + 3.0 * ToVec(p[1]) - ToVec(p[0]);
  const std::vector<Point2> adjusted = {
      ToPoint(ToVec(p[0]) + 0.125 * s), ToPoint(ToVec(p[1]) - 0.125 * s),
      ToPoint(ToVec(p[2]) + 0.125 * s), ToPoint(ToVec(p[3]) - 0.125 * s)};
  const std::vector<Vec2> expected = FitElevation(FreeFamily(3), adjusted, 1);
  Reduce(kSimple, p, 1);
  ASSERT_EQ(m.pointCount, 3);
  ExpectPolygonNear(Polygon(), expected, kPointTolerance);
}

TEST_F(BezierReductionTest, SimpleOnGenericPolygonsMatchesTheDoublePrecisionOracle) {
  for (int n : {5, 7, 10}) {
    SCOPED_TRACE(n);
    const std::vector<Point2> p = GenericPolygon(n, 120 + n);
    Reduce(kSimple, p, 1);
    ASSERT_EQ(m.pointCount, n - 1);
    ExpectPolygonNear(Polygon(), SimpleOracle(p), kLeastSquaresTolerance * LargestCoordinate(p));
  }
}

TEST_F(BezierReductionTest, SimplePutsTheDegreeStepBack) {
  for (int save : {0, 1}) {
    SCOPED_TRACE(save);
    SetPolygon(GenericPolygon(8, 131));
    m.degreeStep = 3;
    m.saveResults = save;
    SimpleDegreeReduction(window);
    EXPECT_EQ(m.degreeStep, 3);
    EXPECT_EQ(m.pointCount, save == 1 ? 7 : 8);
  }
}

TEST_F(BezierReductionTest, TooFewPointsDoNothing) {
  const SizeCase cases[] = {
      {kSimple, 3, 1, false}, {kEck, 2, 1, false}, {kLse, 3, 1, false},  {kLseC0, 4, 2, false},
      {kLseC1, 5, 2, false},  {kLseC2, 6, 1, false}, {kLse, 0, 0, false}, {kEck, 0, 1, false},
      {kSimple, 0, 1, false},
  };
  for (const SizeCase& c : cases) {
    for (int save : {1, 0}) {
      SCOPED_TRACE(::testing::Message() << c.variant.name << " n = " << c.count << " r = "
                                        << c.step << " save " << save);
      CloseLog();
      ClearPicture();
      SetPolygon(GenericPolygon(c.count, 140 + c.count));
      m.degreeStep = c.step;
      m.saveResults = save;
      OpenLog();
      const Observed before = Observe();
      c.variant.run(window);
      ExpectUnchanged(before, "too few points");
    }
  }
}

// When the least-squares step cannot run, Simple must not leave its adjusted
// polygon behind in the model.
TEST_F(BezierReductionTest, SimpleKeepsTheModelWhenItsLeastSquaresStepFails) {
  struct Case {
    const char* what;
    std::vector<Point2> polygon;
  };
  std::vector<Point2> huge = GenericPolygon(6, 150);
  huge[2] = Point2{3e38f, -3e38f};  // the leading difference overflows
  const Case cases[] = {
      {"100 points", GenericPolygon(100, 151)},
      {"overflowing difference", huge},
  };
  for (const Case& c : cases) {
    for (int save : {1, 0}) {
      SCOPED_TRACE(::testing::Message() << c.what << ", save " << save);
      CloseLog();
      ClearPicture();
      SetPolygon(c.polygon);
      m.saveResults = save;
      OpenLog();
      const Observed before = Observe();
      SimpleDegreeReduction(window);
      ExpectUnchanged(before, c.what);
    }
  }
}

// ---------------------------------------------------------------------------
// Eck

TEST_F(BezierReductionTest, EckOnFourPointsBlendsWithWeightsOneSixteenThirtyOneOver32) {
  const std::vector<Point2> p = {{120, 480}, {260, 90}, {540, 430}, {690, 160}};
  const Vec2 p0 = ToVec(p[0]), p1 = ToVec(p[1]), p2 = ToVec(p[2]), p3 = ToVec(p[3]);
  // Forward: F0 = P0, F1 = (3 P1 - F0) / 2, F2 = 3 P2 - 2 F1.
  const Vec2 f0 = p0, f1 = 0.5 * (3.0 * p1 - f0), f2 = 3.0 * p2 - 2.0 * f1;
  // Backward: B3 = P3, B2 = (3 P2 - B3) / 2, B1 = 3 P1 - 2 B2.
  const Vec2 b3 = p3, b2 = 0.5 * (3.0 * p2 - b3), b1 = 3.0 * p1 - 2.0 * b2;
  const std::vector<Vec2> expected = {(31.0 / 32) * f0 + (1.0 / 32) * b1,
                                      (16.0 / 32) * f1 + (16.0 / 32) * b2,
                                      (1.0 / 32) * f2 + (31.0 / 32) * b3};
  Reduce(kEck, p, 1);
  ASSERT_EQ(m.pointCount, 3);
  ExpectPolygonNear(Polygon(), expected, 1e-3);
}

TEST_F(BezierReductionTest, EckOnThreePointsKeepsTwoPointsAndDrawsNothing) {
  const std::vector<Point2> p = {{100, 100}, {300, 500}, {500, 200}};
  const Vec2 p0 = ToVec(p[0]), p1 = ToVec(p[1]), p2 = ToVec(p[2]);
  // m = 2, w = 8, lambda = 1/8 and 7/8; F1 = 2 P1 - P0, B1 = 2 P1 - P2.
  const std::vector<Vec2> expected = {(7.0 / 8) * p0 + (1.0 / 8) * (2.0 * p1 - p2),
                                      (1.0 / 8) * (2.0 * p1 - p0) + (7.0 / 8) * p2};
  OpenLog();
  Reduce(kEck, p, 1);
  ASSERT_EQ(m.pointCount, 2);
  ExpectPolygonNear(Polygon(), expected, 1e-3);
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0);
  EXPECT_EQ(LogBytes(), "");
}

TEST_F(BezierReductionTest, EckOnGenericPolygonsMatchesTheExtendedPrecisionOracle) {
  for (int n : {5, 8, 12}) {
    SCOPED_TRACE(n);
    const std::vector<Point2> p = GenericPolygon(n, 160 + n);
    Reduce(kEck, p, 1);
    ASSERT_EQ(m.pointCount, n - 1);
    ExpectPolygonNear(Polygon(), EckOracle(p), 1e-4 * LargestCoordinate(p));
  }
}

// 2^(2m-1) leaves single precision from 66 points on; the blend must still
// be finite.
TEST_F(BezierReductionTest, EckOnLargePolygonsGivesFinitePoints) {
  for (int n : {66, 80, 99, 100}) {
    SCOPED_TRACE(n);
    // A constant polygon: both recursions give the point itself.
    Reduce(kEck, std::vector<Point2>(n, Point2{300.0f, 200.0f}), 1);
    ASSERT_EQ(m.pointCount, n - 1);
    for (int i = 0; i < n - 1; ++i) {
      ASSERT_NEAR(m.points[i].x, 300.0f, 1e-3) << "point " << i;
      ASSERT_NEAR(m.points[i].y, 200.0f, 1e-3) << "point " << i;
    }
    Reduce(kEck, GenericPolygon(n, 171), 1);
    ASSERT_EQ(m.pointCount, n - 1);
    EXPECT_TRUE(AllFinite(m.points, m.pointCount));
  }
}

// The forward recursion multiplies rounding errors by up to C(m-1, m/2)
// toward the far end, where the blend weight 1 - lambda_i is as small as
// 2^-(2m-1). That weight must keep its relative precision (a sum of the
// binomial tail, not 1 minus a sum close to 1), or an elevated polygon of
// 40 or more points comes back pixels to millions of pixels off.
TEST_F(BezierReductionTest, EckRecoversElevatedPolygonsOfEverySize) {
  const std::vector<Point2> cubic = GenericPolygon(4, 170);
  for (int n = 5; n <= kMaxPoints; ++n) {
    Reduce(kEck, ElevatedPolygon(cubic, n - 4), 1);
    ASSERT_EQ(m.pointCount, n - 1) << "n = " << n;
    const std::vector<Point2> expected = ElevatedPolygon(cubic, n - 5);
    double worst = 0.0;
    int where = 0;
    for (int i = 0; i < n - 1; ++i) {
      const double d = std::hypot(static_cast<double>(m.points[i].x) - expected[i].x,
                                  static_cast<double>(m.points[i].y) - expected[i].y);
      if (!(d <= worst)) {
        worst = d;
        where = i;
      }
    }
    EXPECT_LE(worst, kPointTolerance) << "n = " << n << ", worst at point " << where;
  }
}

// ---------------------------------------------------------------------------
// Save switch

class EveryVariantTest : public BezierReductionTest,
                         public ::testing::WithParamInterface<Variant> {};

TEST_P(EveryVariantTest, WithoutSaveTheModelIsKeptAndTheResultDrawnInRed) {
  const Variant v = GetParam();
  const std::vector<Point2> p = GenericPolygon(10, 181);
  SetPolygon(p);
  m.degreeStep = 2;
  m.saveResults = 0;
  v.run(window);
  EXPECT_EQ(m.pointCount, 10);
  EXPECT_EQ(m.degreeStep, 2);
  EXPECT_TRUE(SameBits(Polygon(), p));
  EXPECT_GT(CountPixels(kRed), 0);
  EXPECT_EQ(CountPixels(kBlack), 0);
}

TEST_P(EveryVariantTest, WithSaveTheResultReplacesTheCurve) {
  const Variant v = GetParam();
  const std::vector<Point2> p = GenericPolygon(10, 181);
  Reduce(v, p, 2);
  EXPECT_EQ(m.pointCount, NewCount(v, 10, 2));
  EXPECT_EQ(m.degreeStep, 2);
  EXPECT_TRUE(AllFinite(m.points, m.pointCount));
  EXPECT_GT(CountPixels(kRed), 0);
  // The marks of the kept polygon are red.
  for (int i = 0; i < m.pointCount; ++i) {
    const Point2 q = m.points[i];
    if (q.x < 0 || q.y < 0 || q.x >= 800 || q.y >= 600) continue;
    EXPECT_EQ(window.Canvas().Pixel(TruncateToPixel(q.x), TruncateToPixel(q.y)), kRed)
        << "mark of point " << i;
  }
}

// The menu reaches the same operation, and Save toggled there is honoured.
TEST_P(EveryVariantTest, MenuCommandRunsTheReduction) {
  const Variant v = GetParam();
  const std::vector<Point2> p = GenericPolygon(9, 191);
  Reduce(v, p, 2);
  const std::vector<Point2> direct = Polygon();

  ClearPicture();
  SetPolygon(p);
  m.saveResults = 0;
  window.Command(kCmdEditSave);
  ASSERT_EQ(m.saveResults, 1);
  window.Command(v.command);
  EXPECT_TRUE(SameBits(Polygon(), direct));
  EXPECT_GT(CountPixels(kRed), 0);
}

TEST_P(EveryVariantTest, MenuCommandIsIgnoredInSurfacesMode) {
  const Variant v = GetParam();
  SetPolygon(GenericPolygon(9, 191));
  m.degreeStep = 2;
  m.saveResults = 1;
  window.Command(kCmdSurfaces);
  ClearPicture();
  const Observed before = Observe();
  window.Command(v.command);
  ExpectUnchanged(before, "surfaces mode");
}

// The scratch matrices belong to no one between commands: whatever an
// earlier command left in them must not change a result.
TEST_P(EveryVariantTest, StaleScratchMatricesDoNotChangeTheResult) {
  const Variant v = GetParam();
  // 12 points, one step down: C1 and C2 solve for more unknowns (16, 14)
  // than there are points.
  const std::vector<Point2> p = GenericPolygon(12, 231);
  ResetNumericScratch();
  Reduce(v, p, 1);
  ASSERT_EQ(m.pointCount, 11);
  const std::vector<Point2> clean = Polygon();

  NumericScratch& scratch = Scratch();
  for (Matrix* matrix : {&scratch.matrixA, &scratch.matrixB, &scratch.matrixE,
                         &scratch.elevationMatrix}) {
    for (auto& row : *matrix) {
      std::fill(std::begin(row), std::end(row), std::numeric_limits<float>::quiet_NaN());
    }
  }
  Reduce(v, p, 1);
  ASSERT_EQ(m.pointCount, 11);
  EXPECT_TRUE(SameBits(Polygon(), clean));
}

// Regression: the tangent reductions cleared their work matrices only up to
// the point count, while their solver block reaches 2m - 6 (or 2m - 8). The
// solver multiplied the stale part of MatrixB by the inverse on every run
// until it overflowed, and from then on the command did nothing.
TEST_F(BezierReductionTest, RepeatedTangentReductionsKeepWorking) {
  for (const Variant& v : {kLseC1, kLseC2}) {
    SCOPED_TRACE(v.name);
    const std::vector<Point2> p = GenericPolygon(10, 7);
    Reduce(v, p, 1);
    ASSERT_EQ(m.pointCount, 9);
    const std::vector<Point2> first = Polygon();
    for (int run = 1; run <= 150; ++run) {
      Reduce(v, p, 1);
      ASSERT_EQ(m.pointCount, 9) << "run " << run;
      ASSERT_TRUE(SameBits(Polygon(), first)) << "run " << run;
    }
  }
}

// Degenerate and extreme polygons never leave a non-finite point behind,
// nor a pixel or log line made from one.
TEST_P(EveryVariantTest, DegenerateAndExtremePolygonsStayFinite) {
  const Variant v = GetParam();
  struct Shape {
    const char* what;
    std::vector<Point2> (*make)(int n);
  };
  const Shape shapes[] = {
      {"all points equal", [](int n) { return std::vector<Point2>(n, Point2{250.0f, 250.0f}); }},
      {"all points at the origin", [](int n) { return std::vector<Point2>(n, Point2{0, 0}); }},
      {"collinear, evenly spaced",
       [](int n) {
         std::vector<Point2> p(n);
         for (int i = 0; i < n; ++i) p[i] = Point2{100.0f + 10.0f * i, 50.0f + 5.0f * i};
         return p;
       }},
      {"tiny differences",  // squared lengths underflow
       [](int n) {
         std::vector<Point2> p(n);
         for (int i = 0; i < n; ++i) p[i] = Point2{1e-30f * i, 1e-30f * (i % 3)};
         return p;
       }},
      {"subnormal differences",
       [](int n) {
         std::vector<Point2> p(n);
         for (int i = 0; i < n; ++i) p[i] = Point2{1e-40f * (i % 2), 1e-40f * (i % 3)};
         return p;
       }},
      {"huge coordinates",
       [](int n) {
         std::vector<Point2> p = GenericPolygon(n, 200 + n);
         for (Point2& e : p) e = Point2{e.x * 4e35f, -e.y * 4e35f};
         return p;
       }},
  };
  for (const Shape& shape : shapes) {
    for (int n : {3, 4, 5, 6, 7, 8, 12, 30, 66, 99}) {
      for (int step : {1, 2}) {
        for (int save : {0, 1}) {
          SCOPED_TRACE(::testing::Message()
                       << shape.what << ", n = " << n << ", r = " << step << ", save " << save);
          CloseLog();
          ClearPicture();
          SetPolygon(shape.make(n));
          m.degreeStep = step;
          m.saveResults = save;
          OpenLog();
          v.run(window);
          const std::string log = LogBytes();
          ASSERT_TRUE(AllFinite(m.points, kMaxPoints));
          ASSERT_TRUE(m.pointCount == n || m.pointCount == NewCount(v, n, step)) << m.pointCount;
          ASSERT_EQ(log.find("nan"), std::string::npos) << log;
          ASSERT_EQ(log.find("inf"), std::string::npos) << log;
        }
      }
    }
  }
}

// Every size from empty to full, with steps that are too small, too large
// or negative: nothing crashes (the sanitiser build checks the storage),
// the model stays within capacity and finite, and the result is either the
// reduced polygon or the untouched input.
TEST_P(EveryVariantTest, EverySizeAndStepIsSafe) {
  const Variant v = GetParam();
  const std::vector<Point2> all = GenericPolygon(kMaxPoints, 210);
  for (int n = 0; n <= kMaxPoints; ++n) {
    for (int step : {-1, 0, 1, 2, 7, 48, INT_MAX}) {
      for (int save : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "n = " << n << ", r = " << step << ", save " << save);
        std::copy(all.begin(), all.end(), m.points);
        m.pointCount = n;
        m.degreeStep = step;
        m.saveResults = save;
        v.run(window);
        ASSERT_GE(m.pointCount, 0);
        ASSERT_LE(m.pointCount, kMaxPoints);
        ASSERT_EQ(m.degreeStep, step);
        ASSERT_TRUE(AllFinite(m.points, kMaxPoints));
        if (m.pointCount == n) {
          if (save == 0 || !v.followsDegreeStep || step != 0) {
            ASSERT_TRUE(SameBits(std::vector<Point2>(m.points, m.points + n),
                                 std::vector<Point2>(all.begin(), all.begin() + n)))
                << "the count is kept but the points changed";
          }
        } else {
          ASSERT_EQ(save, 1) << "without Save the count changed";
          ASSERT_EQ(m.pointCount, NewCount(v, n, step));
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, EveryVariantTest, ::testing::ValuesIn(kAllVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------
// Output log

std::string PointLine(Point2 p, int clientHeight) {
  char line[128];
  std::snprintf(line, sizeof line, "%7.5f %7.5f\r\n", static_cast<double>(p.x),
                static_cast<double>(clientHeight) - static_cast<double>(p.y));
  return line;
}

std::string CountLine(const char* format, int count) {
  char line[128];
  std::snprintf(line, sizeof line, format, count);
  return line;
}

// The log section of a polygon drawn with a one-segment curve: the control
// points, then the curve's two end points.
std::string OneSegmentSection(const std::vector<Point2>& q, int clientHeight) {
  std::string s = CountLine("\r\n\r\n# In Bezier curve, control point count:=%d\r\n",
                            static_cast<int>(q.size()));
  for (Point2 p : q) s += PointLine(p, clientHeight);
  s += CountLine("\r\n\r\n# In Bezier curve, data point count:=%d\r\n", 1);
  s += PointLine(q.front(), clientHeight);
  s += PointLine(q.back(), clientHeight);
  s += "# End Data\r\n\r\n";
  return s;
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Lines of the form "x y".
int CountPointLines(const std::string& log) {
  int count = 0;
  size_t start = 0;
  for (size_t end = log.find("\r\n"); end != std::string::npos;
       start = end + 2, end = log.find("\r\n", start)) {
    const std::string line = log.substr(start, end - start);
    double x, y;
    char rest;
    if (std::sscanf(line.c_str(), "%lf %lf%c", &x, &y, &rest) == 2) ++count;
  }
  return count;
}

const std::vector<Point2> kLogCubic = {{100, 500}, {200, 100}, {500, 150}, {700, 450}};

TEST_F(BezierReductionTest, LogHoldsExactlyTheReducedPolygonsSection) {
  m.grid = 1;
  OpenLog();
  Reduce(kLse, ElevatedPolygon(kLogCubic, 1), 1);
  ASSERT_EQ(m.pointCount, 4);
  ExpectPolygonNear(Polygon(), ToVecs(kLogCubic), kPointTolerance);
  EXPECT_EQ(LogBytes(), OneSegmentSection(Polygon(), 600));
}

TEST_F(BezierReductionTest, LogSectionWithTheDefaultGridHasEveryCurvePoint) {
  OpenLog();
  Reduce(kLse, ElevatedPolygon(kLogCubic, 1), 1);
  ASSERT_EQ(m.pointCount, 4);
  const std::string log = LogBytes();
  std::string head = CountLine("\r\n\r\n# In Bezier curve, control point count:=%d\r\n", 4);
  for (int i = 0; i < 4; ++i) head += PointLine(m.points[i], 600);
  head += CountLine("\r\n\r\n# In Bezier curve, data point count:=%d\r\n", 50);
  head += PointLine(m.points[0], 600);
  ASSERT_EQ(log.substr(0, head.size()), head);
  const std::string tail = PointLine(m.points[3], 600) + "# End Data\r\n\r\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  EXPECT_EQ(Occurrences(log, "control point count"), 1u);
  EXPECT_EQ(Occurrences(log, "data point count"), 1u);
  EXPECT_EQ(Occurrences(log, "# End Data"), 1u);
  // 4 control points, then P0, 49 inner curve points and P3.
  EXPECT_EQ(CountPointLines(log), 4 + 51) << log;
}

TEST_F(BezierReductionTest, LogIsTheSameWithAndWithoutSave) {
  for (const Variant& v : kAllVariants) {
    SCOPED_TRACE(v.name);
    const std::vector<Point2> p = GenericPolygon(9, 220);
    std::string logs[2];
    for (int save : {0, 1}) {
      CloseLog();
      OpenLog();
      SetPolygon(p);
      m.degreeStep = 2;
      m.saveResults = save;
      v.run(window);
      logs[save] = LogBytes();
    }
    EXPECT_NE(logs[0], "");
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(Occurrences(logs[0], "control point count"), 1u);
    EXPECT_EQ(Occurrences(logs[0], "# End Data"), 1u);
  }
}

TEST_F(BezierReductionTest, SimpleLogsOnlyTheReducedCurve) {
  m.grid = 1;
  OpenLog();
  Reduce(kSimple, ElevatedPolygon(kLogCubic, 1), 1);
  ASSERT_EQ(m.pointCount, 4);
  EXPECT_EQ(LogBytes(), OneSegmentSection(Polygon(), 600));
}

}  // namespace
}  // namespace tambra
