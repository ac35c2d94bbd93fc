// The B-spline simulation: a cubic elevated from a quadratic comes back as it,
// a single piece, Save, and the bound and shapes it refuses with the model untouched.
#include <algorithm>
#include <utility>

#include "base/raster.h"
#include "numeric/knot_vector.h"
#include "resources/command_ids.h"
#include "curve_test_support.h"
#include "spline/bspline_simulation.h"

namespace tambra {
namespace {
using namespace curve_test;

Point2 Lerp(Point2 a, Point2 b, double s) {
  return Point2{float(a.x + s * (b.x - a.x)), float(a.y + s * (b.y - a.y))};
}

// The cubic of the quadratic (p, t) with simple inner knots, built piece by
// piece: the Bezier piece c0 c1 c2 (c1 a control point, c0 and c2 the joints
// on the polygon legs) elevated to c0, (c0 + 2 c1) / 3, (2 c1 + c2) / 3, c2;
// the joints drop out again as every inner knot is doubled.
void ElevateQuadratic(const Points& p, const Floats& t, Points& q, Floats& u) {
  const int n = int(p.size());
  auto joint = [&](int j) {  // the point at knot t[j + 2], on the leg P(j) P(j + 1)
    return Lerp(p[j], p[j + 1], (double(t[j + 2]) - t[j + 1]) / (double(t[j + 3]) - t[j + 1]));
  };
  q = {p[0]}, u = Floats(4, t[0]);
  for (int j = 0; j + 2 < n; ++j) {
    q.push_back(Lerp(j == 0 ? p[0] : joint(j), p[j + 1], 2.0 / 3));
    q.push_back(Lerp(j + 3 == n ? p[n - 1] : joint(j + 1), p[j + 1], 2.0 / 3));
    if (j + 3 < n) u.insert(u.end(), 2, t[j + 3]);
  }
  q.push_back(p[n - 1]);
  u.insert(u.end(), 4, t[n]);
}

Points Polygon(int n) {  // a zigzag inside the window
  Points p(n);
  for (int i = 0; i < n; ++i) p[i] = Point2{40.0f + 700.0f * i / (n - 1), i % 2 ? 150.0f : 450.25f};
  return p;
}

class BSplineSimulationTest : public SessionTest {
 protected:
  void Set(const Points& p, const Floats& t, int save) {
    std::copy(p.begin(), p.end(), m.points);
    std::copy(t.begin(), t.end(), m.knots);
    if (t.size() < kMaxKnots) m.knots[t.size()] = 0.0f;
    m.pointCount = int(p.size()), m.order = 4, m.saveResults = save;
  }
  bool Red() {
    const std::uint32_t* data = window.Canvas().Data();
    return std::find(data, data + 800 * 600, 0xFF000000u | kRed) != data + 800 * 600;
  }
};

// Uneven knots, and a single piece whose middle point is the mean of the two one-sided
// solutions, ((3 P1 - P0) / 2 + (3 P2 - P3) / 2) / 2. The result is drawn and, with Save, the
// quadratic kept, the knot scan ending after it (Save off is the fuzz test's).
TEST_F(BSplineSimulationTest, ElevatedQuadraticComesBack) {
  const Points p = Polygon(6);
  const Floats t = {0, 0, 0, 1, 2.5f, 3, 4, 4, 4};
  Points q;
  Floats u;
  ElevateQuadratic(p, t, q, u);
  const struct { Points given; Floats knots; Points want; Floats wantKnots; double tolerance; }
      cases[] = {{q, u, p, t, 0.02},
                 {{{100, 500}, {200, 200}, {500, 200}, {700, 500}}, {0, 0, 0, 0, 1, 1, 1, 1},
                  {{100, 500}, {325, 50}, {700, 500}}, {0, 0, 0, 1, 1, 1}, 1e-3}};
  for (const auto& c : cases) {
    Set(c.given, c.knots, 1);
    window.Command(kCmdBSplineSimulation);
    EXPECT_TRUE(Red());
    ASSERT_EQ(m.pointCount, int(c.want.size()));
    EXPECT_EQ(std::tuple(m.order, ScanKnots(m.knots)), std::tuple(3, int(c.wantKnots.size())));
    EXPECT_EQ(Floats(m.knots, m.knots + c.wantKnots.size()), c.wantKnots);
    for (size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_LT(Distance({m.points[i].x, m.points[i].y}, {c.want[i].x, c.want[i].y}),
                c.tolerance) << i;
    }
  }
}

// A bound above 1000 and refused shapes: nothing drawn, not a byte of the
// model changed, Save on. Hostile knots, orders and counts are the fuzz test's.
TEST_F(BSplineSimulationTest, StopsAndRefusalsLeaveTheModel) {
  Points big = Polygon(8);  // swings of 12000 pixels
  for (Point2& point : big) point.y *= 40;
  const std::pair<Points, Floats> cases[] = {
      {{{100, 500}, {20000, 100}, {-20000, 100}, {700, 500}}, {0, 0, 0, 0, 1, 1, 1, 1}},
      {big, {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5}},
      {Polygon(8), {0, 0, 0, 0, 2, 2, 2, 2, 5, 5, 5, 5}}};  // an inner knot k times
  for (const auto& [points, knots] : cases) {
    Set(points, knots, 1);
    const std::vector<unsigned char> before = ModelBytes();
    window.Command(kCmdBSplineSimulation);
    EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), Red()), std::tuple("", false))
        << points.size() << " " << knots[4];
    EXPECT_EQ(std::tuple(window.Status().starts_with("B-spline simulation "), window.Status().ends_with(" points")),
              std::tuple(true, false)) << window.Status();
  }
}

}  // namespace
}  // namespace tambra
