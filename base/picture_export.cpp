#include "base/picture_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/c_locale.h"

namespace tambra {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

std::uint32_t Adler32(const Bytes& raw) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

// Bits least significant first, as deflate reads them; Huffman codes go
// in most significant bit first.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}

  void Put(std::uint32_t bits, int count) {
    buffer_ |= std::uint64_t(bits) << filled_;
    filled_ += count;
    for (; filled_ >= 8; filled_ -= 8, buffer_ >>= 8) out_.push_back(buffer_ & 0xFF);
  }
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Put(reversed, length);
  }
  void Flush() {
    if (filled_ > 0) out_.push_back(buffer_ & 0xFF);
    buffer_ = 0, filled_ = 0;
  }

 private:
  Bytes& out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

// A literal, the end of block (256) or a length symbol in the fixed codes.
void PutSymbol(BitWriter& w, int symbol) {
  if (symbol < 144) return w.PutCode(0x30 + symbol, 8);
  if (symbol < 256) return w.PutCode(0x190 + symbol - 144, 9);
  if (symbol < 280) return w.PutCode(symbol - 256, 7);
  w.PutCode(0xC0 + symbol - 280, 8);
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,
                                   33,   49,   65,   97,   129,  193,   257,   385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutMatch(BitWriter& w, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  PutSymbol(w, 257 + l);
  w.Put(length - kLengthBase[l], kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  w.PutCode(d, 5);
  w.Put(distance - kDistanceBase[d], kDistanceExtra[d]);
}

// A zlib stream of one deflate block in the fixed codes, the repeats found
// by hash chains over the last 32 KiB: a canvas is mostly long runs of one
// colour, which this shrinks to a few bits a run.
Bytes CompressedZlib(const Bytes& raw) {
  constexpr std::size_t kWindow = 32768, kMaxMatch = 258, kHashSize = 1 << 15;
  constexpr int kChainLimit = 64;
  Bytes out = {0x78, 0x01};
  BitWriter bits(out);
  bits.Put(1, 1);  // the final block
  bits.Put(1, 2);  // in the fixed codes
  std::vector<std::int64_t> head(kHashSize, -1), previous(kWindow, -1);
  const std::size_t size = raw.size();
  auto hash = [&](std::size_t at) {
    return ((std::size_t(raw[at]) << 10) ^ (std::size_t(raw[at + 1]) << 5) ^ raw[at + 2]) &
           (kHashSize - 1);
  };
  auto insert = [&](std::size_t at) {
    if (at + 2 >= size) return;
    const std::size_t h = hash(at);
    previous[at % kWindow] = head[h];
    head[h] = std::int64_t(at);
  };
  for (std::size_t i = 0; i < size;) {
    std::size_t best = 0, distance = 0;
    if (i + 2 < size) {
      const std::size_t limit = std::min(kMaxMatch, size - i);
      std::int64_t candidate = head[hash(i)];
      for (int tries = 0; candidate >= 0 && i - std::size_t(candidate) <= kWindow &&
                          tries < kChainLimit;
           ++tries) {
        const std::size_t from = std::size_t(candidate);
        std::size_t length = 0;
        while (length < limit && raw[from + length] == raw[i + length]) ++length;
        if (length > best) best = length, distance = i - from;
        if (best == limit) break;
        const std::int64_t next = previous[from % kWindow];
        if (next >= candidate) break;  // the slot was taken by a later position
        candidate = next;
      }
    }
    if (best >= 3) {
      PutMatch(bits, int(best), int(distance));
      for (std::size_t k = 0; k < best; ++k) insert(i + k);
      i += best;
    } else {
      PutSymbol(bits, raw[i]);
      insert(i);
      ++i;
    }
  }
  PutSymbol(bits, 256);
  bits.Flush();
  PutBigEndian(out, Adler32(raw));
  return out;
}

}  // namespace

namespace {

template <typename PixelAt>
std::string EncodePixels(int width, int height, PixelAt pixel) {
  // An image without pixels is not a valid PNG.
  if (width <= 0 || height <= 0) return "";
  Bytes raw;
  raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const Rgb p = pixel(x, y);
      raw.push_back((p >> 16) & 0xFF);
      raw.push_back((p >> 8) & 0xFF);
      raw.push_back(p & 0xFF);
    }
  }
  Bytes header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", CompressedZlib(raw));
  PutChunk(png, "IEND", {});
  return std::string(png.begin(), png.end());
}

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    std::uint32_t v = std::uint8_t(bytes[i]) << 16;
    if (left > 1) v |= std::uint8_t(bytes[i + 1]) << 8;
    if (left > 2) v |= std::uint8_t(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += left > 1 ? kDigits[(v >> 6) & 63] : '=';
    out += left > 2 ? kDigits[v & 63] : '=';
  }
  return out;
}

std::string Colour(Rgb rgb) {
  char text[8];
  FormatC(text, sizeof text, "#%06x", unsigned(rgb & 0xFFFFFF));
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A raster line runs through pixel centres.
std::string Coordinate(double value) {
  char text[32];
  FormatC(text, sizeof text, "%.1f", value + 0.5);
  return text;
}

void AppendRect(std::string& svg, const PixelRect& r, Rgb colour) {
  char text[160];
  FormatC(text, sizeof text, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n",
          r.left, r.top, r.right - r.left, r.bottom - r.top, Colour(colour).c_str());
  svg += text;
}

void AppendItem(std::string& svg, const Raster& raster, const DisplayItem& item) {
  const DisplayList& list = raster.List();
  switch (item.kind) {
    case ItemKind::kBaseImage: break;  // written once, before the groups
    case ItemKind::kPolyline: {
      std::string points;
      for (const PenPoint& vertex : list.Vertices(item)) {
        const PenPoint p = raster.ToRaster(vertex.x, vertex.y);
        // A pen far off the canvas still draws toward it; only what is not
        // finite stays out of the file.
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (!points.empty()) points += ' ';
        points += Coordinate(p.x);
        points += ',';
        points += Coordinate(p.y);
      }
      if (points.empty()) break;
      svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" +
             Colour(item.colour) + "\" stroke-width=\"" + std::to_string(std::max(item.penWidth, 1)) +
             "\"/>\n";
      break;
    }
    case ItemKind::kMark:
    case ItemKind::kSmallMark:
    case ItemKind::kRect:
      if (!item.rect.empty()) AppendRect(svg, item.rect, item.colour);
      break;
  }
}

}  // namespace

std::string EncodePng(const Raster& raster) {
  return EncodePixels(raster.width(), raster.height(),
                      [&](int x, int y) { return raster.Pixel(x, y); });
}

std::string EncodeSvg(const Raster& raster, const CommandNamer& commandName) {
  const int width = raster.width(), height = raster.height();
  if (width <= 0 || height <= 0) return "";
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  char head[200];
  FormatC(head, sizeof head,
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
          "viewBox=\"0 0 %d %d\">\n",
          width, height, width, height);
  svg += head;
  svg += "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  const DisplayList& list = raster.List();
  if (!list.BaseImage().empty()) {
    // What was drawn before the list was flattened, as the pixels it left.
    const auto base = list.BaseImage();
    FormatC(head, sizeof head, "<image x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" href=\"", width, height);
    svg += head;
    svg += "data:image/png;base64," + Base64(EncodePixels(width, height, [&](int x, int y) {
             return Rgb(base[std::size_t(y) * width + x] & 0xFFFFFF);
           })) + "\"/>\n";
  }
  // Consecutive figures of one command form a group titled by it.
  const auto items = list.Items();
  for (std::size_t i = 0; i < items.size();) {
    const int command = items[i].tag.command;
    std::size_t end = i;
    while (end < items.size() && items[end].tag.command == command) ++end;
    // What no command drew is the model (a repaint, a click, a drag).
    const std::string name = command == kNoCommand ? "Model" : commandName(command);
    svg += "<g>\n";
    if (!name.empty()) svg += "<title>" + Escaped(name) + "</title>\n";
    for (; i < end; ++i) AppendItem(svg, raster, items[i]);
    svg += "</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace tambra
