// The menu's state: what window creation sets, the greying of each object
// mode (derived from the joined command table) and the Save items of
// every popup.
#pragma once

#include "base/platform.h"

namespace tambra {

void CreateDrawingResources(Platform& window);
void SetCurvesMenu(Platform& window);
void SetSurfacesMenu(Platform& window);
// Greys what does not apply to the model as it now is (a Control Data OK
// or an opened file may make the net triangular).
void UpdateMenuScope(Platform& window);
void DeleteDrawingResources(Platform& window);
// File > Output greyed and Close output enabled while a log is open, and
// the reverse.
void SetOutputMenu(Platform& window, bool logOpen);
// Checks or unchecks the Save items together.
void CheckSaveItems(Platform& window, bool checked);

}  // namespace tambra
