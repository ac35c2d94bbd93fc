// The menu bar, joined from the popups of every table: the window's File,
// Edit and Help, and each family's popups with what other families add to
// them. The Qt window and the headless platform build their menus from it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "base/family_table.h"
#include "resources/menu_table.h"

namespace tambra {

// The menu bar of these tables: every table's popups in order, then what
// each adds to the popups of others.
std::vector<MenuNode> BuildMenuBar(std::span<const FamilyTable> tables);

// The menu bar of the joined tables.
const std::vector<MenuNode>& MenuBar();

// Every command id of the menu, once each, in menu order.
std::vector<int> MenuCommandIds();

// Whether the item starts with a check mark.
bool InitiallyChecked(int id);

// A menu or dialog text without the blanks and the "..." of a dialog item
// at its end ("Open ..." is "Open"; "S.E." keeps its dot).
std::string TrimmedMenuText(const char* text);

// How the user knows a command: its menu text, an item of a nested popup
// with the popup's last word ("Eck" under "Degree reduction" is "Eck
// reduction"); "Command ID" for an id no menu holds.
std::string CommandName(int id);

}  // namespace tambra
