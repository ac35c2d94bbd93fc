// Tests of Bezier degree elevation against the closed form and the
// Bernstein sum of bezier_test_support.h. The menu path is covered by the
// bezier_degree_commands replay scenario.

#include <climits>
#include <vector>

#include "bezier/degree_elevation.h"
#include "bezier_test_support.h"

namespace tambra::bezier_test {
namespace {

class BezierElevationTest : public BezierFixture {
 protected:
  void Elevate(int step) {
    m.degreeStep = step;
    BezierDegreeElevation(window);
  }
};

TEST_F(BezierElevationTest, QuadraticBecomesTheClosedFormCubic) {
  SetPolygon({{100, 400}, {300, 100}, {500, 450}});
  m.saveResults = 1;
  Elevate(1);
  // P0, (P0 + 2 P1) / 3, (2 P1 + P2) / 3, P2.
  const std::vector<Point2> cubic = {
      {100, 400}, {700 / 3.0f, 200}, {1100 / 3.0f, 650 / 3.0f}, {500, 450}};
  ExpectPolygonNear(Polygon(), cubic, 1e-4);
}

// Up to the limits (n + r = 99, r = 40): point by point the closed form,
// the end points exact and the same curve (evaluated independently),
// whatever an earlier command left in the scratch matrices. Beyond them, or
// with no points, nothing changes and nothing is drawn.
TEST_F(BezierElevationTest, ElevatesUpToTheLimitsAndDoesNothingBeyond) {
  const struct {
    int n, r;
    bool works;
  } cases[] = {
      {1, 3, true},    {2, 1, true},    {3, 1, true},     {4, 3, true},    {7, 5, true},
      {10, 40, true},  {30, 20, true},  {59, 40, true},   {98, 1, true},   {99, 0, true},
      {1, 40, true},   {8, 0, true},    {60, 40, false},  {99, 1, false},  {100, 0, false},
      {3, 41, false},  {1, 41, false},  {3, -1, false},   {0, 1, false},   {0, 3, false},
      {3, INT_MAX, false}, {99, INT_MAX, false}};  // n + r would overflow
  const std::vector<Point2> all = GenericPolygon(kMaxPoints, 5);
  for (const auto& c : cases) {
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << "n = " << c.n << ", r = " << c.r << ", save " << save);
      const std::vector<Point2> p(all.begin(), all.begin() + c.n);
      SetPolygon(all);
      SetPolygon(p);
      m.saveResults = save;
      window.Canvas().Resize(800, 600);
      PoisonScratch();
      Elevate(c.r);
      if (!c.works || save == 0) {
        EXPECT_TRUE(SameBits(Polygon(), p));
        EXPECT_TRUE(c.works || SameBits(AllPoints(), all));
        EXPECT_EQ(window.Canvas().CountNonWhite() > 0, c.works);
        continue;
      }
      ASSERT_EQ(m.pointCount, c.n + c.r);
      const std::vector<Point2> q = Polygon();
      EXPECT_TRUE(c.r > 0 || SameBits(q, p)) << "r = 0 changed the polygon";
      EXPECT_TRUE(SameBits({q.front()}, {p.front()}));
      // The last weight is exactly 1 while C(n-1+r, r) is exact in single
      // precision.
      EXPECT_TRUE(Binomial(c.n - 1 + c.r, c.r) > 16777216.0L || SameBits({q.back()}, {p.back()}));
      ExpectPolygonNear(q, ElevatedPolygon(p, c.r), 1e-2);
      EXPECT_LE(MaxCurveDistance(p, q), 1e-2);
    }
  }
}

// Without Save the elevated polygon is only drawn, in blue, and choosing
// again shows the same; with Save each choice raises the degree again, and
// two steps of 1 give the polygon of one step of 2.
TEST_F(BezierElevationTest, SaveDecidesWhetherTheElevatedPolygonIsKept) {
  const std::vector<Point2> p = GenericPolygon(6, 23);
  SetPolygon(p);
  Elevate(2);
  EXPECT_TRUE(SameBits(Polygon(), p));
  EXPECT_EQ(m.degreeStep, 2);
  for (Point2 e : ElevatedPolygon(p, 2)) EXPECT_TRUE(MarkedIn(e, kBlue));
  const std::vector<std::uint32_t> once = Pixels();
  Elevate(2);
  EXPECT_EQ(Pixels(), once);

  m.saveResults = 1;
  Elevate(2);
  const std::vector<Point2> atOnce = Polygon();
  SetPolygon(p);
  Elevate(1);
  Elevate(1);
  ASSERT_EQ(m.pointCount, 8);
  ExpectPolygonNear(Polygon(), atOnce, 1e-3);
}

}  // namespace
}  // namespace tambra::bezier_test
