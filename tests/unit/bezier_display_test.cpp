// The Bezier curve display and its log section, checked against an
// independent evaluation (the Bernstein sum in double precision), and the
// shared log line writers.
#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bezier/bezier_display.h"
#include "shell/canvas.h"
#include "shell/headless_platform.h"
#include "shell/model_state.h"
#include "shell/output_log.h"

namespace tambra {
namespace {

constexpr int kHeight = 600;

struct LoggedPoint {
  std::string text;
  double x;
  double y;  // as written: clientHeight - y
};

// One Bezier section of the log, read strictly line by line.
struct Section {
  int controlCount = 0;
  std::vector<LoggedPoint> controls;
  int dataCount = 0;
  std::vector<LoggedPoint> data;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// Whether `text` from `at` holds -?DIGITS.DDDDD; moves `at` past it.
bool FixedFive(const std::string& text, std::size_t& at) {
  if (at < text.size() && text[at] == '-') ++at;
  const std::size_t digits = at;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  if (at == digits || at >= text.size() || text[at] != '.') return false;
  ++at;
  for (int i = 0; i < 5; ++i, ++at) {
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return false;
  }
  return true;
}

// A point line: two "%7.5f" numbers and one space.
bool ParsePoint(const std::string& line, LoggedPoint& point) {
  std::size_t at = 0;
  if (!FixedFive(line, at) || at >= line.size() || line[at] != ' ') return false;
  ++at;
  if (!FixedFive(line, at) || at != line.size()) return false;
  point.text = line;
  char* end = nullptr;
  point.x = std::strtod(line.c_str(), &end);
  point.y = std::strtod(end, nullptr);
  return true;
}

::testing::AssertionResult ParseSection(const std::string& text, Section& section) {
  const std::vector<std::string> lines = SplitLines(text);
  std::size_t i = 0;
  auto expect = [&](const std::string& want) {
    if (i < lines.size() && lines[i] == want) {
      ++i;
      return true;
    }
    return false;
  };
  auto count = [&](const std::string& prefix, int& value) {
    if (i >= lines.size() || lines[i].rfind(prefix, 0) != 0) return false;
    value = std::stoi(lines[i].substr(prefix.size()));
    ++i;
    return true;
  };
  auto points = [&](std::size_t n, std::vector<LoggedPoint>& out) {
    for (std::size_t k = 0; k < n; ++k, ++i) {
      LoggedPoint p;
      if (i >= lines.size() || !ParsePoint(lines[i], p)) return false;
      out.push_back(p);
    }
    return true;
  };
  if (!expect("") || !expect("") ||
      !count("# In Bezier curve, control point count:=", section.controlCount)) {
    return ::testing::AssertionFailure() << "no control point header in:\n" << text;
  }
  if (!points(static_cast<std::size_t>(section.controlCount), section.controls)) {
    return ::testing::AssertionFailure() << "bad control point line " << i;
  }
  if (!expect("") || !expect("") ||
      !count("# In Bezier curve, data point count:=", section.dataCount)) {
    return ::testing::AssertionFailure() << "no data point header at line " << i;
  }
  // One more point line than the count: the last control point closes it.
  const std::size_t dataLines = section.dataCount > 0 ? section.dataCount + 1 : 2;
  if (!points(dataLines, section.data)) {
    return ::testing::AssertionFailure() << "bad data point line " << i;
  }
  if (!expect("# End Data") || !expect("") || !expect("") || i != lines.size()) {
    return ::testing::AssertionFailure() << "bad section end at line " << i;
  }
  return ::testing::AssertionSuccess();
}

struct Exact {
  double x;
  double y;
};

// The curve point at t by the Bernstein sum, in double precision.
Exact BernsteinPoint(const std::vector<Point2>& points, double t) {
  const int degree = static_cast<int>(points.size()) - 1;
  double x = 0.0, y = 0.0, binomial = 1.0;
  for (int i = 0; i <= degree; ++i) {
    const double basis = binomial * std::pow(t, i) * std::pow(1.0 - t, degree - i);
    x += basis * points[i].x;
    y += basis * points[i].y;
    binomial = binomial * (degree - i) / (i + 1);
  }
  return Exact{x, y};
}

double Sample(int i, int segments) {
  return static_cast<double>(static_cast<float>(static_cast<double>(i) / segments));
}

class BezierDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start(800, kHeight);
  }
  void TearDown() override {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    ResetModelState();
  }

  void OpenLog() {
    Model().logFile = std::tmpfile();
    ASSERT_NE(Model().logFile, nullptr);
    Model().logActive = 1;
  }
  std::string LogText() {
    std::FILE* file = Model().logFile;
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fseek(file, 0, SEEK_END);
    return text;
  }
  void ClearLog() {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    Model().logFile = nullptr;
    OpenLog();
  }

  void SetPoints(const std::vector<Point2>& points) {
    Model().pointCount = static_cast<int>(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) Model().points[i] = points[i];
  }

  Section DrawAndParse(int mode = kBlackMode) {
    DrawBezierCurve(window, mode);
    Section section;
    EXPECT_TRUE(ParseSection(LogText(), section));
    return section;
  }

  HeadlessPlatform window;
  Raster& dc = window.Canvas();
};

const std::vector<Point2> kParabola = {{100, 400}, {300, 100}, {500, 400}};
const std::vector<Point2> kFive = {{40, 500}, {120.5f, 80.25f}, {400, 560}, {610.75f, 90}, {760, 420}};

TEST_F(BezierDisplayTest, SectionHasTheControlPointsThenNSegmentsFromFirstToLast) {
  std::mt19937 rng(3);
  std::vector<Point2> twelve;
  for (int i = 0; i < 12; ++i) {
    twelve.push_back(Point2{static_cast<float>(rng() % 8000) / 10, static_cast<float>(rng() % 6000) / 10});
  }
  for (const std::vector<Point2>& points : {kParabola, kFive, twelve}) {
    for (int segments : {1, 2, 3, 7, 50, 137}) {
      SCOPED_TRACE(::testing::Message() << points.size() << " points, grid " << segments);
      ClearLog();
      SetPoints(points);
      Model().grid = segments;
      const Section s = DrawAndParse();
      ASSERT_EQ(s.controlCount, static_cast<int>(points.size()));
      for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(s.controls[i].x, points[i].x, 5e-6);
        EXPECT_NEAR(s.controls[i].y, kHeight - static_cast<double>(points[i].y), 5e-6) << "y is written upward";
      }
      ASSERT_EQ(s.dataCount, segments);
      ASSERT_EQ(s.data.size(), static_cast<std::size_t>(segments) + 1);
      EXPECT_EQ(s.data.front().text, s.controls.front().text);
      EXPECT_EQ(s.data.back().text, s.controls.back().text);
      for (int i = 1; i < segments; ++i) {
        const Exact expected = BernsteinPoint(points, Sample(i, segments));
        EXPECT_NEAR(s.data[i].x, expected.x, 1e-3) << "sample " << i;
        EXPECT_NEAR(s.data[i].y, kHeight - expected.y, 1e-3) << "sample " << i;
      }
    }
  }
}

TEST_F(BezierDisplayTest, PolylinePassesThroughTheTruncatedSamples) {
  for (int segments : {4, 9, 50}) {
    dc.Resize(800, kHeight);
    SetPoints(kFive);
    Model().grid = segments;
    DrawBezierCurve(window, kBlackMode);
    int checked = 0;
    for (int i = 0; i < segments; ++i) {
      const Exact p = BernsteinPoint(kFive, Sample(i, segments));
      // A sample within rounding of a pixel edge may land on either side.
      auto nearEdge = [](double v) { return std::fabs(v - std::round(v)) < 1e-3; };
      if (nearEdge(p.x) || nearEdge(p.y)) continue;
      ++checked;
      EXPECT_EQ(dc.Pixel(static_cast<int>(p.x), static_cast<int>(p.y)), kBlack)
          << "sample " << i << " of " << segments << " at (" << p.x << ", " << p.y << ")";
    }
    EXPECT_GE(checked, segments / 2);
  }
}

TEST_F(BezierDisplayTest, OneSegmentIsTheChordFromFirstToLast) {
  OpenLog();
  SetPoints(kParabola);
  Model().grid = 1;
  const Section s = DrawAndParse();
  EXPECT_EQ(s.dataCount, 1);
  ASSERT_EQ(s.data.size(), 2u);
  EXPECT_EQ(s.data[0].text, "100.00000 200.00000");
  EXPECT_EQ(s.data[1].text, "500.00000 200.00000");
  EXPECT_EQ(dc.Pixel(300, 400), kBlack) << "the chord";
  EXPECT_EQ(dc.Pixel(300, 250), kWhite) << "no sample in between";
}

TEST_F(BezierDisplayTest, ZeroOrNegativeGridDrawsTheChordWithoutDividing) {
  for (int grid : {0, -1, -50, std::numeric_limits<int>::min()}) {
    SCOPED_TRACE(::testing::Message() << "grid " << grid);
    ClearLog();
    dc.Resize(800, kHeight);
    SetPoints(kParabola);
    Model().grid = grid;
    const Section s = DrawAndParse();
    EXPECT_EQ(s.dataCount, grid);
    ASSERT_EQ(s.data.size(), 2u);
    EXPECT_EQ(s.data[0].text, "100.00000 200.00000");
    EXPECT_EQ(s.data[1].text, "500.00000 200.00000");
    EXPECT_EQ(dc.Pixel(300, 400), kBlack);
    EXPECT_EQ(dc.Pixel(300, 250), kWhite);
  }
}

TEST_F(BezierDisplayTest, FewerThanThreePointsDrawAndLogNothing) {
  OpenLog();
  for (int n : {0, 1, 2, -1}) {
    SetPoints(kParabola);
    Model().pointCount = n;
    DrawBezierCurve(window, kBlackMode);
    EXPECT_EQ(dc.CountNonWhite(), 0) << n << " points";
    EXPECT_EQ(LogText(), "") << n << " points";
  }
}

TEST_F(BezierDisplayTest, LogSectionBytesForASmallCurve) {
  OpenLog();
  SetPoints(kParabola);
  Model().grid = 2;
  DrawBezierCurve(window, kBlackMode);
  EXPECT_EQ(LogText(),
            "\r\n\r\n# In Bezier curve, control point count:=3\r\n"
            "100.00000 200.00000\r\n"
            "300.00000 500.00000\r\n"
            "500.00000 200.00000\r\n"
            "\r\n\r\n# In Bezier curve, data point count:=2\r\n"
            "100.00000 200.00000\r\n"
            "300.00000 350.00000\r\n"
            "500.00000 200.00000\r\n"
            "# End Data\r\n\r\n");
}

TEST_F(BezierDisplayTest, LogWritesYUpwardFromTheClientHeight) {
  OpenLog();
  window.Resize(800, 333);
  SetPoints({{0.5f, 0.25f}, {10, 333}, {20.125f, 400}});
  Model().grid = 1;
  DrawBezierCurve(window, kBlackMode);
  const std::vector<std::string> lines = SplitLines(LogText());
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[3], "0.50000 332.75000");
  EXPECT_EQ(lines[4], "10.00000 0.00000");
  EXPECT_EQ(lines[5], "20.12500 -67.00000");
}

TEST_F(BezierDisplayTest, NothingIsLoggedWhileTheLogIsInactive) {
  OpenLog();
  Model().logActive = 0;
  SetPoints(kFive);
  DrawBezierCurve(window, kBlackMode);
  EXPECT_GT(dc.CountNonWhite(), 0);
  EXPECT_EQ(LogText(), "");
}

TEST_F(BezierDisplayTest, CurveIsDrawnInTheModeColourOnly) {
  SetPoints(kFive);
  for (int mode : {kBlueMode, kRedMode, kGreenMode, kBlackMode}) {
    dc.Resize(800, kHeight);
    DrawBezierCurve(window, mode);
    const Rgb colour = ModeColour(mode);
    int coloured = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < 800; ++x) {
        const Rgb p = dc.Pixel(x, y);
        ASSERT_TRUE(p == kWhite || p == colour) << "mode " << mode << " at " << x << ", " << y;
        coloured += p == colour;
      }
    }
    EXPECT_GT(coloured, 1000) << "mode " << mode;
  }
}

TEST_F(BezierDisplayTest, HugeGridReturnsQuicklyWithABoundedSegmentCount) {
  OpenLog();
  std::mt19937 rng(9);
  std::vector<Point2> hundred;
  for (int i = 0; i < kMaxPoints; ++i) {
    hundred.push_back(Point2{static_cast<float>(rng() % 800), static_cast<float>(rng() % 600)});
  }
  SetPoints(hundred);
  Model().grid = std::numeric_limits<int>::max();
  const auto start = std::chrono::steady_clock::now();
  DrawBezierCurve(window, kBlackMode);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 3.0);
  Section s;
  ASSERT_TRUE(ParseSection(LogText(), s));
  EXPECT_GT(s.dataCount, 50);
  EXPECT_LE(s.dataCount, kMaxCurveSegments);
  EXPECT_EQ(s.data.size(), static_cast<std::size_t>(s.dataCount) + 1);
  EXPECT_EQ(s.data.front().text, s.controls.front().text);
  EXPECT_EQ(s.data.back().text, s.controls.back().text);
}

TEST_F(BezierDisplayTest, HugeCoordinatesDrawWithoutCrashingAndLogFiniteNumbers) {
  OpenLog();
  SetPoints({{1e30f, 1e30f}, {-1e30f, 5}, {100, 100}, {FLT_MAX, -FLT_MAX}, {-FLT_MAX, 50}});
  const auto start = std::chrono::steady_clock::now();
  DrawBezierCurve(window, kBlackMode);
  DrawBezierCurve(window, kEraseMode);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 2.0);
  EXPECT_EQ(dc.CountNonWhite(), 0) << "erasing in white leaves nothing";
  const std::string text = LogText();
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_EQ(text.find("nan"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The log line writers.

class LogWritersTest : public BezierDisplayTest {};

TEST_F(LogWritersTest, PointIsWrittenWithYUpward) {
  OpenLog();
  Model().clientHeight = 300;
  LogPoint(10, 20);
  EXPECT_EQ(LogText(), "10.00000 280.00000\r\n");
  ClearLog();
  LogPoint(-1.5f, 300.25f);
  LogPoint3(1.0f, 2.5f, -3.0f);
  EXPECT_EQ(LogText(), "-1.50000 -0.25000\r\n1.00000 2.50000 -3.00000\r\n");
}

TEST_F(LogWritersTest, BreaksAreThreeOrOneLineEnds) {
  OpenLog();
  LogBreak(1);
  EXPECT_EQ(LogText(), "\r\n\r\n\r\n");
  ClearLog();
  LogBreak(0);
  EXPECT_EQ(LogText(), "\r\n");
  ClearLog();
  LogBreak(-7);
  EXPECT_EQ(LogText().size(), 6u);
}

TEST_F(LogWritersTest, MatrixGoesToTheGivenFileInItsFormat) {
  static float matrix[100][100] = {};
  matrix[0][0] = 1.5f;
  matrix[0][1] = -0.25f;
  matrix[0][2] = 12.125f;
  matrix[1][0] = 0.0f;
  matrix[1][1] = 1.0f / 3.0f;
  matrix[1][2] = -100.0f;
  matrix[2][0] = 99.0f;  // beyond the rows written
  matrix[0][3] = 99.0f;  // beyond the columns written
  std::FILE* dump = std::tmpfile();
  ASSERT_NE(dump, nullptr);
  OpenLog();
  std::FILE* log = Model().logFile;
  LogMatrix(dump, matrix, 2, 3);
  EXPECT_EQ(Model().logFile, log);
  EXPECT_EQ(LogText(), "") << "the log is not touched";
  std::fflush(dump);
  std::rewind(dump);
  char buffer[512] = {};
  const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, dump);
  std::fclose(dump);
  EXPECT_EQ(std::string(buffer, got),
            "\r\n2, 3, \r\n"
            " 1.5000000, -0.2500000, 12.1250000, \r\n"
            " 0.0000000,  0.3333333, -100.0000000, \r\n");
}

// Restores the "C" locale however the test ends.
struct GlobalLocaleGuard {
  ~GlobalLocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

TEST_F(LogWritersTest, NumbersKeepADecimalPointUnderACommaLocale) {
  GlobalLocaleGuard guard;
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                              "nl_NL.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8"};
  const char* found = nullptr;
  for (const char* name : candidates) {
    if (std::setlocale(LC_ALL, name) != nullptr && std::string(std::localeconv()->decimal_point) == ",") {
      found = name;
      break;
    }
  }
  if (found == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5") << "the locale " << found << " is in force";

  OpenLog();
  Model().clientHeight = 300;
  LogPoint(10.5f, 20.25f);
  LogPoint3(0.5f, -1.25f, 2.0f);
  EXPECT_EQ(LogText(), "10.50000 279.75000\r\n0.50000 -1.25000 2.00000\r\n");

  static float matrix[100][100] = {};
  matrix[0][0] = 0.5f;
  std::FILE* dump = std::tmpfile();
  ASSERT_NE(dump, nullptr);
  LogMatrix(dump, matrix, 1, 1);
  std::fflush(dump);
  std::rewind(dump);
  char buffer[64] = {};
  const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, dump);
  std::fclose(dump);
  EXPECT_EQ(std::string(buffer, got), "\r\n1, 1, \r\n 0.5000000, \r\n");

  ClearLog();
  window.Resize(800, kHeight);
  SetPoints(kFive);
  Model().grid = 5;
  Section s;
  DrawBezierCurve(window, kBlackMode);
  EXPECT_TRUE(ParseSection(LogText(), s)) << "every point line keeps its decimal point";
}

}  // namespace
}  // namespace tambra
