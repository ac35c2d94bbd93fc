// The Bezier curve display and its log section, checked against the Bernstein
// sum in double, and the shared log line writers.
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

#include "bezier/bezier_display.h"
#include "base/canvas.h"
#include "tools/headless_platform.h"
#include "base/model_state.h"
#include "base/output_log.h"

namespace tambra {
namespace {

constexpr int kHeight = 600;
const std::vector<Point2> kParabola = {{100, 400}, {300, 100}, {500, 400}};
const std::vector<Point2> kFive = {{40, 500}, {120.5f, 80.25f}, {400, 560}, {610.75f, 90}, {760, 420}};

std::string ReadAll(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fseek(file, 0, SEEK_END);  // ready for writing again
  return text;
}

std::vector<std::string> Lines(const std::string& text) {  // split at CR LF
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

class BezierDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModelState(); window.Start(800, kHeight); FreshLog(); }
  void TearDown() override {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    ResetModelState();
    std::setlocale(LC_ALL, "C");
  }
  void FreshLog() {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    Model().logFile = std::tmpfile();
    ASSERT_NE(Model().logFile, nullptr);
    Model().logActive = 1;
  }
  std::string Log() { return ReadAll(Model().logFile); }
  void Draw(const std::vector<Point2>& points, int grid, int count = INT_MAX) {
    FreshLog();
    window.Canvas().Resize(800, kHeight);
    Model().pointCount = std::min(count, static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) Model().points[i] = points[i];
    Model().grid = grid;
    DrawBezierCurve(window, kBlackMode);
  }
  // The point lines of the data part of the section for `n` control points,
  // after checking every line around them.
  std::vector<std::string> DataLines(int n, int segments, int count) {
    const std::vector<std::string> l = Lines(Log());
    const std::size_t first = static_cast<std::size_t>(n) + 6, size = first + count + 1 + 3;
    EXPECT_EQ(l.size(), size);
    if (l.size() != size) return {};
    EXPECT_EQ(l[2], "# In Bezier curve, control point count:=" + std::to_string(n));
    EXPECT_EQ(l[first - 1], "# In Bezier curve, data point count:=" + std::to_string(segments));
    EXPECT_EQ(l[first], l[3]) << "starts at the first control point";
    EXPECT_EQ(l[first + count], l[3 + n - 1]) << "ends at the last control point";
    EXPECT_EQ(l[size - 3], "# End Data");
    return {l.begin() + static_cast<long>(first), l.begin() + static_cast<long>(first + count + 1)};
  }

  HeadlessPlatform window;
};

TEST_F(BezierDisplayTest, PolylineHasNSegmentsFromFirstToLastThroughTheCurve) {
  for (const auto& points : {kParabola, kFive}) {
    for (int segments : {2, 3, 7, 50, 137}) {
      SCOPED_TRACE(::testing::Message() << points.size() << " points, grid " << segments);
      Draw(points, segments);
      const std::vector<std::string> data = DataLines(static_cast<int>(points.size()), segments, segments);
      if (points.size() != 3 || segments > 7 || data.empty()) continue;
      for (int i = 1; i < segments; ++i) {  // the Bernstein sum at the float t
        const double t = static_cast<float>(static_cast<double>(i) / segments);
        const double b[3] = {(1 - t) * (1 - t), 2 * t * (1 - t), t * t};
        double x = 0, y = 0, gotX = 0, gotY = 0;
        for (int k = 0; k < 3; ++k) x += b[k] * points[k].x, y += b[k] * points[k].y;
        ASSERT_EQ(std::sscanf(data[i].c_str(), "%lf %lf", &gotX, &gotY), 2) << data[i];
        EXPECT_NEAR(gotX, x, 1e-3) << "sample " << i;
        EXPECT_NEAR(gotY, kHeight - y, 1e-3) << "sample " << i << ", y written upward";
        const bool offEdge = std::fabs(x - std::round(x)) > 1e-3 && std::fabs(y - std::round(y)) > 1e-3;
        EXPECT_TRUE(!offEdge || window.Canvas().Pixel(static_cast<int>(x), static_cast<int>(y)) == kBlack) << i;
      }
    }
  }
}

TEST_F(BezierDisplayTest, GridOfOneOrLessDrawsTheChord) {
  for (int grid : {1, 0, -1, INT_MIN}) {
    SCOPED_TRACE(::testing::Message() << "grid " << grid);
    Draw(kParabola, grid);
    EXPECT_EQ(DataLines(3, grid, 1), (std::vector<std::string>{"100.00000 200.00000", "500.00000 200.00000"}));
    EXPECT_EQ(window.Canvas().Pixel(300, 400), kBlack) << "the chord";
    EXPECT_EQ(window.Canvas().Pixel(300, 250), kWhite) << "no sample in between";
  }
}

TEST_F(BezierDisplayTest, FewerThanThreePointsDrawAndLogNothing) {
  for (int n : {0, 1, 2, -1}) {
    Draw(kParabola, 50, n);
    EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << n;
    EXPECT_EQ(Log(), "") << n;
  }
}

TEST_F(BezierDisplayTest, LogSectionBytesForASmallCurve) {
  Draw(kParabola, 2);
  EXPECT_EQ(Log(),
            "\r\n\r\n# In Bezier curve, control point count:=3\r\n"
            "100.00000 200.00000\r\n300.00000 500.00000\r\n500.00000 200.00000\r\n"
            "\r\n\r\n# In Bezier curve, data point count:=2\r\n"
            "100.00000 200.00000\r\n300.00000 350.00000\r\n500.00000 200.00000\r\n"
            "# End Data\r\n\r\n");
}

TEST_F(BezierDisplayTest, HugeGridAndHugeCoordinatesStayBounded) {
  std::vector<Point2> hundred;
  for (int i = 0; i < kMaxPoints; ++i) hundred.push_back(Point2{i * 7.9f, (i * 37 % 600) * 1.0f});
  auto start = std::chrono::steady_clock::now();
  Draw(hundred, INT_MAX);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(DataLines(kMaxPoints, kMaxCurveSegments, kMaxCurveSegments).size(), kMaxCurveSegments + 1u);

  start = std::chrono::steady_clock::now();
  Draw({{1e30f, 1e30f}, {-1e30f, 5}, {100, 100}, {FLT_MAX, -FLT_MAX}, {-FLT_MAX, 50}}, 50);
  DrawBezierCurve(window, kEraseMode);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << "erasing in white leaves nothing";
  const std::string text = Log();
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_EQ(text.find("nan"), std::string::npos);
}

// The writers' exact bytes; the same under a locale with a decimal comma.
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
  Model().clientHeight = 300;
  LogPoint(10, 20);
  EXPECT_EQ(ReadAll(Model().logFile), "10.00000 280.00000\r\n") << "nothing else, y upward";
  LogPoint3(1.0f, 2.5f, -3.0f);
  LogBreak(1);
  LogBreak(0);
  EXPECT_EQ(ReadAll(Model().logFile), "10.00000 280.00000\r\n1.00000 2.50000 -3.00000\r\n"
                                      "\r\n\r\n\r\n" "\r\n");
}

TEST_F(BezierDisplayTest, LogWriters) { CheckLogWriters(); }

TEST_F(BezierDisplayTest, LogWritersKeepADecimalPointUnderACommaLocale) {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr && std::string(std::localeconv()->decimal_point) == ",")
      return CheckLogWriters();
  }
  GTEST_SKIP() << "no locale with a decimal comma is installed";
}

}  // namespace
}  // namespace tambra
