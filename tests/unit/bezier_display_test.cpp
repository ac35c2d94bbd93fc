// The Bezier curve display and its log section against the Bernstein sum; the log writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "bezier/bezier_display.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

constexpr int kHeight = 600;
const std::vector<Point2> kParabola = {{100, 400}, {300, 100}, {500, 400}};
const std::vector<Point2> kFive = {
    {40, 500}, {120.5f, 80.25f}, {400, 560}, {610.75f, 90}, {760, 420}};

std::string ReadAll(std::FILE* file) {
  std::fflush(file), std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fseek(file, 0, SEEK_END);  // ready for writing again
  return text;
}

class BezierDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModelState(), window.Start(800, kHeight); }
  void TearDown() override {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    ResetModelState(), std::setlocale(LC_ALL, "C");
  }
  // Draws the first `count` points with `grid` on a blank canvas; returns the fresh log.
  std::string Draw(const std::vector<Point2>& points, int grid, int count = INT_MAX) {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    Model().logFile = std::tmpfile();
    Model().logActive = Model().logFile != nullptr;
    window.Canvas().Resize(800, kHeight);
    Model().pointCount = std::min(count, static_cast<int>(points.size())), Model().grid = grid;
    std::copy(points.begin(), points.end(), Model().points);
    DrawBezierCurve(window, kBlackMode);
    return Model().logFile != nullptr ? ReadAll(Model().logFile) : "";
  }
  HeadlessPlatform window;
};

// Control points, then segments + 1 samples from the first control point to the last; the
// inner samples are the Bernstein sum at the float t.
TEST_F(BezierDisplayTest, PolylineHasNSegmentsFromFirstToLastThroughTheCurve) {
  for (const auto& points : {kParabola, kFive}) {
    for (int segments : {2, 3, 7, 50, 137, 5000}) {
      SCOPED_TRACE(::testing::Message() << points.size() << " points, grid " << segments);
      std::string text = Draw(points, segments);
      std::vector<std::string> l;  // split at CR LF
      for (std::size_t at; (at = text.find("\r\n")) != std::string::npos; text.erase(0, at + 2))
        l.push_back(text.substr(0, at));
      const std::size_t n = points.size(), first = n + 6;
      ASSERT_EQ(l.size(), first + segments + 1 + 2);
      EXPECT_EQ(l[2], "# In Bezier curve, control point count:=" + std::to_string(n));
      EXPECT_EQ(l[first - 1], "# In Bezier curve, data point count:=" + std::to_string(segments));
      EXPECT_EQ(l[first], l[3]) << "starts at the first control point";
      EXPECT_EQ(l[first + segments], l[3 + n - 1]) << "ends at the last control point";
      EXPECT_EQ(l[first + segments + 1], "# End Data");
      for (int i = 1; n == 3 && segments <= 7 && i < segments; ++i) {
        const double t = static_cast<float>(static_cast<double>(i) / segments);
        const double b[3] = {(1 - t) * (1 - t), 2 * t * (1 - t), t * t};
        double x = 0, y = 0, gotX = 0, gotY = 0;
        for (int k = 0; k < 3; ++k) x += b[k] * points[k].x, y += b[k] * points[k].y;
        ASSERT_EQ(std::sscanf(l[first + i].c_str(), "%lf %lf", &gotX, &gotY), 2) << l[first + i];
        EXPECT_TRUE(std::fabs(gotX - x) < 1e-3 && std::fabs(gotY - (kHeight - y)) < 1e-3)
            << "sample " << i << " is " << l[first + i] << ", y written upward";
        const bool offEdge =
            std::fabs(x - std::round(x)) > 1e-3 && std::fabs(y - std::round(y)) > 1e-3;
        EXPECT_TRUE(!offEdge || window.Canvas().Pixel(int(x), int(y)) == kBlack) << i;
      }
    }
  }
}

// Exact bytes; a grid of 1 or less draws only the chord; fewer than 3 points nothing.
TEST_F(BezierDisplayTest, LogSectionBytesChordAndTooFewPoints) {
  const std::string head = "\r\n\r\n# In Bezier curve, control point count:=3\r\n"
                           "100.00000 200.00000\r\n300.00000 500.00000\r\n500.00000 200.00000\r\n"
                           "\r\n\r\n# In Bezier curve, data point count:=";
  EXPECT_EQ(Draw(kParabola, 2), head + "2\r\n100.00000 200.00000\r\n300.00000 350.00000\r\n"
                                       "500.00000 200.00000\r\n# End Data\r\n\r\n");
  for (int grid : {1, 0, -1, INT_MIN}) {
    EXPECT_EQ(Draw(kParabola, grid), head + std::to_string(grid) + "\r\n100.00000 200.00000\r\n"
                                            "500.00000 200.00000\r\n# End Data\r\n\r\n");
    const Raster& c = window.Canvas();
    EXPECT_TRUE(c.Pixel(300, 400) == kBlack && c.Pixel(300, 250) == kWhite) << "chord, " << grid;
  }
  for (int n : {0, 1, 2, -1}) {
    EXPECT_TRUE(Draw(kParabola, 50, n).empty() && window.Canvas().CountNonWhite() == 0) << n;
  }
}

TEST_F(BezierDisplayTest, HugeGridAndHugeCoordinatesStayBounded) {
  std::vector<Point2> hundred;
  for (int i = 0; i < kMaxPoints; ++i) hundred.push_back(Point2{i * 7.9f, (i * 37 % 600) * 1.0f});
  auto start = std::chrono::steady_clock::now();
  const std::string log = Draw(hundred, kMaxGrid);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_NE(log.find("data point count:=9999\r\n"), log.npos) << "every segment the grid asks for";
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), kMaxPoints + kMaxGrid + 9);
  EXPECT_EQ(Draw(hundred, INT_MAX), log) << "a grid beyond the limit draws as the largest";

  start = std::chrono::steady_clock::now();
  const std::string text =
      Draw({{1e30f, 1e30f}, {-1e30f, 5}, {100, 100}, {FLT_MAX, -FLT_MAX}, {-FLT_MAX, 50}}, 50);
  DrawBezierCurve(window, kEraseMode);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << "erasing in white leaves nothing";
  EXPECT_TRUE(text.find("inf") == std::string::npos && text.find("nan") == std::string::npos);
}

void CheckLogWriters() {
  std::FILE* dump = std::tmpfile();
  ASSERT_NE(dump, nullptr);
  static float matrix[100][100] = {};
  matrix[0][0] = 1.5f, matrix[0][1] = -0.25f, matrix[0][2] = 12.125f;
  matrix[1][1] = 1.0f / 3.0f, matrix[1][2] = -100.0f;
  matrix[2][0] = matrix[0][3] = 99.0f;  // beyond the rows and columns written
  LogMatrix(dump, matrix, 2, 3);
  EXPECT_EQ(ReadAll(dump), "\r\n2, 3, \r\n 1.5000000, -0.2500000, 12.1250000, \r\n"
                           " 0.0000000,  0.3333333, -100.0000000, \r\n");
  std::fclose(dump);
  Model().logFile = std::tmpfile(), Model().logActive = 1, Model().clientHeight = 300;
  LogPoint(10, 20);
  EXPECT_EQ(ReadAll(Model().logFile), "10.00000 280.00000\r\n") << "nothing else, y upward";
  LogPoint3(1.0f, 2.5f, -3.0f), LogBreak(1), LogBreak(0);
  EXPECT_EQ(ReadAll(Model().logFile), "10.00000 280.00000\r\n1.00000 2.50000 -3.00000\r\n"
                                      "\r\n\r\n\r\n" "\r\n");
}

// The writers' exact bytes, under a locale with a decimal comma too when one is installed.
TEST_F(BezierDisplayTest, LogWritersAlsoUnderACommaLocale) {
  CheckLogWriters();
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',') {
      std::fclose(Model().logFile);
      return CheckLogWriters();
    }
  }
}

}  // namespace
}  // namespace tambra
