// The window's title and the node types of its menu. The menu itself is
// not kept here: every table (the window's own and each family's) carries
// its popups, and the top layer joins them into the menu bar.
#pragma once

#include <vector>

namespace tambra {

inline constexpr char kWindowClassName[] = "TAMBRA";
inline constexpr char kWindowTitle[] = "Curves and Surfaces in TAMBRA by the TAMBRA developers";
// The program's name as the caption of its message boxes.
inline constexpr char kProgramName[] = "Curves and Surfaces in TAMBRA";

enum class MenuNodeKind { kPopup, kItem, kSeparator };

// One node of the joined menu, as the Qt window and the headless platform
// build theirs from it.
struct MenuNode {
  MenuNodeKind kind;
  const char* text;  // nullptr for a separator
  int id;            // 0 for popups and separators
  bool checked;      // initial check mark of the resource
  std::vector<MenuNode> children;
};

}  // namespace tambra
