#include "app/view_commands.h"

#include <algorithm>
#include <cmath>

#include "app/window_proc.h"
#include "base/model_state.h"

namespace tambra {

namespace {

// A flattened list keeps old pixels that a new view cannot move: the model
// is drawn afresh, with the results over it.
void ApplyView(Platform& window, const ViewTransform& view) {
  if (!std::isfinite(view.scale) || !std::isfinite(view.x) || !std::isfinite(view.y)) return;
  Raster& canvas = window.Canvas();
  const bool flattened = !canvas.List().BaseImage().empty();
  canvas.SetView(view);
  if (flattened) ShowModelKeepingResults(window);
}

struct Bounds {
  double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  void Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
  bool empty() const { return !(left <= right && top <= bottom); }
};

// What the canvas shows, in model coordinates; the model's points when the
// list holds nothing that can be placed.
Bounds ShownBounds(const Raster& canvas) {
  Bounds b;
  const DisplayList& list = canvas.List();
  for (const DisplayItem& item : list.Items()) {
    if (item.kind == ItemKind::kPolyline) {
      for (const PenPoint& p : list.Vertices(item)) b.Add(p.x, p.y);
    } else if (item.kind == ItemKind::kMark || item.kind == ItemKind::kSmallMark) {
      b.Add(item.at.x, item.at.y);
    }
  }
  if (b.empty()) {
    const ModelState& m = Model();
    for (int i = 0; i < std::clamp(m.pointCount, 0, kMaxPoints); ++i) b.Add(m.points[i].x, m.points[i].y);
  }
  return b;
}

}  // namespace

void ZoomAbout(Platform& window, double x, double y, int steps) {
  if (steps == 0) return;
  const ViewTransform& view = window.Canvas().View();
  const double ratio = window.DevicePixelRatio();
  double scale = view.scale * std::pow(kZoomStep, steps);
  const double limit = (steps > 0 ? kMaxZoom : kMinZoom) * ratio;
  // A turn that reaches the limit stops on it; one that starts there moves
  // nothing. The tolerance keeps a turn landing on it from missing by a bit.
  if (steps > 0 ? scale >= limit * (1 - 1e-9) : scale <= limit * (1 + 1e-9)) {
    window.ShowStatus(steps > 0 ? "The view is zoomed in as far as it goes"
                                : "The view is zoomed out as far as it goes");
    const bool atLimit = std::abs(view.scale - limit) <= limit * 1e-9;
    if (atLimit || (steps > 0 ? view.scale > limit : view.scale < limit)) return;
    scale = limit;
  }
  // The model point under (x, y) stays under it.
  const double factor = scale / view.scale;
  ApplyView(window, ViewTransform{scale, x - (x - view.x) * factor, y - (y - view.y) * factor});
}

void PanView(Platform& window, double dx, double dy) {
  const ViewTransform& view = window.Canvas().View();
  ApplyView(window, ViewTransform{view.scale, view.x + dx, view.y + dy});
}

void FitView(Platform& window) {
  const Raster& canvas = window.Canvas();
  const Bounds b = ShownBounds(canvas);
  const double width = canvas.width(), height = canvas.height();
  if (b.empty() || width < 1 || height < 1) return ActualSize(window);
  // A margin of a twentieth of the canvas and the half of a mark.
  const double margin = std::min(width, height) / 20 + 4;
  const double spanX = std::max(b.right - b.left, 1.0), spanY = std::max(b.bottom - b.top, 1.0);
  double scale = std::min((width - 2 * margin) / spanX, (height - 2 * margin) / spanY);
  const double ratio = window.DevicePixelRatio();
  scale = std::clamp(scale, kMinZoom * ratio, kMaxZoom * ratio);
  const double centreX = (b.left + b.right) / 2, centreY = (b.top + b.bottom) / 2;
  ApplyView(window, ViewTransform{scale, width / 2 - scale * centreX, height / 2 - scale * centreY});
}

void ActualSize(Platform& window) {
  ApplyView(window, ViewTransform{window.DevicePixelRatio(), 0.0, 0.0});
}

void ZoomIn(Platform& window) {
  ZoomAbout(window, window.Canvas().width() / 2.0, window.Canvas().height() / 2.0, 1);
}

void ZoomOut(Platform& window) {
  ZoomAbout(window, window.Canvas().width() / 2.0, window.Canvas().height() / 2.0, -1);
}

ModelPoint ModelAt(const Raster& canvas, int x, int y) {
  const ViewTransform& view = canvas.View();
  return ModelPoint{(x - view.x) / view.scale, (y - view.y) / view.scale};
}

}  // namespace tambra
