#include "shell/control_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shell/headless_platform.h"
#include "shell/model_state.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

// Remembers the full settings of every file prompt and the caption of every
// question, besides what QueuedAnswers keeps.
class RecordingAnswers : public QueuedAnswers {
 public:
  std::vector<FilePrompt> prompts;
  std::vector<std::string> captions;

  bool AnswerFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) override {
    prompts.push_back(prompt);
    return QueuedAnswers::AnswerFileName(prompt, name);
  }
  bool AnswerOkCancel(const char* text, const char* caption) override {
    captions.emplace_back(caption);
    return QueuedAnswers::AnswerOkCancel(text, caption);
  }
};

// The model's bytes, without the scratch text buffer and the log handle.
std::vector<unsigned char> ModelBytes() {
  std::vector<unsigned char> bytes(sizeof(ModelState));
  std::memcpy(bytes.data(), &Model(), sizeof(ModelState));
  std::memset(bytes.data() + offsetof(ModelState, textBuffer), 0, sizeof(ModelState::textBuffer));
  std::memset(bytes.data() + offsetof(ModelState, logFile), 0, sizeof(ModelState::logFile));
  return bytes;
}

// Names the first byte offset at which the model differs from `before`.
::testing::AssertionResult ModelUnchanged(const std::vector<unsigned char>& before) {
  const std::vector<unsigned char> now = ModelBytes();
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (now[i] != before[i]) {
      return ::testing::AssertionFailure() << "the model changed at byte offset " << i;
    }
  }
  return ::testing::AssertionSuccess();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A file of the given shape written by hand, independent of the writer:
// every point (i, j, i - j), weights 1, knots 0, 1, 2, ..., and `trailer`.
std::string HandWrittenSurface(int mode, int rows, int cols, int xOrder, int yOrder,
                               const std::string& trailer) {
  std::string text = std::to_string(mode) + " " + std::to_string(rows) + " " +
                     std::to_string(cols) + " 1 " + std::to_string(xOrder) + " 1 " +
                     std::to_string(yOrder) + "\r\n";
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      text +=
          "(" + std::to_string(i) + " " + std::to_string(j) + " " + std::to_string(i - j) + ") ";
    }
    text += "\r\n";
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) text += "1 ";
    text += "\r\n";
  }
  for (int k = 0; k < rows + xOrder; ++k) text += std::to_string(k) + " ";
  text += "\r\n";
  for (int k = 0; k < cols + yOrder; ++k) text += std::to_string(k) + " ";
  text += "\r\n";
  return text + trailer;
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
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void UseFile(const std::string& path) {
    ASSERT_LT(path.size(), static_cast<std::size_t>(kMaxFileName));
    std::strcpy(m.controlFileName, path.c_str());
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }

  // The two-point curve: (10, 20), (30, 40), weights 1, order 2, degree
  // step 1, knots 0 0 1 1, default view.
  void SetTwoPointCurve() {
    m.objectMode = kCurves;
    m.pointCount = 2;
    m.points[0] = Point2{10, 20};
    m.points[1] = Point2{30, 40};
    m.weights[0] = m.weights[1] = 1.0f;
    m.order = 2;
    m.degreeStep = 1;
    const float knots[] = {0, 0, 1, 1};
    std::copy(std::begin(knots), std::end(knots), m.knots);
  }

  // A surface whose every value survives "%g" exactly.
  static Point3 NetPoint(int i, int j) {
    return Point3{0.5f * static_cast<float>(i) - 3.25f, 2.0f * static_cast<float>(j),
                  static_cast<float>((i * 7 + j * 3) % 11) * 0.125f - 0.5f};
  }
  static float NetWeight(int i, int j) {
    return 0.5f + static_cast<float>((i + 2 * j) % 5) * 0.25f;
  }
  void SetSurface(int rows, int cols) {
    m.objectMode = kSurfaces;
    m.netRows = rows;
    m.netCols = cols;
    m.xOrder = 4;
    m.yOrder = 3;
    m.xDegreeStep = 2;
    m.yDegreeStep = 0;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) {
        m.net[i][j] = NetPoint(i, j);
        m.netWeights[i][j] = NetWeight(i, j);
      }
    }
    for (int k = 0; k < rows + 4 && k < kMaxKnots; ++k) m.xKnots[k] = 0.25f * static_cast<float>(k);
    for (int k = 0; k < cols + 3 && k < kMaxKnots; ++k) m.yKnots[k] = static_cast<float>(k);
    m.scale = 120.5f;
    m.tx = -40.0f;
    m.ty = 12.0f;
    m.tht = 30.0f;
    m.phi = -15.5f;
    m.grid = 24;
  }

  // A model unlike anything the tests load, so that "unchanged" means
  // something.
  void SetDistinctiveModel() {
    SetSurface(5, 4);
    m.objectMode = kCurves;
    m.curveKind = kNurbs;
    m.pointCount = 3;
    m.points[0] = Point2{1, 2};
    m.points[1] = Point2{3, 4};
    m.points[2] = Point2{5, 6};
    m.weights[2] = 7.0f;
    m.knots[5] = 9.0f;
    m.triangleList[3] = Point3{8, 8, 8};
    UseFile(Path("input.cnt"));
  }

  // Writes `text` to a file and loads it.
  int LoadText(const std::string& text) {
    const std::string path = Path("input.cnt");
    WriteFile(path, text);
    UseFile(path);
    return LoadControlFile(window_);
  }

  ModelState& m = Model();
  std::string dir_;
  HeadlessPlatform window_;
  RecordingAnswers answers_;
};

// ---------------------------------------------------------------------------
// File-name prompt

TEST_F(ControlFileTest, AskFileNameUsesTheSettingsOfEachKind) {
  answers_.fileNames = {"models/a.cnt", "", "out.dat"};
  EXPECT_EQ(AskFileName(window_, kControlFileName), 1);
  EXPECT_STREQ(m.controlFileName, "models/a.cnt");
  EXPECT_EQ(AskFileName(window_, kControlFileName), 0) << "an empty answer cancels";
  EXPECT_STREQ(m.controlFileName, "models/a.cnt") << "a cancelled prompt keeps the name";
  EXPECT_EQ(AskFileName(window_, kOutputFileName), 1);
  EXPECT_STREQ(m.outputFileName, "out.dat");
  EXPECT_STREQ(m.controlFileName, "models/a.cnt");

  ASSERT_EQ(answers_.prompts.size(), 3u);
  const FilePrompt& control = answers_.prompts[0];
  EXPECT_STREQ(control.title, "Control Data Filename");
  EXPECT_STREQ(control.filterLabel, "Control(*.cnt)");
  EXPECT_STREQ(control.filterPattern, "*.cnt");
  EXPECT_STREQ(control.defaultExtension, "cnt");
  const FilePrompt& output = answers_.prompts[2];
  EXPECT_STREQ(output.title, "Output Data Filename");
  EXPECT_STREQ(output.filterLabel, "Output(*.dat)");
  EXPECT_STREQ(output.filterPattern, "*.dat");
  EXPECT_STREQ(output.defaultExtension, "dat");
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(ControlFileTest, WritesTheTwoPointCurveByteForByte) {
  SetTwoPointCurve();
  UseFile(Path("two.cnt"));
  SaveControlFile(window_);
  // The header is "%d %d %d %d %d %d %d\r\n": no space before its line end.
  // Every other value carries one trailing space; the trailer has no line end.
  EXPECT_EQ(ReadFile(Path("two.cnt")),
            "0 2 1 1 2 0 0\r\n"
            "(10 20 0) \r\n"
            "(30 40 0) \r\n"
            "1 \r\n"
            "1 \r\n"
            "0 0 1 1 \r\n"
            "0 \r\n"
            "1 0 0 0 0 50 0 ");
  EXPECT_TRUE(answers_.questionsAsked.empty()) << "a new file needs no question";
  EXPECT_TRUE(window_.Errors().empty());
  EXPECT_EQ(FolderEntries().size(), 1u) << "no temporary file is left behind";
}

TEST_F(ControlFileTest, FormatControlFileChangesNothing) {
  SetSurface(3, 2);
  const auto before = ModelBytes();
  const std::string text = FormatControlFile();
  EXPECT_EQ(text.rfind("1 3 2 2 4 0 3\r\n", 0), 0u) << text;
  EXPECT_TRUE(ModelUnchanged(before));
}

TEST_F(ControlFileTest, CurveSaveStoresTheCurveAsOneColumn) {
  SetTwoPointCurve();
  m.pointCount = 3;
  m.points[2] = Point2{50, 60};
  m.weights[2] = 2.0f;
  m.knots[4] = 1.0f;
  UseFile(Path("three.cnt"));
  SaveControlFile(window_);
  const std::string text = ReadFile(Path("three.cnt"));
  EXPECT_EQ(text,
            "0 3 1 1 2 0 0\r\n(10 20 0) \r\n(30 40 0) \r\n(50 60 0) \r\n1 \r\n1 \r\n2 \r\n"
            "0 0 1 1 1 \r\n0 \r\n1 0 0 0 0 50 0 ");
  // CurveToNet ran on the model itself.
  EXPECT_EQ(m.netRows, 3);
  EXPECT_EQ(m.netCols, 1);
  EXPECT_EQ(m.yOrder, 0);
}

TEST_F(ControlFileTest, SavingACurveWithNoPointsWritesNothing) {
  m.objectMode = kCurves;
  m.pointCount = 0;
  m.netRows = 4;
  m.netCols = 4;
  UseFile(Path("empty.cnt"));
  SaveControlFile(window_);
  EXPECT_FALSE(fs::exists(Path("empty.cnt")));
  EXPECT_EQ(m.netRows, 0);

  // Nor is an existing file touched or a question asked.
  WriteFile(Path("empty.cnt"), "keep me");
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(Path("empty.cnt")), "keep me");
  EXPECT_TRUE(answers_.questionsAsked.empty());
  EXPECT_TRUE(window_.Errors().empty());
}

TEST_F(ControlFileTest, SavingASurfaceWithNoColumnsWritesNothing) {
  SetSurface(3, 3);
  m.netCols = 0;
  UseFile(Path("none.cnt"));
  SaveControlFile(window_);
  EXPECT_FALSE(fs::exists(Path("none.cnt")));
}

TEST_F(ControlFileTest, ReplaceQuestionCancelKeepsTheFileAndOkReplacesIt) {
  const std::string path = Path("old.cnt");
  const std::string old = "old contents\r\n\x01\x02 exactly";
  WriteFile(path, old);
  ::chmod(path.c_str(), 0640);
  SetTwoPointCurve();
  UseFile(path);

  answers_.okCancel = {false};
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(path), old);
  ASSERT_EQ(answers_.questionsAsked.size(), 1u);
  EXPECT_EQ(answers_.questionsAsked[0],
            path + "\r\nThis file already exists. \r\nReplace existing file?");
  EXPECT_EQ(answers_.captions[0], "Surfaces in TAMBRA");

  answers_.okCancel = {true};
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(path).rfind("0 2 1 1 2 0 0\r\n", 0), 0u);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";

  // The file just written exists: saving again asks again.
  answers_.okCancel = {false};
  SaveControlFile(window_);
  EXPECT_EQ(answers_.questionsAsked.size(), 3u);
  EXPECT_TRUE(window_.Errors().empty());
  EXPECT_EQ(FolderEntries().size(), 1u);
}

TEST_F(ControlFileTest, SavingThroughASymbolicLinkWritesTheFileItNames) {
  const std::string real = Path("real.cnt");
  const std::string link = Path("link.cnt");
  WriteFile(real, "old");
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  SetTwoPointCurve();
  UseFile(link);
  answers_.okCancel = {true};
  SaveControlFile(window_);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real).rfind("0 2 1 1 2 0 0", 0), 0u);
}

TEST_F(ControlFileTest, SaveIntoAMissingFolderIsReported) {
  SetTwoPointCurve();
  const std::string path = Path("missing/x.cnt");
  UseFile(path);
  SaveControlFile(window_);
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0], "Cannot save \"" + path + "\": No such file or directory");
  EXPECT_FALSE(fs::exists(Path("missing")));
}

TEST_F(ControlFileTest, FailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
  // A folder in the target's place cannot be replaced by a file.
  const std::string path = Path("taken.cnt");
  ASSERT_TRUE(fs::create_directory(path));
  WriteFile(path + "/inside", "x");
  SetTwoPointCurve();
  UseFile(path);
  answers_.okCancel = {true};
  SaveControlFile(window_);
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0], "Cannot save \"" + path + "\": Is a directory");
  EXPECT_EQ(ReadFile(path + "/inside"), "x");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"taken.cnt"});
}

TEST_F(ControlFileTest, FailedWriteKeepsTheOldFileWhole) {
  // A file size limit makes the write itself fail part way, as a full disk
  // would.
  const std::string path = Path("big.cnt");
  const std::string old = "the old file\r\n";
  WriteFile(path, old);
  SetSurface(32, 32);
  UseFile(path);
  answers_.okCancel = {true};

  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 2048;
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  SaveControlFile(window_);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0], "Cannot save \"" + path + "\": File too large");
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"big.cnt"});
}

TEST_F(ControlFileTest, AValueThatIsNotFiniteIsNeverWritten) {
  SetSurface(2, 2);
  m.netWeights[1][0] = std::numeric_limits<float>::quiet_NaN();
  const std::string path = Path("nan.cnt");
  WriteFile(path, "old");
  UseFile(path);
  answers_.okCancel = {true, true};
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(path), "old");
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0],
            "Cannot save \"" + path + "\": the model holds a value that is not a finite number");

  m.netWeights[1][0] = 1.0f;
  m.phi = -std::numeric_limits<float>::infinity();
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(window_.Errors().size(), 2u);
}

// ---------------------------------------------------------------------------
// Round trips

TEST_F(ControlFileTest, CurveRoundTrip) {
  m.objectMode = kCurves;
  m.pointCount = 7;
  m.order = 3;
  m.degreeStep = 2;
  for (int i = 0; i < 7; ++i) {
    m.points[i] =
        Point2{100.0f + 37.5f * static_cast<float>(i), 400.0f - 12.25f * static_cast<float>(i * i)};
    m.weights[i] = 1.0f + 0.5f * static_cast<float>(i % 3);
  }
  const float knots[] = {0, 0, 0, 1, 2, 2.5f, 3, 4, 4, 4};
  std::copy(std::begin(knots), std::end(knots), m.knots);
  m.grid = 80;
  UseFile(Path("curve.cnt"));
  SaveControlFile(window_);
  const std::string written = ReadFile(Path("curve.cnt"));
  EXPECT_EQ(written.rfind("0 7 1 2 3 0 0\r\n", 0), 0u);

  ResetModelState();
  m.curveKind = kBSpline;
  UseFile(Path("curve.cnt"));
  ASSERT_EQ(LoadControlFile(window_), 1) << (window_.Errors().empty() ? "" : window_.Errors()[0]);
  EXPECT_EQ(m.objectMode, kCurves);
  EXPECT_EQ(m.curveKind, kBSpline) << "loading leaves the curve family alone";
  EXPECT_EQ(m.pointCount, 7);
  EXPECT_EQ(m.order, 3);
  EXPECT_EQ(m.degreeStep, 2);
  EXPECT_EQ(m.grid, 80);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(m.points[i].x, 100.0f + 37.5f * static_cast<float>(i)) << i;
    EXPECT_EQ(m.points[i].y, 400.0f - 12.25f * static_cast<float>(i * i)) << i;
    EXPECT_EQ(m.weights[i], 1.0f + 0.5f * static_cast<float>(i % 3)) << i;
  }
  for (int k = 0; k < 10; ++k) EXPECT_EQ(m.knots[k], knots[k]) << k;

  // Saving the loaded curve writes the same bytes.
  UseFile(Path("again.cnt"));
  SaveControlFile(window_);
  EXPECT_EQ(ReadFile(Path("again.cnt")), written);
}

TEST_F(ControlFileTest, FullSizeSurfaceRoundTrip) {
  SetSurface(32, 32);
  UseFile(Path("net.cnt"));
  SaveControlFile(window_);
  const std::string written = ReadFile(Path("net.cnt"));
  EXPECT_GT(written.size(), static_cast<std::size_t>(kTextBufferSize))
      << "a full net is larger than the text buffer and must still load";

  ResetModelState();
  UseFile(Path("net.cnt"));
  ASSERT_EQ(LoadControlFile(window_), 1) << (window_.Errors().empty() ? "" : window_.Errors()[0]);
  EXPECT_EQ(m.objectMode, kSurfaces);
  EXPECT_EQ(m.pointCount, 0) << "a surface file leaves the curve alone";
  ASSERT_EQ(m.netRows, 32);
  ASSERT_EQ(m.netCols, 32);
  EXPECT_EQ(m.xOrder, 4);
  EXPECT_EQ(m.yOrder, 3);
  EXPECT_EQ(m.xDegreeStep, 2);
  EXPECT_EQ(m.yDegreeStep, 0);
  for (int i = 0; i < 32; ++i) {
    for (int j = 0; j < 32; ++j) {
      const Point3 p = NetPoint(i, j);
      EXPECT_EQ(m.net[i][j].x, p.x) << i << "," << j;
      EXPECT_EQ(m.net[i][j].y, p.y) << i << "," << j;
      EXPECT_EQ(m.net[i][j].z, p.z) << i << "," << j;
      EXPECT_EQ(m.netWeights[i][j], NetWeight(i, j)) << i << "," << j;
    }
  }
  for (int k = 0; k < 36; ++k) EXPECT_EQ(m.xKnots[k], 0.25f * static_cast<float>(k)) << k;
  for (int k = 0; k < 35; ++k) EXPECT_EQ(m.yKnots[k], static_cast<float>(k)) << k;
  EXPECT_EQ(m.xKnots[36], 0.0f) << "knots beyond the used part stay as they were";
  EXPECT_EQ(m.scale, 120.5f);
  EXPECT_EQ(m.tx, -40.0f);
  EXPECT_EQ(m.ty, 12.0f);
  EXPECT_EQ(m.tht, 30.0f);
  EXPECT_EQ(m.phi, -15.5f);
  EXPECT_EQ(m.grid, 24);
  EXPECT_EQ(m.triangles, 0);
  EXPECT_EQ(FormatControlFile(), written);
}

TEST_F(ControlFileTest, TriangularNetRoundTrip) {
  SetSurface(5, 5);
  m.triangles = 1;
  // The list is what counts; the net above the diagonal holds leftovers.
  for (int k = 0; k < 15; ++k) {
    m.triangleList[k] =
        Point3{static_cast<float>(k), static_cast<float>(-k), 0.5f * static_cast<float>(k)};
  }
  m.net[0][4] = Point3{9, 9, 9};
  UseFile(Path("tri.cnt"));
  SaveControlFile(window_);
  const std::string written = ReadFile(Path("tri.cnt"));

  ControlFileContents contents;
  std::string reason;
  ASSERT_TRUE(ParseControlFile(written, contents, reason)) << reason;
  EXPECT_EQ(contents.triangles, 1);
  int k = 0;
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) {
      const Point3 expected = j <= i ? m.triangleList[k++] : Point3{0, 0, 0};
      EXPECT_EQ(contents.net[i][j].x, expected.x) << i << "," << j;
      EXPECT_EQ(contents.net[i][j].z, expected.z) << i << "," << j;
    }
  }

  ResetModelState();
  UseFile(Path("tri.cnt"));
  ASSERT_EQ(LoadControlFile(window_), 1);
  EXPECT_EQ(m.triangles, 1);
  EXPECT_EQ(m.netRows, 5);
  for (int t = 0; t < 15; ++t) {
    EXPECT_EQ(m.triangleList[t].x, static_cast<float>(t)) << t;
    EXPECT_EQ(m.triangleList[t].y, static_cast<float>(-t)) << t;
    EXPECT_EQ(m.triangleList[t].z, 0.5f * static_cast<float>(t)) << t;
  }
  EXPECT_EQ(m.triangleList[15].x, 0.0f);
}

TEST_F(ControlFileTest, SixDigitsComeBackAsTheFloatOfThePrintedValue) {
  m.objectMode = kCurves;
  m.pointCount = 3;
  m.order = 2;
  m.points[0] = Point2{0.1234567f, 1234567.0f};
  m.points[1] = Point2{-0.000123456789f, 3.0f};
  m.points[2] = Point2{2.75f, 10.0f};
  m.weights[0] = 0.5f;
  m.weights[1] = 1.0f / 3.0f;
  m.weights[2] = 1.0f;
  const float knots[] = {0, 0, 2.75f, 10, 10};
  std::copy(std::begin(knots), std::end(knots), m.knots);
  UseFile(Path("digits.cnt"));
  SaveControlFile(window_);
  const std::string written = ReadFile(Path("digits.cnt"));
  EXPECT_NE(written.find("(0.123457 1.23457e+06 0) "), std::string::npos) << written;
  EXPECT_NE(written.find("(-0.000123457 3 0) "), std::string::npos) << written;

  ResetModelState();
  UseFile(Path("digits.cnt"));
  ASSERT_EQ(LoadControlFile(window_), 1);
  EXPECT_EQ(m.points[0].x, 0.123457f);
  EXPECT_EQ(m.points[0].y, 1234570.0f);
  EXPECT_EQ(m.points[1].x, -0.000123457f);
  EXPECT_EQ(m.points[2].x, 2.75f);
  EXPECT_EQ(m.points[2].y, 10.0f);
  EXPECT_EQ(m.weights[0], 0.5f);
  EXPECT_EQ(m.weights[1], 0.333333f);
  EXPECT_EQ(m.knots[2], 2.75f);
  EXPECT_EQ(m.knots[3], 10.0f);
}

// Sets a comma-decimal locale for the test's duration.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        active_ = true;
        return;
      }
    }
  }
  ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
  bool Active() const { return active_; }

 private:
  bool active_ = false;
};

TEST_F(ControlFileTest, CommaLocaleStillWritesAndReadsDecimalPoints) {
  CommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "no comma-decimal locale is installed";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%g", 0.5);
  ASSERT_STREQ(probe, "0,5") << "the locale in force does not use a decimal comma";

  SetTwoPointCurve();
  m.weights[0] = 0.5f;
  m.knots[1] = 0.25f;
  m.scale = 1.5f;
  UseFile(Path("comma.cnt"));
  SaveControlFile(window_);
  const std::string written = ReadFile(Path("comma.cnt"));
  EXPECT_EQ(written.find(','), std::string::npos) << written;
  EXPECT_NE(written.find("0.5 \r\n"), std::string::npos) << written;

  m.weights[0] = 9.0f;
  m.scale = 9.0f;
  ASSERT_EQ(LoadControlFile(window_), 1) << (window_.Errors().empty() ? "" : window_.Errors()[0]);
  EXPECT_EQ(m.weights[0], 0.5f);
  EXPECT_EQ(m.knots[1], 0.25f);
  EXPECT_EQ(m.scale, 1.5f);
}

// ---------------------------------------------------------------------------
// Reading: refusals

TEST_F(ControlFileTest, ThirtyThreeRowsAreWrittenButRefused) {
  SetSurface(33, 2);
  UseFile(Path("33.cnt"));
  SaveControlFile(window_);
  ASSERT_TRUE(fs::exists(Path("33.cnt")));
  EXPECT_EQ(ReadFile(Path("33.cnt")).rfind("1 33 2 ", 0), 0u);

  SetDistinctiveModel();
  UseFile(Path("33.cnt"));
  const auto before = ModelBytes();
  EXPECT_EQ(LoadControlFile(window_), 0);
  EXPECT_TRUE(ModelUnchanged(before));
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0], "Cannot read \"" + Path("33.cnt") +
                                     "\": the net has 33 rows; a control file holds 1 to 32");
}

TEST_F(ControlFileTest, FilesThatCannotBeOpenedOrReadAreReported) {
  SetDistinctiveModel();

  UseFile(Path("absent.cnt"));
  auto before = ModelBytes();
  EXPECT_EQ(LoadControlFile(window_), 0);
  EXPECT_TRUE(ModelUnchanged(before));
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0],
            "Cannot open \"" + Path("absent.cnt") + "\": No such file or directory");

  fs::create_directory(Path("folder.cnt"));
  UseFile(Path("folder.cnt"));
  before = ModelBytes();
  EXPECT_EQ(LoadControlFile(window_), 0);
  EXPECT_TRUE(ModelUnchanged(before));
  ASSERT_EQ(window_.Errors().size(), 2u);
  EXPECT_EQ(window_.Errors()[1], "Cannot read \"" + Path("folder.cnt") + "\": Is a directory");

  UseFile(Path("input.cnt"));
  before = ModelBytes();
  EXPECT_EQ(LoadText(""), 0);
  EXPECT_EQ(window_.Errors().back(),
            "Cannot read \"" + Path("input.cnt") + "\": the file is empty");

  // A valid file padded beyond the size bound is refused before parsing.
  std::string huge = HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 50 0 ");
  huge.resize(kMaxControlFileBytes + 1, ' ');
  EXPECT_EQ(LoadText(huge), 0);
  EXPECT_EQ(window_.Errors().back(),
            "Cannot read \"" + Path("input.cnt") +
                "\": the file is larger than 1 MiB; a control file is far smaller");
  EXPECT_TRUE(ModelUnchanged(before));
  // At the bound it still loads.
  huge.resize(kMaxControlFileBytes);
  EXPECT_EQ(LoadText(huge), 1);
  EXPECT_EQ(m.objectMode, kSurfaces);
}

struct RefusalCase {
  const char* name;
  std::string text;
  const char* reason;  // the whole reason given after the file name
};

std::vector<RefusalCase> RefusalCases() {
  const std::string view = "1 0 0 0 0 50 0 ";
  std::string nul = HandWrittenSurface(1, 2, 2, 2, 2, view);
  nul[nul.find("1 \r\n")] = '\0';
  return {
      {"blank", " \r\n\t ", "the file is empty"},
      {"words", "hello world\r\n", "line 1: the header does not hold seven whole numbers"},
      {"short header", "0 2 1 1 2 0", "the file is truncated in the header"},
      {"real in header", "0 2.5 1 1 2 0 0\r\n",
       "line 1: the header does not hold seven whole numbers"},
      {"huge header number", "0 99999999999999999999 1 1 2 0 0\r\n",
       "line 1: the header does not hold seven whole numbers"},
      {"object mode", HandWrittenSurface(2, 2, 2, 2, 2, view),
       "the object mode is 2; it must be 0 (curves) or 1 (surfaces)"},
      {"no rows", "1 0 2 1 2 1 2\r\n", "the net has 0 rows; a control file holds 1 to 32"},
      {"negative columns", "1 2 -1 1 2 1 2\r\n",
       "the net has -1 columns; a control file holds 1 to 32"},
      {"33 columns", "1 2 33 1 2 1 2\r\n", "the net has 33 columns; a control file holds 1 to 32"},
      {"negative order", "1 2 2 1 -1 1 2\r\n", "the X order is -1; it must not be negative"},
      {"negative step", "1 2 2 1 2 -1 2\r\n",
       "the Y degree step is -1; it must lie between 0 and 99"},
      {"step 100", "1 2 2 100 2 1 2\r\n", "the X degree step is 100; it must lie between 0 and 99"},
      {"100 knots", "1 32 2 1 68 1 2\r\n",
       "the X knot vector would need 100 entries; at most 99 fit"},
      {"huge order", "1 2 30 1 2 1 2147483647\r\n",
       "the Y knot vector would need 2147483677 entries; at most 99 fit"},
      {"no line end", "1 2 2 1 2 1 2", "the header line has no line end"},
      {"CR line ends", "1 1 1 1 1 1 1\r(1 2 3) \r1 \r0 0 \r0 0 \r1 0 0 0 0 50 0 ",
       "the header line has no line end"},
      {"point text", "1 1 1 1 1 1 1\r\n(1 x 3) \r\n", "line 2: a point is not three numbers"},
      {"point commas", "1 1 1 1 1 1 1\r\n(1,5 2 3) \r\n", "line 2: a point is not three numbers"},
      {"missing paren", "1 1 1 1 1 1 1\r\n1 2 3 \r\n1 \r\n0 0 \r\n0 0 \r\n1 0 0 0 0 50 0 ",
       "the file is truncated in the points"},
      {"nan point", "1 1 1 1 1 1 1\r\n(1 nan 3) \r\n",
       "line 2: a point coordinate is not a finite number"},
      {"point beyond float", "1 1 1 1 1 1 1\r\n(1 2 1e39) \r\n",
       "line 2: a point coordinate is not a finite number"},
      {"inf weight", "1 1 1 1 1 1 1\r\n(1 2 3) \r\ninf \r\n",
       "line 3: a weight is not a finite number"},
      {"word weight", "1 1 1 1 1 1 1\r\n(1 2 3) \r\nheavy \r\n",
       "line 3: a weight is not a number"},
      {"weights cut", "1 1 2 1 1 1 1\r\n(1 2 3) (4 5 6) \r\n1 ",
       "the file is truncated in the weights"},
      {"nan knot", "1 1 1 1 1 1 1\r\n(1 2 3) \r\n1 \r\n0 -nan \r\n0 0 \r\n1 0 0 0 0 50 0 ",
       "line 4: a knot is not a finite number"},
      {"few X knots", "1 1 1 1 3 1 1\r\n(1 2 3) \r\n1 \r\n0 0 \r\n",
       "the file is truncated in the X knots"},
      {"no Y knots", "1 1 1 1 1 1 1\r\n(1 2 3) \r\n1 \r\n0 0 \r\n",
       "the file is truncated in the Y knots"},
      {"no view", HandWrittenSurface(1, 2, 2, 2, 2, ""),
       "the file is truncated in the view values"},
      {"view cut", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 50"),
       "the file is truncated in the view values"},
      {"view text", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 zero 0 50 0 "),
       "line 8: the last line does not hold five numbers, the grid and the triangles flag"},
      {"real grid", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 50.5 0 "),
       "line 8: the last line does not hold five numbers, the grid and the triangles flag"},
      {"inf scale", HandWrittenSurface(1, 2, 2, 2, 2, "inf 0 0 0 0 50 0 "),
       "line 8: a view value is not a finite number"},
      {"huge scale", HandWrittenSurface(1, 2, 2, 2, 2, "2e7 0 0 0 0 50 0 "),
       "the view value scale is 2e+07; view values must lie within 1e+07 of 0"},
      {"huge phi", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 -1.5e7 50 0 "),
       "the view value phi is -1.5e+07; view values must lie within 1e+07 of 0"},
      {"grid 10000", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 10000 0 "),
       "the grid is 10000; it must lie between -9999 and 9999"},
      {"grid -10000", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 -10000 0 "),
       "the grid is -10000; it must lie between -9999 and 9999"},
      {"triangles 2", HandWrittenSurface(1, 2, 2, 2, 2, "1 0 0 0 0 50 2 "),
       "the triangles flag is 2; it must be 0 or 1"},
      {"triangles -1 in a curve", HandWrittenSurface(0, 3, 1, 2, 0, "1 0 0 0 0 50 -1 "),
       "the triangles flag is -1; it must be 0 or 1"},
      {"32-row triangle", HandWrittenSurface(1, 32, 32, 4, 4, "1 0 0 0 0 50 1 "),
       "a triangular net holds at most 31 rows; this one has 32"},
      {"NUL byte", nul, "line 4: a weight is not a number"},
  };
}

TEST_F(ControlFileTest, RefusedFilesAreReportedAndChangeNothing) {
  for (const RefusalCase& c : RefusalCases()) {
    SCOPED_TRACE(c.name);
    SetDistinctiveModel();
    const auto before = ModelBytes();
    const std::size_t errors = window_.Errors().size();
    EXPECT_EQ(LoadText(c.text), 0);
    EXPECT_TRUE(ModelUnchanged(before));
    ASSERT_EQ(window_.Errors().size(), errors + 1);
    EXPECT_EQ(window_.Errors().back(), "Cannot read \"" + Path("input.cnt") + "\": " + c.reason);
  }
}

// Every prefix of a valid file is refused, except the whole file and the
// file without its final space: that space follows the last value and
// carries nothing, so a file whose editor trimmed it still loads, and
// loads the same.
TEST_F(ControlFileTest, TruncationAtEveryByteIsRefusedUnlessOnlyTheLastSpaceIsMissing) {
  for (const bool curve : {true, false}) {
    SCOPED_TRACE(curve ? "curve" : "surface");
    ResetModelState();
    if (curve) {
      SetTwoPointCurve();
      m.points[1] = Point2{-12.5f, 0.125f};
      m.weights[1] = 2.5f;
      m.grid = 120;
    } else {
      SetSurface(2, 3);
      m.triangles = 0;
    }
    UseFile(Path("whole.cnt"));
    SaveControlFile(window_);
    const std::string whole = ReadFile(Path("whole.cnt"));
    ASSERT_EQ(whole.back(), ' ');
    SetDistinctiveModel();
    ASSERT_EQ(LoadText(whole), 1);
    const auto loaded = ModelBytes();

    for (std::size_t length = 0; length <= whole.size(); ++length) {
      SetDistinctiveModel();
      const auto before = ModelBytes();
      const std::size_t errors = window_.Errors().size();
      const int result = LoadText(whole.substr(0, length));
      if (length + 1 >= whole.size()) {
        EXPECT_EQ(result, 1) << "cut at " << length;
        EXPECT_TRUE(ModelUnchanged(loaded)) << "cut at " << length;
      } else {
        EXPECT_EQ(result, 0) << "cut at " << length;
        EXPECT_TRUE(ModelUnchanged(before)) << "cut at " << length;
        EXPECT_EQ(window_.Errors().size(), errors + 1) << "cut at " << length;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Reading: what the cursor tolerates

TEST_F(ControlFileTest, WhiteSpaceVariationsLoadTheSameModel) {
  SetSurface(2, 3);
  m.xOrder = 2;
  m.yOrder = 1;
  UseFile(Path("canonical.cnt"));
  SaveControlFile(window_);
  const std::string canonical = ReadFile(Path("canonical.cnt"));
  SetDistinctiveModel();
  ASSERT_EQ(LoadText(canonical), 1);
  const auto expected = ModelBytes();

  auto replaceAll = [](std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
    return text;
  };
  const std::vector<std::pair<const char*, std::string>> variants = {
      {"LF line ends", replaceAll(canonical, "\r\n", "\n")},
      {"no trailing spaces", replaceAll(replaceAll(canonical, " \r\n", "\r\n"), ") ", ")")},
      {"tabs and doubled spaces", replaceAll(replaceAll(canonical, " ", "  "), "(", "\t(\t")},
      {"trailer on its own lines", canonical.substr(0, canonical.rfind("\r\n") + 2) +
                                       "120.5\r\n-40 12\r\n30 -15.5\r\n24\r\n0\r\n"},
      {"final line end", canonical + "\r\n"},
      {"trailing text", canonical + "\r\nsaved by hand\r\n"},
      {"header with a trailing space",
       replaceAll(canonical, "1 2 3 2 2 0 1\r\n", "1 2 3 2 2 0 1 \r\n")},
  };
  ASSERT_EQ(canonical.rfind("1 2 3 2 2 0 1\r\n", 0), 0u);
  for (const auto& [name, text] : variants) {
    SCOPED_TRACE(name);
    SetDistinctiveModel();
    ASSERT_EQ(LoadText(text), 1) << (window_.Errors().empty() ? "" : window_.Errors().back());
    EXPECT_TRUE(ModelUnchanged(expected));
  }
}

TEST_F(ControlFileTest, ACurveFileWithTheTrianglesFlagSetLoadsAsACurve) {
  const std::string text = HandWrittenSurface(0, 3, 1, 2, 0, "1 0 0 0 0 50 1 ");
  SetDistinctiveModel();
  ASSERT_EQ(LoadText(text), 1) << window_.Errors().back();
  EXPECT_EQ(m.objectMode, kCurves);
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.points[2].x, 2.0f);
  EXPECT_EQ(m.triangles, 1);
}

TEST_F(ControlFileTest, LargestAcceptedSizesLoad) {
  // 32 rows with order 67 use 99 knots, the most a vector may use.
  const std::string text = HandWrittenSurface(1, 32, 1, 67, 0, "-1e7 1e7 0 -360 360 -9999 0 ");
  SetDistinctiveModel();
  ASSERT_EQ(LoadText(text), 1) << window_.Errors().back();
  EXPECT_EQ(m.xOrder, 67);
  EXPECT_EQ(m.xKnots[98], 98.0f);
  EXPECT_EQ(m.scale, -1e7f);
  EXPECT_EQ(m.grid, -9999);

  const std::string triangle = HandWrittenSurface(1, 31, 31, 4, 4, "1 0 0 0 0 50 1 ");
  ASSERT_EQ(LoadText(triangle), 1) << window_.Errors().back();
  EXPECT_EQ(m.triangles, 1);
  EXPECT_EQ(m.triangleList[495].x, 30.0f) << "the last of the 496 packed points is (30, 30)";
  EXPECT_EQ(m.triangleList[495].y, 30.0f);
}

// ---------------------------------------------------------------------------
// Reading: garbage

void ExpectSoundModel() {
  const ModelState& m = Model();
  ASSERT_GE(m.netRows, 1);
  ASSERT_LE(m.netRows, kMaxFileNet);
  ASSERT_GE(m.netCols, 1);
  ASSERT_LE(m.netCols, kMaxFileNet);
  ASSERT_LT(m.netRows + m.xOrder, kMaxKnots);
  ASSERT_LT(m.netCols + m.yOrder, kMaxKnots);
  ASSERT_TRUE(m.triangles == 0 || m.triangles == 1);
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      ASSERT_TRUE(std::isfinite(m.net[i][j].x) && std::isfinite(m.net[i][j].y) &&
                  std::isfinite(m.net[i][j].z) && std::isfinite(m.netWeights[i][j]));
    }
  }
  ASSERT_LE(std::fabs(m.scale), kMaxFileViewValue);
}

TEST_F(ControlFileTest, MutatedFilesAreEitherRefusedOrLoadASoundModel) {
  SetSurface(3, 4);
  m.triangles = 0;
  const std::string seed = FormatControlFile();
  std::mt19937 random(20240611u);
  static const char kAlphabet[] = "0123456789 .-+e()\r\n\tnaif\0x";
  const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = random() % text.size();
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 4) {
        case 0:
          text[at] = c;
          break;
        case 1:
          text.insert(at, 1, c);
          break;
        case 2:
          text.erase(at, 1 + random() % 8);
          break;
        default:
          text[at] = static_cast<char>(random() % 256);
          break;
      }
    }
    ControlFileContents contents;
    std::string reason;
    ResetModelState();
    if (ParseControlFile(text, contents, reason)) {
      ++accepted;
      ApplyControlFile(contents);
      ExpectSoundModel();
    } else {
      EXPECT_FALSE(reason.empty());
    }
  }
  EXPECT_GT(accepted, 0) << "some single-digit edits must still load";
}

TEST_F(ControlFileTest, RandomBytesNeverLoad) {
  std::mt19937 random(7u);
  for (int round = 0; round < 500; ++round) {
    std::string text(random() % 400, '\0');
    for (char& c : text) c = static_cast<char>(random() % 256);
    ControlFileContents contents;
    std::string reason;
    EXPECT_FALSE(ParseControlFile(text, contents, reason));
  }
}

// ---------------------------------------------------------------------------
// Sample files

TEST_F(ControlFileTest, SampleFilesLoadAndAreExactlyWhatTheWriterWrites) {
  const fs::path folder = fs::path(TAMBRA_TEST_DATA_DIR) / ".." / "examples";
  const struct {
    const char* name;
    int mode;
    int rows;
    int cols;
    int triangles;
  } samples[] = {{"curve.cnt", kCurves, 6, 1, 0},
                 {"bicubic.cnt", kSurfaces, 4, 4, 0},
                 {"triangle.cnt", kSurfaces, 4, 4, 1}};
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.name);
    ResetModelState();
    const std::string path = (folder / sample.name).string();
    UseFile(path);
    ASSERT_EQ(LoadControlFile(window_), 1)
        << (window_.Errors().empty() ? "" : window_.Errors().back());
    EXPECT_EQ(m.objectMode, sample.mode);
    EXPECT_EQ(m.netRows, sample.rows);
    EXPECT_EQ(m.netCols, sample.cols);
    EXPECT_EQ(m.triangles, sample.triangles);
    EXPECT_EQ(FormatControlFile(), ReadFile(path));
    if (sample.mode == kCurves) {
      EXPECT_EQ(m.order, 4);
      const float clamped[] = {0, 0, 0, 0, 1, 2, 3, 3, 3, 3};
      for (int k = 0; k < 10; ++k) EXPECT_EQ(m.knots[k], clamped[k]) << k;
      for (int i = 0; i < m.pointCount; ++i) {
        EXPECT_TRUE(m.points[i].x > 0 && m.points[i].x < 800 && m.points[i].y > 0 &&
                    m.points[i].y < 600)
            << i;
      }
    }
  }
}

}  // namespace
}  // namespace tambra

namespace tambra {
namespace {

// The Control Data dialog lets a triangular net have more columns than rows;
// only the rows shape the triangle, so such a file must open again.
TEST_F(ControlFileTest, TriangularNetWithExtraColumnsLoads) {
  EXPECT_EQ(LoadText(HandWrittenSurface(1, 3, 4, 2, 2, "1 0 0 0 0 50 1 ")), 1);
  EXPECT_EQ(Model().netRows, 3);
  EXPECT_EQ(Model().netCols, 4);
  EXPECT_EQ(Model().triangles, 1);
  EXPECT_EQ(Model().triangleList[5].x, 2.0f) << "row 2, column 2 is the sixth packed point";
  EXPECT_EQ(Model().triangleList[5].y, 2.0f);
}

}  // namespace
}  // namespace tambra
