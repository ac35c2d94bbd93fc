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

// A PNG is big-endian chunks, each with a CRC; the zlib stream of stored
// blocks ends with an Adler-32 of the rows (a filter byte, then RGB).
// Inflates the deflate data at `p` (blocks stored or in the fixed codes,
// which is what the writer uses) into `out`; false on anything else.
bool InflateFixed(const std::string& in, std::size_t& p, std::string& out) {
  std::size_t bit = p * 8;
  auto take = [&](int count) {  // least significant bit first
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit) {
      if (bit / 8 >= in.size()) return std::uint32_t(1u << 31);
      value |= std::uint32_t((std::uint8_t(in[bit / 8]) >> (bit % 8)) & 1u) << i;
    }
    return value;
  };
  auto code = [&](int count) {  // a Huffman code, most significant bit first
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 1 | take(1);
    return value;
  };
  auto symbol = [&]() -> int {  // the fixed literal/length code
    std::uint32_t c = code(7);
    if (c <= 0x17) return int(c) + 256;
    c = c << 1 | take(1);
    if (c >= 0x30 && c <= 0xBF) return int(c) - 0x30;
    if (c >= 0xC0 && c <= 0xC7) return int(c) - 0xC0 + 280;
    c = c << 1 | take(1);
    return c >= 0x190 && c <= 0x1FF ? int(c) - 0x190 + 144 : -1;
  };
  static constexpr int kLength[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kDistance[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                      33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  for (bool last = false; !last;) {
    last = take(1) == 1;
    const std::uint32_t type = take(2);
    if (type == 0) {
      bit = (bit + 7) / 8 * 8;
      const std::uint32_t length = take(16), complement = take(16);
      if ((length ^ 0xFFFFu) != complement || bit / 8 + length > in.size()) return false;
      out += in.substr(bit / 8, length);
      bit += 8 * length;
      continue;
    }
    if (type != 1) return false;
    for (int s = symbol(); s != 256; s = symbol()) {
      if (s < 0 || s > 285) return false;
      if (s < 256) {
        out += char(s);
        continue;
      }
      const int l = s - 257;
      const int length = kLength[l] + int(take(l < 8 || l == 28 ? 0 : (l - 4) / 4));
      const std::uint32_t d = code(5);
      if (d > 29) return false;
      const std::size_t distance = kDistance[d] + take(d < 4 ? 0 : int(d - 2) / 2);
      if (distance > out.size()) return false;
      for (int i = 0; i < length; ++i) out += out[out.size() - distance];
    }
  }
  p = (bit + 7) / 8;
  return true;
}

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
  std::string rows;  // 120 rows of 601 bytes
  std::size_t p = 2;
  ASSERT_TRUE(InflateFixed(idat, p, rows) && rows.size() == 120u * 601 && p + 4 == idat.size());
  EXPECT_LT(idat.size(), rows.size() / 20) << "a mostly white canvas compresses";
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : rows) a = (a + c) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(be(idat, p), b << 16 | a) << "Adler-32";
  int inMark = 0, nonWhite = 0, filters = 0;
  for (int y = 0; y < 120; ++y) {
    filters += rows[y * 601u] != '\0';
    for (int x = 0; x < 200; ++x) {
      const std::string pixel = rows.substr(y * 601u + 1 + 3 * x, 3);
      nonWhite += pixel != "\xff\xff\xff";
      inMark += x >= 7 && x < 13 && y >= 7 && y < 13 && pixel == std::string(3, '\0');
    }
  }
  EXPECT_EQ(std::tuple(filters, inMark, nonWhite), std::tuple(0, 36, 36)) << "the point's 6 by 6 black mark";

  std::remove(path.c_str());  // a PNG has at least one pixel each way
  const Outcome empty = Replay("size 0 0\npng " + path + "\n");
  EXPECT_NE(empty.err.find("cannot write " + path), std::string::npos) << empty.err;
  EXPECT_FALSE(std::ifstream(path).good());
}

}  // namespace
}  // namespace tambra
