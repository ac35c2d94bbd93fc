// The raster and the drawing primitives: marks, rectangles and lines with far or non-finite
// ends, and the rectangle of the screen they must update.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "base/canvas.h"
#include "session_fixture.h"

namespace tambra {
namespace {

constexpr int kWidth = 400, kHeight = 300;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The box [left, right) x [top, bottom) around the drawn pixels, and their count.
std::array<int, 5> Drawn(const Raster& r) {
  std::array<int, 5> box{r.width(), r.height(), 0, 0, r.CountNonWhite()};
  for (int i = 0; i < r.width() * r.height(); ++i) {
    const int x = i % r.width(), y = i / r.width();
    if (r.Pixel(x, y) == kWhite) continue;
    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
           std::max(box[3], y + 1), box[4]};
  }
  return box;
}

class CanvasTest : public SessionTest {
 protected:
  CanvasTest() : SessionTest(kWidth, kHeight) {}
  void Line(double x0, double y0, double x1, double y1) {
    dc.Resize(kWidth, kHeight), dc.TakeDirtyRect();
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
  }
  // What the screen must update: the box of the pixels drawn since it was last taken.
  std::array<int, 4> Dirty() {
    const PixelRect r = dc.TakeDirtyRect();
    EXPECT_TRUE(dc.TakeDirtyRect().empty()) << "taking starts afresh";
    return r.empty() ? std::array{0, 0, 0, 0} : std::array{r.left, r.top, r.right, r.bottom};
  }
  Raster& dc = window.Canvas();
};

// Marks are 6 or 4 pixels square around the truncated point; marks and rectangles are clipped,
// and far, non-finite or inverted ones draw nothing.
TEST_F(CanvasTest, MarksAndRectanglesAreClipped) {
  FillMark(dc, 100.7f, 50.2f, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{97, 47, 103, 53, 36}));
  dc.Resize(kWidth, kHeight);
  EXPECT_EQ(Dirty(), (std::array{0, 0, kWidth, kHeight})) << "all of it after a resize";
  FillSmallMark(dc, 100.7f, 50.9f, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{98, 48, 102, 52, 16}));
  FillMark(dc, 0.0f, 0.0f, kBlackMode);
  EXPECT_EQ(Dirty(), (std::array{0, 0, 102, 52})) << "both marks since the resize";
  dc.Resize(kWidth, kHeight), FillMark(dc, 0.0f, 0.0f, kBlackMode), Dirty();
  for (float x : {-1e30f, 1e30f, -INFINITY, INFINITY, NAN, -4.0f, 1e9f}) {
    for (float y : {-1e30f, -INFINITY, NAN, 1e9f, 20.0f}) {
      FillMark(dc, x, y, kBlackMode);
      FillSmallMark(dc, y, x, kBlackMode);
    }
  }
  constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
  const int edges[] = {kMin, -3, 0, 5, kWidth + 7, kMax};
  for (int i = 0; i < 6 * 6 * 6 * 6; ++i) {
    const int left = edges[i % 6], right = edges[i / 6 % 6];
    const int top = edges[i / 36 % 6], bottom = edges[i / 216];
    if (left >= right || top >= bottom) dc.FillRect(left, top, right, bottom, kBlack);
  }
  EXPECT_EQ(std::tuple(Drawn(dc), Dirty()), std::tuple(std::array{0, 0, 3, 3, 9}, std::array{0, 0, 0, 0}));
  dc.FillRect(kMin, -10, 3, 2, kBlack);
  EXPECT_EQ(Dirty(), (std::array{0, 0, 3, 2}));
  dc.FillRect(kWidth - 2, kHeight - 1, kMax, kHeight + 100, kBlack);
  EXPECT_EQ(Drawn(dc), (std::array{0, 0, kWidth, kHeight, 3 * 3 + 2 * 1}));
}

// A line has one pixel per step along the major axis, the ideal point
// rounded half up, from the first pixel (included) to the last (excluded).
// Cut by the canvas, or first cut back to the pixel limit, it keeps exactly
// the pixels of the line between the integer ends given.
TEST_F(CanvasTest, LinesIncludeTheFirstPixelAndKeepTheirPixelsWhenCut) {
  auto expectLine = [&](std::array<double, 4> drawn, int x0, int y0, int x1, int y1) {
    Line(drawn[0], drawn[1], drawn[2], drawn[3]);
    const int dx = x1 - x0, dy = y1 - y0, steps = std::max(std::abs(dx), std::abs(dy));
    int on = 0, inside = 0;
    for (int k = 0; k < steps; ++k) {
      const int x = int(std::floor(x0 + double(k) * dx / steps + 0.5));
      const int y = int(std::floor(y0 + double(k) * dy / steps + 0.5));
      if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) ++inside, on += dc.Pixel(x, y) == kBlack;
    }
    EXPECT_EQ(std::tuple(inside > 0, on, dc.CountNonWhite()), std::tuple(true, inside, inside))
        << drawn[0] << ", " << drawn[1] << " to " << drawn[2] << ", " << drawn[3];
    const auto box = Drawn(dc);
    const auto dirty = Dirty();  // exact for a line inside the canvas, a bound for a cut one
    EXPECT_TRUE(inside < steps || std::equal(box.begin(), box.end() - 1, dirty.begin()));
    EXPECT_TRUE(dirty[0] <= box[0] && dirty[1] <= box[1] && dirty[2] >= box[2] &&
                dirty[3] >= box[3] && dirty[0] >= 0 && dirty[1] >= 0 && dirty[2] <= kWidth &&
                dirty[3] <= kHeight);
  };
  std::mt19937 rng(7);
  for (int i = 0; i < 450; ++i) {  // the eight directions, then random lines on the canvas
    const int d = i + (i >= 4);      // 0 to 8 without the centre 4
    int x0 = 50, y0 = 50, x1 = x0 + 10 * (d % 3 - 1), y1 = y0 + 10 * (d / 3 - 1);
    if (i >= 8) x0 = rng() % kWidth, y0 = rng() % kHeight, x1 = rng() % kWidth;
    if (i >= 8) y1 = rng() % kHeight;
    if (i >= 300) {  // through canvas pixel (x1, y1), mostly from off the canvas
      x0 = rng() % (kWidth + 600) - 300, y0 = rng() % (kHeight + 600) - 300;
      x1 = 2 * x1 - x0, y1 = 2 * y1 - y0;
    }
    if (x0 != x1 || y0 != y1) expectLine({1.0 * x0, 1.0 * y0, 1.0 * x1, 1.0 * y1}, x0, y0, x1, y1);
  }
  // Ends about 1e6, 4e7 and 1e9 away in directions that cross the canvas, both
  // ways: the pixels of the line to an end 200 steps away.
  const int lines[][4] = {{10, 250, 3, -1}, {0, 0, 2, 1}, {390, 20, -1, 2}, {399, 299, -3, -2}};
  for (double far : {333334.0, 13333334.0, 333333334.0}) {
    for (auto [x, y, dx, dy] : lines) {
      const double fx = x + dx * far, fy = y + dy * far;
      expectLine({double(x), double(y), fx, fy}, x, y, x + dx * 200, y + dy * 200);
      expectLine({fx, fy, double(x), double(y)}, x + dx * 200, y + dy * 200, x, y);
    }
  }
}

// Ends near the float range, both off the square the raster clips to, once came out of the
// cut far outside it and their integer conversion overflowed (a crash in the window). A line
// costs no more than the canvas it crosses, draws only on itself, and nothing from or to a
// non-finite end.
TEST_F(CanvasTest, FarAndNonFiniteEndsFinishFastAndDrawOnlyOnTheLine) {
  const double ends[] = {-1e9, 1e9, -1e30, 1e30, -kInf, kInf, kNaN, -1e6, 1e6, 150.0, 2147483647.0};
  std::vector<std::array<double, 4>> lines = {
      {26085688, 3.17485133e+35, -371770528, -3.49826723e+36},
      {-9.77379163e+33, 11838206, 1.38904538e+35, 19458868}};
  for (int i = 0; i < 11 * 11 * 11; ++i)
    lines.push_back({ends[i % 11], ends[i / 11 % 11], ends[i / 121], ends[i % 11]});
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> exponent(7, 38.5);
  auto far = [&] {
    return std::trunc(double(float(std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1))));
  };
  for (int i = 0; i < 20000; ++i) lines.push_back({far(), far(), far(), far()});
  for (const auto& l : lines) {
    dc.MoveTo(l[0], l[1]);
    dc.LineTo(l[2], l[3]);
    LineToPoint(dc, float(l[1]), float(l[2]));
  }
  dc.Resize(kWidth, kHeight);
  for (double bad : {kNaN, kInf, -kInf}) {
    dc.MoveTo(100, 100);
    dc.LineTo(bad, 200);
    dc.LineTo(200, 200);
  }
  EXPECT_EQ(dc.CountNonWhite(), 0);
  // On the line 2x = 3y: from far to far, and from (12, 8) to far, with
  // ends some 1e30 away (exact doubles, so the line is known exactly).
  const double f = std::ldexp(1.0, 100);
  int off = 0;
  for (const auto& r : {std::array{3 * f, 2 * f, -3 * f, -2 * f, 0.0},
                        std::array{12.0, 8.0, 3 * f, 2 * f, 12.0}}) {
    Line(r[0], r[1], r[2], r[3]);
    EXPECT_GE(dc.CountNonWhite(), kWidth - int(r[4]) - 1);
    for (int i = 0; i < kWidth * kHeight; ++i) {
      const int x = i % kWidth, y = i / kWidth;
      off += dc.Pixel(x, y) != kWhite && (std::fabs(2.0 * x - 3.0 * y) > 3.6 || x < r[4]);
    }
  }
  EXPECT_EQ(off, 0);
}

}  // namespace
}  // namespace tambra
