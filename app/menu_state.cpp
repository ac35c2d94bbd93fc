#include "app/menu_state.h"

#include <algorithm>

#include "app/command_table.h"
#include "base/model_state.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

// Items are greyed where they never apply, as the command table says: in
// the other object mode, or for the other shape of net.
void GreyByScope(Platform& window, unsigned scope) {
  // The tables are constant: the items are gathered once.
  static const std::vector<ScopedItem> items = ScopedMenuItems();
  for (const ScopedItem& item : items) {
    window.SetMenuEnabled(item.id, (item.scope & scope) != 0);
  }
}

void SetObjectModeMenu(Platform& window, bool curves) {
  window.SetMenuChecked(kCmdCurves, curves);
  window.SetMenuChecked(kCmdSurfaces, !curves);
  const bool triangular = Model().triangles == 1;
  GreyByScope(window, curves ? kInCurves : triangular ? kInTriangularNets : kInRectangularNets);
}

}  // namespace

void CreateDrawingResources(Platform& window) {
  // The pens and brushes are the raster's colours; what remains is the
  // menu and weight state the window starts with.
  for (int id : SaveMenuItems()) window.SetMenuChecked(id, false);
  window.SetMenuEnabled(kCmdCloseOutput, false);
  for (int id : UnimplementedMenuItems()) window.SetMenuEnabled(id, false);
  SetStartWeights(Model());
}

void SetCurvesMenu(Platform& window) { SetObjectModeMenu(window, true); }

void SetSurfacesMenu(Platform& window) { SetObjectModeMenu(window, false); }

void UpdateMenuScope(Platform& window) { GreyByScope(window, CurrentScope()); }

void DeleteDrawingResources(Platform&) {}

void SetOutputMenu(Platform& window, bool logOpen) {
  window.SetMenuEnabled(kCmdOutput, !logOpen);
  window.SetMenuEnabled(kCmdCloseOutput, logOpen);
}

void CheckSaveItems(Platform& window, bool checked) {
  for (int id : SaveMenuItems()) window.SetMenuChecked(id, checked);
}

}  // namespace tambra
