#include "app/command_table.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

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

template <typename Visit>
void ForEachTable(Visit visit) {
  for (const FamilyTable& table : JoinedTables()) visit(table);
}

template <typename Visit>
void ForEachMenuLine(std::span<const MenuEntry> lines, Visit& visit) {
  for (const MenuEntry& line : lines) {
    visit(line);
    ForEachMenuLine(line.lines, visit);
  }
}

// The Save items of the tables' popups and of what they add to others.
std::vector<int> CollectSaveItems(std::span<const FamilyTable> tables) {
  std::vector<int> ids;
  auto visit = [&](const MenuEntry& line) {
    if (line.saveSwitch && std::find(ids.begin(), ids.end(), line.id) == ids.end()) {
      ids.push_back(line.id);
    }
  };
  for (const FamilyTable& table : tables) {
    ForEachMenuLine(table.menu, visit);
    for (const MenuInsertion& insertion : table.menuInsertions) {
      ForEachMenuLine(insertion.lines, visit);
    }
  }
  return ids;
}

std::vector<FamilyTable> BuildJoinedTables() {
  std::vector<FamilyTable> tables{WindowCommands()};
  for (auto family : kFamilies) tables.push_back(family());
  // A Save item no table registers runs the Save switch registered under
  // another Save item (the window's own, Edit > Save).
  const std::vector<int> saveItems = CollectSaveItems(tables);
  const CommandEntry* saveSwitch = nullptr;
  std::set<int> registered;
  for (const FamilyTable& table : tables) {
    for (const CommandEntry& entry : table.commands) {
      registered.insert(entry.id);
      const bool isSave = std::count(saveItems.begin(), saveItems.end(), entry.id) != 0;
      if (saveSwitch == nullptr && isSave && entry.run != nullptr) saveSwitch = &entry;
    }
  }
  static std::vector<CommandEntry> sharedSaves;
  if (saveSwitch != nullptr) {
    for (int id : saveItems) {
      if (registered.count(id) == 0) {
        sharedSaves.push_back(CommandEntry{id, saveSwitch->scope, saveSwitch->run,
                                           saveSwitch->menuScope});
      }
    }
  }
  tables.push_back(FamilyTable{.commands = sharedSaves});
  return tables;
}

}  // namespace

std::span<const FamilyTable> JoinedTables() {
  static const std::vector<FamilyTable> tables = BuildJoinedTables();
  return tables;
}

NumericScratch& CommandScratch() {
  static const auto scratch = std::make_unique<NumericScratch>();
  return *scratch;
}

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

std::string DisplayShortfallOf(int curveKind) {
  const bool curves = Model().objectMode == kCurves;
  DisplayShortfall why = nullptr;
  bool found = false;
  ForEachTable([&](const FamilyTable& table) {
    for (const DisplayEntry& entry : curves ? table.displays : table.surfaceDisplays) {
      if (!found && entry.curveKind == curveKind) found = true, why = entry.shortfall;
    }
  });
  return why != nullptr ? why(Model()) : "";
}

std::string ShownSurfaceMesh(std::string& why) {
  std::string (*mesh)(std::string&) = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    if (mesh == nullptr) mesh = table.meshExport;
  });
  if (mesh == nullptr) {
    why = "Export mesh has no surface family";
    return "";
  }
  return mesh(why);
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

const std::vector<int>& SaveMenuItems() {
  static const std::vector<int> ids = CollectSaveItems(JoinedTables());
  return ids;
}

std::vector<int> UnimplementedMenuItems() {
  std::set<int> pending, handled;
  ForEachTable([&](const FamilyTable& table) {
    for (const CommandEntry& entry : table.commands) {
      (HasOperation(entry) ? handled : pending).insert(entry.id);
    }
  });
  std::vector<int> result;
  for (int id : pending) {
    if (handled.count(id) == 0 && CurveKindChosenBy(id) < 0) result.push_back(id);
  }
  return result;
}

const char* CurveKindName(int curveKind) {
  const char* name = nullptr;
  ForEachTable([&](const FamilyTable& table) {
    for (const DisplayEntry& entry : table.displays) {
      if (name == nullptr && entry.curveKind == curveKind) name = entry.name;
    }
  });
  return name;
}

}  // namespace tambra
