// The replay tool on in-memory scripts: printing, menu states, Exit, held
// buttons, PNG output and script faults with their line numbers.
#include <cstdint>
#include <cstdio>

#include "session_fixture.h"
#include "tools/replay.h"

namespace tambra {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome Replay(const std::string& script) {
  ResetModelState();
  std::istringstream in(script);
  std::ostringstream out, err;
  const int status = RunReplay(in, "bad.replay", out, err);
  return {status, out.str(), err.str()};
}

void ExpectOutput(const std::string& script, const std::string& out) {
  const Outcome r = Replay(script);
  EXPECT_EQ(std::tuple(r.status, r.err, r.out), std::tuple(0, "", out));
}

// The scenarios print every kind of field and the menu states; here: blank, CR and comment
// lines are skipped, move carries the held buttons, and Exit ends the run.
TEST(ReplayTest, MoveCarriesTheHeldButtonsAndExitEndsTheRun) {
  ExpectOutput("click 100 100\r\nclick 200 100\r\n \r\n\t \r\n# note\r\n"
               "ldown 200 100\nmove 240 140\nlup 240 140\n"  // left held: the point follows
               "move 260 160\n"                              // nothing held
               "rdown 240 140\nmove 280 180\nrup 280 180\n"  // the right button does not drag
               "print points scale\nanswer discard\ncommand 40012\nprint pointCount\nno such verb\n",
               "points=100,100 240,140\nscale=1\n");
}

TEST(ReplayTest, FaultsStopTheRunWithTheirLineNumber) {
  const std::pair<const char*, int> cases[] = {
      {"frobnicate 1 2\nprint pointCount\n", 1},        // unknown verb
      {"# c\n\n   \nclick 1 2\nwiggle\n", 5},           // comments and blank lines counted
      {"click 10\n", 1},                                // missing number
      {"click 1.5 2\n", 1},
      {"click 9999999999 1\n", 1},
      {"click 10 20 30\n", 1},                          // extra words
      {"\n\nok\nprint pointCount\n", 3},                // no dialog is open
      {"# nothing asks\nfile /tmp/x.cnt\n", 2},        // nothing asks for a file
      {"print pointCount bogusField\n", 1},
      {"command 40009\n# still open\nclick 1 1\n", 3},  // a dialog left waiting
      {"command 40009\nset 1076 2\n\n", 3},             // ... at the end of the script
      {"\ncommand 40002\n", 2},                         // a prompt left unanswered
      {"command 40002\nclick 1 1\n", 2},
  };
  for (const auto& [script, line] : cases) {
    SCOPED_TRACE(script);
    const Outcome r = Replay(script);
    EXPECT_EQ(r.status, kReplayBadScript);
    EXPECT_EQ(r.err.rfind("bad.replay:" + std::to_string(line) + ": ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(r.out, "") << "nothing after the fault runs";
  }
}

// The replay writes the canvas as a PNG of big-endian chunks, each with a CRC, and a
// compressed zlib stream; its pixels are decoded and compared in the GUI tests.
TEST(ReplayTest, PngWritesAValidImageAndRefusesAnEmptyCanvas) {
  const std::string path = ::testing::TempDir() + "replay_test.png";
  std::remove(path.c_str());
  ExpectOutput("size 200 120\nclick 10 10\npng " + path + "\n", "");
  const std::string file = ReadFile(path);
  const auto byte = [](const std::string& s, std::size_t i) {
    return std::uint32_t(std::uint8_t(s[i]));
  };
  const auto be = [&](const std::string& s, std::size_t at) {
    return byte(s, at) << 24 | byte(s, at + 1) << 16 | byte(s, at + 2) << 8 | byte(s, at + 3);
  };
  ASSERT_EQ(file.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)), 0);
  std::string types, idat;
  std::size_t at = 8;
  for (std::uint32_t length; at + 12 <= file.size(); at += 12 + length) {
    length = be(file, at);
    ASSERT_LE(at + 12 + length, file.size());
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
      crc ^= byte(file, i);
      for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    ASSERT_EQ(be(file, at + 8 + length), ~crc) << "CRC at " << at;
    types += file.substr(at + 4, 4) + " ";
    if (types == "IHDR ") {  // 200 by 120, 8-bit RGB, no interlace
      EXPECT_EQ(file.substr(at + 8, 13), std::string("\0\0\0\xc8\0\0\0\x78\x08\x02\0\0\0", 13));
    }
    if (file.compare(at + 4, 4, "IDAT") == 0) idat += file.substr(at + 8, length);
  }
  EXPECT_EQ(std::tuple(at, types.starts_with("IHDR "), types.ends_with("IEND ")), std::tuple(file.size(), true, true)) << types;
  ASSERT_TRUE(idat.size() >= 6 && (byte(idat, 0) << 8 | byte(idat, 1)) % 31 == 0);
  EXPECT_LT(idat.size(), 120u * 601 / 20) << "a mostly white canvas compresses";

  std::remove(path.c_str());  // a PNG has at least one pixel each way
  const Outcome empty = Replay("size 0 0\npng " + path + "\n");
  EXPECT_NE(empty.err.find("cannot write " + path), std::string::npos) << empty.err;
  EXPECT_FALSE(std::ifstream(path).good());
}

}  // namespace
}  // namespace tambra
