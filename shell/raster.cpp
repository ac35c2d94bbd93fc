#include "shell/raster.h"

#include <algorithm>
#include <cmath>
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

// Rounds a * b / c to the nearest integer, halves upward (c > 0).
std::int64_t RoundedRatio(std::int64_t a, std::int64_t b, std::int64_t c) {
  return FloorDiv(2 * a * b + c, 2 * c);
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
}

Rgb Raster::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kWhite;
  return pixels_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFFu;
}

void Raster::Plot(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * width_ + x] = kOpaque | colour;
}

void Raster::MoveTo(double x, double y) {
  penX_ = x;
  penY_ = y;
}

namespace {

// Cuts the segment from (x0, y0) to (x1, y1) to the square |x|, |y| <= limit
// (Liang-Barsky); false when no part of it lies inside.
bool ClipToSquare(double& x0, double& y0, double& x1, double& y1, double limit) {
  double enter = 0.0, leave = 1.0;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 + limit, limit - x0, y0 + limit, limit - y0};
  for (int side = 0; side < 4; ++side) {
    if (p[side] == 0.0) {
      if (q[side] < 0.0) return false;
      continue;
    }
    const double t = q[side] / p[side];
    if (p[side] < 0.0) {
      enter = std::max(enter, t);
    } else {
      leave = std::min(leave, t);
    }
  }
  if (enter > leave) return false;
  const double sx = x0, sy = y0;
  x0 = std::round(sx + enter * dx);
  y0 = std::round(sy + enter * dy);
  x1 = std::round(sx + leave * dx);
  y1 = std::round(sy + leave * dy);
  return true;
}

}  // namespace

void Raster::LineTo(double x, double y) {
  double x0 = penX_, y0 = penY_, x1 = x, y1 = y;
  penX_ = x;
  penY_ = y;
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  const double limit = kPixelLimit;
  const bool inside = std::fabs(x0) <= limit && std::fabs(y0) <= limit && std::fabs(x1) <= limit &&
                      std::fabs(y1) <= limit;
  if (!inside && !ClipToSquare(x0, y0, x1, y1, limit)) return;
  DrawSegment(static_cast<std::int64_t>(x0), static_cast<std::int64_t>(y0),
              static_cast<std::int64_t>(x1), static_cast<std::int64_t>(y1));
}

// Every pixel of the line is computed directly from its step index along
// the major axis (no accumulated error term), so the loop can start and end
// at the canvas edges: a line of any length costs at most one canvas width
// or height, and the pixels are the same as those of the unclipped line.
void Raster::DrawSegment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t major = xMajor ? dx : dy;
  const std::int64_t minor = xMajor ? dy : dx;
  const std::int64_t steps = std::llabs(major);
  const std::int64_t sign = major < 0 ? -1 : 1;
  const std::int64_t start = xMajor ? x0 : y0;
  const std::int64_t minorStart = xMajor ? y0 : x0;
  const std::int64_t limit = xMajor ? width_ : height_;

  // Step k lands on major coordinate start + sign * k; keep 0 <= it < limit.
  std::int64_t first = 0, last = steps - 1;
  if (sign > 0) {
    first = std::max<std::int64_t>(first, -start);
    last = std::min<std::int64_t>(last, limit - 1 - start);
  } else {
    first = std::max<std::int64_t>(first, start - (limit - 1));
    last = std::min<std::int64_t>(last, start);
  }
  for (std::int64_t k = first; k <= last; ++k) {
    const std::int64_t along = start + sign * k;
    const std::int64_t across = minorStart + RoundedRatio(k, minor, steps);
    if (xMajor) {
      Plot(static_cast<int>(along), static_cast<int>(across), pen_);
    } else {
      Plot(static_cast<int>(across), static_cast<int>(along), pen_);
    }
  }
}

void Raster::FillRect(int left, int top, int right, int bottom, Rgb colour) {
  left = std::clamp(left, 0, width_);
  right = std::clamp(right, 0, width_);
  top = std::clamp(top, 0, height_);
  bottom = std::clamp(bottom, 0, height_);
  if (left >= right || top >= bottom) return;
  for (int row = top; row < bottom; ++row) {
    std::uint32_t* line = pixels_.data() + static_cast<std::size_t>(row) * width_;
    std::fill(line + left, line + right, kOpaque | colour);
  }
}

int Raster::CountNonWhite() const {
  return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(), [](std::uint32_t p) {
    return (p & 0xFFFFFFu) != kWhite;
  }));
}

}  // namespace tambra
