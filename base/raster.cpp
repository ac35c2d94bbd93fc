#include "base/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tambra {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// floor(numerator / denominator) for a positive denominator.
std::int64_t FloorDiv(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  if ((numerator % denominator != 0) && (numerator < 0)) --quotient;
  return quotient;
}

DisplayItem NewItem(ItemKind kind, const DrawTag& tag, Rgb colour, int penWidth) {
  DisplayItem item;
  item.kind = kind;
  item.tag = tag;
  item.colour = colour;
  item.penWidth = penWidth;
  return item;
}

}  // namespace

int TruncateToPixel(double value) {
  if (std::isnan(value)) return -kPixelLimit;
  if (value >= kPixelLimit) return kPixelLimit;
  if (value <= -kPixelLimit) return -kPixelLimit;
  return static_cast<int>(value);
}

void Raster::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * height_, kOpaque | kWhite);
  dirty_ = PixelRect{0, 0, width_, height_};
  list_ = DisplayList();  // its memory too: a base image has the old size
}

void Raster::MarkDirty(int left, int top, int right, int bottom) {
  if (left >= right || top >= bottom) return;
  if (dirty_.empty()) {
    dirty_ = PixelRect{left, top, right, bottom};
    return;
  }
  dirty_.left = std::min(dirty_.left, left);
  dirty_.top = std::min(dirty_.top, top);
  dirty_.right = std::max(dirty_.right, right);
  dirty_.bottom = std::max(dirty_.bottom, bottom);
}

PixelRect Raster::TakeDirtyRect() {
  const PixelRect taken = dirty_;
  dirty_ = PixelRect{};
  return taken;
}

Rgb Raster::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kWhite;
  return pixels_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFFu;
}

void Raster::MoveTo(double x, double y) {
  if (x != penX_ || y != penY_) list_.open_ = DisplayList::kNone;
  penX_ = x;
  penY_ = y;
}

namespace {

// x0 y1 - x1 y0 to about one rounding of the result however large the
// products are (Kahan's fused multiply-add determinant).
double Cross(double x0, double y0, double x1, double y1) {
  const double w = x1 * y0;
  const double error = std::fma(-x1, y0, w);
  return std::fma(x0, y1, -w) + error;
}

struct Cut {
  double x, y;
};

// Cuts the segment from (x0, y0) to (x1, y1) to the square |x|, |y| <= limit;
// false when no part of it lies inside. The line is taken in the implicit
// form a x + b y = c with c the cross product of the ends, so its course
// through the square is exact to rounding however far the ends lie; the
// form x0 + t (x1 - x0) loses the square entirely once an end lies some
// 1e20 away. The cut ends are whole numbers within the square.
bool ClipToSquare(double& x0, double& y0, double& x1, double& y1, double limit) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double a = dy, b = -dx, c = Cross(x0, y0, x1, y1);
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || (a == 0.0 && b == 0.0)) {
    return false;
  }
  // Where the whole line meets the square's sides, ordered along (dx, dy).
  auto along = [dx, dy](double x, double y) { return x * dx + y * dy; };
  Cut first{0, 0}, last{0, 0};
  double firstKey = INFINITY, lastKey = -INFINITY;
  auto consider = [&](double x, double y) {
    if (!(std::fabs(x) <= limit && std::fabs(y) <= limit)) return;
    const double key = along(x, y);
    if (key < firstKey) firstKey = key, first = Cut{x, y};
    if (key > lastKey) lastKey = key, last = Cut{x, y};
  };
  for (double side : {-limit, limit}) {
    if (b != 0.0) consider(side, (c - a * side) / b);
    if (a != 0.0) consider((c - b * side) / a, side);
  }
  const double key0 = along(x0, y0), key1 = along(x1, y1);
  if (!(firstKey <= lastKey) || !std::isfinite(key0) || !std::isfinite(key1)) return false;
  if (std::max(key0, firstKey) > std::min(key1, lastKey)) return false;
  auto whole = [limit](double v) { return std::clamp(std::round(v), -limit, limit); };
  if (key0 < firstKey) x0 = whole(first.x), y0 = whole(first.y);
  if (key1 > lastKey) x1 = whole(last.x), y1 = whole(last.y);
  // An end kept as it was lies within the square only up to rounding.
  x0 = std::clamp(x0, -limit, limit), y0 = std::clamp(y0, -limit, limit);
  x1 = std::clamp(x1, -limit, limit), y1 = std::clamp(y1, -limit, limit);
  return true;
}

}  // namespace

void Raster::LineTo(double x, double y) {
  const double x0 = penX_, y0 = penY_;
  penX_ = x;
  penY_ = y;
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x) || !std::isfinite(y)) {
    list_.open_ = DisplayList::kNone;  // nothing drawn, and the line is broken
    return;
  }
  // A line of no length draws nothing: the list need not hear of it.
  if (x0 == x && y0 == y) return;
  // The open polyline goes on (the pen is at its end, in its colour and
  // tag); anything else starts a new polyline at the pen.
  const std::size_t open =
      list_.vertices_.size() < kMaxListVertices ? list_.open_ : DisplayList::kNone;
  if (open != DisplayList::kNone) {
    list_.vertices_.push_back(PenPoint{x, y});
    ++list_.items_[open].count;
  } else {
    Reserve(1, 2);
    DisplayItem item = NewItem(ItemKind::kPolyline, tag_, pen_, 1);
    item.first = static_cast<std::uint32_t>(list_.vertices_.size());
    item.count = 2;
    list_.vertices_.push_back(PenPoint{x0, y0});
    list_.vertices_.push_back(PenPoint{x, y});
    list_.open_ = list_.items_.size();
    list_.items_.push_back(item);
  }
  PaintLine(x0, y0, x, y, pen_);
}

void Raster::PaintLine(double x0, double y0, double x1, double y1, Rgb colour) {
  const PenPoint from = ToRaster(x0, y0), to = ToRaster(x1, y1);
  x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
  const double limit = kPixelLimit;
  const bool inside = std::fabs(x0) <= limit && std::fabs(y0) <= limit && std::fabs(x1) <= limit &&
                      std::fabs(y1) <= limit;
  if (!inside && !ClipToSquare(x0, y0, x1, y1, limit)) return;
  DrawSegment(static_cast<std::int64_t>(x0), static_cast<std::int64_t>(y0),
              static_cast<std::int64_t>(x1), static_cast<std::int64_t>(y1), colour);
}

// The pixel at step k along the major axis lies at k * minor / steps across,
// rounded half up. The first step drawn is computed directly from its index,
// the following ones by exact integer steps from there (a quotient and its
// remainder, the same numbers as the direct division), so the loop can
// start and end at the canvas edges: a line of any length costs at most one
// canvas width or height, and the pixels are those of the unclipped line.
void Raster::DrawSegment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                         Rgb colour) {
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t major = xMajor ? dx : dy;
  const std::int64_t minor = xMajor ? dy : dx;
  const std::int64_t steps = std::llabs(major);
  const std::int64_t sign = major < 0 ? -1 : 1;
  const std::int64_t start = xMajor ? x0 : y0;
  const std::int64_t minorStart = xMajor ? y0 : x0;
  const std::int64_t limit = xMajor ? width_ : height_;
  const std::int64_t extent = xMajor ? height_ : width_;

  // Step k lands on major coordinate start + sign * k; keep 0 <= it < limit.
  std::int64_t first = 0, last = steps - 1;
  if (sign > 0) {
    first = std::max<std::int64_t>(first, -start);
    last = std::min<std::int64_t>(last, limit - 1 - start);
  } else {
    first = std::max<std::int64_t>(first, start - (limit - 1));
    last = std::min<std::int64_t>(last, start);
  }
  if (first > last) return;
  // across(k) = floor((2 k minor + steps) / (2 steps)) = offset, with rest the
  // remainder in [0, 2 steps); a step adds 2 minor, at most 2 steps in size.
  const std::int64_t denominator = 2 * steps;
  const std::int64_t increment = 2 * minor;
  const std::int64_t numerator = first * increment + steps;
  std::int64_t offset = first == 0 ? 0 : FloorDiv(numerator, denominator);
  std::int64_t rest = numerator - offset * denominator;
  const std::int64_t across0 = minorStart + offset;
  const std::int64_t strideAlong = xMajor ? 1 : width_;
  const std::int64_t strideAcross = xMajor ? width_ : 1;
  const std::uint32_t value = kOpaque | colour;
  std::uint32_t* const pixels = pixels_.data();
  std::int64_t across = across0;
  for (std::int64_t k = first;; ++k) {
    if (across >= 0 && across < extent) {
      pixels[(start + sign * k) * strideAlong + across * strideAcross] = value;
    }
    if (k == last) break;
    rest += increment;
    if (rest >= denominator) {
      rest -= denominator;
      ++across;
    } else if (rest < 0) {
      rest += denominator;
      --across;
    }
  }
  // The minor coordinate moves monotonically with k: the first and last
  // steps bound every pixel plotted.
  const std::int64_t along0 = start + sign * first, along1 = start + sign * last;
  const int lowAlong = static_cast<int>(std::min(along0, along1));
  const int highAlong = static_cast<int>(std::max(along0, along1)) + 1;
  auto within = [extent](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, extent));
  };
  const int lowAcross = within(std::min(across0, across));
  const int highAcross = within(std::max(across0, across) + 1);
  if (xMajor) {
    MarkDirty(lowAlong, lowAcross, highAlong, highAcross);
  } else {
    MarkDirty(lowAcross, lowAlong, highAcross, highAlong);
  }
}

void Raster::FillRect(int left, int top, int right, int bottom, Rgb colour) {
  left = std::clamp(left, 0, width_);
  right = std::clamp(right, 0, width_);
  top = std::clamp(top, 0, height_);
  bottom = std::clamp(bottom, 0, height_);
  if (left >= right || top >= bottom) return;
  // Nothing drawn before shows through a fill of the whole raster.
  if (left == 0 && top == 0 && right == width_ && bottom == height_) list_.Clear();
  if (!(list_.empty() && colour == kWhite)) {
    AppendFilled(ItemKind::kRect, PixelRect{left, top, right, bottom}, colour);
  }
  PaintRect(left, top, right, bottom, colour);
}

PixelRect Raster::MarkSquare(ItemKind kind, const PenPoint& at) const {
  const PenPoint centre = ToRaster(at.x, at.y);
  const std::int64_t x = TruncateToPixel(centre.x), y = TruncateToPixel(centre.y);
  const std::int64_t half = std::int64_t{MarkHalfWidth(kind)} * markScale_;
  auto within = [](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return PixelRect{within(x - half), within(y - half), within(x + half), within(y + half)};
}

void Raster::PlaceMarksAgain() {
  for (DisplayItem& item : list_.items_) {
    if (item.kind == ItemKind::kMark || item.kind == ItemKind::kSmallMark) {
      item.rect = MarkSquare(item.kind, item.at);
    }
  }
  Repaint();
}

void Raster::SetMarkScale(int scale) {
  scale = std::clamp(scale, 1, 8);
  if (scale == markScale_) return;
  markScale_ = scale;
  PlaceMarksAgain();
}

void Raster::SetView(const ViewTransform& view) {
  if (view == view_) return;
  view_ = view;
  PlaceMarksAgain();
}

void Raster::FillMark(ItemKind kind, double x, double y, Rgb colour) {
  const PixelRect square = MarkSquare(kind, PenPoint{x, y});
  AppendFilled(kind, square, colour);
  list_.items_.back().at = PenPoint{x, y};
  PaintRect(std::clamp(square.left, 0, width_), std::clamp(square.top, 0, height_),
            std::clamp(square.right, 0, width_), std::clamp(square.bottom, 0, height_), colour);
}

void Raster::PaintRect(int left, int top, int right, int bottom, Rgb colour) {
  if (left >= right || top >= bottom) return;
  MarkDirty(left, top, right, bottom);
  for (int row = top; row < bottom; ++row) {
    std::uint32_t* line = pixels_.data() + static_cast<std::size_t>(row) * width_;
    std::fill(line + left, line + right, kOpaque | colour);
  }
}

void Raster::AppendFilled(ItemKind kind, const PixelRect& rect, Rgb colour) {
  Reserve(1, 0);
  std::size_t& open = list_.open_;
  if (open != DisplayList::kNone) {
    const DisplayItem& item = list_.items_[open];
    if (item.colour != colour || !(item.tag == tag_)) open = DisplayList::kNone;
  }
  DisplayItem item = NewItem(kind, tag_, colour, 0);
  item.rect = rect;
  list_.items_.push_back(item);
}

void Raster::Reserve(std::size_t items, std::size_t vertices) {
  if (list_.items_.size() + items <= kMaxListItems &&
      list_.vertices_.size() + vertices <= kMaxListVertices) {
    return;
  }
  // Everything so far becomes one picture and the list goes on after it;
  // what commands drew in colour (the model is black, erasing white) stays
  // a figure, so that a new view or size can show it again, unless the
  // results alone would fill half the list.
  std::vector<DisplayItem> results;
  std::vector<PenPoint> resultVertices;
  for (const DisplayItem& item : list_.items_) {
    if (item.kind == ItemKind::kBaseImage || item.tag.command == kNoCommand ||
        item.colour == kBlack || item.colour == kWhite) {
      continue;
    }
    results.push_back(item);
    if (item.kind != ItemKind::kPolyline) continue;
    results.back().first = static_cast<std::uint32_t>(resultVertices.size());
    const std::span<const PenPoint> v = list_.Vertices(item);
    resultVertices.insert(resultVertices.end(), v.begin(), v.end());
  }
  if (results.size() + items > kMaxListItems / 2 ||
      resultVertices.size() + vertices > kMaxListVertices / 2) {
    results.clear();
    resultVertices.clear();
  }
  list_.open_ = DisplayList::kNone;
  list_.baseImage_.assign(pixels_.begin(), pixels_.end());
  DisplayItem base = NewItem(ItemKind::kBaseImage, DrawTag{}, kWhite, 0);
  base.rect = PixelRect{0, 0, width_, height_};
  list_.items_.assign(1, base);
  list_.items_.insert(list_.items_.end(), results.begin(), results.end());
  list_.vertices_ = std::move(resultVertices);
  // The results over the picture, whole where a later stroke cut them: the
  // raster is what the list paints.
  if (!results.empty()) Repaint();
}

void Raster::Repaint() {
  if (list_.baseImage_.size() == pixels_.size()) {
    std::copy(list_.baseImage_.begin(), list_.baseImage_.end(), pixels_.begin());
  } else {
    std::fill(pixels_.begin(), pixels_.end(), kOpaque | kWhite);
  }
  for (const DisplayItem& item : list_.items_) {
    switch (item.kind) {
      case ItemKind::kBaseImage: break;
      case ItemKind::kPolyline: {
        const std::span<const PenPoint> v = list_.Vertices(item);
        for (std::size_t k = 1; k < v.size(); ++k) {
          PaintLine(v[k - 1].x, v[k - 1].y, v[k].x, v[k].y, item.colour);
        }
        break;
      }
      case ItemKind::kMark:
      case ItemKind::kSmallMark:
      case ItemKind::kRect:
        PaintRect(std::clamp(item.rect.left, 0, width_), std::clamp(item.rect.top, 0, height_),
                  std::clamp(item.rect.right, 0, width_), std::clamp(item.rect.bottom, 0, height_),
                  item.colour);
        break;
    }
  }
  dirty_ = PixelRect{0, 0, width_, height_};
}

void Raster::DrawAgain(const DisplayList& list,
                       const std::function<bool(const DisplayItem&)>& keep) {
  const Rgb pen = pen_;
  const DrawTag tag = tag_;
  for (const DisplayItem& item : list.Items()) {
    if (item.kind == ItemKind::kBaseImage || !keep(item)) continue;
    SetTag(item.tag);
    switch (item.kind) {
      case ItemKind::kPolyline: {
        SelectPen(item.colour);
        list_.open_ = DisplayList::kNone;
        const std::span<const PenPoint> v = list.Vertices(item);
        if (v.empty()) break;
        MoveTo(v[0].x, v[0].y);
        for (std::size_t k = 1; k < v.size(); ++k) LineTo(v[k].x, v[k].y);
        break;
      }
      case ItemKind::kMark:
      case ItemKind::kSmallMark: FillMark(item.kind, item.at.x, item.at.y, item.colour); break;
      case ItemKind::kRect:
        FillRect(item.rect.left, item.rect.top, item.rect.right, item.rect.bottom, item.colour);
        break;
      case ItemKind::kBaseImage: break;
    }
  }
  SelectPen(pen);
  SetTag(tag);
}

int Raster::CountNonWhite() const {
  return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(),
                                        [](std::uint32_t p) { return (p & 0xFFFFFFu) != kWhite; }));
}

}  // namespace tambra
