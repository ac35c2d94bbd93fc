// The joined command table: the window's own commands (window_commands.cpp)
// and every family's commands, displays and menu popups
// (base/family_table.h), read by the window procedure, the menu bar and the
// menu's greying.
//
// Adding a family "name" takes:
//  - its folder name/, with a header that declares its table function,
//    FamilyTable NameFamily(), which lists its commands, displays and menu
//    popups (or the lines it adds to another family's popup);
//  - in command_table.cpp, that header's #include and one entry in the
//    list of families, kFamilies;
//  - one word, name, in TAMBRA_FAMILIES in the top-level CMakeLists.txt,
//    which builds the folder as its own layer on base/ and links it here.
// A menu item of its own also needs its id in resources/command_ids.h.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "base/family_table.h"
#include "numeric/matrix.h"

namespace tambra {

// Every table the window reads, in menu order: its own, the families', and
// last the Save switch under every family's Save item.
std::span<const FamilyTable> JoinedTables();

// The scratch the window hands every command it runs: the kernels' matrices
// live here between the window's calls, never below it.
NumericScratch& CommandScratch();

// The scope the current model is in: Curves, or a rectangular or
// triangular net in Surfaces mode.
unsigned CurrentScope();

// The entry of command `id` that applies in `scope`, or null when none
// does (an unknown id, or a command of the other mode).
const CommandEntry* FindCommand(int id, unsigned scope);

// The display of a curve kind, or null when its family has none.
DisplayFunction FindCurveDisplay(int curveKind);

// The display of a curve kind in Surfaces mode that applies in `scope` (a
// rectangular or triangular net), or null when there is none.
DisplayFunction FindSurfaceDisplay(int curveKind, unsigned scope);

// The view of the control net in Surfaces mode, or null when none is registered.
DisplayFunction FindNetView();

// The surface Surfaces mode shows, as an OBJ text; "" with why when none.
std::string ShownSurfaceMesh(std::string& why);

// Why the display of the curve kind draws nothing for the model in its
// object mode, "" when it draws.
std::string DisplayShortfallOf(int curveKind);

// The curve kind chosen by a menu command, or -1 when it chooses none.
int CurveKindChosenBy(int commandId);

// Every menu item that applies in some scopes only (one object mode, or
// one shape of net), with those scopes; the menu greys it elsewhere.
struct ScopedItem {
  int id;
  unsigned scope;
};
std::vector<ScopedItem> ScopedMenuItems();

// The Save items of every popup, in menu order; they are checked together.
const std::vector<int>& SaveMenuItems();

// The items whose operations have not landed yet: registered without a
// handler, and choosing no display. They are greyed from the start.
std::vector<int> UnimplementedMenuItems();

// The status bar's name of a curve kind, or null when no family names it.
const char* CurveKindName(int curveKind);

// The window's own commands (File, Edit, Save, dialogs, Help).
FamilyTable WindowCommands();

}  // namespace tambra
