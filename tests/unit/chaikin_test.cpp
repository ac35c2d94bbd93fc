// Chaikin's method, knot elevation and reduction against basis and Bernstein
// sums, and the commands' marks, log and model.
#include <algorithm>
#include <cmath>
#include <vector>

#include "numeric/bspline_basis.h"
#include "numeric/coefficients.h"
#include "numeric/knot_vector.h"
#include "resources/command_ids.h"
#include "curve_test_support.h"
#include "spline/chaikin.h"
#include "scratch_support.h"

namespace tambra {
namespace {

std::vector<Point2> Polygon(int n) { return curve_test::Random(n).Polygon(n); }

// The clamped uniform B-spline of the points at t.
Point2 SplineAt(const Point2* p, int n, int k, double t) {
  float u[kKnotCapacity + 1];
  ClampedUniformKnots(u, n, k);
  double x = 0.0, y = 0.0;
  for (int i = 0; i < n; ++i)
    x += BSplineBasis(u, n, i, k, t) * p[i].x, y += BSplineBasis(u, n, i, k, t) * p[i].y;
  return Point2{float(x), float(y)};
}

// Pieces of k points sharing their ends: piece floor(s) at s - floor(s).
Point2 PiecesAt(const SplinePolygon& q, int k, double s) {
  const int piece = std::min(int(s), (q.count - 1) / (k - 1) - 1);
  double x = 0.0, y = 0.0;
  for (int j = 0, i = piece * (k - 1); j < k; ++j, ++i) {
    const double b = Bernstein(k, j, s - piece);
    x += b * q.points[i].x, y += b * q.points[i].y;
  }
  return Point2{float(x), float(y)};
}

double Distance(Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Order, n, the count of Bezier points and how many counts there are, the
// passes' (each 2n - 1) included; 0 when nothing runs.
const int kMethodCases[][4] = {{4, 10, 22, 3}, {3, 5, 7, 5},  {3, 3, 3, 6},  {5, 7, 13, 4},
                               {4, 36, 100, 1}, {3, 51, 99, 1}, {4, 37, 0, 0}, {3, 52, 0, 0},
                               {5, 6, 0, 0},    {4, 3, 0, 0},   {6, 7, 0, 0}};

TEST(ChaikinKernels, MethodCountsAndTheCurveOfEveryPass) {
  for (const auto& [k, n, first, runs] : kMethodCases) {
    const std::vector<Point2> p = Polygon(n);
    std::vector<int> counts, expected;
    SplinePolygonResult q = UniformBSplineToBezier(p.data(), n, k, Scratch());
    for (int pass = 0; q && pass < 10; ++pass) {
      counts.push_back(q->count);
      const double span = n - k + 1, scale = double(q->count - 1) / (k - 1) / span;
      for (double t = 0.0; t <= span; t += span / 37)
        EXPECT_LT(Distance(SplineAt(p.data(), n, k, t), PiecesAt(*q, k, t * scale)), 1e-3) << t;
      q = SubdivideBezierPieces(q->points, q->count, k);
    }
    for (int i = 0, count = first; i < runs; ++i, count = 2 * count - 1) expected.push_back(count);
    EXPECT_EQ(counts, expected) << "order " << k << ", n " << n;
  }
}

// Order, n, passes, the count after them (0: refused), and for elevation
// whether reducing by as many passes gives the polygon back.
const int kElevations[][5] = {{4, 4, 1, 5, 1},  {3, 5, 2, 14, 1}, {4, 10, 2, 31, 1},
                              {4, 49, 1, 95, 1}, {3, 49, 0, 96, 1}, {3, 30, 2, 58, 0},
                              {4, 50, 1, 0, 0},  {3, 50, 1, 0, 0},  {5, 7, 1, 0, 0}};
const int kReductions[][4] = {{4, 10, 1, 0}, {4, 11, 1, 7}, {3, 6, 1, 4}, {4, 13, 2, 5},
                              {4, 11, 4, 0}, {5, 13, 1, 0}};

TEST(ChaikinKernels, ElevationKeepsTheCurveAndReductionUndoesIt) {
  for (const auto& [k, n, passes, count, back] : kElevations) {
    SCOPED_TRACE(testing::Message() << "order " << k << ", n " << n << ", passes " << passes);
    const std::vector<Point2> p = Polygon(n);
    const SplinePolygonResult q = RefineUniformBSpline(p.data(), n, k, passes, Scratch());
    ASSERT_EQ(q ? q->count : 0, count);
    if (!q) continue;
    const double span = n - k + 1, scale = double(count - k + 1) / span;
    for (double t = 0.0; t < span; t += span / 29)
      EXPECT_LT(Distance(SplineAt(p.data(), n, k, t), SplineAt(q->points, count, k, t * scale)),
                1e-3) << t;
    const SplinePolygonResult coarse =
        CoarsenUniformBSpline(q->points, count, k, passes, Scratch());
    ASSERT_EQ(coarse && coarse->count == n, back == 1);
    for (int i = 0; back && i < n; ++i) EXPECT_LT(Distance(coarse->points[i], p[i]), 1e-3);
  }
  for (const auto& [k, n, passes, count] : kReductions) {
    const std::vector<Point2> p = Polygon(n);
    const SplinePolygonResult q = CoarsenUniformBSpline(p.data(), n, k, passes, Scratch());
    EXPECT_EQ(q ? q->count : 0, count) << "order " << k << ", n " << n << ", passes " << passes;
  }
}

class ChaikinCommandTest : public SessionTest {
 protected:
  // The curve fields in use: knots and the entry after them, points, weights.
  std::vector<float> Curve() {
    std::vector<float> v(m.knots, m.knots + m.pointCount + m.order + 1);
    for (int i = 0; i < m.pointCount; ++i)
      v.insert(v.end(), {m.points[i].x, m.points[i].y, m.weights[i]});
    return v;
  }
  std::vector<Rgb> Pixels() { return {window.Canvas().Data(), window.Canvas().Data() + 800 * 600}; }
};

// Save off: the result drawn, the curve kept; Save on: the result and clamped uniform knots kept,
// the entry after them 0. Chaikin's method (no pass) marks the control points in green and keeps
// the model even with Save. Refused (order 5 or 6, capacity, parity): nothing drawn or changed.
// Points not finite are the fuzz test's; the log's bytes the replay's.
TEST_F(ChaikinCommandTest, SaveDecidesWhatStaysAndRefusalsLeaveEverything) {
  const struct { int command, k, n, steps, kept; Rgb colour; } cases[] = {
      {kCmdChaikin, 3, 3, 0, 3, kGreen},      {kCmdChaikinElevation, 4, 11, 1, 19, kBlue},
      {kCmdChaikinReduction, 4, 11, 1, 7, kRed}, {kCmdChaikin, 5, 6, 1, 0, 0},
      {kCmdChaikinElevation, 5, 7, 1, 0, 0},   {kCmdChaikinElevation, 4, 50, 1, 0, 0},
      {kCmdChaikinReduction, 4, 10, 1, 0, 0}};
  for (const auto& c : cases) {
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << c.command << " " << c.k << " " << c.n << " " << save);
      const std::vector<Point2> p = Polygon(c.n);
      std::copy(p.begin(), p.end(), m.points);
      m.pointCount = c.n, m.order = c.k, m.chaikinSteps = c.steps, m.saveResults = save;
      if (c.n + c.k < kMaxKnots) ClampedUniformKnots(m.knots, c.n, c.k);
      window.Canvas().Resize(800, 600);
      const std::vector<unsigned char> before = ModelBytes();
      const std::vector<float> curve = Curve();
      window.Command(c.command);
      const std::vector<Rgb> pixels = Pixels();
      const bool drawn = std::count(pixels.begin(), pixels.end(), 0xFF000000u | c.colour) > 0;
      EXPECT_EQ(drawn, c.colour != 0);
      if (c.command != kCmdChaikin) {  // a summary names the new count, a refusal the reason
        const std::string& status = window.Status();
        EXPECT_EQ(status.ends_with(" points") || status.find(" points: max deviation") != status.npos,
                  c.colour != 0)
            << status;
      }
      for (int i = 0; c.colour == kGreen && i < c.n; ++i)
        EXPECT_EQ(window.Canvas().Pixel(int(p[i].x), int(p[i].y)), kGreen) << i;
      if (c.colour == 0 || (c.colour == kGreen && save == 1)) {
        EXPECT_EQ(ModelDifference(before, ModelBytes()), "");
      } else if (save == 0) {
        EXPECT_EQ(Curve(), curve);
      } else {
        EXPECT_EQ(m.pointCount, c.kept);
        EXPECT_EQ(std::tuple(ScanKnots(m.knots), m.knots[c.kept + 3]), std::tuple(c.kept + c.k, c.kept - 3));
      }
    }
  }
}

}  // namespace
}  // namespace tambra
