// Drawing primitives shared by the window procedure and every display.
// The DrawMode colour convention: 0 white (erases on the white background),
// 1 blue, 2 red, 3 green, 4 black; any other value selects the white pen and
// draws no mark.
#pragma once

#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/platform.h"
#include "base/raster.h"

namespace tambra {

enum DrawMode : int {
  kEraseMode = 0,
  kBlueMode = 1,
  kRedMode = 2,
  kGreenMode = 3,
  kBlackMode = 4,
};

// The pen colour of a mode (white for unknown modes).
Rgb ModeColour(int mode);

// Fills (0, 0) to (width, height) with white.
void ClearCanvas(Platform& window, int width, int height);

// The 6 by 6 mark: [X - 3, X + 3) x [Y - 3, Y + 3), X and Y truncated.
void FillMark(Raster& dc, float x, float y, int mode);
void DrawMark(Platform& window, float x, float y, int mode);
// The 4 by 4 mark: [X - 2, X + 2) x [Y - 2, Y + 2).
void FillSmallMark(Raster& dc, float x, float y, int mode);

// Selects the mode's pen and returns the one selected before.
Rgb SelectModePen(Raster& dc, int mode);

// Open polyline through points from .. to - 1 with a 6 by 6 mark at each;
// logs every vertex while the log is active. Its role is the control
// polygon, unless the caller named another.
void DrawPolygon(Platform& window, const Point2* points, int from, int to, int mode);

// 4 by 4 marks at points from .. to - 1, no lines; logs every point while
// the log is active.
void DrawMarks(Platform& window, const Point2* points, int from, int to, int mode);

// The most line segments a curve display draws: the largest grid the
// dialog and the model file accept.
inline constexpr int kMaxCurveSegments = kMaxGrid;

// The number of segments the curve displays draw for the current grid:
// exactly `grid`. Every way in refuses a larger grid; one set directly in
// the model draws as the largest, so a display never runs away and its log
// header still names the count it drew.
int CurveSegments();

// Move-to and line-to a float point, truncated toward zero.
void MoveToPoint(Raster& dc, float x, float y);
void LineToPoint(Raster& dc, float x, float y);

}  // namespace tambra
