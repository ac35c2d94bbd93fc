#include "app/command_table.h"

#include <map>

#include "base/model_state.h"
#include "bezier/bezier_family.h"
#include "rational/rational_family.h"
#include "spline/spline_family.h"
#include "surface/surface_family.h"

namespace tambra {

namespace {

// The families, in menu order.
constexpr FamilyTable (*kFamilies[])() = {BezierFamily, RationalFamily, SplineFamily,
                                          SurfaceFamily};

// Every table the window reads: its own and the families'.
template <typename Visit>
void ForEachTable(Visit visit) {
  visit(WindowCommands());
  for (auto family : kFamilies) visit(family());
}

}  // namespace

unsigned CurrentScope() {
  const ModelState& m = Model();
  if (m.objectMode == kCurves) return kInCurves;
  return m.triangles == 1 ? kInTriangularNets : kInRectangularNets;
}

const CommandEntry* FindCommand(int id, unsigned scope) {
  const CommandEntry* found = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    for (const CommandEntry& entry : table.commands) {
      if (found == nullptr && entry.id == id && (entry.scope & scope) != 0) found = &entry;
    }
  });
  return found;
}

DisplayFunction FindCurveDisplay(int curveKind) {
  DisplayFunction draw = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    for (const DisplayEntry& entry : table.displays) {
      if (draw == nullptr && entry.curveKind == curveKind) draw = entry.draw;
    }
  });
  return draw;
}

DisplayFunction FindSurfaceDisplay(int curveKind, unsigned scope) {
  DisplayFunction draw = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    for (const DisplayEntry& entry : table.surfaceDisplays) {
      if (draw == nullptr && entry.curveKind == curveKind && (entry.scope & scope) != 0)
        draw = entry.draw;
    }
  });
  return draw;
}

DisplayFunction FindNetView() {
  DisplayFunction view = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    if (view == nullptr) view = table.netView;
  });
  return view;
}

int CurveKindChosenBy(int commandId) {
  int kind = -1;
  ForEachTable([&](const FamilyTable& table) {
    for (const auto& displays : {table.displays, table.surfaceDisplays}) {
      for (const DisplayEntry& entry : displays) {
        if (kind < 0 && entry.chooseCommand == commandId) kind = entry.curveKind;
      }
    }
  });
  return kind;
}

std::vector<ScopedItem> ScopedMenuItems() {
  std::map<int, unsigned> scopes;  // the union of every entry's scope, by id
  ForEachTable([&](const FamilyTable& table) {
    for (const CommandEntry& entry : table.commands) {
      scopes[entry.id] |= entry.menuScope != 0 ? entry.menuScope : entry.scope;
    }
    // A curve display is chosen in Curves mode, a surface display where it
    // describes the net.
    for (const DisplayEntry& entry : table.displays) scopes[entry.chooseCommand] |= kInCurves;
    for (const DisplayEntry& entry : table.surfaceDisplays) {
      scopes[entry.chooseCommand] |= entry.scope & kInSurfaces;
    }
  });
  std::vector<ScopedItem> result;
  for (const auto& [id, scope] : scopes) {
    if (scope != kInBothModes) result.push_back(ScopedItem{id, scope});
  }
  return result;
}

}  // namespace tambra
