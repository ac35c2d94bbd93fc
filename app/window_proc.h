// The main window's procedure: every user action arrives here as a message
// and becomes changes of the model and calls of the drawing and algorithm
// operations.
#pragma once

#include "base/platform.h"
#include "base/window_messages.h"

namespace tambra {

// Handles one message; returns 0 for every message, known or not.
int MainWindowProc(Platform& window, const Message& message);

// Called after every outermost message has been handled and its step
// recorded (null: none); the random sessions check the document there.
using MessageWatcher = void (*)(Platform& window, const Message& message);
void WatchMessages(MessageWatcher watcher);

// Shows what the model now is on a white canvas: exactly what a repaint of
// the whole window shows, without logging. Results drawn in colour go: the
// picture after a change of the model and Clear results.
void ShowModel(Platform& window);
// The same with the results on the canvas drawn again over the model,
// whole: the picture after a change of the view or the size, where only a
// change of the model or Clear results takes results away.
void ShowModelKeepingResults(Platform& window);

// Opens a model file named outside the menu (the command line, a file
// dropped on the window) as File > Open does once a name is chosen: after
// the question about unsaved changes, as a fresh document.
void OpenFileFromOutside(Platform& window, const char* path);

// The window's close box: asks about unsaved changes. True when the window
// may close (nothing unsaved, saved, or discarded).
bool MayCloseWindow(Platform& window);

// Index of the first control point within its mark (2 raster pixels, times
// the mark scale) of raster point (x, y) under the view, or -1.
int FindPointUnder(int x, int y, const ViewTransform& view = {}, int markScale = 1);

}  // namespace tambra
