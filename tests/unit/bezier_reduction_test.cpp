// Tests of the six Bezier degree reductions: LSE, LSE (C0), LSE (C1),
// LSE (C2), Simple and Eck. Oracles, in double and independent of the code
// under test: a polygon elevated from a known Q reduces back to Q; a
// least-squares result leaves a residual orthogonal to every direction in
// which its free parameters move the elevated polygon; Eck's blend by hand.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bezier/degree_reduction.h"
#include "bezier_test_support.h"
#include "resources/command_ids.h"

namespace tambra::bezier_test {
namespace {

struct Variant {
  const char* name;
  void (*run)(Platform&);
  int command;
  bool followsStep;  // m = n - degreeStep; Simple and Eck always take m = n - 1
  int least;         // fewest new points
  int held;          // points held at each end: C0 1, C1 2, C2 3
};
const Variant kLse{"Lse", LseDegreeReduction, kCmdReduceLse, true, 3, 0};
const Variant kLseC0{"LseC0", LseC0DegreeReduction, kCmdReduceLseC0, true, 3, 1};
const Variant kLseC1{"LseC1", LseC1DegreeReduction, kCmdReduceLseC1, true, 4, 2};
const Variant kLseC2{"LseC2", LseC2DegreeReduction, kCmdReduceLseC2, true, 6, 3};
const Variant kSimple{"Simple", SimpleDegreeReduction, kCmdReduceSimple, false, 3, 0};
const Variant kEck{"Eck", EckDegreeReduction, kCmdReduceEck, false, 2, 0};
const Variant kAll[] = {kLse, kLseC0, kLseC1, kLseC2, kSimple, kEck};

int NewCount(const Variant& v, int n, int step) { return v.followsStep ? n - step : n - 1; }

struct D { double x = 0.0, y = 0.0; };  // a point or vector in double
D operator+(D a, D b) { return {a.x + b.x, a.y + b.y}; }
D operator-(D a, D b) { return {a.x - b.x, a.y - b.y}; }
D operator*(double s, D a) { return {s * a.x, s * a.y}; }
D V(Point2 p) { return {p.x, p.y}; }
double Dot(D a, D b) { return a.x * b.x + a.y * b.y; }
// |sin| of the angle between a and b.
double Sine(D a, D b) {
  return std::fabs(a.x * b.y - a.y * b.x) / std::sqrt(Dot(a, a) * Dot(b, b));
}

class BezierReductionTest : public BezierFixture {
 protected:
  void TearDown() override { CloseLog(); }
  void CloseLog() {
    if (m.logFile != nullptr) std::fclose(m.logFile);
    m.logFile = nullptr;
    m.logActive = 0;
  }
  void OpenLog() {
    CloseLog();
    m.logFile = std::tmpfile();
    m.logActive = m.logFile != nullptr;
  }
  std::string LogBytes() {
    std::string bytes;
    if (m.logFile == nullptr) return bytes;
    std::fflush(m.logFile);
    std::rewind(m.logFile);
    for (int c; (c = std::fgetc(m.logFile)) != EOF;) bytes += static_cast<char>(c);
    return bytes;
  }
  void Run(const Variant& v, const std::vector<Point2>& p, int step, int save = 1) {
    SetPolygon(p);
    m.degreeStep = step;
    m.saveResults = save;
    v.run(window);
  }
};

// An elevated polygon reduces back to the polygon it came from, up to the
// largest systems the solver takes (99 data points, 98 unknowns), whatever
// an earlier command left in the scratch matrices. C1 and C2 at 10 points
// solve for more unknowns than there are points: stale work matrices beyond
// the point count once piled up there until every run failed.
TEST_F(BezierReductionTest, ElevatedPolygonsReduceBackToTheOriginal) {
  std::vector<std::tuple<const Variant*, int, int>> cases = {
      {&kLse, 98, 1}, {&kLseC0, 98, 1}, {&kLseC1, 52, 1}, {&kLseC2, 53, 1}, {&kSimple, 98, 1}};
  for (const Variant& v : kAll) {
    for (int size : {v.least, 7, 10}) {
      for (int r : {0, 1, 3}) {
        if (v.followsStep || r == 1) cases.emplace_back(&v, size, r);
      }
    }
  }
  for (const auto& [v, size, r] : cases) {
    SCOPED_TRACE(::testing::Message() << v->name << ": " << size << " points, r = " << r);
    const std::vector<Point2> q = GenericPolygon(size, 1000 + 13 * size + r);
    const int step = v->followsStep ? r : 3;  // Simple puts degreeStep back
    PoisonScratch();
    Run(*v, ElevatedPolygon(q, r), step);
    ASSERT_EQ(m.pointCount, size);
    EXPECT_EQ(m.degreeStep, step);
    const double tolerance = size > 10 ? 0.5 : 1e-2;
    ExpectPolygonNear(Polygon(), q, tolerance);
    EXPECT_LE(MaxCurveDistance(q, Polygon()), tolerance);
  }
}

// On generic data every LSE variant is a least-squares fit: the residual
// P - E^T Q is orthogonal to each way a parameter moves the polygon. A free
// point moves in x and in y; C1 moves Q1 along the start tangent T0; C2
// moves Q1 and Q2 by T0 and 2 T0, and Q2 along the second difference S0;
// the same mirrored at the far end. C1 at m = 4 and C2 at m = 6 have no
// free point at all.
TEST_F(BezierReductionTest, LeastSquaresResidualIsOrthogonalToEveryParameter) {
  using Motion = std::vector<std::pair<int, D>>;  // (point, direction)
  auto second = [](Point2 a, Point2 b, Point2 c) { return V(a) - 2.0 * V(b) + V(c); };
  for (const Variant& v : {kLse, kLseC0, kLseC1, kLseC2}) {
    for (int step : {1, 2, 3}) {
      for (int extra : {0, 2, 5}) {
        const int mm = v.least + extra, n = mm + step;
        SCOPED_TRACE(::testing::Message() << v.name << ", n = " << n << ", r = " << step);
        const std::vector<Point2> p = GenericPolygon(n, 500 + 3 * n + step);
        Run(v, p, step);
        ASSERT_EQ(m.pointCount, mm);
        const std::vector<Point2> q = Polygon();
        const D t0 = V(p[1]) - V(p[0]), t1 = V(p[n - 2]) - V(p[n - 1]);
        const D s0 = second(p[0], p[1], p[2]), s1 = second(p[n - 1], p[n - 2], p[n - 3]);
        // Q belongs to the family: the ends held, the end directions kept.
        EXPECT_TRUE(v.held == 0 || SameBits({q[0], q[mm - 1]}, {p[0], p[n - 1]}));
        EXPECT_LE(v.held < 2 ? 0.0 : Sine(V(q[1]) - V(q[0]), t0), 1e-5);
        EXPECT_LE(v.held < 2 ? 0.0 : Sine(V(q[mm - 2]) - V(q[mm - 1]), t1), 1e-5);
        EXPECT_LE(v.held < 3 ? 0.0 : Sine(second(q[0], q[1], q[2]), s0), 1e-4);
        EXPECT_LE(v.held < 3 ? 0.0 : Sine(second(q[mm - 1], q[mm - 2], q[mm - 3]), s1), 1e-4);
        std::vector<Motion> motions;
        auto add = [&](std::initializer_list<Motion> more) { motions.insert(motions.end(), more); };
        for (int i = v.held; i < mm - v.held; ++i) add({{{i, {1, 0}}}, {{i, {0, 1}}}});
        if (v.held == 2) add({{{1, t0}}, {{mm - 2, t1}}});
        if (v.held == 3) {
          add({{{1, t0}, {2, 2.0 * t0}}, {{2, s0}}});
          add({{{mm - 2, t1}, {mm - 3, 2.0 * t1}}, {{mm - 3, s1}}});
        }
        const std::vector<Point2> elevated = ElevatedPolygon(q, step);
        for (const Motion& motion : motions) {
          double dot = 0.0, scale = 0.0;
          for (int j = 0; j < n; ++j) {
            for (const auto& [i, d] : motion) {
              const double e = ElevationWeight(mm, step, i, j);
              dot += e * Dot(V(p[j]) - V(elevated[j]), d);
              scale += e * std::sqrt(Dot(d, d)) * std::max(std::fabs(p[j].x), std::fabs(p[j].y));
            }
          }
          EXPECT_LE(std::fabs(dot), 1e-4 * scale) << "motion of point " << motion[0].first;
        }
      }
    }
  }
}

// A reduction that cannot run (too few points, a system beyond the storage
// or the solver, a zero-length end direction, an overflow) leaves the model,
// the picture and the log alone, with and without Save.
TEST_F(BezierReductionTest, ReductionsThatCannotRunDoNothing) {
  using Poly = std::vector<Point2>;
  struct Case {
    const Variant* v;
    int n, step;
    const char* what;
    void (*spoil)(Poly&) = nullptr;
  };
  const Case cases[] = {
      {&kLse, 4, 2, "m = 2"},           {&kLseC0, 4, 2, "m = 2"},
      {&kLseC1, 4, 1, "m = 3"},         {&kLseC2, 6, 1, "m = 5"},
      {&kLseC2, 8, 3, "m = 5"},         {&kSimple, 3, 1, "3 points"},
      {&kEck, 2, 1, "2 points"},        {&kLse, 0, 0, "no points"},
      {&kLse, 100, 1, "n = 100"},       {&kLse, 100, 50, "n = 100"},
      {&kLseC0, 100, 1, "n = 100"},     {&kSimple, 100, 1, "n = 100"},
      {&kLseC1, 54, 1, "100 unknowns"}, {&kLseC2, 55, 1, "100 unknowns"},
      {&kLseC1, 10, 2, "P1 = P0", [](Poly& p) { p[1] = p[0]; }},
      {&kLseC1, 10, 2, "last two equal", [](Poly& p) { p[8] = p[9]; }},
      {&kLseC2, 10, 2, "P1 = P0", [](Poly& p) { p[1] = p[0]; }},
      {&kLseC2, 10, 2, "last two equal", [](Poly& p) { p[8] = p[9]; }},
      {&kLseC2, 10, 2, "no start second difference",
       [](Poly& p) { p[2] = Point2{2 * p[1].x - p[0].x, 2 * p[1].y - p[0].y}; }},
      {&kLseC2, 10, 2, "no end second difference",
       [](Poly& p) { p[7] = Point2{2 * p[8].x - p[9].x, 2 * p[8].y - p[9].y}; }},
      {&kSimple, 6, 1, "leading difference overflows", [](Poly& p) { p[2] = {3e38f, -3e38f}; }},
  };
  for (const Case& c : cases) {
    Poly p = GenericPolygon(kMaxPoints, 140 + c.n);
    if (c.spoil != nullptr) c.spoil(p);
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << c.v->name << ": " << c.what << ", save " << save);
      window.Canvas().Resize(800, 600);
      OpenLog();
      SetPolygon(p);
      Run(*c.v, Poly(p.begin(), p.begin() + c.n), c.step, save);
      EXPECT_EQ(m.pointCount, c.n);
      EXPECT_EQ(m.degreeStep, c.step);
      EXPECT_TRUE(SameBits(AllPoints(), p));
      EXPECT_EQ(window.Canvas().CountNonWhite(), 0);
      EXPECT_EQ(LogBytes(), "");
    }
  }
}

// Every size from empty to full, any step and degenerate or extreme points:
// nothing crashes (the sanitiser build checks the storage), every point and
// logged number stays finite, and the result is either the reduced polygon
// (with Save) or the untouched input.
TEST_F(BezierReductionTest, EverySizeStepAndShapeIsSafe) {
  using Shape = Point2 (*)(int i, Point2 generic);
  const Shape shapes[] = {
      [](int, Point2 g) { return g; }, [](int, Point2) { return Point2{250, 250}; },
      [](int, Point2) { return Point2{0, 0}; },
      [](int i, Point2) { return Point2{100.0f + 10.0f * i, 50.0f + 5.0f * i}; },  // collinear
      [](int i, Point2) { return Point2{1e-30f * i, 1e-30f * (i % 3)}; },  // squares underflow
      [](int i, Point2) { return Point2{1e-40f * (i % 2), 1e-40f * (i % 3)}; },  // subnormal
      [](int, Point2 g) { return Point2{g.x * 4e35f, -g.y * 4e35f}; },  // huge
  };
  const std::vector<Point2> generic = GenericPolygon(kMaxPoints, 210);
  const std::vector<int> everyStep = {-1, 0, 1, 2, 7, 48, INT_MAX}, smallSteps = {1, 2};
  for (const Variant& v : kAll) {
    for (size_t s = 0; s < std::size(shapes); ++s) {
      std::vector<Point2> all(kMaxPoints);
      for (int i = 0; i < kMaxPoints; ++i) all[i] = shapes[s](i, generic[i]);
      CloseLog();
      if (s > 0) OpenLog();  // the generic shape's log is large and plain
      for (int n = 0; n <= kMaxPoints; n += s == 0 || n < 9 ? 1 : 9) {
        for (int step : s == 0 ? everyStep : smallSteps) {
          for (int save : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << v.name << ", shape " << s << ", n = " << n
                                              << ", r = " << step << ", save " << save);
            SetPolygon(all);
            Run(v, std::vector<Point2>(all.begin(), all.begin() + n), step, save);
            ASSERT_EQ(m.degreeStep, step);
            for (Point2 e : AllPoints()) ASSERT_TRUE(std::isfinite(e.x) && std::isfinite(e.y));
            if (m.pointCount != n) {
              ASSERT_EQ(save, 1) << "without Save the count changed";
              ASSERT_EQ(m.pointCount, NewCount(v, n, step));
            } else if (save == 0 || !v.followsStep || step != 0) {
              ASSERT_TRUE(SameBits(AllPoints(), all)) << "the count is kept, the points changed";
            }
          }
        }
      }
      const std::string log = LogBytes();
      EXPECT_EQ(log.find("nan"), std::string::npos) << v.name << ", shape " << s;
      EXPECT_EQ(log.find("inf"), std::string::npos) << v.name << ", shape " << s;
    }
  }
}

// Without Save the model is kept and the result only drawn in red; with
// Save it replaces the curve; the log is the same either way. The menu runs
// the same reduction on curves and none on surfaces.
TEST_F(BezierReductionTest, SaveDecidesWhetherTheResultIsKeptAndTheMenuRunsIt) {
  const std::vector<Point2> p = GenericPolygon(10, 181);
  for (const Variant& v : kAll) {
    std::string logs[2];
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << v.name << ", save " << save);
      window.Canvas().Resize(800, 600);
      OpenLog();
      Run(v, p, 2, save);
      logs[save] = LogBytes();
      EXPECT_EQ(m.degreeStep, 2);
      EXPECT_GT(CountPixels(kRed), 0);
      EXPECT_EQ(CountPixels(kBlack), 0);
      EXPECT_EQ(m.pointCount, save == 1 ? NewCount(v, 10, 2) : 10);
      EXPECT_TRUE(save == 1 || SameBits(Polygon(), p));
      for (Point2 e : Polygon()) {
        const bool inside = e.x >= 0 && e.y >= 0 && e.x < 800 && e.y < 600;
        EXPECT_TRUE(save == 0 || !inside || MarkedIn(e, kRed)) << e.x << ", " << e.y;
      }
    }
    EXPECT_NE(logs[0], "") << v.name;
    EXPECT_EQ(logs[0], logs[1]) << v.name;
    const std::vector<Point2> saved = Polygon();
    SetPolygon(p);
    window.Command(v.command);
    EXPECT_TRUE(SameBits(Polygon(), saved)) << v.name << " by the menu";
  }
  window.Command(kCmdSurfaces);
  for (const Variant& v : kAll) {
    window.Canvas().Resize(800, 600);
    SetPolygon(p);
    window.Command(v.command);
    EXPECT_TRUE(SameBits(Polygon(), p) && window.Canvas().CountNonWhite() == 0) << v.name;
  }
}

// Simple removes the leading power term (S / 8)(2t - 1)^3, S = P3 - 3 P2 +
// 3 P1 - P0, which leaves a quadratic written with 4 points: the result is
// that quadratic. Eck blends its forward and backward recursions F and B as
// (1 - lambda_i) F_i + lambda_i B_(i+1), lambda = 1/32, 16/32, 31/32.
TEST_F(BezierReductionTest, SimpleAndEckOnFourPointsFollowTheirFormulas) {
  const std::vector<Point2> p = {{100, 500}, {250, 80}, {520, 420}, {700, 150}};
  const D s = V(p[3]) - 3.0 * V(p[2]) + 3.0 * V(p[1]) - V(p[0]);
  const std::vector<D> adjusted = {V(p[0]) + 0.125 * s, V(p[1]) - 0.125 * s,
                                   V(p[2]) + 0.125 * s, V(p[3]) - 0.125 * s};
  Run(kSimple, p, 1);
  ASSERT_EQ(m.pointCount, 3);
  ExpectPolygonNear(ElevatedPolygon(Polygon(), 1), adjusted, 1e-2);

  const D f0 = V(p[0]), f1 = 0.5 * (3.0 * V(p[1]) - f0), f2 = 3.0 * V(p[2]) - 2.0 * f1;
  const D b3 = V(p[3]), b2 = 0.5 * (3.0 * V(p[2]) - b3), b1 = 3.0 * V(p[1]) - 2.0 * b2;
  Run(kEck, p, 1);
  ExpectPolygonNear(Polygon(), std::vector<D>{(31.0 / 32) * f0 + (1.0 / 32) * b1,
                                              (16.0 / 32) * f1 + (16.0 / 32) * b2,
                                              (1.0 / 32) * f2 + (31.0 / 32) * b3}, 1e-3);
}

// Near the far end the forward recursion's error grows like C(m-1, m/2)
// while its weight 1 - lambda_i falls to 2^-(2m-1): unless that weight keeps
// its relative precision, polygons of 40 or more points come back far off.
TEST_F(BezierReductionTest, EckRecoversElevatedPolygonsOfEverySize) {
  const std::vector<Point2> cubic = GenericPolygon(4, 170);
  for (int n = 5; n <= kMaxPoints; ++n) {
    SCOPED_TRACE(n);
    Run(kEck, ElevatedPolygon(cubic, n - 4), 1);
    ExpectPolygonNear(Polygon(), ElevatedPolygon(cubic, n - 5), 1e-2);
  }
}

// The log holds exactly the reduced polygon's section: its control points,
// then the curve's points (with grid 1 only the two ends), y measured up.
TEST_F(BezierReductionTest, LogHoldsExactlyTheReducedPolygonsSection) {
  const std::vector<Point2> cubic = {{100, 500}, {200, 100}, {500, 150}, {700, 450}};
  m.grid = 1;
  OpenLog();
  Run(kLse, ElevatedPolygon(cubic, 1), 1);
  ASSERT_EQ(m.pointCount, 4);
  char line[128];
  auto point = [&](Point2 e) {
    std::snprintf(line, sizeof line, "%7.5f %7.5f\r\n", double(e.x), 600.0 - double(e.y));
    return std::string(line);
  };
  std::string expected = "\r\n\r\n# In Bezier curve, control point count:=4\r\n";
  for (Point2 e : Polygon()) expected += point(e);
  expected += "\r\n\r\n# In Bezier curve, data point count:=1\r\n" + point(m.points[0]) +
              point(m.points[3]) + "# End Data\r\n\r\n";
  EXPECT_EQ(LogBytes(), expected);
}

}  // namespace
}  // namespace tambra::bezier_test
