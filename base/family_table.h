// What a curve or surface family registers with the window: its menu
// commands and its displays. The window looks commands up in the joined
// tables of every family, and the menu's greying in each mode follows
// from the same entries.
#pragma once

#include <span>

#include "base/outcome.h"
#include "base/platform.h"

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
  // null with no `compute` either: the item exists, its operation has not
  // landed yet
  CommandHandler run;
  // Where the menu item is enabled, when that differs from where the
  // command runs (0: the same): the rational algorithms run on the curve
  // fields in either mode, but their items are greyed with the other curve
  // algorithms in Surfaces mode.
  unsigned menuScope = 0;
  // A command that hands back an outcome for the window to apply, in place
  // of `run` (null: the command runs through `run`).
  OutcomeCommand compute = nullptr;
};

// The display of a curve kind, and the menu command that chooses it.
struct DisplayEntry {
  int curveKind;
  int chooseCommand;
  DisplayFunction draw;
  // Where the display describes the model (a spline surface needs a
  // rectangular net); elsewhere its item is greyed and choosing it draws
  // nothing.
  unsigned scope = kInBothModes;
};

struct FamilyTable {
  std::span<const CommandEntry> commands;
  std::span<const DisplayEntry> displays;
  // What Surfaces mode shows on a repaint and while the view turns: the
  // control net (one family provides it).
  DisplayFunction netView = nullptr;
  // The displays of a curve kind in Surfaces mode (the patch of Bezier >
  // Bezier, of B-spline > B-spline, ...), chosen by the same commands.
  std::span<const DisplayEntry> surfaceDisplays = {};
};

}  // namespace tambra
