// Zoom, pan and fit: how the model shows on the canvas. The model keeps its
// own coordinates (pixels of the unzoomed canvas); files, logs and every
// command's numbers are the same at any zoom. The canvas repaints from its
// display list under the new view, so nothing is evaluated again.
#pragma once

#include "base/platform.h"

namespace tambra {

// The zoom factors the view accepts; a zoom that reaches them stops on them
// and says so on the status line.
inline constexpr double kMinZoom = 1e-3;
inline constexpr double kMaxZoom = 1e3;
// One wheel step or Zoom in / Zoom out.
inline constexpr double kZoomStep = 1.25;

// Zooms by kZoomStep^steps about raster point (x, y), which stays put.
void ZoomAbout(Platform& window, double x, double y, int steps);
// Moves the picture by (dx, dy) raster pixels.
void PanView(Platform& window, double dx, double dy);

// View > Fit: every control point, curve and result on the canvas inside it
// with a margin. View > Actual size: one model unit a pixel of the screen
// (the device pixel ratio in raster pixels; the window starts there). View > Zoom in
// and Zoom out: one step about the canvas centre.
void FitView(Platform& window);
void ActualSize(Platform& window);
void ZoomIn(Platform& window);
void ZoomOut(Platform& window);

// The model point under raster point (x, y).
struct ModelPoint {
  double x, y;
};
ModelPoint ModelAt(const Raster& canvas, int x, int y);

}  // namespace tambra
