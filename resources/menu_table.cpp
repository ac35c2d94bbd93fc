#include "resources/menu_table.h"

#include <algorithm>

#include "resources/command_ids.h"

namespace tambra {

namespace {

MenuNode Item(const char* text, int id, bool checked = false) {
  return MenuNode{MenuNodeKind::kItem, text, id, checked, {}};
}

MenuNode Bar() { return MenuNode{MenuNodeKind::kSeparator, nullptr, 0, false, {}}; }

MenuNode Popup(const char* text, std::vector<MenuNode> children) {
  return MenuNode{MenuNodeKind::kPopup, text, 0, false, std::move(children)};
}

MenuNode KnotsPopup() {
  return Popup("Knots ...", {Item("X Knots", kCmdXKnots), Item("Y Knots", kCmdYKnots)});
}

std::vector<MenuNode> BuildMenuBar() {
  return {
      Popup("File", {Item("Curves", kCmdCurves, true), Item("Surfaces", kCmdSurfaces, true), Bar(),
                     Item("Open ...", kCmdOpen), Item("Save ", kCmdSave),
                     Item("Save as ...", kCmdSaveAs), Bar(), Item("Output ...", kCmdOutput),
                     Item("Close output", kCmdCloseOutput), Bar(), Item("Exit", kCmdExit)}),
      Popup("Edit", {Item("New", kCmdNew), Item("Copy", kCmdCopy), Item("Paste", kCmdPaste), Bar(),
                     Item("Control points ...", kCmdControlPoints), Item("Weights ..", kCmdWeights),
                     KnotsPopup(), Item("Save", kCmdEditSave, true)}),
      Popup("Bezier", {Item("Bezier", kCmdBezier), Item("Simulation", kCmdBezierSimulation), Bar(),
                       Item("Degree elevation", kCmdBezierElevation),
                       Popup("Degree reduction",
                             {Item("Simple", kCmdReduceSimple), Item("Eck", kCmdReduceEck),
                              Item("LSE", kCmdReduceLse), Bar(), Item("LSE (C0)", kCmdReduceLseC0),
                              Item("LSE (C1)", kCmdReduceLseC1), Item("LSE (C2)", kCmdReduceLseC2),
                              Bar(), Item("Surfaces", kCmdReduceSurfaces)}),
                       Popup("Rec. to triangular",
                             {Item("S.E.", kCmdTriangularSE), Item("N.W.", kCmdTriangularNW),
                              Item("S.W.", kCmdTriangularSW), Item("N.E.", kCmdTriangularNE)}),
                       Bar(), Item("Control points ...", kCmdControlPoints),
                       Item("Save", kCmdBezierSave, true)}),
      Popup(
          "RBezier",
          {Item("Rational Bezier", kCmdRationalBezier), Item("Simulation", kCmdRationalSimulation),
           Bar(), Item("Degree elevation", kCmdRationalElevation),
           Popup("Polynomial approx", {Item("Least-squares method", kCmdApproxLeastSquares),
                                       Item("Consistent equation ", kCmdApproxConsistent),
                                       Item("Hybrid Bezier curve", kCmdApproxHybrid)}),
           Bar(), Item("Control points ...", kCmdControlPoints), Item("Weights ...", kCmdWeights),
           Item("Save", kCmdRationalSave, true)}),
      Popup("B-spline",
            {Item("B-spline", kCmdBSpline), Item("Simulation", kCmdBSplineSimulation), Bar(),
             Item("Degree elevation", kCmdBSplineElevation),
             Item("Degree reduction", kCmdBSplineReduction), Bar(),
             Item("Chaikin's method", kCmdChaikin),
             Item("Chaikin's knot elevation", kCmdChaikinElevation),
             Item("Chaikin's knot reduction", kCmdChaikinReduction), Bar(),
             Item("Knot insert", kCmdBSplineKnotInsert), Item("Knot delete", kCmdBSplineKnotDelete),
             Bar(), Item("Control points ...", kCmdControlPoints), KnotsPopup(),
             Item("Save", kCmdBSplineSave, true)}),
      Popup("NURBS",
            {Item("NURBS", kCmdNurbs), Item("Simulation", kCmdNurbsSimulation), Bar(),
             Item("Degree elevation", kCmdNurbsElevation),
             Item("Degree reduction", kCmdNurbsReduction), Bar(),
             Item("Knot insert", kCmdNurbsKnotInsert), Item("Knot delete", kCmdNurbsKnotDelete),
             Bar(), Item("Control points ...", kCmdControlPoints), Item("Weights ...", kCmdWeights),
             KnotsPopup(), Item("Save", kCmdNurbsSave, true)}),
      Popup("Help", {Item("About TAMBRA", kCmdAbout)}),
  };
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

const std::vector<MenuNode>& MenuBar() {
  static const std::vector<MenuNode> bar = BuildMenuBar();
  return bar;
}

std::vector<int> MenuCommandIds() {
  std::vector<int> ids;
  CollectIds(MenuBar(), ids);
  return ids;
}

bool InitiallyChecked(int id) { return FindChecked(MenuBar(), id); }

}  // namespace tambra
