// The main window's menu as data: popups in menu-bar order, their items,
// command ids, separators and the check marks the resource starts with.
// The Qt layer builds the real menu from it; the headless platform and the
// tests read it too.
#pragma once

#include <vector>

namespace tambra {

inline constexpr char kWindowClassName[] = "TAMBRA";
inline constexpr char kWindowTitle[] = "Curves and Surfaces in TAMBRA by the TAMBRA developers";

enum class MenuNodeKind { kPopup, kItem, kSeparator };

struct MenuNode {
  MenuNodeKind kind;
  const char* text;  // nullptr for a separator
  int id;            // 0 for popups and separators
  bool checked;      // initial check mark of the resource
  std::vector<MenuNode> children;
};

// The popups of the menu bar.
const std::vector<MenuNode>& MenuBar();

// Every command id of the menu, once each, in menu order.
std::vector<int> MenuCommandIds();

// Whether the resource carries a check mark for this id.
bool InitiallyChecked(int id);

}  // namespace tambra
