// The canvas's display list: what each drawing leaves in it (kind, colour,
// role, command, geometry), that the raster painted again from the list
// alone is the raster as drawn, and that the list stays within its bound.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "base/canvas.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

constexpr auto kMove = MessageKind::kMouseMove;

// The raster painted again from its list is pixel for pixel the raster.
::testing::AssertionResult RepaintIsExact(const Raster& canvas) {
  Raster repainted = canvas;
  repainted.Repaint();
  const std::size_t count = std::size_t(canvas.width()) * canvas.height();
  const auto diff = std::mismatch(canvas.Data(), canvas.Data() + count, repainted.Data());
  if (diff.first == canvas.Data() + count) return ::testing::AssertionSuccess();
  const std::size_t at = diff.first - canvas.Data();
  return ::testing::AssertionFailure() << "pixel " << at % canvas.width() << ", "
                                       << at / canvas.width() << " differs after a repaint";
}

// The largest memory the list may hold for a raster of `pixels` pixels.
std::size_t ListBound(std::size_t pixels) {
  return kMaxListItems * sizeof(DisplayItem) + kMaxListVertices * sizeof(PenPoint) +
         pixels * sizeof(std::uint32_t);
}

class DisplayListTest : public SessionTest {
 protected:
  const DisplayList& List() { return window.Canvas().List(); }
  std::vector<DisplayItem> ItemsOf(ItemKind kind, Rgb colour, DrawRole role, int command) {
    std::vector<DisplayItem> found;
    for (const DisplayItem& item : List().Items()) {
      if (item.kind == kind && item.colour == colour && item.tag.role == role &&
          item.tag.command == command) {
        found.push_back(item);
      }
    }
    return found;
  }
  void Polygon(std::initializer_list<std::pair<int, int>> points) {
    for (auto [x, y] : points) window.Click(x, y);
  }
  void DragPoint(int x, int y, int steps, int dx) {
    window.Send(MouseMessage(MessageKind::kLeftDown, x, y, kLeftButtonFlag));
    for (int i = 1; i <= steps; ++i) {
      window.Send(MouseMessage(kMove, x + (i % 40) * dx, y + (i % 23) * 5, kLeftButtonFlag));
    }
    window.Send(MouseMessage(MessageKind::kLeftUp, x, y, 0));
  }
};

// Bezier > Bezier, then Degree elevation: the black control polygon (one
// polyline through the points and a mark at each, the first drawn twice) and
// the black curve of the family command, and the blue elevated polygon and
// curve of the elevation.
TEST_F(DisplayListTest, BezierAndDegreeElevationLeaveThePolygonTheCurveAndTheBlueResult) {
  Polygon({{100, 400}, {200, 100}, {400, 100}, {500, 400}});
  window.Command(kCmdBezier);
  window.Command(kCmdBezierElevation);
  const auto polygon = ItemsOf(ItemKind::kPolyline, kBlack, DrawRole::kControlPolygon, kCmdBezier);
  const auto marks = ItemsOf(ItemKind::kMark, kBlack, DrawRole::kControlPolygon, kCmdBezier);
  const auto curve = ItemsOf(ItemKind::kPolyline, kBlack, DrawRole::kCurve, kCmdBezier);
  ASSERT_TRUE(polygon.size() == 1 && marks.size() == 5 && curve.size() == 1);
  const auto corners = List().Vertices(polygon[0]);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(std::tuple(corners[1].x, corners[1].y, corners[3].x), std::tuple(200, 100, 500));
  EXPECT_EQ(std::tuple(marks[3].rect.left, marks[3].rect.right, marks[2].penWidth), std::tuple(397, 403, 0));
  const auto samples = List().Vertices(curve[0]);
  EXPECT_EQ(samples.size(), std::size_t(m.grid) + 1);
  EXPECT_EQ(std::tuple(samples.front().x, samples.back().x, curve[0].penWidth), std::tuple(100, 500, 1));

  const auto elevated =
      ItemsOf(ItemKind::kPolyline, kBlue, DrawRole::kControlPolygon, kCmdBezierElevation);
  ASSERT_EQ(elevated.size(), 1u);
  EXPECT_EQ(List().Vertices(elevated[0]).size(), 5u) << "one degree up";
  EXPECT_EQ(ItemsOf(ItemKind::kMark, kBlue, DrawRole::kControlPolygon, kCmdBezierElevation).size(),
            6u);
  EXPECT_EQ(ItemsOf(ItemKind::kPolyline, kBlue, DrawRole::kCurve, kCmdBezierElevation).size(), 1u);
  EXPECT_EQ(List().Items().size(), 5u + 2 + 6 + 2) << "nothing else";
  EXPECT_TRUE(RepaintIsExact(window.Canvas()));
}

// A long point drag appends an erase and a draw per move and never clears:
// the list is flattened into a base image and stays within its bound, and a
// repaint is still exact. A result drawn before stays a figure over the base
// image, whole, and comes back after a zoom and a resize. Marks alone are
// bounded the same way.
TEST_F(DisplayListTest, ALongDragKeepsTheListWithinItsBound) {
  for (int i = 0; i < 10; ++i) window.Click(50 + 70 * i, 300 + (i % 3) * 40);
  m.grid = 4096;
  window.Command(kCmdBezier);
  window.Command(kCmdBezierElevation);
  const auto result = [&] {
    return ItemsOf(ItemKind::kPolyline, kBlue, DrawRole::kCurve, kCmdBezierElevation).size();
  };
  DragPoint(330, 340, 300, 2);
  const std::size_t pixels = 800 * 600;
  EXPECT_EQ(std::tuple(List().Items().front().kind, result()), std::tuple(ItemKind::kBaseImage, 1u))
      << "flattened at least once, the result kept";
  EXPECT_LE(List().MemoryBytes(), ListBound(pixels));
  EXPECT_TRUE(RepaintIsExact(window.Canvas()));
  window.Command(kCmdZoomOut), window.Resize(700, 500);
  EXPECT_EQ(result(), 1u) << "drawn again with the model";
  const auto shown = std::vector<std::uint32_t>(window.Canvas().Data(), window.Canvas().Data() + 700 * 500);
  window.Command(kCmdClearResults);
  const std::uint32_t black = 0xFF000000u | kBlack;
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), window.Canvas().Data(),
                         [&](std::uint32_t was, std::uint32_t model) { return was != black || model == black; }))
      << "black only where the model is now: no curve of before the drag";

  Raster& dc = window.Canvas();
  dc.Resize(64, 48);
  for (int i = 0; i < 3 * int(kMaxListItems); ++i) {
    dc.FillMark(i % 2 ? ItemKind::kMark : ItemKind::kSmallMark, i % 70, i % 50, i % 3 ? kRed : kWhite);
  }
  EXPECT_LE(List().Items().size(), kMaxListItems);
  EXPECT_LE(List().MemoryBytes(), ListBound(64 * 48));
  EXPECT_EQ((std::tuple{List().BaseImage().size(), RepaintIsExact(dc)}), std::tuple(64u * 48, true));
}

}  // namespace
}  // namespace tambra
