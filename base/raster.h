// The persistent canvas: a raster the size of the client area that every
// drawing primitive writes into at once, and the display list of what was
// drawn (base/display_list.h), from which it can be painted again. Lines
// and rectangles follow the conventions of a classic device context: a line includes its first
// pixel and excludes its last, a filled rectangle covers [left, right) x [top, bottom). The
// rasterisation is exact integer arithmetic and unantialiased, so drawing a figure again in white
// erases exactly the pixels it drew.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/display_list.h"

namespace tambra {

inline constexpr Rgb kWhite = 0xFFFFFF;
inline constexpr Rgb kBlue = 0x0000FF;
inline constexpr Rgb kRed = 0xFF0000;
inline constexpr Rgb kGreen = 0x00FF00;
inline constexpr Rgb kBlack = 0x000000;

// Pixel coordinates are kept within this bound so that no conversion or
// product overflows; anything beyond it is far outside any canvas anyway.
// A line with an end beyond it is first cut back to this square, along the
// line, so its direction is kept.
inline constexpr int kPixelLimit = 1 << 24;

// Truncates toward zero as a float-to-int conversion does, but never
// overflows: values beyond the pixel limit are clamped to it, and a value
// that is not a number maps to the negative limit (off every canvas).
int TruncateToPixel(double value);

// How model coordinates show on the raster: model point p is drawn at
// scale * p + (x, y). Polylines and mark positions are kept in model
// coordinates, so a new view repaints from the list alone; fills of
// rectangles (the white of a cleared canvas) stay where they are.
struct ViewTransform {
  double scale = 1.0;
  double x = 0.0;
  double y = 0.0;
  bool operator==(const ViewTransform&) const = default;
};

class Raster {
 public:
  Raster() = default;
  Raster(int width, int height) { Resize(width, height); }

  // Resizes and clears to white; the display list is emptied.
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  Rgb Pixel(int x, int y) const;
  // The pixels row by row, 0xFFRRGGBB, ready to be wrapped by an image.
  const std::uint32_t* Data() const { return pixels_.data(); }

  // Device-context state: the selected pen and the current position.
  Rgb SelectPen(Rgb pen) {
    Rgb previous = pen_;
    if (pen != pen_) list_.open_ = DisplayList::kNone;
    pen_ = pen;
    return previous;
  }
  Rgb pen() const { return pen_; }
  // Pen positions are whole pixel coordinates, possibly far outside the
  // canvas; a position that is not finite draws nothing.
  void MoveTo(double x, double y);
  // Draws from the current position to (x, y) without its end pixel, with
  // the selected pen, and makes (x, y) the current position.
  void LineTo(double x, double y);
  // A fill that covers the whole raster starts the display list afresh.
  void FillRect(int left, int top, int right, int bottom, Rgb colour);
  // The mark of `kind` (ItemKind::kMark or kSmallMark) centred on (x, y).
  void FillMark(ItemKind kind, double x, double y, Rgb colour);

  // The view the raster draws under; a new one repaints from the list.
  const ViewTransform& View() const { return view_; }
  void SetView(const ViewTransform& view);
  // Where model point (x, y) lands on the raster, unrounded.
  PenPoint ToRaster(double x, double y) const {
    return PenPoint{view_.scale * x + view_.x, view_.scale * y + view_.y};
  }
  // The square of a mark at model point `at` under the current view.
  PixelRect MarkSquare(ItemKind kind, const PenPoint& at) const;
  // Marks as many times their size in raster pixels (2 on a screen at 2x,
  // so that a mark looks the same there); repaints.
  void SetMarkScale(int scale);
  int MarkScale() const { return markScale_; }

  // What has been drawn since the raster was last cleared.
  const DisplayList& List() const { return list_; }
  // The tag given to what is drawn from now on; see DrawRoleScope, DrawCommandScope.
  const DrawTag& Tag() const { return tag_; }
  void SetTag(const DrawTag& tag) {
    if (!(tag == tag_)) list_.open_ = DisplayList::kNone;
    tag_ = tag;
  }
  // Paints every pixel again from the display list alone; the result is
  // the raster as drawn. The whole raster counts as changed.
  void Repaint();
  // Draws the figures of `list` that `keep` accepts once more, in their
  // order, colours and tags, as if they were drawn now (a base image is
  // not a figure and is left out). The pen and tag are as they were after.
  void DrawAgain(const DisplayList& list, const std::function<bool(const DisplayItem&)>& keep);

  // Counts pixels that differ from white; handy for tests and checks.
  int CountNonWhite() const;

  // Where drawing may have changed pixels since the last call (a resize
  // counts as the whole raster), then starts collecting afresh: the screen
  // need only update that rectangle. A bound, not an exact set: a pixel
  // written with its own colour counts too.
  PixelRect TakeDirtyRect();

 private:
  // Adds [left, right) x [top, bottom), already within the raster.
  void MarkDirty(int left, int top, int right, int bottom);
  // The pixels of a line and of a fill, without touching the list.
  void PaintLine(double x0, double y0, double x1, double y1, Rgb colour);
  void DrawSegment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Rgb colour);
  void PaintRect(int left, int top, int right, int bottom, Rgb colour);
  // The marks' squares under the current view and mark scale, then the
  // whole raster painted again from the list.
  void PlaceMarksAgain();
  // Appends a filled figure, keeping the open polyline open when it matches.
  void AppendFilled(ItemKind kind, const PixelRect& rect, Rgb colour);
  // Makes room for `items` more items and `vertices` more vertices,
  // flattening the list into a base image when it would pass its bound.
  void Reserve(std::size_t items, std::size_t vertices);

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
  PixelRect dirty_;
  Rgb pen_ = kBlack;
  double penX_ = 0.0;
  double penY_ = 0.0;
  DisplayList list_;
  DrawTag tag_;
  ViewTransform view_;
  int markScale_ = 1;
};

// Names the role of what is drawn within the scope, unless an enclosing
// scope has named one already.
class DrawRoleScope {
 public:
  DrawRoleScope(Raster& dc, DrawRole role) : dc_(dc), saved_(dc.Tag()) {
    if (saved_.role == DrawRole::kUnnamed) dc.SetTag(DrawTag{role, saved_.command});
  }
  ~DrawRoleScope() { dc_.SetTag(saved_); }
  DrawRoleScope(const DrawRoleScope&) = delete;
  DrawRoleScope& operator=(const DrawRoleScope&) = delete;

 private:
  Raster& dc_;
  const DrawTag saved_;
};

// Names the command (its menu id) that draws within the scope.
class DrawCommandScope {
 public:
  DrawCommandScope(Raster& dc, int command) : dc_(dc), saved_(dc.Tag()) {
    dc.SetTag(DrawTag{saved_.role, command});
  }
  ~DrawCommandScope() { dc_.SetTag(saved_); }
  DrawCommandScope(const DrawCommandScope&) = delete;
  DrawCommandScope& operator=(const DrawCommandScope&) = delete;

 private:
  Raster& dc_;
  const DrawTag saved_;
};

}  // namespace tambra
