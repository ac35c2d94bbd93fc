// What the canvas drew, kept as a list: every polyline, mark and filled
// rectangle with its colour, pen width, role and the command that put it
// there. The raster (base/raster.h) owns the list: each of its drawing calls
// paints the pixels at once and appends the figure here, and Raster::Repaint
// paints the whole raster again from the list, pixel for pixel the same.
// Export and the legend read the list through Items() and Vertices().
//
// Roles. Whoever knows what a figure is says so with a scope on the canvas;
// nothing has to be passed through the families' drawing calls:
//  - the shared primitives name the shape: DrawPolygon the control polygon,
//    DrawCurvePolyline the curve, the surface view the control net or the
//    surface (base/canvas.h, base/curve_polyline.h, surface/surface_view.h);
//  - the window procedure names the command that runs (its menu id) around
//    the whole command, and the point mark of the hover highlight.
// A role scope inside another role scope keeps the outer role (the control
// net is drawn with the grid primitive that otherwise draws a surface); a
// command scope inside another names the inner command (the one that runs).
//
// Memory stays bounded: when the list would grow beyond kMaxListItems items
// or kMaxListVertices vertices, everything drawn so far is flattened into
// one base image item (a copy of the raster) and the list goes on from
// there, so a repaint is still exact. What commands drew in colour stays in
// the list over the base image, whole, so that a new view or size can draw it again
// (unless the results alone would fill half the list). Clearing the whole raster empties the
// list; erasing is drawing in white and is kept in order like any figure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tambra {

using Rgb = std::uint32_t;  // 0xRRGGBB

// A pixel rectangle [left, right) x [top, bottom); empty when either side
// has no extent.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return left >= right || top >= bottom; }
};

enum class ItemKind : std::uint8_t {
  kBaseImage,  // the raster as it was when the list was flattened
  kPolyline,   // lines through Vertices(item), each without its end pixel
  kMark,       // the filled 6 by 6 mark of a point
  kSmallMark,  // the filled 4 by 4 mark
  kRect,       // a filled rectangle
};

// Half the side of a mark kind: the mark covers [x - h, x + h) x [y - h, y + h).
inline constexpr int MarkHalfWidth(ItemKind kind) { return kind == ItemKind::kSmallMark ? 2 : 3; }

enum class DrawRole : std::uint8_t {
  kUnnamed,         // nobody said (a command's marks, a plain fill)
  kControlPolygon,  // the polygon of the control points, with their marks
  kCurve,           // a curve's polyline (and its sample marks)
  kControlNet,      // the control net of Surfaces mode
  kSurface,         // a sampled surface: a patch, a spline surface
  kPointMark,       // a single point's mark: the hover highlight and its undoing
};

// No command: drawn by a repaint, a click, a drag or a hover.
inline constexpr int kNoCommand = 0;

// A pen position in model coordinates (pixels of the unzoomed canvas); it
// may lie far outside the canvas.
struct PenPoint {
  double x, y;
};

struct DrawTag {
  DrawRole role = DrawRole::kUnnamed;
  int command = kNoCommand;
  bool operator==(const DrawTag&) const = default;
};


struct DisplayItem {
  ItemKind kind = ItemKind::kRect;
  DrawTag tag;
  Rgb colour = 0;    // white for what erases
  int penWidth = 0;  // 1 for polylines; 0 for filled figures (no outline)
  // Polyline: its vertices, [first, first + count) of the list's vertices.
  std::uint32_t first = 0, count = 0;
  // Mark: the square it fills on the raster as drawn, centred on its
  // point, not cut to the canvas. Rectangle: what it filled, within the
  // canvas. Base image: the whole canvas.
  PixelRect rect;
  // Mark: its point in model coordinates, placed again under a new view.
  PenPoint at{0.0, 0.0};
};

// The bound on the list: beyond it the list is flattened into a base image.
inline constexpr std::size_t kMaxListItems = std::size_t{1} << 16;
inline constexpr std::size_t kMaxListVertices = std::size_t{1} << 18;

class DisplayList {
 public:
  // Everything on the canvas, oldest first; a base image, when there is one,
  // comes first.
  std::span<const DisplayItem> Items() const { return items_; }
  // The vertices of a polyline item (none for other kinds).
  std::span<const PenPoint> Vertices(const DisplayItem& item) const {
    return std::span<const PenPoint>(vertices_).subspan(item.first, item.count);
  }
  // The pixels of the base image (0xFFRRGGBB, row by row, the canvas size);
  // empty while there is none.
  std::span<const std::uint32_t> BaseImage() const { return baseImage_; }
  bool empty() const { return items_.empty(); }

  // The memory the list holds, in bytes (its capacity, not just its use).
  std::size_t MemoryBytes() const {
    return items_.capacity() * sizeof(DisplayItem) + vertices_.capacity() * sizeof(PenPoint) +
           baseImage_.capacity() * sizeof(std::uint32_t);
  }

 private:
  friend class Raster;

  void Clear() {
    items_.clear();
    vertices_.clear();
    baseImage_.clear();
    open_ = kNone;
  }

  static constexpr std::size_t kNone = ~std::size_t{0};

  std::vector<DisplayItem> items_;
  std::vector<PenPoint> vertices_;
  std::vector<std::uint32_t> baseImage_;
  // The polyline that the next line continues: the newest polyline, while
  // the pen stays at its end, in its colour and tag, and everything appended
  // after it has that colour and tag (so painting its later lines before
  // those figures changes no pixel).
  std::size_t open_ = kNone;
};

}  // namespace tambra
