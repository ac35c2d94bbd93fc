// The rational Bezier display, rational elevation and the three polynomial
// approximations against rational Bernstein sums evaluated here in double.
#include <algorithm>
#include <cstring>
#include <random>

#include "bezier/bezier_display.h"
#include "curve_test_support.h"
#include "numeric/coefficients.h"
#include "rational/elevated_sums.h"
#include "rational/rational_display.h"
#include "resources/command_ids.h"
#include "scratch_support.h"

namespace tambra {
namespace {
using namespace curve_test;

using Weights = std::vector<float>;

const std::string kData = "# In Rational Bezier curve, data point count:=";
const std::string kWeightLine = "# Weight vector : ";
const std::string kHybrid = "# In Hybrid Bezier curve, control point count:=";
constexpr int kLsq = kCmdApproxLeastSquares, kCon = kCmdApproxConsistent, kHyb = kCmdApproxHybrid,
              kEl = kCmdRationalElevation;

template <typename Pt>  // no weights means all 1
P RationalAt(const std::vector<Pt>& p, const Weights& w, double t) {
  double x = 0, y = 0, sum = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const double b = (w.empty() ? 1.0 : w[i]) * Bernstein(int(p.size()), int(i), t);
    sum += b, x += b * p[i].x, y += b * p[i].y;
  }
  return {x / sum, y / sum};
}

void Widen(double& gap, double d) { gap = d <= gap ? gap : d; }  // a NaN widens to NaN
// The largest distance between matching points (infinite for other sizes).
template <typename A, typename B>
double PointGap(const std::vector<A>& a, const std::vector<B>& b) {
  double gap = a.size() == b.size() ? 0 : INFINITY;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    Widen(gap, Distance({a[i].x, a[i].y}, {b[i].x, b[i].y}));
  return gap;
}
double CurveGap(const Points& a, const Weights& wa, const Points& b, const Weights& wb) {
  double gap = 0;
  for (double t = 0; t <= 1; t += 1 / 256.0)
    Widen(gap, Distance(RationalAt(a, wa, t), RationalAt(b, wb, t)));
  return gap;
}

class RationalTest : public CurveTest {
 protected:
  void SetCurve(const Points& p, const Weights& w) {
    m.pointCount = int(p.size());
    std::copy(p.begin(), p.end(), m.points);
    std::copy(w.begin(), w.end(), m.weights);
  }
  std::string Draw(const Points& p, const Weights& w, int grid = 50) {
    SetCurve(p, w);
    m.grid = grid;
    return Logged([&] { DrawRationalBezierCurve(window, kBlackMode); });
  }
  int Used() const { return std::clamp(m.pointCount, 0, kMaxPoints); }
  Points Polygon() const { return Points(m.points, m.points + Used()); }
  Weights CurveWeights() const { return Weights(m.weights, m.weights + Used()); }
};

// A common factor of the weights changes nothing; a point of weight 0 pulls no sample.
TEST_F(RationalTest, DisplaySamplesFollowTheRationalCurve) {
  const Weights w = {1, 2.5f, 0, 1.5f, 1};
  for (float factor : {1.0f, 0.5f, 3.0f, 1000.0f, 1e-3f}) {
    Weights scaled = w;
    for (float& e : scaled) e *= factor;
    const std::vector<P> s = PointsAfter(Draw(kFive, scaled), kData);
    ASSERT_EQ(s.size(), 51u);
    for (int i = 0; i <= 50; ++i)
      EXPECT_LE(Distance(s[i], RationalAt(kFive, w, float(i / 50.0))), 2e-3) << factor << " " << i;
  }
}

TEST_F(RationalTest, MarksOnlyAtTheInnerSamplesWhenChaikinIsZero) {
  const Weights w = {1, 3, 0.5f, 2, 1};
  Draw(kFive, w, 12);
  const Raster plain = window.Canvas();
  m.chaikinSteps = 0;
  const std::vector<P> s = PointsAfter(Draw(kFive, w, 12), kData);
  ASSERT_EQ(s.size(), 13u);
  // Black 4 by 4 marks at the inner samples, nothing else changed.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < 800; ++x) {
      const bool mark = std::any_of(s.begin() + 1, s.end() - 1, [&](const P& q) {
        return std::abs(x - int(q.x) + 0.5) <= 2 && std::abs(y - int(q.y) + 0.5) <= 2;
      });
      EXPECT_EQ(window.Canvas().Pixel(x, y), mark ? kBlack : plain.Pixel(x, y)) << x << ", " << y;
    }
}

// A sample of weight sum 0 is skipped; the log still runs from P0 to the last point.
TEST_F(RationalTest, ZeroWeightSumsSkipSamples) {
  const Points p = {{100, 400}, {300, 100}, {500, 400}};
  const struct { Weights w; size_t logged; } cases[] = {
      {{1, -1, 1}, 50}, {{1, 0, -1}, 50}, {{0, 0, 0}, 2}, {{-1, 2, -1}, 51}, {{0, 1, 0}, 51}};
  for (const auto& c : cases) {
    const std::string log = Draw(p, c.w);
    const std::vector<P> s = PointsAfter(log, kData);
    ASSERT_EQ(s.size(), c.logged) << c.w[0] << " " << c.w[1];
    EXPECT_EQ(std::tuple(s.front().x, s.back().x, s.back().y), std::tuple(100, 500, 400));
    EXPECT_TRUE(c.logged != 2 || window.Canvas().Pixel(300, 400) == kBlack) << "the chord";
  }
}

// Elevation keeps the curve or, when a new weight would be 0, refuses.
TEST_F(RationalTest, ElevationKeepsTheCurveOrRefuses) {
  m.saveResults = 1;
  for (auto [n, r] : {std::pair{3, 1}, {6, 4}, {12, 20}, {40, 59}}) {
    const Points p = Random(7 * n).Polygon(n);
    const Weights w = Random(r).Weights(n);
    m.degreeStep = r;
    SetCurve(p, w);
    Run(kCmdRationalElevation);
    ASSERT_EQ(m.pointCount, n + r);
    EXPECT_LE(CurveGap(p, w, Polygon(), CurveWeights()), 1e-2) << n << " " << r;
  }
  m.degreeStep = 1;  // a new weight 0 refuses
  SetCurve(Random(1).Polygon(3), {2, -1, 5});  // new weights 2, 0, 1, 5
  const auto before = ModelBytes();
  Run(kCmdRationalElevation);
  EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), window.Canvas().CountNonWhite()), std::tuple("", 0));
  // Least squares with r = s gives the elevated polygon.
  const Points p = Random(11).Polygon(5);
  const Weights w = {1.2f, 1.6f, 0.7f, 1.3f, 0.9f};
  m.approxDim = 8, m.degreeStep = 8;
  SetCurve(p, w);
  Run(kCmdRationalElevation);
  const Points elevated = Polygon();
  SetCurve(p, w);
  Run(kCmdApproxLeastSquares);
  EXPECT_LE(PointGap(Polygon(), elevated), 1e-2);
}

// Q(t) + B(h, 2h)(t) E(t) = R(t), Q from the two hybrid sections, E after them.
TEST_F(RationalTest, HybridFormReproducesTheCurve) {
  m.saveResults = 1;
  for (auto [n, s] : {std::pair{4, 30}, {6, 4}, {5, 3}, {8, 11}, {3, 98}, {10, 2}}) {
    SCOPED_TRACE(::testing::Message() << "n " << n << " s " << s);
    const int h = s / 2, d = 2 * h;
    const Points p = Random(s).Polygon(n);
    const Weights w = Random(n).Weights(n, 0.5f, 2);
    m.approxDim = s;
    SetCurve(p, w);
    const std::string log = Run(kCmdApproxHybrid);
    EXPECT_EQ(std::tuple(PointGap(Polygon(), p), CurveWeights()), std::tuple(0, w)) << "the model is kept";
    std::vector<P> q = PointsAfter(log, kHybrid), back = PointsAfter(log, kHybrid, 1);
    const std::vector<P> e = PointsAfter(log, kWeightLine);
    ASSERT_TRUE(q.size() == size_t(h) && back.size() == size_t(d - h) && e.size() == size_t(n));
    q.push_back({0, 0});
    q.insert(q.end(), back.begin(), back.end());
    double scale = 1;
    for (const P& a : q) scale = std::max({scale, std::fabs(a.x), std::fabs(a.y)});
    for (int i = 0; i <= 100; ++i) {
      const double t = i / 100.0, b = Bernstein(d + 1, h, t);
      const P r = RationalAt(p, w, t), qt = RationalAt(q, {}, t), et = RationalAt(e, w, t);
      EXPECT_LE(Distance({qt.x + b * et.x, qt.y + b * et.y}, r), 1e-3 + 1e-5 * scale) << t;
    }
  }
}

// The consistent equation with weights other than 1 against the least-squares solution formed
// here in double: Q(t) W(t) = X(t) coefficient by coefficient in degree n + s - 2, the normal
// equations solved by elimination with pivoting. A weight taken from the wrong index moves Q far.
TEST_F(RationalTest, ConsistentEquationIsTheLeastSquaresSolutionWithWeights) {
  const int n = 5, s = 6, d = n + s - 2;
  const Points p = Random(11).Polygon(n);
  const Weights w = {0.5f, 2, 1.25f, 0.75f, 3};
  SetCurve(p, w);
  m.approxDim = s, m.saveResults = 1;
  window.Command(kCon);
  ASSERT_EQ(m.pointCount, s);
  // M(i, j): the coefficient of Q(i) in degree-d coefficient j of Q W; X(j) those of W P.
  std::vector<std::vector<double>> a(s, std::vector<double>(s + 2, 0.0));
  for (int j = 0; j <= d; ++j) {
    double column[s] = {}, x = 0, y = 0;
    for (int i = 0; i < n; ++i) {
      const double c = Binomial(n - 1, i) * Binomial(s - 1, j - i) / Binomial(d, j);
      if (j - i >= 0 && j - i <= s - 1) x += c * w[i] * p[i].x, y += c * w[i] * p[i].y;
    }
    for (int i = 0; i < s; ++i) {
      if (j - i >= 0 && j - i <= n - 1)
        column[i] = Binomial(s - 1, i) * Binomial(n - 1, j - i) / Binomial(d, j) * w[j - i];
    }
    for (int i = 0; i < s; ++i) {
      for (int k = 0; k < s; ++k) a[i][k] += column[i] * column[k];
      a[i][s] += column[i] * x, a[i][s + 1] += column[i] * y;
    }
  }
  for (int c = 0; c < s; ++c) {
    int pivot = c;
    for (int r = c + 1; r < s; ++r) pivot = std::fabs(a[r][c]) > std::fabs(a[pivot][c]) ? r : pivot;
    std::swap(a[c], a[pivot]);
    for (int r = 0; r < s; ++r) {
      if (r == c) continue;
      const double f = a[r][c] / a[c][c];
      for (int k = c; k < s + 2; ++k) a[r][k] -= f * a[c][k];
    }
  }
  for (int i = 0; i < s; ++i) {
    EXPECT_LT(Distance({m.points[i].x, m.points[i].y}, {a[i][s] / a[i][i], a[i][s + 1] / a[i][i]}),
              1e-2) << i;
  }
}

// Accepted: with unit weights (Curves) every command gives the curve back as the new count of
// points of weight 1 (the hybrid form keeps the model); with other weights (Surfaces, which
// greys the items, they still act) the count. Refused: the model unchanged, nothing drawn and
// nothing logged.
TEST_F(RationalTest, CommandsGiveTheCurveBackOrRefuseInBothModes) {
  m.saveResults = 1;
  const struct { int command, n, s, r, count; } cases[] = {
      {kLsq, 5, 1, 0, 5},  {kLsq, 5, 30, 0, 5},  {kLsq, 5, 30, 2, 7},  {kCon, 5, 5, 0, 5},
      {kCon, 5, 8, 0, 8},  {kCon, 5, 30, 0, 30}, {kLsq, 4, 95, 1, 5},  {kLsq, 4, 96, 1, 0},
      {kLsq, 5, 3, 4, 0},  {kLsq, 2, 5, 1, 0},   {kCon, 4, 96, 1, 96}, {kCon, 4, 97, 1, 0},
      {kHyb, 4, 99, 1, 4}, {kHyb, 4, 100, 1, 0}, {kEl, 50, 0, 49, 99}, {kEl, 50, 0, 50, 0},
      {kEl, 99, 0, 0, 99}, {kEl, 100, 0, 0, 0}};
  for (int mode : {kCmdCurves, kCmdSurfaces}) {
    window.Command(mode);
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.command << " " << c.n << " " << c.s << " " << c.r);
      m.approxDim = c.s, m.degreeStep = c.r;
      const Points p = Random(4).Polygon(c.n);
      SetCurve(p, mode == kCmdCurves ? Weights(c.n, 1.0f) : Random(5).Weights(c.n, 0.5f, 2));
      const auto before = ModelBytes();
      const std::string log = Run(c.command);
      EXPECT_EQ(window.Canvas().CountNonWhite() > 0, c.count > 0);
      if (c.count == 0) { EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), log), std::tuple("", "")); }
      const bool summary =
          window.Status().find(" to " + std::to_string(c.count) + " points") != std::string::npos;
      if (c.command != kHyb) {
        EXPECT_EQ(std::tuple(window.Status().empty(), summary), std::tuple(false, c.count > 0)) << window.Status();
      }
      EXPECT_TRUE(c.count == 0 || m.pointCount == c.count) << m.pointCount;
      if (mode == kCmdSurfaces || c.count == 0) continue;
      for (float w : CurveWeights())
        EXPECT_TRUE(c.command == kEl ? std::fabs(w - 1) < 1e-6 : w == 1) << w;
      EXPECT_LE(CurveGap(Polygon(), {}, p, {}), c.count > 30 ? 0.05 : 1e-2);
    }
  }
}

// The products over the elevation matrix skip the zeros off its band: every size and band,
// random finite values down to the tiny ones whose rounded sums reach -0, the same bits as the
// sums over every term, refusals included.
TEST(RationalProductsTest, SkippingTheZerosOffTheBandKeepsEveryBit) {
  static Matrix e;
  std::mt19937 random(13);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  auto value = [&] {
    switch (random() % 6) {
      case 0: return 0.0f;
      case 1: return -0.0f;
      case 2: return unit(random) * 1e-30f;
      default: return unit(random) * 1000.0f;
    }
  };
  for (int k = 1; k < kMatrixSize - 1; ++k) {
    const int band = k % 3 == 0 ? 0 : static_cast<int>(random() % (kMatrixSize - k));
    const int cols = k + band;
    for (auto& row : e) std::fill(std::begin(row), std::end(row), 0.0f);
    Point2 points[kMatrixSize], data[kMatrixSize];
    float weights[kMatrixSize];
    for (int i = 1; i <= k; ++i) {
      for (int j = i; j <= i + band; ++j) e[i][j] = value();
      e[i][i] = 1.0f + unit(random);  // most systems solvable
      points[i - 1] = Point2{value(), value()}, weights[i - 1] = value();
    }
    for (int j = 1; j <= cols; ++j) {
      data[j] = Point2{value(), value()};
      const auto d = SumElevatedColumn<double>(e, k, band, j, points, weights);
      const auto dFull = SumElevatedColumn<double>(e, k, -1, j, points, weights);
      const auto f = SumElevatedColumn<float>(e, k, band, j, points, weights);
      const auto fFull = SumElevatedColumn<float>(e, k, -1, j, points, weights);
      ASSERT_TRUE(std::memcmp(&d, &dFull, sizeof d) == 0 && std::memcmp(&f, &fFull, sizeof f) == 0)
          << "k " << k << " band " << band << " column " << j;
    }
    Point2 q[kMatrixSize], qFull[kMatrixSize];
    const bool fitted = FitLeastSquares(e, k, cols, band, data, q, Scratch());
    static Matrix b;
    std::memcpy(b, MatrixB(), sizeof b);
    ASSERT_EQ(FitLeastSquares(e, k, cols, -1, data, qFull, Scratch()), fitted) << k;
    EXPECT_EQ(std::memcmp(b, MatrixB(), sizeof b), 0) << k;
    EXPECT_EQ(std::memcmp(q, qFull, sizeof(Point2) * (fitted ? k : 0)), 0) << k;
  }
}

}  // namespace
}  // namespace tambra
