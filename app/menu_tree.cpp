#include "app/menu_tree.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "app/command_table.h"

namespace tambra {

namespace {

std::vector<MenuNode> Nodes(std::span<const MenuEntry> lines) {
  std::vector<MenuNode> nodes;
  nodes.reserve(lines.size());
  for (const MenuEntry& line : lines) {
    nodes.push_back(MenuNode{line.kind, line.text, line.id, line.checked, Nodes(line.lines)});
  }
  return nodes;
}

bool HasText(const MenuNode& node, const char* text) {
  return node.text != nullptr && std::strcmp(node.text, text) == 0;
}

void Insert(std::vector<MenuNode>& bar, const MenuInsertion& insertion) {
  std::vector<MenuNode>* lines = &bar;
  for (const char* title : insertion.popup) {
    auto popup = std::find_if(lines->begin(), lines->end(), [&](const MenuNode& node) {
      return node.kind == MenuNodeKind::kPopup && HasText(node, title);
    });
    if (popup == lines->end()) {
      lines->push_back(MenuNode{MenuNodeKind::kPopup, title, 0, false, {}});
      popup = lines->end() - 1;
    }
    lines = &popup->children;
  }
  auto at = lines->end();
  if (insertion.after != nullptr) {
    const auto after = std::find_if(lines->begin(), lines->end(),
                                    [&](const MenuNode& node) { return HasText(node, insertion.after); });
    if (after != lines->end()) at = after + 1;
  }
  std::vector<MenuNode> added = Nodes(insertion.lines);
  lines->insert(at, std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}

void CollectIds(const std::vector<MenuNode>& nodes, std::vector<int>& ids) {
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kItem &&
        std::find(ids.begin(), ids.end(), node.id) == ids.end()) {
      ids.push_back(node.id);
    }
    CollectIds(node.children, ids);
  }
}

bool FindChecked(const std::vector<MenuNode>& nodes, int id) {
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kItem && node.id == id && node.checked) return true;
    if (FindChecked(node.children, id)) return true;
  }
  return false;
}

}  // namespace

std::vector<MenuNode> BuildMenuBar(std::span<const FamilyTable> tables) {
  std::vector<MenuNode> bar;
  for (const FamilyTable& table : tables) {
    std::vector<MenuNode> popups = Nodes(table.menu);
    bar.insert(bar.end(), std::make_move_iterator(popups.begin()),
               std::make_move_iterator(popups.end()));
  }
  for (const FamilyTable& table : tables) {
    for (const MenuInsertion& insertion : table.menuInsertions) Insert(bar, insertion);
  }
  return bar;
}

const std::vector<MenuNode>& MenuBar() {
  static const std::vector<MenuNode> bar = BuildMenuBar(JoinedTables());
  return bar;
}

std::vector<int> MenuCommandIds() {
  std::vector<int> ids;
  CollectIds(MenuBar(), ids);
  return ids;
}

bool InitiallyChecked(int id) { return FindChecked(MenuBar(), id); }

namespace {

// The text of menu item `id`; an item of a nested popup adds the popup's
// last word ("Eck" under "Degree reduction" is "Eck reduction").
bool FindMenuText(const std::vector<MenuNode>& nodes, int id, const MenuNode* popup, int depth,
                  std::string& name) {
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kItem && node.id == id) {
      name = TrimmedMenuText(node.text);
      if (depth > 1 && popup != nullptr) {
        std::string last = TrimmedMenuText(popup->text);
        last = last.substr(last.find_last_of(' ') + 1);
        if (!last.empty()) last[0] = static_cast<char>(std::tolower(last[0]));
        name += " " + last;
      }
      return true;
    }
    if (node.kind == MenuNodeKind::kPopup && FindMenuText(node.children, id, &node, depth + 1, name))
      return true;
  }
  return false;
}

}  // namespace

// A menu or dialog text without the blanks and the "..." of a dialog item
// at its end ("Open ..." is "Open"; "S.E." keeps its dot).
std::string TrimmedMenuText(const char* text) {
  std::string name = text != nullptr ? text : "";
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.ends_with("..")) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  }
  return name;
}

std::string CommandName(int id) {
  std::string name;
  if (FindMenuText(MenuBar(), id, nullptr, 0, name)) return name;
  return "Command " + std::to_string(id);
}

}  // namespace tambra
