// The replay tool run on in-memory scripts: printing of model fields and
// menu states, the held mouse buttons, the end of a session, PNG output and
// the reporting of script faults with their line numbers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "shell/model_state.h"
#include "tools/replay.h"

namespace tambra {
namespace {

struct ReplayResult {
  int status;
  std::string out;
  std::string err;
};

ReplayResult Replay(const std::string& script, const std::string& name = "case.replay") {
  std::istringstream in(script);
  std::ostringstream out, err;
  const int status = RunReplay(in, name, out, err);
  return {status, out.str(), err.str()};
}

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModelState(); }
  void TearDown() override { ResetModelState(); }
};

// ---------------------------------------------------------------------------
// Printing.

TEST_F(ReplayTest, PrintsIntegersRealsStringsPointsAndKnots) {
  const ReplayResult r = Replay(
      "click 100 400\n"
      "click 200 100\n"
      "print pointCount order grid clientWidth clientHeight\n"
      "print scale insertKnot tht\n"
      "print controlFileName outputFileName\n"
      "print points weights knots xKnots\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "pointCount=2\n"
            "order=4\n"
            "grid=50\n"
            "clientWidth=800\n"
            "clientHeight=600\n"
            "scale=1\n"
            "insertKnot=99\n"
            "tht=0\n"
            "controlFileName=noname.cnt\n"
            "outputFileName=noname.dat\n"
            "points=100,400 200,100\n"
            "weights=1 1\n"
            "knots=0 0 0 0 0 0\n"
            "xKnots=0 0 0 0\n");
}

TEST_F(ReplayTest, RealsPrintWithNineSignificantDigits) {
  // 7 / 800 of a turn is 3.15 degrees, stored as the float 3.15000009...
  const ReplayResult r = Replay(
      "command 40004\n"
      "ldown 0 0\n"
      "lup 7 0\n"
      "print tht phi objectMode\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "tht=3.1500001\nphi=0\nobjectMode=1\n");
}

TEST_F(ReplayTest, EmptyNetPrintsNothingAfterTheName) {
  const ReplayResult r = Replay("print net netWeights triangleList netRows netCols\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "net=\nnetWeights=\ntriangleList=\nnetRows=0\nnetCols=0\n");
}

TEST_F(ReplayTest, NetPrintsRowsSeparatedByBars) {
  // A 2 by 2 net typed into the Control Data dialog in Surfaces mode; the
  // cell of point (i, j), coordinate c, is 2001 + (6 i + j) 3 + c.
  const ReplayResult r = Replay(
      "command 40004\n"
      "command 40009\n"
      "set 1076 2\n"
      "set 1077 2\n"
      "set 2001 1\nset 2002 2\nset 2003 3\n"
      "set 2004 4\nset 2005 5\nset 2006 6\n"
      "set 2019 7\nset 2020 8\nset 2021 9\n"
      "set 2022 10.5\nset 2023 11\nset 2024 -12\n"
      "ok\n"
      "print net netWeights netRows netCols xKnots\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "net=1,2,3 4,5,6 | 7,8,9 10.5,11,-12\n"
            "netWeights=1 1 | 1 1\n"
            "netRows=2\n"
            "netCols=2\n"
            "xKnots=0 0 0 0 0 0\n");
}

TEST_F(ReplayTest, CurveShowsAsNetColumnZeroOnceADialogOpens) {
  const ReplayResult r = Replay(
      "click 100 400\n"
      "click 200 100\n"
      "command 40009\n"
      "cancel\n"
      "print net netCols\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "net=100,400,0 | 200,100,0\nnetCols=1\n");
}

TEST_F(ReplayTest, MenuPrintsEachItemState) {
  const ReplayResult r = Replay(
      "menu 40003 40004 40014 40008 131\n"
      "command 40004\n"
      "command 40028\n"
      "menu 40003 40004 131 40027 40031\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "menu 40003=checked\n"
            "menu 40004=unchecked\n"
            "menu 40014=greyed\n"
            "menu 40008=unchecked\n"
            "menu 131=unchecked\n"
            "menu 40003=unchecked\n"
            "menu 40004=checked\n"
            "menu 131=greyed\n"
            "menu 40027=unchecked\n"
            "menu 40031=checked\n");
}

TEST_F(ReplayTest, SizeResizesTheClientArea) {
  const ReplayResult r = Replay(
      "size 320 200\n"
      "click 10 199\n"
      "click 10 200\n"
      "print clientWidth clientHeight pointCount\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "clientWidth=320\nclientHeight=200\npointCount=1\n");
}

TEST_F(ReplayTest, CommentsBlankLinesAndCarriageReturnsAreSkipped) {
  const ReplayResult r = Replay(
      "# a comment\r\n"
      "\r\n"
      "\n"
      "   \t\n"
      "click 10 10   # the first point\r\n"
      "print pointCount\r\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "pointCount=1\n");
}

// A blank line of a CR LF script may hold spaces before its CR; it is as
// blank as any other.
TEST_F(ReplayTest, BlankLineOfBlanksBeforeACarriageReturnIsSkipped) {
  const ReplayResult r = Replay("click 10 10\r\n \r\n\t \r\nprint pointCount\r\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "pointCount=1\n");
}

// ---------------------------------------------------------------------------
// Mouse buttons and the end of the session.

TEST_F(ReplayTest, MoveCarriesTheButtonsHeldByEarlierDowns) {
  const ReplayResult r = Replay(
      "click 100 100\n"
      "click 200 100\n"
      "click 300 100\n"
      "ldown 200 100\n"
      "move 220 120\n"     // left held: the point follows
      "move 240 140\n"
      "print points pickActive\n"
      "lup 240 140\n"
      "move 260 160\n"     // nothing held
      "print points pickActive\n"
      "rdown 240 140\n"
      "move 280 180\n"     // the right button does not drag
      "print points pickActive\n"
      "rup 280 180\n"
      "print pointCount pickActive\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "points=100,100 240,140 300,100\n"
            "pickActive=1\n"
            "points=100,100 240,140 300,100\n"
            "pickActive=0\n"
            "points=100,100 240,140 300,100\n"
            "pickActive=1\n"
            "pointCount=3\n"
            "pickActive=0\n");
}

TEST_F(ReplayTest, BothButtonsHeldDoNotDrag) {
  const ReplayResult r = Replay(
      "click 100 100\n"
      "ldown 100 100\n"
      "rdown 100 100\n"
      "move 150 150\n"
      "print points\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "points=100,100\n");
}

TEST_F(ReplayTest, ExitEndsTheRunWithStatusZero) {
  const ReplayResult r = Replay(
      "click 10 10\n"
      "print pointCount\n"
      "command 40012\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "pointCount=1\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(ReplayTest, LinesAfterExitAreNotRun) {
  const ReplayResult r = Replay(
      "command 40012\n"
      "print pointCount\n"
      "no such action\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(ReplayTest, EmptyScriptRunsAndEndsWithStatusZero) {
  const ReplayResult r = Replay("");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(ReplayTest, EachRunStartsFromAFreshModel) {
  Model().pointCount = 7;
  Model().grid = 3;
  const ReplayResult r = Replay("print pointCount grid\n");
  EXPECT_EQ(r.out, "pointCount=0\ngrid=50\n");
}

// ---------------------------------------------------------------------------
// Faults in the script.

struct FaultCase {
  const char* script;
  int line;          // the line reported
  const char* word;  // something the message must mention
};

TEST_F(ReplayTest, FaultsStopTheRunWithTheirLineNumber) {
  const FaultCase cases[] = {
      {"frobnicate 1 2\n", 1, "frobnicate"},
      {"# comment\n\n   \nclick 1 2\nwiggle\nprint pointCount\n", 5, "wiggle"},
      {"click 10\n", 1, "click"},
      {"paint\nclick 10 1x\n", 2, "1x"},
      {"click 10 20 30\n", 1, "click"},
      {"click 1.5 2\n", 1, "1.5"},
      {"move 1 +2\n", 1, "+2"},
      {"command\n", 1, "command"},
      {"command 40012x\n", 1, "40012x"},
      {"paint now\n", 1, "paint"},
      {"drag 1 2 3\n", 1, "drag"},
      {"size -1 5\n", 1, "size"},
      {"size 40000 5\n", 1, "size"},
      {"\n\nok\n", 3, "dialog"},
      {"cancel\n", 1, "dialog"},
      {"reset\n", 1, "dialog"},
      {"set 1055 3\n", 1, "dialog"},
      {"check 1144 1\n", 1, "dialog"},
      {"# no prompt is open\nfile /tmp/x.cnt\n", 2, "file"},
      {"file-cancel\n", 1, "file"},
      {"answer ok\n", 1, "answer"},
      {"print\n", 1, "print"},
      {"print pointCount bogusField\n", 1, "bogusField"},
      {"menu\n", 1, "menu"},
      {"menu 40003 x\n", 1, "x"},
      {"png\n", 1, "png"},
      {"click 10 10 # fine\n# fine\nclick 9999999999 1\n", 3, "9999999999"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.script);
    const ReplayResult r = Replay(std::string(c.script) + "print pointCount\n", "bad.replay");
    EXPECT_EQ(r.status, kReplayBadScript);
    const std::string prefix = "bad.replay:" + std::to_string(c.line) + ": ";
    EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.word), std::string::npos) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(r.out, "") << "nothing after the fault runs";
  }
}

TEST_F(ReplayTest, FaultsWhileADialogOrPromptWaitsStopTheRun) {
  const FaultCase cases[] = {
      {"command 40009\nclick 1 1\n", 2, "dialog"},
      {"command 40009\n# still open\nset x 3\n", 3, "set"},
      {"command 40009\ncheck 1144 2\n", 2, "check"},
      {"command 40009\nok now\n", 2, "ok"},
      {"command 40009\nset 1076 2\n\n", 3, "dialog"},
      {"command 40002\nclick 1 1\n", 2, "file"},
      {"\ncommand 40002\n", 2, "prompt"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.script);
    const ReplayResult r = Replay(c.script, "dialog.replay");
    EXPECT_EQ(r.status, kReplayBadScript);
    const std::string prefix = "dialog.replay:" + std::to_string(c.line) + ": ";
    EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.word), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(ReplayTest, OutputBeforeAFaultIsKept) {
  const ReplayResult r = Replay("click 5 5\nprint pointCount\nclick 5\nprint pointCount\n", "x");
  EXPECT_EQ(r.status, kReplayBadScript);
  EXPECT_EQ(r.out, "pointCount=1\n");
  EXPECT_EQ(r.err.rfind("x:3: ", 0), 0u) << r.err;
}

// ---------------------------------------------------------------------------
// PNG output.

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// The CRC of PNG chunks, bit by bit.
std::uint32_t Crc(const std::string& bytes, std::size_t from, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < from + size; ++i) {
    crc ^= static_cast<unsigned char>(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::string rows;  // filter byte and RGB triples, row by row
};

// Reads an 8-bit RGB PNG whose image data is stored without compression.
::testing::AssertionResult DecodePng(const std::string& file, DecodedPng& png) {
  const std::string signature("\x89PNG\r\n\x1a\n", 8);
  if (file.compare(0, 8, signature) != 0) return ::testing::AssertionFailure() << "no signature";
  std::size_t at = 8;
  std::string idat;
  std::vector<std::string> types;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = BigEndian(file, at);
    const std::string type = file.substr(at + 4, 4);
    if (at + 12 + length > file.size()) return ::testing::AssertionFailure() << "chunk overruns";
    if (BigEndian(file, at + 8 + length) != Crc(file, at + 4, 4 + length)) {
      return ::testing::AssertionFailure() << "bad CRC in " << type;
    }
    types.push_back(type);
    if (type == "IHDR") {
      if (length != 13) return ::testing::AssertionFailure() << "IHDR length " << length;
      png.width = BigEndian(file, at + 8);
      png.height = BigEndian(file, at + 12);
      const std::string format = file.substr(at + 16, 5);
      if (format != std::string("\x08\x02\x00\x00\x00", 5)) {
        return ::testing::AssertionFailure() << "not 8-bit RGB without interlace";
      }
    } else if (type == "IDAT") {
      idat += file.substr(at + 8, length);
    }
    at += 12 + length;
  }
  if (at != file.size()) return ::testing::AssertionFailure() << "trailing bytes";
  if (types.empty() || types.front() != "IHDR" || types.back() != "IEND") {
    return ::testing::AssertionFailure() << "chunks out of order";
  }
  // zlib: header, stored deflate blocks, Adler-32.
  if (idat.size() < 6 || ((static_cast<unsigned char>(idat[0]) << 8) | static_cast<unsigned char>(idat[1])) % 31 != 0 ||
      (idat[0] & 0x0F) != 8) {
    return ::testing::AssertionFailure() << "bad zlib header";
  }
  std::size_t p = 2;
  bool last = false;
  while (!last) {
    if (p + 5 > idat.size()) return ::testing::AssertionFailure() << "truncated block";
    const unsigned header = static_cast<unsigned char>(idat[p]);
    last = header & 1;
    if (((header >> 1) & 3) != 0) return ::testing::AssertionFailure() << "not a stored block";
    const unsigned len = static_cast<unsigned char>(idat[p + 1]) | (static_cast<unsigned char>(idat[p + 2]) << 8);
    const unsigned nlen = static_cast<unsigned char>(idat[p + 3]) | (static_cast<unsigned char>(idat[p + 4]) << 8);
    if ((len ^ 0xFFFFu) != nlen) return ::testing::AssertionFailure() << "LEN and NLEN disagree";
    if (p + 5 + len > idat.size()) return ::testing::AssertionFailure() << "block overruns";
    png.rows += idat.substr(p + 5, len);
    p += 5 + len;
  }
  if (p + 4 != idat.size()) return ::testing::AssertionFailure() << "bad zlib trailer";
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : png.rows) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  if (BigEndian(idat, p) != ((b << 16) | a)) return ::testing::AssertionFailure() << "bad Adler-32";
  if (png.rows.size() != static_cast<std::size_t>(png.height) * (1 + 3 * png.width)) {
    return ::testing::AssertionFailure() << "image data of " << png.rows.size() << " bytes";
  }
  return ::testing::AssertionSuccess();
}

std::uint32_t PngPixel(const DecodedPng& png, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y) * (1 + 3 * png.width) + 1 + 3 * x;
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(png.rows[at])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(png.rows[at + 1])) << 8) |
         static_cast<unsigned char>(png.rows[at + 2]);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST_F(ReplayTest, PngWritesTheCanvas) {
  const std::string path = ::testing::TempDir() + "replay_small.png";
  const ReplayResult r = Replay(
      "size 40 30\n"
      "click 10 10\n"
      "move 30 20\n"
      "png " + path + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  DecodedPng png;
  ASSERT_TRUE(DecodePng(ReadFile(path), png));
  EXPECT_EQ(png.width, 40u);
  EXPECT_EQ(png.height, 30u);
  int black = 0;
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(png.rows[static_cast<std::size_t>(y) * (1 + 3 * 40)], '\0') << "filter of row " << y;
    for (int x = 0; x < 40; ++x) {
      const bool inMark = x >= 7 && x < 13 && y >= 7 && y < 13;
      EXPECT_EQ(PngPixel(png, x, y), inMark ? 0x000000u : 0xFFFFFFu) << x << ", " << y;
      black += PngPixel(png, x, y) == 0;
    }
  }
  EXPECT_EQ(black, 36);
}

TEST_F(ReplayTest, PngOfTheFullWindowSpansManyStoredBlocks) {
  const std::string path = ::testing::TempDir() + "replay_full.png";
  const ReplayResult ok = Replay(
      "click 100 400\nclick 300 100\nclick 500 400\ncommand 122\n"
      "png " + path + "\n");
  ASSERT_EQ(ok.status, 0) << ok.err;
  DecodedPng png;
  ASSERT_TRUE(DecodePng(ReadFile(path), png));
  EXPECT_EQ(png.width, 800u);
  EXPECT_EQ(png.height, 600u);
  EXPECT_EQ(PngPixel(png, 300, 250), 0x000000u) << "the curve at t = 1/2";
  EXPECT_EQ(PngPixel(png, 300, 400), 0xFFFFFFu);
  EXPECT_EQ(PngPixel(png, 799, 599), 0xFFFFFFu);
}

// A PNG image has at least one pixel in each direction: a minimised
// (0 by 0) canvas must not be written as a file no reader accepts.
TEST_F(ReplayTest, PngOfAnEmptyCanvasIsNotWrittenWithAZeroSize) {
  const std::string path = ::testing::TempDir() + "replay_empty.png";
  std::remove(path.c_str());
  const ReplayResult r = Replay("size 0 0\npng " + path + "\n");
  const std::string file = ReadFile(path);
  if (file.empty()) {
    EXPECT_NE(r.err.find(path), std::string::npos) << "a refused PNG is reported";
    return;
  }
  DecodedPng png;
  ASSERT_TRUE(DecodePng(file, png));
  EXPECT_GT(png.width, 0u);
  EXPECT_GT(png.height, 0u);
}

TEST_F(ReplayTest, PngThatCannotBeWrittenIsReported) {
  const ReplayResult r = Replay("png /nonexistent-dir/x/y.png\nprint pointCount\n");
  EXPECT_NE(r.err.find("/nonexistent-dir/x/y.png"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tambra
