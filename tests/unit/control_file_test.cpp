#include "app/control_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/headless_platform.h"
#include "base/model_limits.h"
#include "base/model_state.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

// The model's bytes, without the scratch text buffer and the log handle.
std::vector<unsigned char> ModelBytes(const ModelState& model = Model()) {
  std::vector<unsigned char> bytes(sizeof(ModelState));
  std::memcpy(bytes.data(), &model, sizeof(ModelState));
  std::memset(bytes.data() + offsetof(ModelState, textBuffer), 0, sizeof(ModelState::textBuffer));
  std::memset(bytes.data() + offsetof(ModelState, logFile), 0, sizeof(ModelState::logFile));
  return bytes;
}

std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A file written by hand, independent of the writer: point (i, j, i - j),
// weights 1, knots 0, 1, 2, ..., then `trailer`.
std::string Net(int mode, int rows, int cols, int xOrder, int yOrder,
                const std::string& trailer = "1 0 0 0 0 50 0 ") {
  std::ostringstream text;
  text << mode << ' ' << rows << ' ' << cols << " 1 " << xOrder << " 1 " << yOrder << "\r\n";
  for (int i = 0; i < rows; ++i, text << "\r\n") {
    for (int j = 0; j < cols; ++j) text << '(' << i << ' ' << j << ' ' << i - j << ") ";
  }
  for (int i = 0; i < rows; ++i, text << "\r\n") {
    for (int j = 0; j < cols; ++j) text << "1 ";
  }
  for (int count : {StoredKnotCount(rows, xOrder), StoredKnotCount(cols, yOrder)}) {
    for (int k = 0; k < count; ++k) text << k << ' ';
    text << "\r\n";
  }
  return text.str() + trailer;
}

// A float as a file gives it back: printed with "%g", read as the reader
// reads it. Such a value prints the same again.
float Printed(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return static_cast<float>(std::strtod(text, nullptr));
}

// The first field the control file holds in which `a` (saved) and `b`
// (opened) differ, bit for bit; empty when there is none. Net entries are
// numbered row * kMaxNet + column.
std::string FirstDifference(const ModelState& a, const ModelState& b) {
  std::string first;
  const auto same = [&](const char* name, int i, double x, double y) {
    if (first.empty() && std::memcmp(&x, &y, sizeof x) != 0) {
      char text[160];
      std::snprintf(text, sizeof text, "%s[%d]: saved %.9g, opened %.9g", name, i, x, y);
      first = text;
    }
  };
  const auto point = [&](const char* name, int i, const Point3& p, const Point3& q) {
    same(name, i, p.x, q.x), same(name, i, p.y, q.y), same(name, i, p.z, q.z);
  };
  const std::tuple<const char*, double, double> scalars[] = {
      {"objectMode", a.objectMode, b.objectMode}, {"netRows", a.netRows, b.netRows},
      {"netCols", a.netCols, b.netCols},          {"xDegreeStep", a.xDegreeStep, b.xDegreeStep},
      {"xOrder", a.xOrder, b.xOrder},             {"yDegreeStep", a.yDegreeStep, b.yDegreeStep},
      {"yOrder", a.yOrder, b.yOrder},             {"scale", a.scale, b.scale},
      {"tx", a.tx, b.tx},                         {"ty", a.ty, b.ty},
      {"tht", a.tht, b.tht},                      {"phi", a.phi, b.phi},
      {"grid", a.grid, b.grid},                   {"triangles", a.triangles, b.triangles},
      {"pointCount", a.pointCount, b.pointCount}, {"order", a.order, b.order},
      {"degreeStep", a.degreeStep, b.degreeStep}};
  for (const auto& [name, x, y] : scalars) same(name, 0, x, y);
  for (int i = 0; i < a.netRows; ++i) {
    for (int j = 0; j < a.netCols; ++j) {
      point("net", i * kMaxNet + j, a.net[i][j], b.net[i][j]);
      same("netWeights", i * kMaxNet + j, a.netWeights[i][j], b.netWeights[i][j]);
    }
  }
  for (int k = 0; k < StoredKnotCount(a.netRows, a.xOrder); ++k)
    same("xKnots", k, a.xKnots[k], b.xKnots[k]);
  for (int k = 0; k < StoredKnotCount(a.netCols, a.yOrder); ++k)
    same("yKnots", k, a.yKnots[k], b.yKnots[k]);
  if (a.objectMode == kCurves) {
    for (int i = 0; i < a.pointCount; ++i) {
      point("points", i, {a.points[i].x, a.points[i].y, 0}, {b.points[i].x, b.points[i].y, 0});
      same("weights", i, a.weights[i], b.weights[i]);
    }
    for (int k = 0; k < StoredKnotCount(a.pointCount, a.order); ++k)
      same("knots", k, a.knots[k], b.knots[k]);
  } else if (a.triangles == 1) {
    for (int k = 0; k < a.netRows * (a.netRows + 1) / 2; ++k)
      point("triangleList", k, a.triangleList[k], b.triangleList[k]);
  }
  return first;
}

class ControlFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    char pattern[] = "/tmp/tambra-cnt-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    window_.SetAnswers(&answers_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ResetModelState();
    std::setlocale(LC_ALL, "C");
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void UseFile(const std::string& path) { std::strcpy(m.controlFileName, path.c_str()); }
  std::string SaveAndRead(const std::string& name) {
    UseFile(Path(name));
    SaveControlFile(window_);
    return ReadFile(Path(name));
  }
  int LoadText(const std::string& text) {
    WriteFile(Path("input.cnt"), text);
    UseFile(Path("input.cnt"));
    return LoadControlFile(window_);
  }

  void SetTwoPointCurve() {
    m.objectMode = kCurves, m.pointCount = 2, m.order = 2, m.degreeStep = 1;
    m.points[0] = Point2{10, 20}, m.points[1] = Point2{30, 40};
    m.weights[0] = m.weights[1] = 1.0f;
    m.knots[0] = m.knots[1] = 0.0f, m.knots[2] = m.knots[3] = 1.0f;
  }
  // A curve of `count` points whose every value survives "%g" exactly.
  void SetCurve(int count, int order) {
    m.objectMode = kCurves, m.pointCount = count, m.order = order, m.degreeStep = 2;
    for (int i = 0; i < count; ++i) {
      m.points[i] = Point2{1.5f * i, 300.0f - 0.25f * i};
      m.weights[i] = 0.5f + (i % 4) * 0.25f;
    }
    for (int k = 0; k < StoredKnotCount(count, order); ++k) m.knots[k] = 0.5f * k;
  }
  // A surface whose every value survives "%g" exactly.
  void SetSurface(int rows, int cols) {
    m.objectMode = kSurfaces, m.netRows = rows, m.netCols = cols;
    m.xOrder = 4, m.yOrder = 3, m.xDegreeStep = 2, m.yDegreeStep = 0;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) {
        m.net[i][j] = Point3{0.5f * i - 3.25f, 2.0f * j, ((i * 7 + j * 3) % 11) * 0.125f - 0.5f};
        m.netWeights[i][j] = 0.5f + ((i + 2 * j) % 5) * 0.25f;
      }
    }
    for (int k = 0; k < rows + 4 && k < kMaxKnots; ++k) m.xKnots[k] = 0.25f * k;
    for (int k = 0; k < cols + 3 && k < kMaxKnots; ++k) m.yKnots[k] = 1.0f * k;
    m.scale = 120.5f, m.tx = -40, m.ty = 12, m.tht = 30, m.phi = -15.5f, m.grid = 24;
  }
  // A model unlike anything the tests load, so that "unchanged" means something.
  void SetDistinctiveModel() {
    SetSurface(5, 4);
    SetTwoPointCurve();
    m.curveKind = kNurbs, m.weights[1] = 7.0f, m.triangleList[3] = Point3{8, 8, 8};
  }
  // Saves, loads the file into a fresh model and expects the model saved,
  // field by field and then byte for byte.
  std::string RoundTrip(const std::string& name) {
    const std::string written = SaveAndRead(name);
    EXPECT_EQ(window_.Errors(), std::vector<std::string>{}) << name;
    const auto saved = std::make_unique<ModelState>(m);
    ResetModelState();
    UseFile(Path(name));
    EXPECT_EQ(LoadControlFile(window_), 1) << name;
    EXPECT_EQ(FirstDifference(*saved, m), "") << name;
    EXPECT_TRUE(ModelBytes() == ModelBytes(*saved)) << name;
    return written;
  }
  // Loading `name` into a distinctive model is refused, reported with the
  // file name (and `reason`, when given), and changes nothing.
  void ExpectRefused(const std::string& name, const std::string& verb, const std::string& reason) {
    SetDistinctiveModel();
    UseFile(Path(name));
    const auto before = ModelBytes();
    const std::size_t errors = window_.Errors().size();
    EXPECT_EQ(LoadControlFile(window_), 0);
    EXPECT_TRUE(ModelBytes() == before);
    ASSERT_EQ(window_.Errors().size(), errors + 1);
    const std::string expected = verb + " \"" + Path(name) + "\": " + reason;
    const std::string& got = window_.Errors().back();
    EXPECT_EQ(reason.empty() ? got.substr(0, expected.size()) : got, expected);
  }

  ModelState& m = Model();
  std::string dir_;
  HeadlessPlatform window_;
  QueuedAnswers answers_;
};

TEST_F(ControlFileTest, WritesTheTwoPointCurveByteForByte) {
  SetTwoPointCurve();
  // No space before the header's line end; one after every later value; no final line end.
  const std::string expected =
      "0 2 1 1 2 0 0\r\n(10 20 0) \r\n(30 40 0) \r\n1 \r\n1 \r\n0 0 1 1 \r\n0 \r\n1 0 0 0 0 50 0 ";
  EXPECT_EQ(SaveAndRead("two.cnt"), expected);

  // With no points, Save in Curves mode writes nothing and asks nothing.
  m.pointCount = 0;
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(Path("two.cnt")), expected);
  EXPECT_TRUE(answers_.questionsAsked.empty());
  EXPECT_TRUE(window_.Errors().empty());
}

// Cancel, a value that is not finite and a write that fails part way (a file
// size limit, as a full disk would) all leave the old file whole; OK replaces
// it. Saving goes through a symbolic link to the file it names.
TEST_F(ControlFileTest, ReplacingAFileAsksAndNeverLeavesItHalfWritten) {
  const std::string real = Path("real.cnt"), link = Path("link.cnt");
  const std::string old = "old contents\r\n\x01\x02 exactly";
  WriteFile(real, old);
  ::chmod(real.c_str(), 0640);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  SetTwoPointCurve();
  UseFile(link);
  answers_.okCancel = {false, true, true, true};
  SaveControlFile(window_);
  m.weights[1] = std::numeric_limits<float>::quiet_NaN();
  SaveControlFile(window_);
  m.weights[1] = 1.0f;
  struct rlimit saved, small;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  small = saved, small.rlim_cur = 16;
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  SaveControlFile(window_);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(ReadFile(real), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2) << "no temporary file is left";

  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(real).rfind("0 2 1 1 2 0 0\r\n", 0), 0u);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640)) << "the file keeps its permissions";
  const std::string question = link + "\r\nThis file already exists. \r\nReplace existing file?";
  EXPECT_EQ(answers_.questionsAsked, std::vector<std::string>(4, question));
  const std::string cannot = "Cannot save \"" + link + "\": ";
  EXPECT_EQ(window_.Errors(), (std::vector<std::string>{
                                  cannot + "the model holds a value that is not a finite number",
                                  cannot + "File too large"}));
}

TEST_F(ControlFileTest, CurveNetAndTriangleRoundTripExactlyUpToTheLimits) {
  // A curve in Curves mode; values such as 0.5, 10 and 2.75 come back exactly.
  SetTwoPointCurve();
  m.points[1] = Point2{0.5f, 2.75f}, m.weights[0] = 0.5f, m.knots[3] = 10.0f, m.grid = 80;
  RoundTrip("curve.cnt");

  // Curves beyond 32 points; 100 points of order 4 keep all 100 knots.
  for (const int count : {40, 100}) {
    ResetModelState();
    SetCurve(count, 4);
    const std::string written = RoundTrip("curve" + std::to_string(count) + ".cnt");
    const std::size_t knotLine = 1 + 2 * count;  // after the header, points and weights
    std::size_t start = 0;
    for (std::size_t line = 0; line < knotLine; ++line) start = written.find('\n', start) + 1;
    const std::string knots = written.substr(start, written.find('\r', start) - start);
    EXPECT_EQ(std::count(knots.begin(), knots.end(), ' '), StoredKnotCount(count, 4)) << knots;
  }

  ResetModelState();
  SetSurface(kMaxNetSize, kMaxNetSize);
  EXPECT_GT(RoundTrip("net.cnt").size(), static_cast<std::size_t>(kTextBufferSize));

  // A small triangle with a leftover above the diagonal, and the largest one.
  for (const int rows : {5, kMaxTriangleRows}) {
    ResetModelState();
    SetSurface(rows, rows);
    m.triangles = 1;
    for (int k = 0; k < rows * (rows + 1) / 2; ++k)
      m.triangleList[k] = Point3{1.0f * k, -1.0f * k, 0.5f * k};
    m.net[0][4] = Point3{9, 9, 9};
    RoundTrip("triangle" + std::to_string(rows) + ".cnt");
  }

  // Six significant digits are written; the reader returns their float.
  SetTwoPointCurve();
  m.points[0].x = 0.1234567f;
  EXPECT_NE(SaveAndRead("digits.cnt").find("(0.123457 20 0) "), std::string::npos);
  ASSERT_EQ(LoadControlFile(window_), 1);
  EXPECT_EQ(m.points[0].x, 0.123457f);
}

// Random curves, rectangular and triangular nets within every limit come back
// from Save then Open field by field.
TEST_F(ControlFileTest, RandomModelsWithinTheLimitsRoundTrip) {
  std::mt19937 random(20240611);
  const auto integer = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  // Either end of the range now and then, else anything between.
  const auto ranged = [&](int low, int high) {
    const int pick = integer(0, 7);
    return pick == 0 ? low : pick == 1 ? high : integer(low, high);
  };
  // Any sign and magnitude up to `limit`, as a file gives it back.
  const auto real = [&](double limit) {
    const double value = std::uniform_real_distribution<double>(-1.0, 1.0)(random) *
                         std::pow(10.0, integer(-30, 30));
    return Printed(static_cast<float>(std::clamp(value, -limit, limit)));
  };
  const auto point = [&] { return Point3{real(1e30), real(1e30), real(1e30)}; };
  for (int trial = 0; trial < 300 && !HasFailure(); ++trial) {
    SCOPED_TRACE(trial);
    ResetModelState();
    const int shape = integer(0, 2);  // a curve, a rectangular net, a triangular net
    m.objectMode = shape == 0 ? kCurves : kSurfaces;
    m.triangles = shape == 0 ? integer(0, 1) : shape == 2;  // a curve may carry the flag
    if (shape == 0) {
      m.pointCount = ranged(1, kMaxNetSize);
      m.order = ranged(0, kMaxOrder), m.degreeStep = ranged(0, kMaxDegreeStep);
      for (int i = 0; i < m.pointCount; ++i) {
        const Point3 p = point();
        m.points[i] = Point2{p.x, p.y}, m.weights[i] = p.z;
      }
      for (int k = 0; k < StoredKnotCount(m.pointCount, m.order); ++k) m.knots[k] = real(1e30);
      m.yKnots[0] = real(1e30);  // the one Y knot a curve's file holds
    } else {
      m.netRows = ranged(1, MaxNetRows(shape == 2));
      // A triangle's file keeps netCols columns of its N by N net: at least N.
      m.netCols = shape == 2 ? integer(m.netRows, kMaxNetSize) : ranged(1, kMaxNetSize);
      m.xOrder = ranged(0, kMaxOrder), m.yOrder = ranged(0, kMaxOrder);
      m.xDegreeStep = ranged(0, kMaxDegreeStep), m.yDegreeStep = ranged(0, kMaxDegreeStep);
      for (int i = 0; i < m.netRows; ++i) {
        for (int j = 0; j < m.netCols; ++j) m.net[i][j] = point(), m.netWeights[i][j] = real(1e30);
      }
      for (int k = 0; k < StoredKnotCount(m.netRows, m.xOrder); ++k) m.xKnots[k] = real(1e30);
      for (int k = 0; k < StoredKnotCount(m.netCols, m.yOrder); ++k) m.yKnots[k] = real(1e30);
      if (shape == 2) {
        for (int k = 0; k < m.netRows * (m.netRows + 1) / 2; ++k) m.triangleList[k] = point();
      }
    }
    for (float* view : {&m.scale, &m.tx, &m.ty, &m.tht, &m.phi}) *view = real(kMaxViewValue);
    m.grid = ranged(-kMaxGrid, kMaxGrid);
    fs::remove(Path("random.cnt"));
    RoundTrip("random.cnt");
  }
}

// A model beyond the limits is reported by Save and no file is written: Open
// would refuse it.
TEST_F(ControlFileTest, ModelsBeyondTheLimitsAreNotSaved) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { m.scale = 1e8f; },
       "the view value scale is 1e+08; view values must lie within 1e+07 of 0"},
      {[&] { m.ty = -10000001.0f; },
       "the view value ty is -10000001; view values must lie within 1e+07 of 0"},
      {[&] { m.grid = 10000; }, "the grid is 10000; it must lie between -9999 and 9999"},
      {[&] { m.netCols = kMaxNetSize + 1; },
       "the net has 101 columns; a control file holds 1 to 100"},
      {[&] { m.xOrder = kMaxOrder + 1; }, "the X order is 100; it must lie between 0 and 99"},
      {[&] { m.yDegreeStep = -1; }, "the Y degree step is -1; it must lie between 0 and 99"},
      {[&] { SetCurve(3, kMaxOrder + 1); }, "the X order is 100; it must lie between 0 and 99"},
      {[&] { SetSurface(kMaxTriangleRows + 1, 2), m.triangles = 1; },
       "a triangular net holds at most 31 rows; this one has 32"},
      {[&] { m.yKnots[6] = std::numeric_limits<float>::infinity(); },
       "the model holds a value that is not a finite number"},
      {[&] { m.phi = std::numeric_limits<float>::quiet_NaN(); },
       "the model holds a value that is not a finite number"},
  };
  const std::string path = Path("beyond.cnt");
  for (const auto& [set, reason] : cases) {
    SCOPED_TRACE(reason);
    ResetModelState();
    SetSurface(3, 4);
    set();
    UseFile(path);
    const std::size_t errors = window_.Errors().size();
    SaveControlFile(window_);
    ASSERT_EQ(window_.Errors().size(), errors + 1);
    EXPECT_EQ(window_.Errors().back(), "Cannot save \"" + path + "\": " + reason);
    EXPECT_TRUE(fs::is_empty(dir_)) << "no file, no temporary file";
  }
}

TEST_F(ControlFileTest, CommaLocaleStillWritesAndReadsDecimalPoints) {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') break;
  }
  if (*std::localeconv()->decimal_point != ',') GTEST_SKIP() << "no comma-decimal locale";
  SetSurface(2, 2);
  const std::string written = RoundTrip("comma.cnt");
  EXPECT_EQ(written.find(','), std::string::npos) << written;
  EXPECT_NE(written.find("(-2.75 0 0.375) "), std::string::npos) << written;
}

// Hand-written files either load whole or are refused, reported and change nothing.
TEST_F(ControlFileTest, FilesLoadWholeOrAreRefusedWithoutAChange) {
  ExpectRefused("absent.cnt", "Cannot open", "No such file or directory");

  const auto view = [](const char* trailer) { return Net(1, 2, 2, 2, 2, trailer); };
  const std::string triangle = "1 0 0 0 0 50 1 ";
  std::string nul = Net(1, 2, 2, 2, 2), huge = nul;
  nul[nul.find("1 \r\n")] = '\0';
  huge.resize(kMaxControlFileBytes + 1, ' ');
  const std::pair<std::string, std::string> cases[] = {  // the reason given; none: it loads
      {Net(1, 3, 4, 2, 2, triangle), ""},                // a triangle with more columns than rows
      {Net(1, 31, 31, 4, 4, triangle), ""},              // the most rows a triangle packs
      {Net(0, 3, 1, 2, 0, triangle), ""},                // a curve with the triangles flag set
      {Net(1, 32, 1, 67, 0, "-1e+07 1e+07 0 -360 360 -9999 0 "), ""},  // 99 knots
      {Net(1, 32, 2, 68, 2), ""},                        // count + order 100: 100 knots
      {Net(1, 100, 100, 99, 0), ""},                     // the largest net and order: 100 knots
      {Net(0, 100, 1, 4, 0), ""},                        // a curve of 100 points
      {"0 99999999999999999999 1 1 2 0 0\r\n",
       "line 1: the header does not hold seven whole numbers"},
      {Net(2, 2, 2, 2, 2), "the object mode is 2; it must be 0 (curves) or 1 (surfaces)"},
      {"1 0 2 1 2 1 2\r\n", "the net has 0 rows; a control file holds 1 to 100"},
      {"1 101 2 1 2 1 2\r\n", "the net has 101 rows; a control file holds 1 to 100"},
      {"1 2 101 1 2 1 2\r\n", "the net has 101 columns; a control file holds 1 to 100"},
      {"1 2 2 1 -1 1 2\r\n", "the X order is -1; it must lie between 0 and 99"},
      {"1 2 2 1 100 1 2\r\n", "the X order is 100; it must lie between 0 and 99"},
      {"1 2 2 100 2 1 2\r\n", "the X degree step is 100; it must lie between 0 and 99"},
      {"1 2 2 1 2 -1 2\r\n", "the Y degree step is -1; it must lie between 0 and 99"},
      {"1 2 30 1 2 1 2147483647\r\n", "the Y order is 2147483647; it must lie between 0 and 99"},
      {"1 1 1 1 1 1 1\r\n(1 nan 3) \r\n", "line 2: a point coordinate is not a finite number"},
      {"1 1 1 1 1 1 1\r\n(1 2 1e39) \r\n", "line 2: a point coordinate is not a finite number"},
      {"1 1 1 1 1 1 1\r\n(1 2 3) \r\ninf \r\n", "line 3: a weight is not a finite number"},
      {nul, "line 4: a weight is not a number"},
      {view("inf 0 0 0 0 50 0 "), "line 8: a view value is not a finite number"},
      {view("1 0 0 0 -1.5e7 50 0 "),
       "the view value phi is -1.5e+07; view values must lie within 1e+07 of 0"},
      {view("1 0 0 0 0 10000 0 "), "the grid is 10000; it must lie between -9999 and 9999"},
      {view("1 0 0 0 0 -10000 0 "), "the grid is -10000; it must lie between -9999 and 9999"},
      {Net(0, 3, 1, 2, 0, "1 0 0 0 0 50 -1 "), "the triangles flag is -1; it must be 0 or 1"},
      {Net(1, 32, 32, 4, 4, triangle), "a triangular net holds at most 31 rows; this one has 32"},
      {huge, "the file is larger than 1 MiB; a control file is far smaller"},
  };
  for (const auto& [text, reason] : cases) {
    SCOPED_TRACE(text.substr(0, 24));
    WriteFile(Path("input.cnt"), text);
    if (!reason.empty()) {
      ExpectRefused("input.cnt", "Cannot read", reason);
      continue;
    }
    ASSERT_EQ(LoadText(text), 1);
    EXPECT_EQ(FormatControlFile(), text);
    if (m.objectMode == kSurfaces && m.triangles == 1) {
      const int last = m.netRows * (m.netRows + 1) / 2 - 1;  // row and column netRows - 1
      EXPECT_EQ(m.triangleList[last].y, m.netRows - 1.0f);
    }
  }
}

// Every prefix of a valid file is refused, except the whole file and the file
// without its final space: that space carries nothing, so it may be trimmed.
// LF line ends and padding up to the size bound load the same as well.
TEST_F(ControlFileTest, TruncationAtEveryByteIsRefusedUnlessOnlyTheLastSpaceIsMissing) {
  SetSurface(2, 3);
  const std::string whole = SaveAndRead("whole.cnt");
  ASSERT_EQ(whole.back(), ' ');
  SetDistinctiveModel();
  ASSERT_EQ(LoadText(whole), 1);
  const auto loaded = ModelBytes();
  for (std::size_t length = 0; length + 1 < whole.size(); ++length) {
    SCOPED_TRACE(length);
    WriteFile(Path("input.cnt"), whole.substr(0, length));
    ExpectRefused("input.cnt", "Cannot read", "");
  }
  std::string lf = whole, padded = whole;
  std::erase(lf, '\r');
  padded.resize(kMaxControlFileBytes, ' ');
  for (const std::string& text : {whole.substr(0, whole.size() - 1), lf, padded}) {
    SetDistinctiveModel();
    ASSERT_EQ(LoadText(text), 1);
    EXPECT_TRUE(ModelBytes() == loaded) << "the same model";
  }
}

TEST_F(ControlFileTest, SampleFilesLoadAndAreReproducedByTheWriter) {
  for (const std::string name : {"curve.cnt", "bicubic.cnt", "triangle.cnt"}) {
    const std::string path = std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/" + name;
    ResetModelState();
    UseFile(path);
    ASSERT_EQ(LoadControlFile(window_), 1) << name;
    EXPECT_EQ(SaveAndRead(name), ReadFile(path)) << name;
  }
}

}  // namespace
}  // namespace tambra
