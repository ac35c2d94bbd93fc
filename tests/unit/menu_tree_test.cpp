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

// A popup as "Title[line; line]", an item as "text=id" with "*" when it
// starts checked, a separator as "-".
std::string Render(const std::vector<MenuNode>& nodes, const char* between = "; ") {
  std::string text;
  for (const MenuNode& node : nodes) {
    if (!text.empty()) text += between;
    if (node.kind == MenuNodeKind::kSeparator) {
      text += "-";
    } else if (node.kind == MenuNodeKind::kPopup) {
      text += std::string(node.text) + "[" + Render(node.children) + "]";
    } else {
      text += std::string(node.text) + "=" + std::to_string(node.id) + (node.checked ? "*" : "");
    }
  }
  return text;
}

// Texts (trailing blanks included), ids, order, separators and check marks.
TEST(MenuTreeTest, TheJoinedMenuBarIsTheOneUsersKnow) {
  EXPECT_EQ(Render(MenuBar(), "\n"),
            "File[Curves=40003*; Surfaces=40004*; -; Open ...=40001; Save =157; Save as ...=40015; "
            "Export picture ...=40042; Export mesh ...=40052; "
            "-; Output ...=40002; Close output=40014; -; Recent file 1=40060; "
            "Recent file 2=40061; Recent file 3=40062; Recent file 4=40063; "
            "Recent file 5=40064; -; Exit=40012]\n"
            "Edit[Undo=40040; Redo=40041; -; New=40005; Copy=40006; Paste=40007; -; Control points ...=40009; Weights ..=40018; "
            "Knots ...[X Knots=40020; Y Knots=40021]; Save=40008*]\n"
            "View[Fit=40043; Actual size=40044; Zoom in=40050; Zoom out=40051; -; "
            "Curvature comb=40047; Legend=40045; "
            "Clear results=40046]\n"
            "Bezier[Bezier=122; Simulation=40010; -; Degree elevation=103; Degree reduction[Simple=127; "
            "Eck=128; LSE=131; -; LSE (C0)=132; LSE (C1)=133; LSE (C2)=159; -; Surfaces=40027]; "
            "Rec. to triangular[S.E.=40023; N.W.=40024; S.W.=40025; N.E.=40026]; "
            "Compare reductions...=40048; -; "
            "Control points ...=40009; Save=40028*]\n"
            "RBezier[Rational Bezier=101; Simulation=40011; -; Degree elevation=117; "
            "Polynomial approx[Least-squares method=160; Consistent equation =161; "
            "Hybrid Bezier curve=162]; Compare approximations...=40049; -; Control points ...=40009; Weights ...=40018; Save=40029*]\n"
            "B-spline[B-spline=136; Simulation=140; -; Degree elevation=146; Degree reduction=147; -; "
            "Chaikin's method=143; Chaikin's knot elevation=144; Chaikin's knot reduction=145; -; "
            "Knot insert=141; Knot delete=142; -; Control points ...=40009; "
            "Knots ...[X Knots=40020; Y Knots=40021]; Save=40030*]\n"
            "NURBS[NURBS=148; Simulation=155; -; Degree elevation=153; Degree reduction=154; -; "
            "Knot insert=151; Knot delete=152; -; Control points ...=40009; Weights ...=40018; "
            "Knots ...[X Knots=40020; Y Knots=40021]; Save=40031*]\n"
            "Help[User guide=40053; About TAMBRA=40013]");
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
