#include "app/control_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <random>

#include "base/c_locale.h"
#include "base/model_limits.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

// A file written by hand, independent of the writer: point (i, j, i - j),
// weights 1, count + order knots 0, 1, 2, ... (at most 100), then `trailer`.
std::string Net(int mode, int rows, int cols, int xOrder, int yOrder,
                const std::string& trailer = "1 0 0 0 0 50 0 ") {
  std::ostringstream text;
  // A curve is written with no Y degree step and z = 0.
  text << mode << ' ' << rows << ' ' << cols << " 1 " << xOrder << ' ' << mode << ' ' << yOrder << "\r\n";
  for (int i = 0; i < rows; ++i, text << "\r\n") {
    for (int j = 0; j < cols; ++j) text << '(' << i << ' ' << j << ' ' << (mode == 0 ? 0 : i - j) << ") ";
  }
  for (int i = 0; i < rows; ++i, text << "\r\n") {
    for (int j = 0; j < cols; ++j) text << "1 ";
  }
  for (int count : {std::min(rows + xOrder, 100), std::min(cols + yOrder, 100)}) {
    for (int k = 0; k < count; ++k) text << k << ' ';
    text << "\r\n";
  }
  return text.str() + trailer;
}

class ControlFileTest : public SessionTest {
 protected:
  ControlFileTest() : SessionTest(0) {}  // no window: its creation would change the model

  void UseFile(const std::string& path) { std::strcpy(m.controlFileName, path.c_str()); }
  std::string SaveAndRead(const std::string& name) {
    UseFile(Path(name));
    SaveControlFile(window);
    return ReadFile(Path(name));
  }
  int LoadText(const std::string& text) {
    WriteFile(Path("input.cnt"), text);
    UseFile(Path("input.cnt"));
    return LoadControlFile(window);
  }
  // A surface whose every value survives "%g" exactly.
  void SetSurface(int rows, int cols) {
    m.objectMode = kSurfaces, m.netRows = rows, m.netCols = cols;
    m.xOrder = 4, m.yOrder = 3, m.xDegreeStep = 2, m.yDegreeStep = 0;
    for (int k = 0; k < rows * cols; ++k) {
      const int i = k / cols, j = k % cols;
      m.net[i][j] = Point3{0.5f * i - 3.25f, 2.0f * j, ((i * 7 + j * 3) % 11) * 0.125f - 0.5f};
      m.netWeights[i][j] = 0.5f + ((i + 2 * j) % 5) * 0.25f;
    }
    for (int k = 0; k < rows + 4 && k < kMaxKnots; ++k) m.xKnots[k] = 0.25f * k;
    for (int k = 0; k < cols + 3 && k < kMaxKnots; ++k) m.yKnots[k] = 1.0f * k;
    m.scale = 120.5f, m.tx = -40, m.ty = 12, m.tht = 30, m.phi = -15.5f, m.grid = 24;
  }
  // Where one is installed, a locale with a decimal comma: files still hold decimal points.
  static void UseCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
      if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') return;
  }
  // A model unlike anything the tests load, so that "unchanged" means something.
  void SetDistinctiveModel() {
    SetSurface(5, 4);
    m.curveKind = kNurbs, m.pointCount = 2, m.weights[1] = 7.0f, m.triangleList[3] = {8, 8, 8};
  }
  // Loading `name` is refused, reported with the name (and `reason`) and changes nothing.
  void ExpectRefused(const std::string& name, const std::string& verb, const std::string& reason) {
    SetDistinctiveModel(), UseFile(Path(name));
    const auto before = ModelBytes();
    const std::size_t errors = window.Errors().size();
    EXPECT_EQ((std::tuple{LoadControlFile(window), ModelDifference(before, ModelBytes())}), std::tuple(0, ""));
    ASSERT_EQ(window.Errors().size(), errors + 1);
    const std::string expected = verb + " \"" + Path(name) + "\": " + reason;
    EXPECT_EQ(window.Errors().back().substr(0, reason.empty() ? expected.size() : -1), expected);
  }
};

// Save as onto another existing file asks first: Cancel leaves it as it was, OK replaces it.
// Save of the document's own file asks nothing; a value not finite leaves the old file as it
// was; a write that fails is reported with the name and leaves nothing.
TEST_F(ControlFileTest, ReplacingAFileAsksAndNeverLeavesItHalfWritten) {
  window.Start();
  const std::string real = Path("real.cnt"), missing = Path("missing/x.cnt");
  const std::string old = "old contents\r\n\x01\x02 exactly";
  WriteFile(real, old);
  SetSurface(2, 3);
  answers.okCancel = {false, true};
  answers.fileNames = {real, real};
  window.Command(kCmdSaveAs);
  EXPECT_EQ(ReadFile(real), old);
  window.Command(kCmdSaveAs);
  EXPECT_TRUE(ReadFile(real).starts_with("1 2 3 2 4 0 3\r\n"));
  const std::string question = real + "\r\nThis file already exists. \r\nReplace existing file?";
  EXPECT_EQ(answers.questionsAsked, std::vector<std::string>(2, question));
  m.netWeights[1][1] = std::numeric_limits<float>::quiet_NaN();
  window.Command(kCmdSave);
  EXPECT_TRUE(ReadFile(real).starts_with("1 2 3 2 4 0 3\r\n"));
  m.netWeights[1][1] = 1.0f;
  window.Command(kCmdSave);
  EXPECT_EQ(answers.questionsAsked.size(), 2u) << "the document's own file is written without a question";
  UseFile(missing);
  SaveControlFile(window);
  EXPECT_EQ(window.Errors(),
            (std::vector<std::string>{
                "Cannot save \"" + real + "\": the model holds a value that is not a finite number",
                "Cannot save \"" + missing + "\": No such file or directory"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "no temporary file is left";
}

// After New, Save asks for a name instead of writing over the last file (names that are no
// file are the bad-file tests).
TEST_F(ControlFileTest, SaveAsksForANameAfterNew) {
  window.Start();
  for (int i = 0; i < 4; ++i) window.Click(100 + 50 * i, 200);
  answers.fileNames = {Path("first.cnt")};
  window.Command(kCmdSaveAs);
  window.Command(kCmdNew);
  window.Click(10, 10), window.Click(20, 20), window.Click(30, 10);
  answers.fileNames = {Path("second.cnt")};
  window.Command(kCmdSave);
  EXPECT_EQ(answers.promptTitles.size(), 2u) << "Save after New asks for a name";
  EXPECT_EQ(ReadFile(Path("first.cnt")).substr(0, 6), "0 4 1 ");
  EXPECT_EQ(ReadFile(Path("second.cnt")).substr(0, 6), "0 3 1 ");
}

// Hand-written files load whole and are written back to the byte, values of every magnitude
// included, or are refused without a change; a model beyond the same limit is refused by Save
// with the same reason, leaving no file.
TEST_F(ControlFileTest, FilesAndModelsBeyondTheLimitsAreRefusedWithoutAChange) {
  UseCommaLocale();
  ExpectRefused("absent.cnt", "Cannot open", "No such file or directory");
  const auto view = [](const char* trailer) { return Net(1, 2, 2, 2, 2, trailer); };
  const std::string triangle = "1 0 0 0 0 50 1 ";
  std::string nul = Net(1, 2, 2, 2, 2), huge = nul;
  nul[nul.find("1 \r\n")] = '\0';
  huge.resize(kMaxControlFileBytes + 1, ' ');
  const struct {
    std::string text, reason;  // no reason: the file loads
    std::function<void()> beyond = nullptr;
  } cases[] = {
      // Triangles: more columns than rows, the most rows packed.
      {Net(1, 3, 4, 2, 2, triangle), ""}, {Net(1, 31, 31, 4, 4, triangle), ""},
      // 99 and 100 knots; the largest net and order; a curve of 100 points.
      {Net(1, 32, 1, 67, 0, "-1e+07 1e+07 0 -360 360 -9999 0 "), ""}, {Net(1, 32, 2, 68, 2), ""},
      {Net(1, 100, 100, 99, 0), ""}, {Net(0, 100, 1, 4, 0), ""},
      {"1 1 2 99 3 0 2\r\n(1e-30 -3.40282e+38 0.333333) (1.17549e-38 2.5 -7) \r\n0.125 1e+30 "
       "\r\n0 0.5 1 1.5 \r\n0 1 2 3 \r\n0.5 -1e+07 9.99999e+06 -359.5 1e-05 -9999 0 ", ""},
      {Net(0, 3, 1, 2, 0, "1 0 0 0 0 50 1 "), ""},  // a curve may carry the triangles flag
      {"0 99999999999999999999 1 1 2 0 0\r\n",
       "line 1: the header does not hold seven whole numbers"},
      {Net(2, 2, 2, 2, 2), "the object mode is 2; it must be 0 (curves) or 1 (surfaces)"},
      {"1 0 2 1 2 1 2\r\n", "the net has 0 rows; a control file holds 1 to 100"},
      {"1 2 101 1 2 1 2\r\n", "the net has 101 columns; a control file holds 1 to 100",
       [&] { m.netCols = kMaxNetSize + 1; }},
      {"1 2 2 1 100 1 2\r\n", "the X order is 100; it must lie between 0 and 99",
       [&] { m.objectMode = kCurves, m.pointCount = 3, m.order = kMaxOrder + 1; }},
      {"1 2 2 1 2 -1 2\r\n", "the Y degree step is -1; it must lie between 0 and 99",
       [&] { m.yDegreeStep = -1; }},
      {"1 1 1 1 1 1 1\r\n(1 2 1e39) \r\n", "line 2: a point coordinate is not a finite number"},
      {"1 1 1 1 1 1 1\r\n(1 2 3) \r\ninf \r\n", "line 3: a weight is not a finite number"},
      {nul, "line 4: a weight is not a number"},
      {view("inf 0 0 0 0 50 0 "), "line 8: a view value is not a finite number"},
      {"", "the model holds a value that is not a finite number",
       [&] { m.yKnots[6] = std::numeric_limits<float>::infinity(); }},
      {view("1 0 -10000001 0 0 50 0 "),
       "the view value ty is -10000001; view values must lie within 1e+07 of 0",
       [&] { m.ty = -10000001.0f; }},
      {view("1 0 0 0 0 10000 0 "), "the grid is 10000; it must lie between -9999 and 9999",
       [&] { m.grid = 10000; }},
      {Net(0, 3, 1, 2, 0, "1 0 0 0 0 50 -1 "), "the triangles flag is -1; it must be 0 or 1"},
      {Net(1, 32, 32, 4, 4, triangle), "a triangular net holds at most 31 rows; this one has 32",
       [&] { SetSurface(kMaxTriangleRows + 1, 2), m.triangles = 1; }},
      {huge, "the file is larger than 1 MiB; a control file is far smaller"},
  };
  for (const auto& [text, reason, beyond] : cases) {
    SCOPED_TRACE(reason.empty() ? text.substr(0, 24) : reason);
    if (beyond) {
      ResetModelState(), SetSurface(3, 4), beyond(), fs::remove(Path("input.cnt"));
      const std::size_t errors = window.Errors().size();
      UseFile(Path("beyond.cnt")), SaveControlFile(window);
      ASSERT_EQ(window.Errors().size(), errors + 1);
      EXPECT_EQ(window.Errors().back(), "Cannot save \"" + Path("beyond.cnt") + "\": " + reason);
      EXPECT_TRUE(fs::is_empty(dir)) << "no file, no temporary file";
    }
    if (!reason.empty() && !text.empty()) {
      WriteFile(Path("input.cnt"), text), ExpectRefused("input.cnt", "Cannot read", reason);
    }
    if (!reason.empty() || text.empty()) continue;
    ASSERT_EQ(LoadText(text), 1);
    const std::string saved = FormatControlFile();
    // A triangle is written with zeros above its diagonal.
    if (m.objectMode == kCurves || m.triangles == 0) {
      EXPECT_EQ(saved, text);
    }
    ASSERT_EQ(LoadText(saved), 1);
    EXPECT_EQ(FormatControlFile(), saved) << "what Save writes, Open reads";
    if (m.objectMode == kSurfaces && m.triangles == 1) {
      const int last = m.netRows * (m.netRows + 1) / 2 - 1;  // row and column netRows - 1
      EXPECT_EQ(m.triangleList[last].y, m.netRows - 1.0f);
    }
  }
}

// Every prefix is refused but the file without its final space; LF ends and padding to the
// size bound load the same.
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
    EXPECT_EQ((std::tuple{LoadText(text), ModelDifference(loaded, ModelBytes())}), std::tuple(1, ""));
  }
}

TEST(ShortestFloatText, SixDigitsWhereTheyHoldTheFloatMoreOnlyWhereNeeded) {
  const std::pair<float, const char*> cases[] = {
      {3.0f, "3"},          {0.5f, "0.5"},           {-0.0f, "-0"},         {377.88f, "377.88"},
      {0.1f, "0.1"},        {1e-05f, "1e-05"},       {1e10f, "1e+10"},      {50.0f, "50"},
      {0.5000001f, "0.5000001"}, {0.5000004f, "0.5000004"}, {1234567.75f, "1234567.8"},
      {16777217.0f, "16777216"}, {1.0f / 3, "0.33333334"}, {3.40282347e38f, "3.4028235e+38"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(ShortestFloatText(value), text) << text;
}

// Random floats of every magnitude in the points, weights, knots and view of a net and of a
// curve come back from Save and Open bit for bit.
TEST_F(ControlFileTest, EveryStoredFloatComesBackBitForBit) {
  UseCommaLocale();
  std::mt19937 random(31);
  // Any float from 1e-30 to 1e30 in size, of either sign; view values stay within 1e6.
  const auto anyFloat = [&](int maxExponent = 99) {
    const std::uint32_t exponent = 127 + std::uniform_int_distribution<int>(-99, maxExponent)(random);
    const std::uint32_t bits = (random() & 0x807FFFFFu) | (exponent << 23);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  };
  for (int mode : {kSurfaces, kCurves}) {
    ResetModelState();
    SetSurface(6, mode == kSurfaces ? 5 : 1);
    m.objectMode = mode, m.yOrder = mode == kSurfaces ? 3 : 0;
    for (int i = 0; i < 6; ++i) {
      for (int j = 0; j < m.netCols; ++j) {
        m.net[i][j] = {anyFloat(), anyFloat(), mode == kSurfaces ? anyFloat() : 0.0f};
        m.netWeights[i][j] = anyFloat();
      }
    }
    for (float& knot : m.xKnots) knot = anyFloat();
    for (float& knot : m.yKnots) knot = anyFloat();
    for (float* view : {&m.scale, &m.tx, &m.ty, &m.tht, &m.phi}) *view = anyFloat(19);
    m.xKnots[0] = 0.5000001f, m.xKnots[1] = 0.5000004f, m.net[0][0].x = 1234567.75f;
    if (mode == kCurves) NetToCurve();
    const auto saved = std::make_unique<ModelState>(Model());
    const std::string text = SaveAndRead(mode == kCurves ? "curve.cnt" : "net.cnt");
    ResetModelState();
    ASSERT_EQ(LoadText(text), 1) << window.Errors().back();
    // The stored floats' bytes, each array up to what the file holds.
    const auto stored = [&](const ModelState& s) {
      std::string bytes;
      const auto add = [&](const auto* values, int count) {
        bytes.append(reinterpret_cast<const char*>(values), sizeof *values * count);
      };
      if (mode == kSurfaces) {
        for (int i = 0; i < 6; ++i) add(s.net[i], s.netCols), add(s.netWeights[i], s.netCols);
        add(s.xKnots, 6 + s.xOrder), add(s.yKnots, s.netCols + s.yOrder);
      } else {
        add(s.points, 6), add(s.weights, 6), add(s.knots, 6 + s.order);
      }
      for (const float* view : {&s.scale, &s.tx, &s.ty, &s.tht, &s.phi}) add(view, 1);
      return bytes;
    };
    EXPECT_TRUE(stored(m) == stored(*saved));
    EXPECT_EQ(FormatControlFile(), text) << "written again, the same bytes";
  }
}

TEST_F(ControlFileTest, SampleFilesLoadAndAreReproducedByTheWriter) {
  UseCommaLocale();
  for (const std::string name : {"curve.cnt", "bicubic.cnt", "triangle.cnt"}) {
    const std::string path = std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/" + name;
    ResetModelState(), UseFile(path);
    ASSERT_EQ(LoadControlFile(window), 1) << name;
    EXPECT_EQ(SaveAndRead(name), ReadFile(path)) << name;
  }
}

}  // namespace
}  // namespace tambra
