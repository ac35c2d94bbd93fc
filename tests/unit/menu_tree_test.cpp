// The menu bar joined from the tables: the tree users know, every item
// wired to something, no command registered twice where it applies.
#include "app/menu_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "app/command_table.h"
#include "base/model_state.h"
#include "resources/status_tips.h"

namespace tambra {
namespace {

// The popups of the bar, the bar itself first.
void CollectPopups(const std::vector<MenuNode>& nodes, const std::string& path,
                   std::vector<std::pair<std::string, const std::vector<MenuNode>*>>& popups) {
  popups.emplace_back(path, &nodes);
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kPopup) CollectPopups(node.children, path + " > " + node.text, popups);
  }
}

// The bar users know, and texts that read alike everywhere: no line twice in
// a popup, no popup without items, a popup or an item that opens a dialog
// ends in " ..." (nothing else has dots at its end but an abbreviation).
TEST(MenuTreeTest, TheMenuBarReadsAlikeEverywhere) {
  std::string bar;
  for (const MenuNode& popup : MenuBar()) bar += std::string(popup.text) + " ";
  EXPECT_EQ(bar, "File Edit View Bezier RBezier B-spline NURBS Help ");
  std::vector<std::pair<std::string, const std::vector<MenuNode>*>> popups;
  CollectPopups(MenuBar(), "bar", popups);
  const std::set<int> dialogs = {kCmdOpen, kCmdSaveAs, kCmdExportPicture, kCmdExportMesh, kCmdOutput,
                                 kCmdControlPoints, kCmdWeights, kCmdCompareReductions,
                                 kCmdCompareApproximations};
  for (const auto& [path, nodes] : popups) {
    std::set<std::string> texts;
    int items = 0;
    for (const MenuNode& node : *nodes) {
      if (node.kind == MenuNodeKind::kSeparator) continue;
      ++items;
      const std::string text = node.text;
      SCOPED_TRACE(path + " > " + text);
      EXPECT_TRUE(texts.insert(TrimmedMenuText(node.text)).second) << "twice in one popup";
      const bool ellipsis = text.ends_with(" ...");
      const bool opensDialog = node.kind == MenuNodeKind::kPopup ? text == "Knots ..." : dialogs.count(node.id) != 0;
      EXPECT_EQ(ellipsis, opensDialog);
      EXPECT_TRUE(ellipsis || !TrimmedMenuText(node.text).ends_with("..")) << "dots of an ellipsis";
    }
    EXPECT_GT(items, 0) << path;
  }
}

// Each item runs a handler or chooses a display, apart from the ones whose
// operations have not landed, which are greyed from the start; nothing is
// registered that the menu does not offer.
TEST(MenuTreeTest, EveryItemRunsSomethingAndEveryEntryHasAnItem) {
  const std::vector<int> notLanded = {kCmdBezierSimulation, kCmdRationalSimulation};
  const std::vector<int> menu = MenuCommandIds();
  std::set<int> handled, registered;
  for (const FamilyTable& table : JoinedTables()) {
    for (const CommandEntry& entry : table.commands) {
      registered.insert(entry.id);
      if (HasOperation(entry)) handled.insert(entry.id);
    }
    for (const auto& displays : {table.displays, table.surfaceDisplays}) {
      for (const DisplayEntry& entry : displays) registered.insert(entry.chooseCommand);
    }
  }
  for (int id : menu) {
    const bool waits = std::count(notLanded.begin(), notLanded.end(), id) != 0;
    EXPECT_NE(handled.count(id) != 0 || CurveKindChosenBy(id) >= 0, waits) << "item " << id;
  }
  for (int id : registered) {
    EXPECT_NE(std::count(menu.begin(), menu.end(), id), 0) << "entry " << id << " has no item";
  }
  EXPECT_EQ(UnimplementedMenuItems(), notLanded);
  EXPECT_EQ(SaveMenuItems(), (std::vector<int>{kCmdEditSave, kCmdBezierSave, kCmdRationalSave,
                                               kCmdBSplineSave, kCmdNurbsSave}));
}

// Within one scope an id runs one command or chooses one display: a second
// registration would never be reached.
TEST(MenuTreeTest, NoIdIsRegisteredTwiceInOneScope) {
  std::map<int, unsigned> taken;  // the scopes each id is registered in so far
  auto take = [&](int id, unsigned scope, const char* what) {
    EXPECT_EQ(taken[id] & scope, 0u) << what << " " << id << " registered twice";
    taken[id] |= scope;
  };
  for (const FamilyTable& table : JoinedTables()) {
    for (const CommandEntry& entry : table.commands) take(entry.id, entry.scope, "command");
    for (const DisplayEntry& entry : table.displays) take(entry.chooseCommand, kInCurves, "curve");
    for (const DisplayEntry& entry : table.surfaceDisplays) {
      take(entry.chooseCommand, entry.scope & kInSurfaces, "surface");
    }
  }
}

// Every item says in the status bar what it does, and the tips name items
// that exist.
TEST(MenuTreeTest, EveryItemHasAStatusTip) {
  const std::vector<int> menu = MenuCommandIds();
  for (int id : menu) {
    EXPECT_GT(std::strlen(StatusTip(id) ? StatusTip(id) : ""), 10u) << "item " << id;
  }
  for (int id = 0; id < 70000; ++id) {
    EXPECT_TRUE(StatusTip(id) == nullptr || std::count(menu.begin(), menu.end(), id) != 0) << id;
  }
}

}  // namespace
}  // namespace tambra
