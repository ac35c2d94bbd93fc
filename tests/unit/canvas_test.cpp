// The raster and the drawing primitives: marks, polylines, the colour
// modes, erasing by redrawing in white, and line rasterisation checked
// against the ideal line and against an unclipped drawing.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bezier/bezier_display.h"
#include "shell/canvas.h"
#include "shell/headless_platform.h"
#include "shell/model_state.h"

namespace tambra {
namespace {

using Wide = __int128;

// Counts the pixels of the colour inside [left, right) x [top, bottom), and
// checks that no pixel outside that box has a colour other than white.
::testing::AssertionResult FilledExactly(const Raster& raster, int left, int top, int right,
                                         int bottom, Rgb colour) {
  for (int y = 0; y < raster.height(); ++y) {
    for (int x = 0; x < raster.width(); ++x) {
      const bool inside = x >= left && x < right && y >= top && y < bottom;
      const Rgb want = inside ? colour : kWhite;
      if (raster.Pixel(x, y) != want) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << std::hex << raster.Pixel(x, y)
               << ", expected " << want;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Floor and ceiling of p / q for q > 0.
Wide FloorDiv(Wide p, Wide q) { return p >= 0 ? p / q : -((-p + q - 1) / q); }
Wide CeilDiv(Wide p, Wide q) { return -FloorDiv(-p, q); }

// The line oracle: the non-white pixels of the raster must be exactly the
// visible pixels of the ideal line from (x0, y0) to (x1, y1): one pixel for
// each major-axis coordinate from the start (included) to the end
// (excluded), within half a pixel of the ideal line across it.
::testing::AssertionResult IsIdealLine(const Raster& raster, long long x0, long long y0,
                                       long long x1, long long y1) {
  const Wide dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const Wide major = xMajor ? dx : dy;
  const Wide minor = xMajor ? dy : dx;
  const Wide steps = major < 0 ? -major : major;
  const Wide sign = major < 0 ? -1 : 1;
  const Wide start = xMajor ? x0 : y0;
  const Wide minorStart = xMajor ? y0 : x0;
  const int majorLimit = xMajor ? raster.width() : raster.height();
  const int minorLimit = xMajor ? raster.height() : raster.width();
  auto at = [&](int a, int b) { return xMajor ? raster.Pixel(a, b) : raster.Pixel(b, a); };

  long long counted = 0;
  for (int a = 0; a < majorLimit; ++a) {
    const Wide k = (a - start) * sign;  // step index of this major coordinate
    const bool onLine = steps > 0 && k >= 0 && k < steps;
    int found = 0;
    for (int b = 0; b < minorLimit; ++b) {
      if (at(a, b) == kWhite) continue;
      ++found;
      // |b - (minorStart + k * minor / steps)| <= 1/2
      const Wide offset = 2 * (b - minorStart) * steps - 2 * k * minor;
      if (!onLine || offset > steps || offset < -steps) {
        return ::testing::AssertionFailure()
               << "pixel at major " << a << ", minor " << b << " is off the line";
      }
    }
    if (found > 1) {
      return ::testing::AssertionFailure() << found << " pixels at major coordinate " << a;
    }
    if (onLine) {
      // The minor coordinates within half a pixel of the ideal line.
      const Wide centre2 = 2 * minorStart * steps + 2 * k * minor;  // 2 * steps * ideal
      const Wide low = CeilDiv(centre2 - steps, 2 * steps);
      const Wide high = FloorDiv(centre2 + steps, 2 * steps);
      const bool allInside = low >= 0 && high < minorLimit;
      const bool noneInside = high < 0 || low >= minorLimit;
      if (allInside && found != 1) {
        return ::testing::AssertionFailure()
               << "no pixel at major coordinate " << a << " (ideal minor near "
               << static_cast<long long>(low) << ")";
      }
      if (noneInside && found != 0) {
        return ::testing::AssertionFailure() << "a pixel at major " << a << " off the canvas line";
      }
    }
    counted += found;
  }
  if (counted != raster.CountNonWhite()) {
    return ::testing::AssertionFailure() << "stray pixels beyond the line";
  }
  return ::testing::AssertionSuccess();
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start(kWidth, kHeight);
  }
  void TearDown() override {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    ResetModelState();
  }

  void OpenLog() {
    Model().logFile = std::tmpfile();
    ASSERT_NE(Model().logFile, nullptr);
    Model().logActive = 1;
  }
  std::string LogText() {
    std::FILE* file = Model().logFile;
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    return text;
  }

  void SetModelPoints(std::initializer_list<Point2> points) {
    Model().pointCount = 0;
    for (const Point2& p : points) Model().points[Model().pointCount++] = p;
  }

  static constexpr int kWidth = 400;
  static constexpr int kHeight = 300;
  HeadlessPlatform window;
  Raster& dc = window.Canvas();
};

// ---------------------------------------------------------------------------
// Marks.

TEST_F(CanvasTest, MarkIsSixBySixAroundTheTruncatedPoint) {
  FillMark(dc, 100.7f, 50.2f, kBlackMode);
  EXPECT_TRUE(FilledExactly(dc, 97, 47, 103, 53, kBlack));
}

TEST_F(CanvasTest, SmallMarkIsFourByFour) {
  FillSmallMark(dc, 100.7f, 50.9f, kBlueMode);
  EXPECT_TRUE(FilledExactly(dc, 98, 48, 102, 52, kBlue));
}

TEST_F(CanvasTest, MarkTruncatesNegativeCoordinatesTowardZero) {
  // X = 0 (not -1), so three columns of the mark are inside.
  FillMark(dc, -0.5f, 10.9f, kRedMode);
  EXPECT_TRUE(FilledExactly(dc, 0, 7, 3, 13, kRed));
}

TEST_F(CanvasTest, MarksAtTheCornersAreClippedToTheCanvas) {
  FillMark(dc, 0.0f, 0.0f, kBlackMode);
  EXPECT_TRUE(FilledExactly(dc, 0, 0, 3, 3, kBlack));
  EXPECT_EQ(dc.CountNonWhite(), 9);

  dc.Resize(kWidth, kHeight);
  DrawMark(window, kWidth, kHeight, kGreenMode);
  EXPECT_TRUE(FilledExactly(dc, kWidth - 3, kHeight - 3, kWidth, kHeight, kGreen));

  dc.Resize(kWidth, kHeight);
  FillSmallMark(dc, 0.0f, 0.0f, kBlackMode);
  EXPECT_TRUE(FilledExactly(dc, 0, 0, 2, 2, kBlack));
}

TEST_F(CanvasTest, MarksFarOutsideOrNotANumberDrawNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {-1e30f, 1e30f, -inf, inf, std::nanf(""), -4.0f, 1e9f};
  for (float x : values) {
    for (float y : values) {
      FillMark(dc, x, y, kBlackMode);
      FillSmallMark(dc, x, y, kBlackMode);
    }
  }
  EXPECT_EQ(dc.CountNonWhite(), 0);
}

TEST_F(CanvasTest, EachModeDrawsLinesAndMarksInItsColour) {
  const struct {
    int mode;
    Rgb colour;
  } modes[] = {{kEraseMode, kWhite}, {kBlueMode, kBlue}, {kRedMode, kRed},
               {kGreenMode, kGreen}, {kBlackMode, kBlack}};
  for (const auto& mode : modes) {
    dc.FillRect(0, 0, kWidth, kHeight, 0x808080);
    const Point2 points[] = {{50, 50}, {150, 50}};
    DrawPolygon(window, points, 0, 2, mode.mode);
    EXPECT_EQ(dc.Pixel(100, 50), mode.colour) << "line, mode " << mode.mode;
    EXPECT_EQ(dc.Pixel(48, 48), mode.colour) << "mark, mode " << mode.mode;
    EXPECT_EQ(dc.Pixel(100, 52), 0x808080u) << "nothing beside the line, mode " << mode.mode;
  }
}

TEST_F(CanvasTest, UnknownModesDrawWhiteLinesAndNoMarks) {
  for (int mode : {5, -1, 99}) {
    dc.FillRect(0, 0, kWidth, kHeight, kBlack);
    const Point2 points[] = {{50, 50}, {150, 50}, {150, 150}};
    DrawPolygon(window, points, 0, 3, mode);
    EXPECT_EQ(dc.Pixel(100, 50), kWhite) << "mode " << mode;
    EXPECT_EQ(dc.Pixel(150, 100), kWhite) << "mode " << mode;
    EXPECT_EQ(dc.Pixel(48, 48), kBlack) << "no mark, mode " << mode;
    EXPECT_EQ(dc.Pixel(152, 152), kBlack) << "no mark, mode " << mode;
    DrawMarks(window, points, 0, 3, mode);
    EXPECT_EQ(dc.Pixel(149, 149), kBlack) << "no small mark, mode " << mode;
  }
}

// ---------------------------------------------------------------------------
// Polygons and rows of marks.

TEST_F(CanvasTest, PolygonWithNoPointsDrawsAndLogsNothing) {
  OpenLog();
  const Point2 points[] = {{50, 50}, {150, 50}, {150, 150}};
  DrawPolygon(window, points, 1, 1, kBlackMode);
  DrawPolygon(window, points, 2, 1, kBlackMode);
  DrawMarks(window, points, 1, 1, kBlackMode);
  DrawMarks(window, points, 3, 0, kBlackMode);
  EXPECT_EQ(dc.CountNonWhite(), 0);
  EXPECT_EQ(LogText(), "");
}

TEST_F(CanvasTest, PolygonOfOnePointDrawsOneMarkAndLogsOnePoint) {
  OpenLog();
  const Point2 points[] = {{50, 50}, {150.5f, 60.25f}, {150, 150}};
  DrawPolygon(window, points, 1, 2, kBlackMode);
  EXPECT_TRUE(FilledExactly(dc, 147, 57, 153, 63, kBlack));
  EXPECT_EQ(LogText(), "150.50000 239.75000\r\n");
}

TEST_F(CanvasTest, PolygonDrawsItsRangeAsAnOpenPolylineAndLogsEveryVertex) {
  OpenLog();
  const Point2 points[] = {{20, 20}, {50, 50}, {150, 50}, {150, 150}, {300, 200}};
  DrawPolygon(window, points, 1, 4, kBlackMode);
  EXPECT_EQ(dc.Pixel(100, 50), kBlack);
  EXPECT_EQ(dc.Pixel(150, 100), kBlack);
  EXPECT_EQ(dc.Pixel(100, 100), kWhite) << "the polygon is not closed";
  EXPECT_EQ(dc.Pixel(20, 20), kWhite) << "point 0 is outside the range";
  EXPECT_EQ(dc.Pixel(225, 175), kWhite) << "point 4 is outside the range";
  EXPECT_EQ(LogText(), "50.00000 250.00000\r\n150.00000 250.00000\r\n150.00000 150.00000\r\n");
}

TEST_F(CanvasTest, PolygonWithoutTheLogWritesNothing) {
  OpenLog();
  Model().logActive = 0;
  const Point2 points[] = {{50, 50}, {150, 50}};
  DrawPolygon(window, points, 0, 2, kBlackMode);
  DrawMarks(window, points, 0, 2, kBlackMode);
  EXPECT_EQ(LogText(), "");
}

TEST_F(CanvasTest, MarksRowDrawsSmallMarksWithoutLinesAndLogsEveryPoint) {
  OpenLog();
  const Point2 points[] = {{50, 50}, {150, 50}, {150, 150}};
  DrawMarks(window, points, 0, 3, kGreenMode);
  EXPECT_EQ(dc.CountNonWhite(), 3 * 16);
  EXPECT_EQ(dc.Pixel(48, 48), kGreen);
  EXPECT_EQ(dc.Pixel(47, 47), kWhite);
  EXPECT_EQ(dc.Pixel(100, 50), kWhite);
  EXPECT_EQ(LogText(), "50.00000 250.00000\r\n150.00000 250.00000\r\n150.00000 150.00000\r\n");
}

TEST_F(CanvasTest, PrimitivesRestoreThePen) {
  const Point2 points[] = {{50, 50}, {150, 50}, {150, 150}};
  dc.SelectPen(0x123456);
  DrawPolygon(window, points, 0, 3, kRedMode);
  EXPECT_EQ(dc.pen(), 0x123456u);
  DrawMarks(window, points, 0, 3, kBlueMode);
  EXPECT_EQ(dc.pen(), 0x123456u);
  SetModelPoints({{50, 50}, {150, 50}, {150, 150}});
  DrawBezierCurve(window, kGreenMode);
  EXPECT_EQ(dc.pen(), 0x123456u);
  EXPECT_EQ(SelectModePen(dc, kBlueMode), 0x123456u);
  EXPECT_EQ(SelectModePen(dc, kBlackMode), kBlue);
}

TEST_F(CanvasTest, ClearCanvasFillsOnlyTheGivenSize) {
  dc.FillRect(0, 0, kWidth, kHeight, kBlack);
  ClearCanvas(window, 100, 50);
  int white = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x < 100 && y < 50;
      EXPECT_EQ(dc.Pixel(x, y), inside ? kWhite : kBlack) << x << ", " << y;
      white += dc.Pixel(x, y) == kWhite;
    }
  }
  EXPECT_EQ(white, 100 * 50);
  ClearCanvas(window, -5, 70000);  // nonsense sizes are clipped
  ClearCanvas(window, kWidth, kHeight);
  EXPECT_EQ(dc.CountNonWhite(), 0);
}

// ---------------------------------------------------------------------------
// Erasing by drawing again in white.

TEST_F(CanvasTest, FigureDrawnAgainInWhiteLeavesTheCanvasWhite) {
  SetModelPoints({{30, 250}, {80, 20}, {200, 280}, {310, 10}, {380, 200}});
  for (int mode : {kBlackMode, kBlueMode, kRedMode, kGreenMode}) {
    DrawBezierCurve(window, mode);
    EXPECT_GT(dc.CountNonWhite(), 500) << "mode " << mode;
    DrawBezierCurve(window, kEraseMode);
    EXPECT_EQ(dc.CountNonWhite(), 0) << "mode " << mode;
  }
  const Point2 points[] = {{0, 0}, {399, 299}, {0.5f, 299.9f}, {399.9f, 0.1f}, {-20, 150}};
  DrawPolygon(window, points, 0, 5, kBlackMode);
  DrawMarks(window, points, 0, 5, kBlackMode);
  DrawPolygon(window, points, 0, 5, kEraseMode);
  DrawMarks(window, points, 0, 5, kEraseMode);
  EXPECT_EQ(dc.CountNonWhite(), 0);
}

TEST_F(CanvasTest, ErasingOneOfTwoCrossingFiguresLeavesTheOtherMinusTheCrossing) {
  const Point2 other[] = {{20, 150}, {380, 140}, {200, 10}, {210, 290}};
  auto drawCurve = [&](HeadlessPlatform& w, int mode) {
    SetModelPoints({{30, 250}, {80, 20}, {200, 280}, {310, 10}, {380, 200}});
    DrawBezierCurve(w, mode);
  };

  HeadlessPlatform curveOnly;
  curveOnly.Resize(kWidth, kHeight);
  drawCurve(curveOnly, kBlackMode);
  HeadlessPlatform otherOnly;
  otherOnly.Resize(kWidth, kHeight);
  DrawPolygon(otherOnly, other, 0, 4, kBlackMode);

  drawCurve(window, kBlackMode);
  DrawPolygon(window, other, 0, 4, kBlackMode);
  DrawPolygon(window, other, 0, 4, kEraseMode);

  int crossings = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inCurve = curveOnly.Canvas().Pixel(x, y) == kBlack;
      const bool inOther = otherOnly.Canvas().Pixel(x, y) == kBlack;
      crossings += inCurve && inOther;
      ASSERT_EQ(dc.Pixel(x, y), inCurve && !inOther ? kBlack : kWhite) << x << ", " << y;
    }
  }
  EXPECT_GT(crossings, 0) << "the figures must cross for this check";

  drawCurve(window, kEraseMode);
  EXPECT_EQ(dc.CountNonWhite(), 0);
}

// ---------------------------------------------------------------------------
// Lines.

TEST_F(CanvasTest, LineIncludesItsStartAndExcludesItsEnd) {
  struct Case {
    int x0, y0, x1, y1;
  };
  const Case cases[] = {
      {10, 10, 20, 10}, {20, 10, 10, 10},  // horizontal, both ways
      {10, 10, 10, 20}, {10, 20, 10, 10},  // vertical
      {10, 10, 20, 20}, {20, 20, 10, 10},  // diagonal
      {10, 20, 20, 10}, {20, 10, 10, 20},  // anti-diagonal
  };
  for (const Case& c : cases) {
    dc.Resize(kWidth, kHeight);
    dc.MoveTo(c.x0, c.y0);
    dc.LineTo(c.x1, c.y1);
    SCOPED_TRACE(::testing::Message() << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", "
                                      << c.y1 << ")");
    EXPECT_EQ(dc.Pixel(c.x0, c.y0), kBlack);
    EXPECT_EQ(dc.Pixel(c.x1, c.y1), kWhite);
    EXPECT_EQ(dc.CountNonWhite(), 10);
    const int sx = (c.x1 > c.x0) - (c.x1 < c.x0);
    const int sy = (c.y1 > c.y0) - (c.y1 < c.y0);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(dc.Pixel(c.x0 + sx * k, c.y0 + sy * k), kBlack) << k;
  }
}

TEST_F(CanvasTest, LineToTheCurrentPositionDrawsNothing) {
  dc.MoveTo(50, 50);
  dc.LineTo(50, 50);
  EXPECT_EQ(dc.CountNonWhite(), 0);
}

TEST_F(CanvasTest, ConsecutiveLinesJoinAtTheCurrentPosition) {
  dc.MoveTo(10, 10);
  dc.LineTo(30, 10);
  dc.LineTo(30, 40);
  EXPECT_EQ(dc.Pixel(30, 10), kBlack) << "the second line starts at the first one's end";
  EXPECT_EQ(dc.Pixel(30, 40), kWhite);
  EXPECT_EQ(dc.CountNonWhite(), 20 + 30);
}

TEST_F(CanvasTest, RandomLinesInsideTheCanvasAreIdealLines) {
  std::mt19937 rng(7);
  Raster small(120, 90);
  for (int i = 0; i < 300; ++i) {
    const int x0 = rng() % 120, y0 = rng() % 90, x1 = rng() % 120, y1 = rng() % 90;
    small.Resize(120, 90);
    small.MoveTo(x0, y0);
    small.LineTo(x1, y1);
    ASSERT_TRUE(IsIdealLine(small, x0, y0, x1, y1))
        << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")";
  }
}

TEST_F(CanvasTest, LongLinesCrossingTheCanvasAreIdealLines) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> far(-1000000, 1000000);
  Raster small(160, 120);
  int crossing = 0;
  for (int i = 0; i < 300; ++i) {
    // One end near the canvas, the other far away, so that most lines cross it.
    const int x0 = static_cast<int>(rng() % 200) - 20, y0 = static_cast<int>(rng() % 160) - 20;
    const int x1 = far(rng), y1 = far(rng);
    small.Resize(160, 120);
    if (i % 2 == 0) {
      small.MoveTo(x0, y0);
      small.LineTo(x1, y1);
    } else {
      small.MoveTo(x1, y1);
      small.LineTo(x0, y0);
    }
    crossing += small.CountNonWhite() > 0;
    const bool ideal = i % 2 == 0 ? IsIdealLine(small, x0, y0, x1, y1)
                                  : IsIdealLine(small, x1, y1, x0, y0);
    ASSERT_TRUE(ideal) << "(" << x0 << ", " << y0 << ") and (" << x1 << ", " << y1 << ")";
  }
  EXPECT_GT(crossing, 100);
}

TEST_F(CanvasTest, ClippedLineDrawsTheSamePixelsAsTheUnclippedLine) {
  // The large raster holds every line whole; the small one sits inside it
  // at the offset.
  constexpr int kOffsetX = 1500, kOffsetY = 1000;
  Raster large(kOffsetX + kWidth + 1500, kOffsetY + kHeight + 1000);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> xs(-kOffsetX, kWidth + 1500 - 1);
  std::uniform_int_distribution<int> ys(-kOffsetY, kHeight + 1000 - 1);
  int visible = 0;
  for (int i = 0; i < 150; ++i) {
    const int x0 = xs(rng), y0 = ys(rng), x1 = xs(rng), y1 = ys(rng);
    dc.FillRect(0, 0, kWidth, kHeight, kWhite);
    dc.SelectPen(kBlack);
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
    large.SelectPen(kBlack);
    large.MoveTo(x0 + kOffsetX, y0 + kOffsetY);
    large.LineTo(x1 + kOffsetX, y1 + kOffsetY);
    visible += dc.CountNonWhite() > 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(dc.Pixel(x, y), large.Pixel(x + kOffsetX, y + kOffsetY))
            << "line (" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ") at (" << x
            << ", " << y << ")";
      }
    }
    // Erase on the large raster by drawing the line again in white.
    large.SelectPen(kWhite);
    large.MoveTo(x0 + kOffsetX, y0 + kOffsetY);
    large.LineTo(x1 + kOffsetX, y1 + kOffsetY);
  }
  EXPECT_GT(visible, 20);
  EXPECT_EQ(large.CountNonWhite(), 0);
}

TEST_F(CanvasTest, LinesFarOutsideTheCanvasFinishFast) {
  const float inf = std::numeric_limits<float>::infinity();
  const double floats[] = {-1e9, 1e9, -1e30, 1e30, -inf, inf, std::nan(""), -1e6, 1e6, 150.0};
  const int ints[] = {std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                      -1000000, 1000000, -1000000000, 1000000000, 0, 200};
  const auto start = std::chrono::steady_clock::now();
  for (double a : floats) {
    for (double b : floats) {
      for (double c : floats) {
        dc.MoveTo(TruncateToPixel(a), TruncateToPixel(b));
        dc.LineTo(TruncateToPixel(c), TruncateToPixel(a));
        LineToPoint(dc, static_cast<float>(b), static_cast<float>(c));
      }
    }
  }
  for (int a : ints) {
    for (int b : ints) {
      for (int c : ints) {
        dc.MoveTo(a, b);
        dc.LineTo(c, a);
        dc.LineTo(b, c);
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 2.0) << "a line must cost no more than the canvas it crosses";
}

// An inverted or far-off rectangle is clipped to nothing, as a device
// context fills it; it must never write beyond the raster. The fill runs in
// a child process so that a fault shows up as this test's failure.
TEST_F(CanvasTest, FillRectClipsInvertedAndFarRectangles) {
  const int limits[] = {std::numeric_limits<int>::min(), -1000000, -3, 0, 2, 5,
                        kWidth, kWidth + 7, std::numeric_limits<int>::max()};
  EXPECT_EXIT(
      {
        Raster raster(kWidth, kHeight);
        for (int left : limits) {
          for (int right : limits) {
            for (int top : {-5, 0, 3, kHeight, kHeight + 2}) {
              for (int bottom : {-5, 0, 3, kHeight, kHeight + 2}) {
                if (left >= right || top >= bottom) raster.FillRect(left, top, right, bottom, kBlack);
              }
            }
          }
        }
        std::exit(raster.CountNonWhite() == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");

  // The smallest case: a rectangle whose left edge lies right of its right edge.
  EXPECT_EXIT(
      {
        Raster raster(10, 10);
        raster.FillRect(5, 0, 2, 1, kBlack);
        std::exit(raster.CountNonWhite() == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");

  // Rectangles that overhang the raster fill only their visible part.
  dc.FillRect(std::numeric_limits<int>::min(), -10, 3, 2, kBlack);
  dc.FillRect(kWidth - 2, kHeight - 1, std::numeric_limits<int>::max(), kHeight + 100, kBlack);
  EXPECT_EQ(dc.CountNonWhite(), 3 * 2 + 2 * 1);
  EXPECT_EQ(dc.Pixel(2, 1), kBlack);
  EXPECT_EQ(dc.Pixel(kWidth - 1, kHeight - 1), kBlack);
}

TEST_F(CanvasTest, TruncationClampsHugeAndNonFiniteValues) {
  EXPECT_EQ(TruncateToPixel(2.9), 2);
  EXPECT_EQ(TruncateToPixel(-2.9), -2);
  EXPECT_EQ(TruncateToPixel(-0.5), 0);
  const double huge[] = {1e30, -1e30, std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::nan(""), 3e9, -3e9};
  for (double v : huge) {
    const int pixel = TruncateToPixel(v);
    EXPECT_GE(pixel, -kPixelLimit) << v;
    EXPECT_LE(pixel, kPixelLimit) << v;
    EXPECT_TRUE(pixel < -100000 || pixel > 100000) << v << " must stay off any canvas";
  }
  EXPECT_GT(TruncateToPixel(1e30), 0);
  EXPECT_LT(TruncateToPixel(-1e30), 0);
}

// A line with an end beyond the pixel limit (2^24) must still cross the
// canvas where the true line does: its visible part is what the user sees.
TEST_F(CanvasTest, LineToAFarEndBeyondThePixelLimitKeepsItsDirection) {
  dc.MoveTo(0, 0);
  dc.LineTo(40000000, 20000000);
  EXPECT_EQ(dc.Pixel(300, 150), kBlack) << "the line of slope 1/2 passes here";
  EXPECT_TRUE(IsIdealLine(dc, 0, 0, 40000000, 20000000));

  dc.Resize(kWidth, kHeight);
  dc.MoveTo(10, 250);
  LineToPoint(dc, 3e9f, 1e9f);  // slope about 1/3
  EXPECT_TRUE(IsIdealLine(dc, 10, 250, 3000000000LL, 1000000000LL));
}

}  // namespace
}  // namespace tambra
