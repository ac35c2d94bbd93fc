#include "base/canvas.h"

#include <algorithm>
#include <cmath>

#include "base/output_log.h"

namespace tambra {

namespace {

bool HasMark(int mode) { return mode >= kEraseMode && mode <= kBlackMode; }

void FillSquare(Raster& dc, float x, float y, ItemKind kind, int mode) {
  if (!HasMark(mode)) return;
  dc.FillMark(kind, x, y, ModeColour(mode));
}

}  // namespace

Rgb ModeColour(int mode) {
  switch (mode) {
    case kBlueMode: return kBlue;
    case kRedMode: return kRed;
    case kGreenMode: return kGreen;
    case kBlackMode: return kBlack;
    default: return kWhite;
  }
}

void ClearCanvas(Platform& window, int width, int height) {
  window.Canvas().FillRect(0, 0, width, height, kWhite);
}

void FillMark(Raster& dc, float x, float y, int mode) {
  FillSquare(dc, x, y, ItemKind::kMark, mode);
}

void DrawMark(Platform& window, float x, float y, int mode) {
  FillMark(window.Canvas(), x, y, mode);
}

void FillSmallMark(Raster& dc, float x, float y, int mode) {
  FillSquare(dc, x, y, ItemKind::kSmallMark, mode);
}

int CurveSegments() { return std::min(Model().grid, kMaxCurveSegments); }

Rgb SelectModePen(Raster& dc, int mode) { return dc.SelectPen(ModeColour(mode)); }

// Truncated toward zero but not clamped: the raster cuts far lines back
// along their own direction.
void MoveToPoint(Raster& dc, float x, float y) {
  dc.MoveTo(std::trunc(double(x)), std::trunc(double(y)));
}

void LineToPoint(Raster& dc, float x, float y) {
  dc.LineTo(std::trunc(double(x)), std::trunc(double(y)));
}

void DrawPolygon(Platform& window, const Point2* points, int from, int to, int mode) {
  if (from >= to) return;
  Raster& dc = window.Canvas();
  const DrawRoleScope role(dc, DrawRole::kControlPolygon);
  const Rgb previous = SelectModePen(dc, mode);
  FillMark(dc, points[from].x, points[from].y, mode);
  MoveToPoint(dc, points[from].x, points[from].y);
  // The first line runs from point `from` to itself and draws nothing.
  for (int i = from; i < to; ++i) {
    LineToPoint(dc, points[i].x, points[i].y);
    FillMark(dc, points[i].x, points[i].y, mode);
    MoveToPoint(dc, points[i].x, points[i].y);
    if (Model().logActive == 1) LogPoint(points[i].x, points[i].y);
  }
  dc.SelectPen(previous);
}

void DrawMarks(Platform& window, const Point2* points, int from, int to, int mode) {
  if (from >= to) return;
  Raster& dc = window.Canvas();
  // The pen is only selected and restored, as every primitive does.
  const Rgb previous = SelectModePen(dc, mode);
  for (int i = from; i < to; ++i) {
    FillSmallMark(dc, points[i].x, points[i].y, mode);
    if (Model().logActive == 1) LogPoint(points[i].x, points[i].y);
  }
  dc.SelectPen(previous);
}

}  // namespace tambra
