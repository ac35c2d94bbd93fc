// The raster and the drawing primitives: marks, polylines, colour modes,
// erasing by redrawing in white, and lines with far or non-finite ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "bezier/bezier_display.h"
#include "base/canvas.h"
#include "tools/headless_platform.h"
#include "base/model_state.h"

namespace tambra {
namespace {

constexpr int kWidth = 400, kHeight = 300;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();

// The box [left, right) x [top, bottom) around the drawn pixels, and their count.
std::array<int, 5> Drawn(const Raster& r) {
  std::array<int, 5> box{r.width(), r.height(), 0, 0, r.CountNonWhite()};
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      if (r.Pixel(x, y) == kWhite) continue;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
             std::max(box[3], y + 1), box[4]};
    }
  }
  return box;
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start(kWidth, kHeight);
  }
  void TearDown() override { ResetModelState(); }
  HeadlessPlatform window;
  Raster& dc = window.Canvas();
};

TEST_F(CanvasTest, MarksAreSixOrFourPixelsSquareAroundTheTruncatedPointAndClipped) {
  FillMark(dc, 100.7f, 50.2f, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{97, 47, 103, 53, 36}));
  dc.Resize(kWidth, kHeight);
  FillSmallMark(dc, 100.7f, 50.9f, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{98, 48, 102, 52, 16}));
  dc.Resize(kWidth, kHeight);
  FillMark(dc, 0.0f, 0.0f, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{0, 0, 3, 3, 9}));
  for (float x : {-1e30f, 1e30f, -INFINITY, INFINITY, NAN, -4.0f, 1e9f}) {
    for (float y : {-1e30f, -INFINITY, NAN, 1e9f, 20.0f}) {
      FillMark(dc, x, y, kBlackMode);
      FillSmallMark(dc, y, x, kBlackMode);
    }
  }
  EXPECT_EQ(dc.CountNonWhite(), 9) << "far or non-finite marks draw nothing";
}

TEST_F(CanvasTest, PolygonOfNoPointsDrawsAndLogsNothingAndOfOnePointOneMark) {
  Model().logFile = std::tmpfile();
  Model().logActive = 1;
  const Point2 points[] = {{50, 50}, {150.5f, 60.25f}, {150, 150}};
  DrawPolygon(window, points, 1, 1, kBlackMode);
  DrawMarks(window, points, 2, 2, kBlackMode);
  EXPECT_TRUE(dc.CountNonWhite() == 0 && std::ftell(Model().logFile) == 0);
  DrawPolygon(window, points, 1, 2, kBlackMode);
  EXPECT_EQ(Drawn(dc), (std::array{147, 57, 153, 63, 36}));
  char logged[64] = {};
  std::rewind(Model().logFile);
  EXPECT_EQ(std::fread(logged, 1, sizeof logged - 1, Model().logFile), 21u);
  EXPECT_STREQ(logged, "150.50000 239.75000\r\n");
  std::fclose(Model().logFile);
}

// Each mode draws lines and marks in its colour and restores the pen; an
// unknown mode draws white lines and no marks.
TEST_F(CanvasTest, ModesDrawInTheirColourAndUnknownModesWhiteLinesWithoutMarks) {
  const struct { int mode; Rgb colour; bool marks; } modes[] = {
      {kEraseMode, kWhite, true}, {kBlueMode, kBlue, true},   {kRedMode, kRed, true},
      {kGreenMode, kGreen, true}, {kBlackMode, kBlack, true}, {5, kWhite, false}};
  const Point2 points[] = {{50, 50}, {150, 50}, {150, 150}};
  for (const auto& m : modes) {
    dc.FillRect(0, 0, kWidth, kHeight, 0x808080);
    dc.SelectPen(0x123456);
    DrawPolygon(window, points, 0, 3, m.mode);
    DrawMarks(window, points, 2, 3, m.mode);
    const Rgb mark = m.marks ? m.colour : 0x808080;
    EXPECT_TRUE(dc.Pixel(100, 50) == m.colour && dc.Pixel(150, 100) == m.colour) << m.mode;
    EXPECT_TRUE(dc.Pixel(48, 48) == mark && dc.Pixel(149, 149) == mark) << m.mode;
    EXPECT_TRUE(dc.Pixel(100, 52) == 0x808080 && dc.pen() == 0x123456u) << m.mode;
  }
}

TEST_F(CanvasTest, FigureDrawnInBlackThenWhiteLeavesTheCanvasWhite) {
  const Point2 points[] = {{30, 250}, {80, 20},    {200, 280},     {310, 10},      {380, 200},
                           {0, 0},    {399, 299}, {0.5f, 299.9f}, {399.9f, 0.1f}, {-20, 150}};
  std::copy(points, points + 5, Model().points);
  Model().pointCount = 5;
  for (int mode : {kBlackMode, kEraseMode}) {
    DrawBezierCurve(window, mode);
    DrawPolygon(window, points, 5, 10, mode);
    DrawMarks(window, points, 5, 10, mode);
    EXPECT_EQ(dc.CountNonWhite() > 1000, mode == kBlackMode) << dc.CountNonWhite();
  }
}

// One pixel per step along the major axis, the ideal point rounded half up,
// from the first pixel (included) to the last (excluded).
TEST_F(CanvasTest, LinesIncludeTheFirstAndExcludeTheLastPixel) {
  std::mt19937 rng(7);
  for (int i = 0, d; i < 300; ++i) {  // the eight directions, then random lines
    d = i + (i >= 4);  // 0 to 8 without the centre 4
    const int x0 = i < 8 ? 50 : rng() % kWidth, y0 = i < 8 ? 50 : rng() % kHeight;
    const int x1 = i < 8 ? x0 + 10 * (d % 3 - 1) : rng() % kWidth;
    const int y1 = i < 8 ? y0 + 10 * (d / 3 - 1) : rng() % kHeight;
    dc.Resize(kWidth, kHeight);
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
    const int dx = x1 - x0, dy = y1 - y0, steps = std::max(std::abs(dx), std::abs(dy));
    SCOPED_TRACE(::testing::Message() << x0 << ", " << y0 << " to " << x1 << ", " << y1);
    ASSERT_TRUE(dc.CountNonWhite() == steps && dc.Pixel(x1, y1) == kWhite);
    for (int k = 0; k < steps; ++k) {
      const double x = std::floor(x0 + static_cast<double>(k) * dx / steps + 0.5);
      const double y = std::floor(y0 + static_cast<double>(k) * dy / steps + 0.5);
      ASSERT_EQ(dc.Pixel(static_cast<int>(x), static_cast<int>(y)), kBlack) << "step " << k;
    }
  }
}

// A line cut by the canvas, or first cut back to the pixel limit, draws the
// pixels of the same line drawn whole on a large raster (and erased there).
TEST_F(CanvasTest, FarAndNonFiniteLineEndsFinishFastAndKeepTheLineDirection) {
  constexpr int kOff = 700;
  Raster large(kWidth + 2 * kOff, kHeight + 2 * kOff);
  auto expectSame = [&](std::array<double, 4> drawn, std::array<double, 4> whole) {
    dc.Resize(kWidth, kHeight);
    dc.MoveTo(drawn[0], drawn[1]);
    dc.LineTo(drawn[2], drawn[3]);
    int differ = 0;
    for (Rgb pen : {kBlack, kWhite}) {
      large.SelectPen(pen);
      large.MoveTo(whole[0] + kOff, whole[1] + kOff);
      large.LineTo(whole[2] + kOff, whole[3] + kOff);
      for (int i = 0; i < kWidth * kHeight && pen == kBlack; ++i) {
        const int x = i % kWidth, y = i / kWidth;
        differ += dc.Pixel(x, y) != large.Pixel(x + kOff, y + kOff);
      }
    }
    EXPECT_TRUE(differ == 0 && dc.CountNonWhite() > 0)
        << drawn[0] << ", " << drawn[1] << " to " << drawn[2] << ", " << drawn[3];
  };
  // Ends about 1e6, 4e7 and 1e9 away in directions that cross the canvas, both
  // ways; the whole line runs the same way to an end just off the canvas.
  const int lines[][4] = {{10, 250, 3, -1}, {0, 0, 2, 1}, {390, 20, -1, 2}, {399, 299, -3, -2}};
  for (double far : {333334.0, 13333334.0, 333333334.0}) {
    for (auto [x, y, dx, dy] : lines) {
      const double fx = x + dx * far, fy = y + dy * far, wx = x + dx * 200, wy = y + dy * 200;
      expectSame({double(x), double(y), fx, fy}, {double(x), double(y), wx, wy});
      expectSame({fx, fy, double(x), double(y)}, {wx, wy, double(x), double(y)});
    }
  }
  std::mt19937 rng(5);  // random lines through a canvas pixel with both ends off the canvas
  for (int i = 0; i < 150; ++i) {
    const double cx = rng() % kWidth, cy = rng() % kHeight;
    const double x0 = rng() % (kWidth + 600) - 300.0, y0 = rng() % (kHeight + 600) - 300.0;
    expectSame({x0, y0, 2 * cx - x0, 2 * cy - y0}, {x0, y0, 2 * cx - x0, 2 * cy - y0});
  }
  EXPECT_EQ(large.CountNonWhite(), 0);

  // Huge and non-finite ends finish fast; a non-finite one draws nothing.
  const double ends[] = {-1e9, 1e9, -1e30, 1e30, -kInf, kInf, kNaN, -1e6, 1e6, 150.0, 2147483647.0};
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 11 * 11 * 11; ++i) {
    dc.MoveTo(ends[i % 11], ends[i / 11 % 11]);
    dc.LineTo(ends[i / 121], ends[i % 11]);
    LineToPoint(dc, static_cast<float>(ends[i / 11 % 11]), static_cast<float>(ends[i / 121]));
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took.count(), 2.0) << "a line must cost no more than the canvas it crosses";
  dc.Resize(kWidth, kHeight);
  for (double bad : {kNaN, kInf, -kInf}) {
    dc.MoveTo(100, 100);
    dc.LineTo(bad, 200);
    dc.LineTo(200, 200);
  }
  EXPECT_EQ(dc.CountNonWhite(), 0);
  for (double v : {1e30, -kInf, kNaN, 3e9}) EXPECT_EQ(std::abs(TruncateToPixel(v)), kPixelLimit);
}

// Ends near the float range, both off the square the raster clips to: the
// cut ends once came out far outside it and their integer conversion
// overflowed (a crash in the window). Each drawn pixel lies on the line.
TEST_F(CanvasTest, LinesBetweenEndsNearTheFloatRangeDrawOnTheirLine) {
  struct Line { double x0, y0, x1, y1; };
  std::vector<Line> lines = {{26085688, 3.17485133e+35, -371770528, -3.49826723e+36},
                             {-9.77379163e+33, 11838206, 1.38904538e+35, 19458868}};
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> exponent(7, 38.5);
  auto far = [&] {
    const double v = std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1);
    return std::trunc(double(float(v)));
  };
  for (int i = 0; i < 20000; ++i) lines.push_back({far(), far(), far(), far()});
  for (const Line& l : lines) {
    dc.Resize(kWidth, kHeight);
    dc.MoveTo(l.x0, l.y0);
    dc.LineTo(l.x1, l.y1);
    LineToPoint(dc, float(l.x0), float(l.y0));
  }
  // On the line 2x = 3y: from far to far, and from (12, 8) to far, with
  // ends some 1e30 away (exact doubles, so the line is known exactly).
  const double far30 = std::ldexp(1.0, 100);
  const double runs[][5] = {{3 * far30, 2 * far30, -3 * far30, -2 * far30, 0},
                            {12, 8, 3 * far30, 2 * far30, 12}};
  int off = 0;
  for (const auto& r : runs) {
    dc.Resize(kWidth, kHeight);
    dc.MoveTo(r[0], r[1]);
    dc.LineTo(r[2], r[3]);
    EXPECT_GE(dc.CountNonWhite(), kWidth - int(r[4]) - 1);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (dc.Pixel(x, y) != kWhite) off += std::fabs(2.0 * x - 3.0 * y) > 3.6 || x < r[4];
      }
    }
  }
  EXPECT_EQ(off, 0);
}

TEST_F(CanvasTest, FillRectClipsAndAnInvertedRectangleDrawsNothing) {
  const int edges[] = {kMin, -3, 0, 5, kWidth + 7, kMax};
  for (int i = 0; i < 6 * 6 * 6 * 6; ++i) {
    const int left = edges[i % 6], right = edges[i / 6 % 6];
    const int top = edges[i / 36 % 6], bottom = edges[i / 216];
    if (left >= right || top >= bottom) dc.FillRect(left, top, right, bottom, kBlack);
  }
  EXPECT_EQ(dc.CountNonWhite(), 0);
  dc.FillRect(kMin, -10, 3, 2, kBlack);
  dc.FillRect(kWidth - 2, kHeight - 1, kMax, kHeight + 100, kBlack);
  EXPECT_EQ(Drawn(dc), (std::array{0, 0, kWidth, kHeight, 3 * 2 + 2 * 1}));
}

}  // namespace
}  // namespace tambra
