// The window's own commands that other parts of the window reach: the
// question about unsaved changes and opening a named model file.
#pragma once

#include <string>

#include "base/platform.h"

namespace tambra {

// The model file's base name, "noname.cnt" while the model has none.
std::string DocumentFileName();

// With unsaved changes asks "Save changes to NAME?": Save saves (asking for
// a name when the model has none) and goes on only when the file was
// written, Discard goes on, Cancel stops. True when the action may go on.
bool SettleUnsavedChanges(Platform& window);

// Opens the model file `path` as File > Open does once a name is chosen,
// after the question about unsaved changes. A file that does not open is
// reported and leaves the model, its file name and its history as they
// were.
void OpenModelFile(Platform& window, const char* path);

}  // namespace tambra
