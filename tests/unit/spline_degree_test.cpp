// B-spline and NURBS degree elevation and reduction and the NURBS refinement, run
// as menu commands and checked against de Boor's algorithm in double and the dumps.
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <random>
#include <tuple>

#include "curve_test_support.h"
#include "numeric/knot_vector.h"
#include "numeric/spline_matrices.h"
#include "resources/command_ids.h"
#include "scratch_support.h"

namespace tambra {
namespace {
using namespace curve_test;

Floats KnotsOf(const ModelState& m) { return Floats(m.knots, m.knots + m.pointCount + m.order); }

// The number on the sum line of "matrix.dat".
double DumpSum() {
  const std::string dump = ReadFile("matrix.dat");
  double sum = NAN;
  std::sscanf(dump.c_str() + std::min(dump.size(), dump.rfind("sum:=")), "sum:=%lf", &sum);
  return sum;
}

// The integral over [0, 1] of B(i, p) B(j, q): C(p, i) C(q, j) (i+j)! (p+q-i-j)! / (p+q+1)!.
double BernsteinProduct(int i, int p, int j, int q) {
  auto f = [](int x) { return std::tgamma(x + 1.0); };
  return f(p) / (f(i) * f(p - i)) * f(q) / (f(j) * f(q - j)) * f(i + j) * f(p + q - i - j) /
         f(p + q + 1);
}

// The model without the command's snapshot and the entries past the curve and
// its knots' terminator, which a restored snapshot does not cover.
std::vector<unsigned char> CurveBytes() {
  auto copy = std::make_unique<ModelState>(Model());
  const int n = copy->pointCount;
  std::fill(copy->points + n, std::end(copy->points), Point2{});
  std::fill(copy->weights + n, std::end(copy->weights), 0.0f);
  std::fill(copy->knots + n + copy->order + 1, std::end(copy->knots), 0.0f);
  copy->curveSnapshot = CurveCopy{};
  return ModelBytes(*copy);
}

class SplineDegreeTest : public CurveTest {
 protected:
  void SetUp() override {
    CurveTest::SetUp();
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    CurveTest::TearDown();
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
  void SetReducible() {  // order 5 with a double inner knot
    SetCurve(kFive, {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2}, 5);
    m.pointCount = 7;
    std::fill_n(m.weights, 7, 1.0f);
  }
  std::filesystem::path old_;
};

TEST_F(SplineDegreeTest, ElevationKeepsTheCurve) {
  struct Case { int n, k, t, kind; Floats w, knots, expect; };
  const Floats wave = {1, 2.5f, 0.5f, 1.5f, 1};
  const Case cases[] = {
      {5, 4, 1, kBSpline, {}, kCubic5, {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2}},
      {5, 4, 2, kNurbs, wave, kCubic5, {0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2}},
      {5, 3, 1, kNurbs, wave, {-1, -1, -1, 0.5f, 0.5f, 3, 3, 3}, {}},
      {4, 4, 3, kNurbs, {1, 3, 0.25f, 1}, {0, 0, 0, 0, 1, 1, 1, 1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n * 100 + c.k * 10 + c.t);
    SetCurve(Points(kFive.begin(), kFive.begin() + c.n), c.knots, c.k, c.kind, c.w);
    m.degreeStep = c.t;
    const ModelState before = m;
    window.Command(c.kind == kBSpline ? kCmdBSplineElevation : kCmdNurbsElevation);
    EXPECT_EQ(std::tuple(m.order, m.pointCount), std::tuple(c.k + c.t, c.n + (c.n > c.k ? 2 : 1) * c.t));
    if (!c.expect.empty()) { EXPECT_EQ(KnotsOf(m), c.expect); }
    EXPECT_EQ(ScanKnots(m.knots), m.pointCount + m.order);
    EXPECT_LT(CurveDistance(before, m), 1e-3);
  }
}

// By two with weights (by one on unit weights, and its dump, is the replay's).
TEST_F(SplineDegreeTest, ElevateThenReduceReturnsTheCurve) {
  const Floats w = {1, 2.5f, 0.5f, 1.5f, 1};
  SetCurve(kFive, kCubic5, 4, kNurbs, w);
  m.degreeStep = 2;
  window.Command(kCmdNurbsElevation);
  window.Command(kCmdNurbsReduction);
  ASSERT_EQ(m.pointCount, 5);
  EXPECT_EQ(std::tuple(m.order, KnotsOf(m), m.knots[9]), std::tuple(4, kCubic5, 0));
  for (int i = 0; i < 5; ++i) {
    EXPECT_LE(Distance({m.points[i].x, m.points[i].y}, {kFive[i].x, kFive[i].y}), 0.05);
    EXPECT_NEAR(m.weights[i], w[i], 1e-3);
  }
}

// On one Bezier piece of degree p the reduction to degree q is the curve of
// degree q nearest in the integral of the squared distance: the residual is
// orthogonal to every B(i, q), and the dump's sum is that integral.
TEST_F(SplineDegreeTest, OnePieceReductionIsTheLeastSquaresFit) {
  Points six = kFive;
  six.push_back({300, 20});
  for (int t : {1, 2}) {
    const int p = 5, q = p - t;
    SetCurve(six, {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}, 6);
    m.degreeStep = t;
    window.Command(kCmdNurbsReduction);
    ASSERT_EQ(m.pointCount, q + 1);
    std::vector<std::tuple<P, int, int>> terms;  // P - Q as (point, index, degree)
    for (int l = 0; l <= p; ++l) terms.push_back({{six[l].x, six[l].y}, l, p});
    for (int i = 0; i <= q; ++i) terms.push_back({{-m.points[i].x, -m.points[i].y}, i, q});
    double error = 0;
    for (auto [a, i, di] : terms) {
      for (auto [b, j, dj] : terms)
        error += BernsteinProduct(i, di, j, dj) * (a.x * b.x + a.y * b.y);
    }
    EXPECT_NEAR(DumpSum(), error, 1e-3 * error) << t;
    for (int i = 0; i <= q; ++i) {
      P dot = {0, 0};
      for (auto [a, j, dj] : terms)
        dot.x += BernsteinProduct(i, q, j, dj) * a.x, dot.y += BernsteinProduct(i, q, j, dj) * a.y;
      EXPECT_LT(std::hypot(dot.x, dot.y), 0.07 / (q + 1)) << t << " " << i;
    }
  }
}

TEST_F(SplineDegreeTest, SaveOffLeavesTheModel) {
  for (int command :
       {kCmdBSplineElevation, kCmdNurbsElevation, kCmdNurbsReduction, kCmdNurbsSimulation}) {
    SetReducible();
    m.saveResults = 0, m.insertKnot = 1.5f;
    const std::vector<unsigned char> before = CurveBytes();
    window.Command(command);
    EXPECT_EQ(CurveBytes(), before) << command;
  }
}

// Refused input (reducing simple knots too): not a byte of the model changes, no dump, no
// message.
TEST_F(SplineDegreeTest, RefusalsLeaveTheModel) {
  struct Case { const char* name; int command, k; Floats knots, w; };
  const Floats quartic = {0, 0, 0, 0, 0, 2, 2, 2, 2, 2};  // one piece
  const Case cases[] = {
      {"simple knots", kCmdNurbsReduction, 4, kCubic5, {}},
      {"zero weight", kCmdNurbsElevation, 4, kCubic5, {1, 0, 1, 1, 1}},
      {"zero weight", kCmdNurbsReduction, 5, quartic, {1, 1, 1, 1, 0}},
      {"infinite weight", kCmdNurbsReduction, 5, quartic, {1, INFINITY, 1, 1, 1}},
      {"no terminator", kCmdNurbsSimulation, 4, kCubic5, {}},
      {"no terminator", kCmdNurbsElevation, 4, kCubic5, {}},
      {"not clamped", kCmdNurbsSimulation, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.command));
    SetCurve(kFive, c.knots, c.k, kNurbs, c.w);
    if (std::string(c.name) == "no terminator") std::fill(m.knots + 9, std::end(m.knots), 5.0f);
    const std::vector<unsigned char> before = ModelBytes();
    window.Command(c.command);
    EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), window.Errors().size()), std::tuple("", 0u));
    EXPECT_FALSE(std::filesystem::exists("matrix.dat") || std::filesystem::exists("mdmat.dat"));
  }
}

// Every midpoint as often as the rarest inner knot (a single piece's: k
// times); the refined curve is the given one. The default cubic's dump and
// insertKnot are in the replay scenario.
TEST_F(SplineDegreeTest, SimulationRefinesAtMidpoints) {
  const std::pair<Floats, Floats> cases[] = {
      {kCubic5, {0, 0, 0, 0, 0.5f, 1, 1.5f, 2, 2, 2, 2}},
      {{0, 0, 0, 1, 1, 2, 2, 2}, {0, 0, 0, 0.5f, 0.5f, 1, 1, 1.5f, 1.5f, 2, 2, 2}},
      {{0, 0, 0, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 0.5f, 0.5f, 0.5f, 0.5f, 1, 1, 1, 1}},
  };
  for (const auto& [knots, expect] : cases) {
    const int k = knots[3] == 0 ? 4 : 3, n = int(knots.size()) - k;
    // Weighted, the homogeneous points are refined: the same rational curve.
    for (const Floats& w : {Floats{}, Floats{0.5f, 2, 1, 3, 0.25f}}) {
      SetCurve(Points(kFive.begin(), kFive.begin() + n), knots, k, kNurbs, w);
      static ModelState given;
      given = m;
      window.Command(kCmdNurbsSimulation);
      EXPECT_EQ(std::tuple(KnotsOf(m), ScanKnots(m.knots)), std::tuple(expect, int(expect.size())));
      EXPECT_LT(CurveDistance(given, m), 1e-3) << w.size();
      if (!w.empty()) continue;
      // With unit weights the new points are the plain product, every weight 1.
      const Matrix& a = Scratch().spline.splineToBezier;
      for (int i = 0; i < m.pointCount; ++i) {
        double x = 0, y = 0;
        for (int j = 0; j < n; ++j) x += a[i][j] * double(kFive[j].x), y += a[i][j] * double(kFive[j].y);
        EXPECT_EQ(std::tuple(m.points[i].x, m.points[i].y, m.weights[i]), std::tuple(float(x), float(y), 1)) << i;
      }
    }
  }
}

// A dump that cannot be written is reported with its name and changes nothing: a pipe or a
// folder under its name is never replaced, and no file can be made in a removed folder.
TEST_F(SplineDegreeTest, UnwritableDumpsAreReported) {
  ASSERT_EQ(::mkfifo("mdmat.dat", 0600), 0);
  std::filesystem::create_directory("matrix.dat");
  const std::pair<int, const char*> dumps[] = {{kCmdNurbsSimulation, "mdmat.dat"},
                                               {kCmdNurbsReduction, "matrix.dat"}};
  for (const char* reason : {"it is not a regular file", "No such file or directory"}) {
    if (reason[0] == 'N') {
      std::filesystem::create_directory("gone");
      std::filesystem::current_path("gone");
      std::filesystem::remove(std::filesystem::current_path());
    }
    for (const auto& [command, name] : dumps) {
      SetReducible();
      const std::vector<unsigned char> before = ModelBytes();
      window.ClearErrors();
      window.Command(command);
      EXPECT_EQ(ModelDifference(before, ModelBytes()), "");
      EXPECT_EQ(window.Errors(),
                std::vector<std::string>{"Cannot create \"" + std::string(name) + "\": " + reason});
    }
  }
  std::filesystem::current_path(dir);
  EXPECT_EQ(std::tuple(std::filesystem::is_fifo("mdmat.dat"), std::filesystem::is_empty("matrix.dat")),
            std::tuple(true, true));
}

// The banded products skip their zero terms and still give MatMul's bits,
// signed zeros in either operand included.
TEST(SparseMatMulTest, SameBitsAsMatMul) {
  static Matrix x, y, sparse, dense;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-3.0f, 3.0f);
  for (int i = 0; i < 60; ++i) {
    for (int j = 0; j < 70; ++j) {
      const float signedZero = (i + j) % 3 == 0 ? -0.0f : 0.0f;
      x[i][j] = std::abs(i - j) < 4 && j % 5 != 0 ? value(random) : signedZero;
      y[i][j] = j > i && j < i + 9 && j % 4 != 0 ? value(random) : signedZero;
    }
  }
  SparseMatMul(x, y, sparse, 60, 60, 70);
  MatMul(x, y, dense, 60, 60, 70);
  EXPECT_EQ(std::memcmp(sparse, dense, sizeof sparse), 0);
}

}  // namespace
}  // namespace tambra
