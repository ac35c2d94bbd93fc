// Curvature from exact derivatives: a circle arc, a cubic against its
// closed form, the jump at a double knot, a straight line.
#include <gtest/gtest.h>

#include <cmath>

#include "base/curvature.h"

namespace tambra {
namespace {

CurveCopy Polygon(std::initializer_list<Point2> points, int order = 0) {
  CurveCopy c{};
  for (const Point2& p : points) c.points[c.pointCount] = p, c.weights[c.pointCount++] = 1;
  c.order = order;
  return c;
}

TEST(CurvatureTest, AQuarterCircleAsARationalQuadraticHasCurvatureOneOverR) {
  const float r = 100;
  CurveCopy c = Polygon({{r, 0}, {r, r}, {0, r}});
  c.weights[1] = float(std::sqrt(0.5));
  const auto comb = CurvatureComb({MeasuredCurve::Form::kRationalBezier, c}, 200);
  ASSERT_EQ(comb.size(), 1u);
  ASSERT_EQ(comb[0].size(), 201u);
  // The weight is stored in float, 1.7e-8 off the root of one half: the arc is
  // a circle to that rounding (3.4e-8 in the curvature), the rest is double.
  for (const CombTooth& t : comb[0]) EXPECT_NEAR(t.kappa * r, 1.0, 1e-7) << t.t;
}

TEST(CurvatureTest, ACubicMatchesItsClosedFormAndALineHasNone) {
  const CurveCopy c = Polygon({{0, 0}, {100, 200}, {300, 200}, {400, 0}});
  const auto comb = CurvatureComb({MeasuredCurve::Form::kBezier, c}, 99);
  ASSERT_EQ(comb[0].size(), 100u);
  for (const CombTooth& tooth : comb[0]) {
    const double t = tooth.t, s = 1 - t;
    // C' = 3 (s^2 d0 + 2 s t d1 + t^2 d2), C'' = 6 (s (d1 - d0) + t (d2 - d1)).
    const double d[3][2] = {{100, 200}, {200, 0}, {100, -200}};
    const double dx = 3 * (s * s * d[0][0] + 2 * s * t * d[1][0] + t * t * d[2][0]);
    const double dy = 3 * (s * s * d[0][1] + 2 * s * t * d[1][1] + t * t * d[2][1]);
    const double ddx = 6 * (s * (d[1][0] - d[0][0]) + t * (d[2][0] - d[1][0]));
    const double ddy = 6 * (s * (d[1][1] - d[0][1]) + t * (d[2][1] - d[1][1]));
    const double kappa = (dx * ddy - dy * ddx) / std::pow(std::hypot(dx, dy), 3);
    EXPECT_NEAR(tooth.kappa, kappa, 1e-12 + 1e-9 * std::fabs(kappa)) << t;
  }
  const CurveCopy line = Polygon({{0, 0}, {100, 50}, {300, 150}, {400, 200}}, 3);
  for (const auto& form : {MeasuredCurve::Form::kBezier, MeasuredCurve::Form::kSpline}) {
    CurveCopy l = line;
    const float knots[] = {0, 0, 0, 1, 2, 2, 2};
    std::copy(std::begin(knots), std::end(knots), l.knots);
    for (const auto& run : CurvatureComb({form, l}, 50)) {
      for (const CombTooth& t : run) EXPECT_NEAR(t.kappa, 0.0, 1e-12);
    }
  }
}

// A quadratic B-spline with a double inner knot is only C0 there: the runs
// of the two spans end and start at different curvatures. Coincident points
// (a vanishing derivative) get no tooth.
TEST(CurvatureTest, ADoubleKnotShowsAJumpAndAVanishingDerivativeNoTooth) {
  CurveCopy c = Polygon({{0, 0}, {100, 200}, {200, 0}, {300, 100}, {400, 0}}, 3);
  const float knots[] = {0, 0, 0, 1, 1, 2, 2, 2};
  std::copy(std::begin(knots), std::end(knots), c.knots);
  const auto comb = CurvatureComb({MeasuredCurve::Form::kSpline, c}, 20);
  ASSERT_EQ(comb.size(), 2u);
  EXPECT_EQ(std::tuple(comb[0].back().t, comb[1].front().t), std::tuple(1.0, 1.0));
  EXPECT_GT(std::fabs(comb[0].back().kappa - comb[1].front().kappa), 1e-3);
  const CurveCopy stuck = Polygon({{50, 50}, {50, 50}, {50, 50}});
  EXPECT_TRUE(CurvatureComb({MeasuredCurve::Form::kBezier, stuck}, 10)[0].empty());
}

}  // namespace
}  // namespace tambra
