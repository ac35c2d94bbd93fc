// What a curve or surface family registers with the window: its menu
// popups, its commands and its displays. The window looks commands up in
// the joined tables of every family, builds its menu bar from their popups,
// and the menu's greying in each mode follows from the same entries.
#pragma once

#include <span>
#include <string>

#include "base/outcome.h"
#include "base/platform.h"
#include "resources/command_ids.h"
#include "resources/menu_table.h"

namespace tambra {

// Where a command applies. Run anywhere else it does nothing; its menu
// item is greyed in an object mode where it never applies.
enum CommandScope : unsigned {
  kInCurves = 1u,
  kInRectangularNets = 2u,
  kInTriangularNets = 4u,
  kInSurfaces = kInRectangularNets | kInTriangularNets,
  kInBothModes = kInCurves | kInSurfaces,
};

using CommandHandler = void (*)(Platform& window);

struct CommandEntry {
  int id;
  unsigned scope;
  // The window's own commands (files, modes, dialogs) act on the window;
  // null with no `compute` either: the item exists, its operation has not
  // landed yet.
  CommandHandler run = nullptr;
  // Where the menu item is enabled, when that differs from where the
  // command runs (0: the same): the rational algorithms run on the curve
  // fields in either mode, but their items are greyed with the other curve
  // algorithms in Surfaces mode.
  unsigned menuScope = 0;
  // A family command: it hands back an outcome for the window to apply, in
  // place of `run` (null: the command runs through `run`).
  OutcomeCommand compute = nullptr;
};

// Whether the command's operation has landed (it runs, or hands back an
// outcome).
inline bool HasOperation(const CommandEntry& entry) {
  return entry.run != nullptr || entry.compute != nullptr;
}

// Why a display draws no curve or surface for the model, in a sentence for
// the status line; "" when it draws one.
using DisplayShortfall = std::string (*)(const ModelState& model);

// The display of a curve kind, and the menu command that chooses it.
struct DisplayEntry {
  int curveKind;
  int chooseCommand;
  DisplayFunction draw;
  // Where the display describes the model (a spline surface needs a
  // rectangular net); elsewhere its item is greyed and choosing it draws
  // nothing.
  unsigned scope = kInBothModes;
  // The curve kind's name in the status bar; the curve displays give it.
  const char* name = nullptr;
  // Why it draws nothing (null: it always draws).
  DisplayShortfall shortfall = nullptr;
};

// One line of a popup: an item, a separator, or a sub-popup with its lines.
struct MenuEntry {
  MenuNodeKind kind;
  const char* text = nullptr;
  int id = 0;
  bool checked = false;  // the check mark the item starts with
  // One of the Save items: each runs the window's Save switch, and all are
  // checked and unchecked together.
  bool saveSwitch = false;
  std::span<const MenuEntry> lines = {};
};

constexpr MenuEntry MenuItem(const char* text, int id) {
  return MenuEntry{MenuNodeKind::kItem, text, id};
}
constexpr MenuEntry CheckedMenuItem(const char* text, int id) {
  return MenuEntry{MenuNodeKind::kItem, text, id, true};
}
constexpr MenuEntry SaveMenuItem(const char* text, int id) {
  return MenuEntry{MenuNodeKind::kItem, text, id, true, true};
}
constexpr MenuEntry MenuSeparator() { return MenuEntry{MenuNodeKind::kSeparator}; }
constexpr MenuEntry MenuPopup(const char* title, std::span<const MenuEntry> lines) {
  return MenuEntry{MenuNodeKind::kPopup, title, 0, false, false, lines};
}

// Lines a table adds to a popup that another table puts on the menu bar.
// The popup is named by its titles from the bar down ({"Bezier", "Degree
// reduction"}; none for the bar itself); the lines go in after the line
// whose text is `after`, or at the end when `after` is null or no line
// has that text. A popup no table has is made at the end of its parent.
struct MenuInsertion {
  std::span<const char* const> popup;
  const char* after;
  std::span<const MenuEntry> lines;
};

// The window's dialogs, which the family popups offer beside their own
// items (the window's table runs them).
inline constexpr MenuEntry kControlPointsMenuItem = MenuItem("Control points ...", kCmdControlPoints);
inline constexpr MenuEntry kWeightsMenuItem = MenuItem("Weights ...", kCmdWeights);
inline constexpr MenuEntry kKnotsMenuLines[] = {MenuItem("X Knots", kCmdXKnots),
                                                MenuItem("Y Knots", kCmdYKnots)};
inline constexpr MenuEntry kKnotsMenuPopup = MenuPopup("Knots ...", kKnotsMenuLines);

struct FamilyTable {
  std::span<const CommandEntry> commands = {};
  std::span<const DisplayEntry> displays = {};
  // What Surfaces mode shows on a repaint and while the view turns: the
  // control net (one family provides it).
  DisplayFunction netView = nullptr;
  // The surface Surfaces mode shows, as a Wavefront OBJ text for File >
  // Export mesh; "" with why when none is shown (one family provides it).
  std::string (*meshExport)(std::string& why) = nullptr;
  // The displays of a curve kind in Surfaces mode (the patch of Bezier >
  // Bezier, of B-spline > B-spline, ...), chosen by the same commands.
  std::span<const DisplayEntry> surfaceDisplays = {};
  // The popups the table puts on the menu bar, in order.
  std::span<const MenuEntry> menu = {};
  // What it adds to popups of other tables. Every table's popups are laid
  // down first, then the additions, table by table in the window's order.
  std::span<const MenuInsertion> menuInsertions = {};
};

}  // namespace tambra
