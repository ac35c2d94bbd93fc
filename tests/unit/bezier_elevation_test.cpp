// Tests of Bezier degree elevation.
//
// The oracle is the Bernstein form in double precision, written here
// without the code under test: the elevated polygon must match the closed
// form C(n-1, i) C(r, j-i) / C(n-1+r, j) point by point, and both polygons
// must trace the same curve. The oracle helpers at the top are shared with
// bezier_reduction_test.cpp (the unit tests link into one binary), whose
// exact-recovery tests elevate a known polygon and reduce it back.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "bezier/degree_elevation.h"
#include "numeric/matrix.h"
#include "resources/command_ids.h"
#include "shell/canvas.h"
#include "shell/headless_platform.h"
#include "shell/model_state.h"

namespace tambra {
namespace bezier_oracle {

// ---------------------------------------------------------------------------
// Oracle helpers (declared again in bezier_reduction_test.cpp)

// C(n, k) by Pascal's rule in extended precision; 0 outside 0 <= k <= n.
long double PascalBinomial(int n, int k) {
  static const std::vector<std::vector<long double>> table = [] {
    std::vector<std::vector<long double>> rows(400);
    for (int a = 0; a < static_cast<int>(rows.size()); ++a) {
      rows[a].assign(a + 1, 1.0L);
      for (int b = 1; b < a; ++b) rows[a][b] = rows[a - 1][b - 1] + rows[a - 1][b];
    }
    return rows;
  }();
  if (n < 0 || k < 0 || k > n || n >= static_cast<int>(table.size())) return 0.0L;
  return table[n][k];
}

// Share of old point i (of `count`) in new point j after elevating by r.
double ElevationWeight(int count, int r, int i, int j) {
  if (j - i < 0 || j - i > r) return 0.0;
  return static_cast<double>(PascalBinomial(count - 1, i) * PascalBinomial(r, j - i) /
                             PascalBinomial(count - 1 + r, j));
}

// The polygon of the same curve written with r more points, in double and
// rounded once to single precision.
std::vector<Point2> ElevatedPolygon(const std::vector<Point2>& q, int r) {
  const int count = static_cast<int>(q.size());
  std::vector<Point2> p(count + r);
  for (int j = 0; j < count + r; ++j) {
    double x = 0.0;
    double y = 0.0;
    for (int i = 0; i < count; ++i) {
      const double w = ElevationWeight(count, r, i, j);
      x += w * q[i].x;
      y += w * q[i].y;
    }
    p[j] = Point2{static_cast<float>(x), static_cast<float>(y)};
  }
  return p;
}

// The curve point at t by the Bernstein sum in double.
void EvaluateBernstein(const std::vector<Point2>& p, double t, double& x, double& y) {
  const int count = static_cast<int>(p.size());
  x = 0.0;
  y = 0.0;
  for (int i = 0; i < count; ++i) {
    const double b = static_cast<double>(PascalBinomial(count - 1, i)) * std::pow(t, i) *
                     std::pow(1.0 - t, count - 1 - i);
    x += b * p[i].x;
    y += b * p[i].y;
  }
}

// The largest distance between the two curves over 200 parameters from 0 to
// 1; the parameter where it occurs goes to *worstParameter when given.
double MaxCurveDistance(const std::vector<Point2>& a, const std::vector<Point2>& b,
                        double* worstParameter) {
  constexpr int kSamples = 200;
  double worst = 0.0;
  double worstT = 0.0;
  for (int s = 0; s < kSamples; ++s) {
    const double t = static_cast<double>(s) / (kSamples - 1);
    double ax, ay, bx, by;
    EvaluateBernstein(a, t, ax, ay);
    EvaluateBernstein(b, t, bx, by);
    const double d = std::hypot(ax - bx, ay - by);
    if (!(d <= worst)) {  // a NaN is the worst of all
      worst = d;
      worstT = t;
    }
  }
  if (worstParameter != nullptr) *worstParameter = worstT;
  return worst;
}

// A polygon in general position: no three points collinear in practice,
// coordinates on a quarter-pixel lattice inside an 800 by 600 window.
std::vector<Point2> GenericPolygon(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> xs(40 * 4, 760 * 4);
  std::uniform_int_distribution<int> ys(40 * 4, 560 * 4);
  std::vector<Point2> p(count);
  for (Point2& point : p) {
    point = Point2{static_cast<float>(xs(random)) / 4.0f, static_cast<float>(ys(random)) / 4.0f};
  }
  return p;
}

}  // namespace bezier_oracle

namespace {

using bezier_oracle::ElevatedPolygon;
using bezier_oracle::GenericPolygon;
using bezier_oracle::MaxCurveDistance;

// Rounding allowance, in pixels, for an elevated point and for the distance
// between the old and the new curve. Single-precision sums of at most 41
// terms of coordinates below 800 stay well inside it.
constexpr double kPointTolerance = 1e-2;
constexpr double kCurveTolerance = 1e-2;

class BezierElevationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    ResetNumericScratch();  // no test depends on what an earlier one left
    window.Start(800, 600);
  }

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
  void Elevate(int step) {
    m.degreeStep = step;
    BezierDegreeElevation(window);
  }

  ModelState& m = Model();
  HeadlessPlatform window;
};

// Compares every point with the expected polygon and names the first that
// differs.
void ExpectPolygonNear(const std::vector<Point2>& actual, const std::vector<Point2>& expected,
                       double tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t j = 0; j < expected.size(); ++j) {
    const double d = std::hypot(static_cast<double>(actual[j].x) - expected[j].x,
                                static_cast<double>(actual[j].y) - expected[j].y);
    EXPECT_LE(d, tolerance) << "point " << j << " is (" << actual[j].x << ", " << actual[j].y
                            << "), expected (" << expected[j].x << ", " << expected[j].y << ")";
  }
}

// ---------------------------------------------------------------------------
// The elevated polygon

TEST_F(BezierElevationTest, QuadraticBecomesTheCubicOfTheClosedForm) {
  const Point2 p0{100.0f, 400.0f}, p1{300.0f, 100.0f}, p2{500.0f, 450.0f};
  SetPolygon({p0, p1, p2});
  m.saveResults = 1;
  Elevate(1);
  ASSERT_EQ(m.pointCount, 4);
  EXPECT_EQ(m.points[0].x, p0.x);
  EXPECT_EQ(m.points[0].y, p0.y);
  EXPECT_NEAR(m.points[1].x, (100.0 + 2 * 300.0) / 3, 1e-4);
  EXPECT_NEAR(m.points[1].y, (400.0 + 2 * 100.0) / 3, 1e-4);
  EXPECT_NEAR(m.points[2].x, (2 * 300.0 + 500.0) / 3, 1e-4);
  EXPECT_NEAR(m.points[2].y, (2 * 100.0 + 450.0) / 3, 1e-4);
  EXPECT_EQ(m.points[3].x, p2.x);
  EXPECT_EQ(m.points[3].y, p2.y);
}

TEST_F(BezierElevationTest, TwoStepsAtOnceEqualTwoSingleSteps) {
  const std::vector<Point2> p = GenericPolygon(6, 11);
  m.saveResults = 1;
  SetPolygon(p);
  Elevate(2);
  const std::vector<Point2> atOnce = Polygon();
  SetPolygon(p);
  Elevate(1);
  Elevate(1);
  ASSERT_EQ(m.pointCount, 8);
  ExpectPolygonNear(Polygon(), atOnce, 1e-3);
}

struct ElevationCase {
  int count;
  int step;
};

void PrintTo(const ElevationCase& c, std::ostream* os) {
  *os << "n = " << c.count << ", r = " << c.step;
}

class ElevationSizesTest : public BezierElevationTest,
                           public ::testing::WithParamInterface<ElevationCase> {};

// The closed form point by point, the exact end points, and the same curve.
TEST_P(ElevationSizesTest, MatchesTheClosedFormAndTracesTheSameCurve) {
  const ElevationCase c = GetParam();
  const std::vector<Point2> p = GenericPolygon(c.count, 100 + c.count * 7 + c.step);
  SetPolygon(p);
  m.saveResults = 1;
  Elevate(c.step);
  ASSERT_EQ(m.pointCount, c.count + c.step);
  const std::vector<Point2> q = Polygon();
  EXPECT_EQ(q.front().x, p.front().x);
  EXPECT_EQ(q.front().y, p.front().y);
  // The last entry of the elevation matrix, A c(r) / D, is exactly 1 while
  // the running sum c(r) = C(n-1+r, r) is exact in single precision.
  if (bezier_oracle::PascalBinomial(c.count - 1 + c.step, c.step) <= 16777216.0L) {
    EXPECT_EQ(q.back().x, p.back().x);
    EXPECT_EQ(q.back().y, p.back().y);
  }
  ExpectPolygonNear(q, ElevatedPolygon(p, c.step), kPointTolerance);
  double where = 0.0;
  EXPECT_LE(MaxCurveDistance(p, q, &where), kCurveTolerance) << "worst at t = " << where;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ElevationSizesTest,
                         ::testing::Values(ElevationCase{2, 1}, ElevationCase{3, 1},
                                           ElevationCase{4, 3}, ElevationCase{5, 1},
                                           ElevationCase{7, 5}, ElevationCase{10, 40},
                                           ElevationCase{30, 20}, ElevationCase{59, 40},
                                           ElevationCase{98, 1}),
                         [](const ::testing::TestParamInfo<ElevationCase>& info) {
                           return "n" + std::to_string(info.param.count) + "_r" +
                                  std::to_string(info.param.step);
                         });

TEST_F(BezierElevationTest, OnePointBecomesTheSamePointRepeated) {
  SetPolygon({Point2{321.5f, 123.25f}});
  m.saveResults = 1;
  const std::vector<std::uint32_t> blank = Pixels();
  Elevate(1);
  ASSERT_EQ(m.pointCount, 2);
  EXPECT_EQ(Pixels(), blank) << "a 2-point polygon is not drawn";
  Elevate(3);
  ASSERT_EQ(m.pointCount, 5);
  for (int j = 0; j < 5; ++j) {
    EXPECT_FLOAT_EQ(m.points[j].x, 321.5f) << "point " << j;
    EXPECT_FLOAT_EQ(m.points[j].y, 123.25f) << "point " << j;
  }
  EXPECT_GT(CountPixels(kBlue), 0);
}

TEST_F(BezierElevationTest, StepZeroRedrawsThePolygonUnchangedInBlue) {
  const std::vector<Point2> p = GenericPolygon(5, 3);
  for (int save : {0, 1}) {
    SCOPED_TRACE(save);
    SetPolygon(p);
    m.saveResults = save;
    window.Canvas().Resize(800, 600);
    Elevate(0);
    ASSERT_EQ(m.pointCount, 5);
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(m.points[j].x, p[j].x) << "point " << j;
      EXPECT_EQ(m.points[j].y, p[j].y) << "point " << j;
      EXPECT_EQ(window.Canvas().Pixel(TruncateToPixel(p[j].x), TruncateToPixel(p[j].y)), kBlue)
          << "mark of point " << j;
    }
    EXPECT_EQ(CountPixels(kBlack), 0);
  }
}

// ---------------------------------------------------------------------------
// Refusals

struct Refusal {
  int count;
  int step;
};

TEST_F(BezierElevationTest, SizesBeyondTheLimitsDoNothing) {
  const Refusal refused[] = {
      {60, 40},  // n + r = 100
      {99, 1},   {100, 0}, {3, 41},      {1, 41}, {50, 41},
      {3, -1},   {0, 1},   {0, 3},       // an empty polygon has nothing to elevate
      {3, INT_MAX},                      // n + r would overflow
      {99, INT_MAX},
  };
  const std::vector<Point2> all = GenericPolygon(kMaxPoints, 5);
  for (const Refusal& c : refused) {
    SCOPED_TRACE(::testing::Message() << "n = " << c.count << ", r = " << c.step);
    for (int save : {0, 1}) {
      SetPolygon(std::vector<Point2>(all.begin(), all.begin() + c.count));
      std::copy(all.begin(), all.end(), m.points);
      m.saveResults = save;
      window.Canvas().Resize(800, 600);
      Elevate(c.step);
      EXPECT_EQ(m.pointCount, c.count);
      EXPECT_TRUE(std::equal(all.begin(), all.end(), m.points, [](Point2 a, Point2 b) {
        return a.x == b.x && a.y == b.y;
      })) << "points changed";
      EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << "something was drawn";
    }
  }
}

TEST_F(BezierElevationTest, SizesAtTheLimitsAreAccepted) {
  const Refusal accepted[] = {{59, 40}, {98, 1}, {3, 40}, {1, 40}, {99, 0}};
  for (const Refusal& c : accepted) {
    SCOPED_TRACE(::testing::Message() << "n = " << c.count << ", r = " << c.step);
    const std::vector<Point2> p = GenericPolygon(c.count, 17);
    SetPolygon(p);
    m.saveResults = 1;
    Elevate(c.step);
    ASSERT_EQ(m.pointCount, c.count + c.step);
    ExpectPolygonNear(Polygon(), ElevatedPolygon(p, c.step), kPointTolerance);
  }
}

// ---------------------------------------------------------------------------
// Save switch and repetition

TEST_F(BezierElevationTest, WithoutSaveTheModelIsRestoredAndTheResultOnlyDrawn) {
  const std::vector<Point2> p = GenericPolygon(5, 23);
  SetPolygon(p);
  for (int i = 0; i < kMaxPoints; ++i) m.weights[i] = 1.0f + i;
  m.saveResults = 0;
  Elevate(2);
  EXPECT_EQ(m.pointCount, 5);
  for (int j = 0; j < 5; ++j) {
    EXPECT_EQ(m.points[j].x, p[j].x) << "point " << j;
    EXPECT_EQ(m.points[j].y, p[j].y) << "point " << j;
  }
  for (int i = 0; i < kMaxPoints; ++i) ASSERT_EQ(m.weights[i], 1.0f + i) << "weight " << i;
  EXPECT_EQ(m.degreeStep, 2);
  // The marks of the elevated polygon are blue.
  const std::vector<Point2> q = ElevatedPolygon(p, 2);
  for (int j = 0; j < 7; ++j) {
    EXPECT_EQ(window.Canvas().Pixel(TruncateToPixel(q[j].x), TruncateToPixel(q[j].y)), kBlue)
        << "mark of elevated point " << j;
  }
}

TEST_F(BezierElevationTest, WithoutSaveChoosingTwiceShowsTheSameResult) {
  const std::vector<Point2> p = GenericPolygon(6, 29);
  SetPolygon(p);
  Elevate(3);
  const std::vector<std::uint32_t> once = Pixels();
  EXPECT_GT(CountPixels(kBlue), 0);
  Elevate(3);
  EXPECT_EQ(Pixels(), once);
  EXPECT_EQ(m.pointCount, 6);
}

TEST_F(BezierElevationTest, WithSaveEachChoiceRaisesTheDegreeAgain) {
  const std::vector<Point2> p = GenericPolygon(4, 31);
  SetPolygon(p);
  m.saveResults = 1;
  Elevate(2);
  EXPECT_EQ(m.pointCount, 6);
  Elevate(2);
  ASSERT_EQ(m.pointCount, 8);
  ExpectPolygonNear(Polygon(), ElevatedPolygon(p, 4), kPointTolerance);
  EXPECT_LE(MaxCurveDistance(p, Polygon(), nullptr), kCurveTolerance);
}

// The scratch matrices belong to no one between commands: whatever an
// earlier command left in them must not change the result.
TEST_F(BezierElevationTest, StaleScratchMatricesDoNotChangeTheResult) {
  const std::vector<Point2> p = GenericPolygon(20, 37);
  m.saveResults = 1;
  ResetNumericScratch();
  SetPolygon(p);
  Elevate(5);
  const std::vector<Point2> clean = Polygon();
  NumericScratch& scratch = Scratch();
  for (Matrix* matrix : {&scratch.matrixA, &scratch.matrixB, &scratch.matrixE,
                         &scratch.elevationMatrix}) {
    for (auto& row : *matrix) {
      std::fill(std::begin(row), std::end(row), std::numeric_limits<float>::quiet_NaN());
    }
  }
  SetPolygon(p);
  Elevate(5);
  ASSERT_EQ(m.pointCount, 25);
  for (int j = 0; j < 25; ++j) {
    EXPECT_EQ(m.points[j].x, clean[j].x) << "point " << j;
    EXPECT_EQ(m.points[j].y, clean[j].y) << "point " << j;
  }
}

// ---------------------------------------------------------------------------
// Through the menu

TEST_F(BezierElevationTest, MenuCommandElevatesTheClickedCurve) {
  window.Click(100, 400);
  window.Click(200, 100);
  window.Click(400, 100);
  window.Click(500, 400);
  window.Command(kCmdBezier);
  const std::vector<Point2> p = Polygon();
  window.Command(kCmdBezierSave);
  ASSERT_EQ(m.saveResults, 1);
  window.Command(kCmdBezierElevation);
  ASSERT_EQ(m.pointCount, 5);
  ExpectPolygonNear(Polygon(), ElevatedPolygon(p, 1), kPointTolerance);
  EXPECT_GT(CountPixels(kBlue), 0);
  EXPECT_GT(CountPixels(kBlack), 0) << "the old curve is not erased";

  window.Command(kCmdBezierSave);
  window.Command(kCmdBezierElevation);
  EXPECT_EQ(m.pointCount, 5) << "without Save the model is restored";
}

}  // namespace
}  // namespace tambra
