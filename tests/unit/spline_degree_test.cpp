// B-spline and NURBS degree elevation and reduction and the NURBS
// refinement, run as menu commands and checked against de Boor's algorithm
// evaluated here in double, the Bezier elevation formula and the dumps.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "numeric/knot_vector.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

using Points = std::vector<Point2>;
using Floats = std::vector<float>;
struct P {
  double x, y;
};

const Points kFive = {{40, 500}, {120.5f, 80.25f}, {400, 560}, {610.75f, 90}, {760, 420}};
const Floats kCubic5 = {0, 0, 0, 0, 1, 2, 2, 2, 2};
const Floats kQuartic = {0, 0, 0, 0, 0, 2, 2, 2, 2, 2};  // one piece

// The point at u by de Boor's algorithm on (w P, w), t(k-1) <= u <= t(n).
P DeBoor(const ModelState& m, double u) {
  const int n = m.pointCount, k = m.order;
  int s = k - 1;
  while (s + 1 < n && m.knots[s + 1] <= u) ++s;
  std::vector<double> x(k), y(k), h(k);
  for (int j = 0, i = s - k + 1; j < k; ++j, ++i)
    h[j] = m.weights[i], x[j] = h[j] * m.points[i].x, y[j] = h[j] * m.points[i].y;
  for (int r = 1; r < k; ++r) {
    for (int j = k - 1, i = s; j >= r; --j, --i) {
      const double a = (u - m.knots[i]) / (double(m.knots[i + k - r]) - m.knots[i]);
      x[j] = (1 - a) * x[j - 1] + a * x[j], y[j] = (1 - a) * y[j - 1] + a * y[j];
      h[j] = (1 - a) * h[j - 1] + a * h[j];
    }
  }
  return {x[k - 1] / h[k - 1], y[k - 1] / h[k - 1]};
}

// Largest distance between two curves over 400 parameters of the first's span.
double CurveDistance(const ModelState& a, const ModelState& b) {
  const double lo = a.knots[a.order - 1], hi = a.knots[a.pointCount];
  double worst = 0;
  for (int i = 0; i <= 400; ++i) {
    const double u = lo + (hi - lo) * i / 400;
    const P p = DeBoor(a, u), q = DeBoor(b, u);
    worst = std::max(worst, std::hypot(p.x - q.x, p.y - q.y));
  }
  return worst;
}

Floats KnotsOf(const ModelState& m) { return Floats(m.knots, m.knots + m.pointCount + m.order); }

// The "rows, cols" headers of a dump, in order.
std::vector<std::pair<int, int>> Headers(const std::string& text) {
  std::vector<std::pair<int, int>> sizes;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    int rows, cols, used = 0;
    const std::string line = text.substr(at, end - at);
    if (std::sscanf(line.c_str(), "%d, %d, %n", &rows, &cols, &used) == 2 &&
        used == int(line.size()))
      sizes.emplace_back(rows, cols);
  }
  return sizes;
}

// The sum line of "matrix.dat".
double DumpSum() {
  const std::string dump = ReadFile("matrix.dat");
  double sum = NAN;
  std::sscanf(dump.c_str() + std::min(dump.size(), dump.rfind("sum:=")), "sum:=%lf", &sum);
  return sum;
}

// The model without the snapshot the command keeps in it and without the
// entries beyond the curve's points and its knots' terminating entry, which
// a restored snapshot does not cover.
std::vector<unsigned char> CurveBytes() {
  auto copy = std::make_unique<ModelState>(Model());
  const int n = copy->pointCount;
  std::fill(copy->points + n, std::end(copy->points), Point2{});
  std::fill(copy->weights + n, std::end(copy->weights), 0.0f);
  std::fill(copy->knots + n + copy->order + 1, std::end(copy->knots), 0.0f);
  copy->curveSnapshot = CurveCopy{};
  return ModelBytes(*copy);
}

class SplineDegreeTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    SessionTest::TearDown();
  }
  // A curve with its knots and a terminating entry below the last; weights 1 when none given.
  void SetCurve(const Points& p, const Floats& t, int k, int kind = kNurbs, Floats w = {}) {
    m.curveKind = kind, m.pointCount = int(p.size()), m.order = k, m.saveResults = 1;
    std::copy(p.begin(), p.end(), m.points);
    w.resize(p.size(), 1.0f);
    std::copy(w.begin(), w.end(), m.weights);
    std::fill(std::begin(m.knots), std::end(m.knots), std::min(0.0f, t.back() - 1));
    std::copy(t.begin(), t.end(), m.knots);
  }
  std::filesystem::path old_;
};

TEST_F(SplineDegreeTest, ElevationKeepsTheCurve) {
  struct Case {
    int n, k, t, kind;
    Floats w, knots, expect;
  };
  const Floats wave = {1, 2.5f, 0.5f, 1.5f, 1};
  const Case cases[] = {
      {5, 4, 1, kBSpline, {}, kCubic5, {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2}},
      {5, 4, 2, kNurbs, wave, kCubic5, {0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2}},
      {5, 3, 1, kNurbs, wave, {-1, -1, -1, 0.5f, 0.5f, 3, 3, 3}, {}},
      {5, 3, 1, kNurbs, wave, {-4, -4, -4, -3, -3, -1, -1, -1}, {}},  // the terminator below -1
      {4, 4, 3, kNurbs, {1, 3, 0.25f, 1}, {0, 0, 0, 0, 1, 1, 1, 1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n * 100 + c.k * 10 + c.t);
    SetCurve(Points(kFive.begin(), kFive.begin() + c.n), c.knots, c.k, c.kind, c.w);
    m.degreeStep = c.t;
    const ModelState before = m;
    const int pieces = 1 + (c.n > c.k ? 1 : 0);
    window.Command(c.kind == kBSpline ? kCmdBSplineElevation : kCmdNurbsElevation);
    EXPECT_EQ(m.order, c.k + c.t);
    EXPECT_EQ(m.pointCount, c.n + pieces * c.t);
    if (!c.expect.empty()) {
      EXPECT_EQ(KnotsOf(m), c.expect);
    }
    EXPECT_EQ(ScanKnots(m.knots), m.pointCount + m.order);
    EXPECT_LT(CurveDistance(before, m), 1e-3);
  }
}

// The Bezier points of the pieces are marked and logged only with the
// Chaikin value 0; their two log sections are there either way.
TEST_F(SplineDegreeTest, SingleBezierPieceIsBezierElevation) {
  for (int steps : {0, 1}) {
    SCOPED_TRACE(steps);
    SetCurve(Points(kFive.begin(), kFive.begin() + 4), {0, 0, 0, 0, 1, 1, 1, 1}, 4, kBSpline);
    m.chaikinSteps = steps;
    m.logFile = std::tmpfile(), m.logActive = 1;
    window.Command(kCmdBSplineElevation);
    std::string log(std::ftell(m.logFile), '\0');
    std::rewind(m.logFile);
    log.resize(std::fread(log.data(), 1, log.size(), m.logFile));
    std::fclose(m.logFile);
    m.logFile = nullptr, m.logActive = 0;
    std::vector<long> sections;
    const std::string header = "# In debug control polygon\r\n";
    for (size_t at = 0; (at = log.find(header, at)) != std::string::npos; at += header.size()) {
      const size_t end = log.find("# End data\r\n", at);
      sections.push_back(std::count(log.begin() + at, log.begin() + end, '\n') - 1);
    }
    EXPECT_EQ(sections, (steps == 0 ? std::vector<long>{4, 5} : std::vector<long>{0, 0}));
    ASSERT_EQ(m.pointCount, 5);
    for (int i = 0; i < 5; ++i) {  // Q(i) = i/4 P(i-1) + (1 - i/4) P(i)
      const double a = i / 4.0;
      const Point2 p = kFive[std::max(i - 1, 0)], q = kFive[std::min(i, 3)];
      EXPECT_NEAR(m.points[i].x, a * p.x + (1 - a) * q.x, 1e-3);
      EXPECT_NEAR(m.points[i].y, a * p.y + (1 - a) * q.y, 1e-3);
      EXPECT_NEAR(m.weights[i], 1.0, 1e-6);
    }
  }
}

TEST_F(SplineDegreeTest, ElevateThenReduceReturnsTheCurve) {
  for (int t : {1, 2}) {
    SCOPED_TRACE(t);
    // The sum leaves the weights out: it is the distance only with weights 1.
    const Floats w = t == 1 ? Floats(5, 1.0f) : Floats{1, 2.5f, 0.5f, 1.5f, 1};
    SetCurve(kFive, kCubic5, 4, kNurbs, w);
    m.degreeStep = t;
    window.Command(kCmdNurbsElevation);
    window.Command(kCmdNurbsReduction);
    ASSERT_EQ(m.pointCount, 5);
    EXPECT_EQ(m.order, 4);
    EXPECT_EQ(KnotsOf(m), kCubic5);
    EXPECT_EQ(m.knots[9], 0.0f);
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(m.points[i].x, kFive[i].x, 0.05);
      EXPECT_NEAR(m.points[i].y, kFive[i].y, 0.05);
      EXPECT_NEAR(m.weights[i], w[i], 1e-3);
    }
    // Bp = pS + 1 and Bq = (p - t)S + 1 for S = 2 pieces of degree p = 3 + t.
    const std::string dump = ReadFile("matrix.dat");
    const int p = 3 + t, bp = 2 * p + 1, bq = 7, n = 5 + 2 * t;
    const std::vector<std::pair<int, int>> sizes = {{bp, bq}, {bq, 5}, {bp, bp}, {bp, n}, {n, n}};
    EXPECT_EQ(Headers(dump), sizes);
    EXPECT_NEAR(DumpSum(), 0.0, t == 1 ? 1.0 : 1e3);
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 2 * 5 + 3 * bp + bq + 2 * n + 2);
  }
}

TEST_F(SplineDegreeTest, ReductionFitsInLeastSquares) {
  // A quartic on simple knots has no exact cubic: the fit is close, the sum positive.
  SetCurve(kFive, kQuartic, 5);
  const ModelState before = m;
  window.Command(kCmdNurbsReduction);
  ASSERT_EQ(m.order, 4);
  EXPECT_EQ(KnotsOf(m), Floats({0, 0, 0, 0, 2, 2, 2, 2}));
  EXPECT_LT(CurveDistance(before, m), 60);
  EXPECT_GT(DumpSum(), 1.0);
}

TEST_F(SplineDegreeTest, SaveOffLeavesTheModel) {
  for (int command :
       {kCmdBSplineElevation, kCmdNurbsElevation, kCmdNurbsReduction, kCmdNurbsSimulation}) {
    SCOPED_TRACE(command);
    SetCurve(kFive, {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2}, 5);
    m.pointCount = 7, m.saveResults = 0, m.insertKnot = 1.5f;
    std::fill_n(m.weights, 7, 1.0f);
    const std::vector<unsigned char> before = CurveBytes();
    window.Command(command);
    EXPECT_EQ(CurveBytes(), before);
  }
}

TEST_F(SplineDegreeTest, RefusalsLeaveTheModel) {
  struct Case {
    const char* name;
    int command, k, t;
    Floats knots, w;
    int n = 5;
  };
  const Case cases[] = {
      {"reduce simple knots", kCmdNurbsReduction, 4, 1, kCubic5, {}},
      {"not clamped", kCmdNurbsElevation, 4, 1, {0, 0, 0, 1, 2, 3, 3, 3, 3}, {}},
      {"not clamped", kCmdNurbsSimulation, 4, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {}},
      {"no terminator", kCmdNurbsElevation, 4, 1, kCubic5, {}},
      {"order 1", kCmdNurbsElevation, 1, 1, {0, 1, 2, 3, 4, 5}, {}},
      {"order too low", kCmdNurbsReduction, 5, 4, kQuartic, {}},
      {"zero weight", kCmdNurbsElevation, 4, 1, kCubic5, {1, 0, 1, 1, 1}},
      {"infinite weight", kCmdNurbsReduction, 5, 1, kQuartic, {1, INFINITY, 1, 1, 1}},
      {"beyond the storage", kCmdNurbsElevation, 4, 40, {}, {}},
      {"beyond the storage", kCmdNurbsSimulation, 4, 1, {}, {}, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Points p(c.n);
    for (int i = 0; i < c.n; ++i) p[i] = Point2{10.0f + 7 * i, 100.0f + (i % 3) * 50};
    Floats t = c.knots;
    for (int i = 0; t.empty() && i < c.n + c.k; ++i)
      t.push_back(float(std::clamp(i - c.k + 1, 0, c.n - c.k + 1)));
    SetCurve(p, t, c.k, kNurbs, c.w);
    m.degreeStep = c.t;
    if (std::string(c.name) == "no terminator") std::fill(m.knots + 9, std::end(m.knots), 5.0f);
    const std::vector<unsigned char> before = ModelBytes();
    window.Command(c.command);
    EXPECT_EQ(ModelBytes(), before);
    EXPECT_FALSE(std::filesystem::exists("matrix.dat") || std::filesystem::exists("mdmat.dat"));
    EXPECT_TRUE(window.Errors().empty());
  }
}

TEST_F(SplineDegreeTest, SimulationRefinesAtMidpoints) {
  SetCurve(kFive, kCubic5, 4);
  m.saveResults = 0;
  window.Command(kCmdNurbsSimulation);
  EXPECT_EQ(m.insertKnot, 1.5f);
  m.saveResults = 1;
  const ModelState before = m;
  window.Command(kCmdNurbsSimulation);
  ASSERT_EQ(m.pointCount, 7);
  EXPECT_EQ(KnotsOf(m), Floats({0, 0, 0, 0, 0.5f, 1, 1.5f, 2, 2, 2, 2}));
  EXPECT_EQ(m.knots[11], 0.0f);
  EXPECT_EQ(Headers(ReadFile("mdmat.dat")), (std::vector<std::pair<int, int>>{{7, 5}}));
  EXPECT_LT(CurveDistance(before, m), 1e-3);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(m.weights[i], 1.0f);
  // Double interior knots: every midpoint twice; a single piece: k times.
  SetCurve(Points(kFive.begin(), kFive.begin() + 4), {0, 0, 0, 0, 1, 1, 1, 1}, 4);
  window.Command(kCmdNurbsSimulation);
  EXPECT_EQ(KnotsOf(m), Floats({0, 0, 0, 0, 0.5f, 0.5f, 0.5f, 0.5f, 1, 1, 1, 1}));
  SetCurve(kFive, {0, 0, 0, 1, 1, 2, 2, 2}, 3);
  window.Command(kCmdNurbsSimulation);
  EXPECT_EQ(KnotsOf(m), Floats({0, 0, 0, 0.5f, 0.5f, 1, 1, 1.5f, 1.5f, 2, 2, 2}));
}

TEST_F(SplineDegreeTest, UnwritableDirectoryIsReported) {
  for (int command : {kCmdNurbsReduction, kCmdNurbsSimulation}) {
    const char* name = command == kCmdNurbsReduction ? "matrix.dat" : "mdmat.dat";
    SCOPED_TRACE(name);
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    std::filesystem::remove(std::filesystem::current_path());  // no file can be created here
    SetCurve(kFive, {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2}, 5);
    m.pointCount = 7;
    const std::vector<unsigned char> before = ModelBytes();
    window.ClearErrors();
    window.Command(command);
    EXPECT_EQ(ModelBytes(), before);
    ASSERT_EQ(window.Errors().size(), 1u);
    EXPECT_NE(window.Errors()[0].find(name), std::string::npos);
    EXPECT_NE(window.Errors()[0].find("No such file"), std::string::npos);
    std::filesystem::current_path(dir);
  }
}

}  // namespace
}  // namespace tambra
