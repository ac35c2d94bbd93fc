// The polyline every curve display draws: from the first control point
// through the curve's samples to the last control point, in the mode's pen,
// each vertex logged while the log is active and the section closed with
// its end line. Its role is the curve, unless the caller named another.
#pragma once

#include "base/canvas.h"
#include "base/curve_samples.h"
#include "base/model_state.h"
#include "base/output_log.h"

namespace tambra {

struct CurvePolyline {
  int mode;
  int segments;         // samples 1 .. segments - 1 lie between the ends
  const char* endLine;  // "# End Data\r\n\r\n" or the family's variant
  bool sampleMarks;     // a small mark at every sample (the debug view)
};

// `sample(i, point)` gives sample i of the polyline; a sample it refuses
// (false: a point the curve does not define there) is skipped.
template <typename Sample>
void DrawCurvePolyline(Platform& window, const CurvePolyline& line, const Point2& first,
                       const Point2& last, Sample sample) {
  const bool logging = Model().logActive == 1;
  Raster& dc = window.Canvas();
  const DrawRoleScope role(dc, DrawRole::kCurve);
  const Rgb previous = SelectModePen(dc, line.mode);
  MoveToPoint(dc, first.x, first.y);
  if (logging) LogPoint(first.x, first.y);
  for (int i = 1; i < line.segments; ++i) {
    Point2 q;
    if (!sample(i, q)) continue;
    LineToPoint(dc, q.x, q.y);
    if (line.sampleMarks) {
      FillSmallMark(dc, q.x, q.y, line.mode);
      MoveToPoint(dc, q.x, q.y);
    }
    if (logging) LogPoint(q.x, q.y);
  }
  LineToPoint(dc, last.x, last.y);
  if (logging) {
    LogPoint(last.x, last.y);
    LogText(line.endLine);
  }
  dc.SelectPen(previous);
}

// The same from samples evaluated beforehand (line.segments - 1 of them).
inline void DrawCurvePolyline(Platform& window, const CurvePolyline& line, const Point2& first,
                              const Point2& last, const CurveSamples& samples) {
  DrawCurvePolyline(window, line, first, last, [&](int i, Point2& q) {
    q = samples.points[i - 1];
    return samples.drawn[i - 1] != 0;
  });
}

}  // namespace tambra
