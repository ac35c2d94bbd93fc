// The legend of the canvas: each result on it, in the colour it was drawn
// in, with the command that drew it and the deviation that command
// measured. Read from the canvas's display list, so it lists what is there
// now: a repaint or a new model clears it with the canvas.
#pragma once

#include <string>
#include <vector>

#include "base/outcome.h"
#include "base/platform.h"

namespace tambra {

// Remembers what a command's outcome measured, for its legend line.
void NoteOutcome(int command, const Outcome& outcome);

// A line for every command with figures on the canvas, one per command and
// colour, in the order they were first drawn. What a command draws in black
// is the model (its polygon and curve drawn again), not a result.
std::vector<LegendLine> CanvasLegend(const Raster& canvas);

// "red  Eck reduction: max deviation 0.83 px": a legend line as the replay
// tool prints it.
std::string LegendText(const LegendLine& line);

// View > Legend turns the legend beside the canvas on and off; while it is
// on, RefreshLegend shows the canvas's lines whenever they change.
void ToggleLegend(Platform& window);
void RefreshLegend(Platform& window);

}  // namespace tambra
