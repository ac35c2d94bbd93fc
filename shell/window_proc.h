// The main window's procedure: every user action arrives here as a message
// and becomes changes of the model and calls of the drawing and algorithm
// operations.
#pragma once

#include "shell/platform.h"
#include "shell/window_messages.h"

namespace tambra {

// Handles one message; returns 0 for every message, known or not.
int MainWindowProc(Platform& window, const Message& message);

// Menu state of window creation and of the two object modes.
void CreateDrawingResources(Platform& window);
void SetCurvesMenu(Platform& window);
void SetSurfacesMenu(Platform& window);
void DeleteDrawingResources(Platform& window);
// Checks or unchecks the five Save items together.
void CheckSaveItems(Platform& window, bool checked);

// Index of the first control point within 2 pixels of (x, y), or -1.
int FindPointUnder(int x, int y);

}  // namespace tambra
