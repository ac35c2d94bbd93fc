// The Bezier curve display and its log section against the Bernstein sum; the log writers.
// The section's exact bytes are the replay scenarios'.
#include <cfloat>
#include <climits>
#include <clocale>

#include "base/canvas.h"
#include "base/model_limits.h"
#include "base/output_log.h"
#include "bezier/bezier_display.h"
#include "curve_test_support.h"

namespace tambra {
namespace {
using namespace curve_test;

const std::string kData = "# In Bezier curve, data point count:=";

class BezierDisplayTest : public CurveTest {
 protected:
  // Draws the first `count` points with `grid` on a blank canvas; returns the fresh log.
  std::string Draw(const Points& points, int grid, int count = INT_MAX) {
    m.pointCount = std::min(count, int(points.size())), m.grid = grid;
    std::copy(points.begin(), points.end(), m.points);
    return Logged([&] { DrawBezierCurve(window, kBlackMode); });
  }
};

// Segments + 1 samples from the first control point to the last, through the curve: the
// Bernstein sum at the float t, drawn where no pixel edge is near. A grid of 1 or less draws
// the chord; fewer than 3 points nothing.
TEST_F(BezierDisplayTest, PolylineHasNSegmentsFromFirstToLastThroughTheCurve) {
  const Points parabola = {{100, 400}, {300, 100}, {500, 400}};
  for (const auto& points : {parabola, kFive}) {
    for (int segments : {2, 3, 7, 50, 137, 5000, 1, 0, -1, INT_MIN}) {
      SCOPED_TRACE(::testing::Message() << points.size() << " points, grid " << segments);
      const std::string log = Draw(points, segments);
      const std::vector<P> s = PointsAfter(log, kData);
      const P first = {points[0].x, points[0].y}, last = {points.back().x, points.back().y};
      ASSERT_EQ(s.size(), size_t(std::max(segments, 1) + 1));
      EXPECT_EQ(std::tuple(Distance(s.front(), first), Distance(s.back(), last)), std::tuple(0, 0));
      EXPECT_NE(log.find(kData + std::to_string(segments) + "\r\n"), std::string::npos);
      for (int i = 1; points.size() == 3 && i < segments && segments <= 7; ++i) {
        const double t = float(double(i) / segments);
        const double b[3] = {(1 - t) * (1 - t), 2 * t * (1 - t), t * t};
        const P want = {b[0] * 100 + b[1] * 300 + b[2] * 500, b[0] * 400 + b[1] * 100 + b[2] * 400};
        EXPECT_LT(Distance(s[i], want), 1e-3) << i;
        const bool offEdge = std::fabs(want.x - std::round(want.x)) > 1e-3 &&
                             std::fabs(want.y - std::round(want.y)) > 1e-3;
        EXPECT_TRUE(!offEdge || window.Canvas().Pixel(int(want.x), int(want.y)) == kBlack) << i;
      }
      const Raster& c = window.Canvas();
      EXPECT_TRUE(points.size() != 3 || segments > 1 ||
                  (c.Pixel(300, 400) == kBlack && c.Pixel(300, 250) == kWhite)) << "the chord";
    }
  }
  for (int n : {0, 1, 2, -1})
    EXPECT_EQ((std::tuple{Draw(parabola, 50, n).empty(), window.Canvas().CountNonWhite()}), std::tuple(true, 0)) << n;
}

TEST_F(BezierDisplayTest, HugeGridAndHugeCoordinatesStayBounded) {
  Points hundred;
  for (int i = 0; i < kMaxPoints; ++i) hundred.push_back(Point2{i * 7.9f, (i * 37 % 600) * 1.0f});
  const std::string log = Draw(hundred, kMaxGrid);
  EXPECT_NE(log.find("data point count:=9999\r\n"), log.npos) << "every segment the grid asks for";
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), kMaxPoints + kMaxGrid + 9);
  EXPECT_EQ(Draw(hundred, INT_MAX), log) << "a grid beyond the limit draws as the largest";

  const std::string text =
      Draw({{1e30f, 1e30f}, {-1e30f, 5}, {100, 100}, {FLT_MAX, -FLT_MAX}, {-FLT_MAX, 50}}, 50);
  DrawBezierCurve(window, kEraseMode);
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << "erasing in white leaves nothing";
  EXPECT_EQ(std::tuple(text.find("inf"), text.find("nan")), std::tuple(text.npos, text.npos));
}

// The writers' exact bytes, under a locale with a decimal comma too when one is installed.
TEST_F(BezierDisplayTest, LogWritersAlsoUnderACommaLocale) {
  static float matrix[100][100] = {};
  matrix[0][0] = 1.5f, matrix[0][1] = -0.25f, matrix[0][2] = 12.125f;
  matrix[1][1] = 1.0f / 3.0f, matrix[1][2] = -100.0f;
  matrix[2][0] = matrix[0][3] = 99.0f;  // beyond the rows and columns written
  for (const char* name : {"C", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    m.clientHeight = 300;  // the log flips y against 600 whatever the window's height
    std::string dump;
    AppendMatrix(dump, matrix, 2, 3);
    EXPECT_EQ(dump, "\r\n2, 3, \r\n 1.5000000, -0.2500000, 12.1250000, \r\n"
                    " 0.0000000,  0.3333333, -100.0000000, \r\n") << name;
    EXPECT_EQ(Logged([] { LogPoint(10, 20), LogPoint3(1, 2.5f, -3), LogBreak(1), LogBreak(0); }),
              "10.00000 580.00000\r\n1.00000 2.50000 -3.00000\r\n\r\n\r\n\r\n\r\n") << name;
  }
  std::string widest;
  matrix[3][0] = -FLT_MAX;
  AppendMatrix(widest, matrix + 3, 1, 1);
  EXPECT_EQ(widest, "\r\n1, 1, \r\n-340282346638528859811704183484516925440.0000000, \r\n");
}

}  // namespace
}  // namespace tambra
