#include "spline/spline_family.h"

#include <string>

#include "base/model_state.h"
#include "numeric/knot_vector.h"
#include "resources/command_ids.h"
#include "spline/bspline_simulation.h"
#include "spline/chaikin.h"
#include "spline/degree_change.h"
#include "spline/knot_operations.h"
#include "spline/nurbs_simulation.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

// The display draws the curve for any knot vector it can evaluate, the
// polygon alone otherwise.
std::string SplineShortfall(const ModelState& m) {
  const int n = m.pointCount, k = m.order;
  const std::string what = m.curveKind == kNurbs ? "A NURBS curve" : "A B-spline curve";
  if (n < 3) return what + " needs at least 3 points; this one has " + std::to_string(n);
  if (k < 1) return what + " needs an order of 1 or more; the order is " + std::to_string(k);
  if (CheckKnotVector(m.knots, n, k) != kKnotsRefused) return "";
  if (n > kKnotCapacity - k) {
    return what + " needs fewer than " + std::to_string(kKnotCapacity) +
           " points and order together; this one has " + std::to_string(n) + " and order " +
           std::to_string(k) + ": only the polygon is drawn";
  }
  return what + " needs finite knots: only the polygon is drawn";
}

constexpr CommandEntry kCommands[] = {
    {kCmdBSplineKnotInsert, kInBothModes, nullptr, kInCurves, KnotInsertCommand},
    {kCmdNurbsKnotInsert, kInBothModes, nullptr, kInCurves, KnotInsertCommand},
    {kCmdBSplineKnotDelete, kInBothModes, nullptr, kInCurves, KnotDeleteCommand},
    {kCmdNurbsKnotDelete, kInBothModes, nullptr, kInCurves, KnotDeleteCommand},
    {kCmdChaikin, kInBothModes, nullptr, kInCurves, ChaikinMethod},
    {kCmdChaikinElevation, kInBothModes, nullptr, kInCurves, ChaikinKnotElevation},
    {kCmdChaikinReduction, kInBothModes, nullptr, kInCurves, ChaikinKnotReduction},
    {kCmdBSplineElevation, kInCurves, nullptr, 0, SplineDegreeElevation},
    {kCmdNurbsElevation, kInCurves, nullptr, 0, SplineDegreeElevation},
    {kCmdBSplineReduction, kInCurves, nullptr, 0, SplineDegreeReduction},
    {kCmdNurbsReduction, kInCurves, nullptr, 0, SplineDegreeReduction},
    {kCmdNurbsSimulation, kInBothModes, nullptr, 0, NurbsSimulation},
    {kCmdBSplineSimulation, kInBothModes, nullptr, 0, BSplineSimulation},
};

constexpr DisplayEntry kDisplays[] = {
    {.curveKind = kBSpline,
     .chooseCommand = kCmdBSpline,
     .draw = DrawBSplineCurve,
     .name = "B-spline",
     .shortfall = SplineShortfall},
    {.curveKind = kNurbs,
     .chooseCommand = kCmdNurbs,
     .draw = DrawNurbsCurve,
     .name = "NURBS",
     .shortfall = SplineShortfall},
};

constexpr MenuEntry kBSplineLines[] = {
    MenuItem("B-spline", kCmdBSpline),
    MenuItem("Simulation", kCmdBSplineSimulation),
    MenuSeparator(),
    MenuItem("Degree elevation", kCmdBSplineElevation),
    MenuItem("Degree reduction", kCmdBSplineReduction),
    MenuSeparator(),
    MenuItem("Chaikin's method", kCmdChaikin),
    MenuItem("Chaikin's knot elevation", kCmdChaikinElevation),
    MenuItem("Chaikin's knot reduction", kCmdChaikinReduction),
    MenuSeparator(),
    MenuItem("Knot insert", kCmdBSplineKnotInsert),
    MenuItem("Knot delete", kCmdBSplineKnotDelete),
    MenuSeparator(),
    kControlPointsMenuItem,
    kKnotsMenuPopup,
    SaveMenuItem("Save", kCmdBSplineSave),
};

constexpr MenuEntry kNurbsLines[] = {
    MenuItem("NURBS", kCmdNurbs),
    MenuItem("Simulation", kCmdNurbsSimulation),
    MenuSeparator(),
    MenuItem("Degree elevation", kCmdNurbsElevation),
    MenuItem("Degree reduction", kCmdNurbsReduction),
    MenuSeparator(),
    MenuItem("Knot insert", kCmdNurbsKnotInsert),
    MenuItem("Knot delete", kCmdNurbsKnotDelete),
    MenuSeparator(),
    kControlPointsMenuItem,
    kWeightsMenuItem,
    kKnotsMenuPopup,
    SaveMenuItem("Save", kCmdNurbsSave),
};

constexpr MenuEntry kMenu[] = {MenuPopup("B-spline", kBSplineLines),
                               MenuPopup("NURBS", kNurbsLines)};

}  // namespace

FamilyTable SplineFamily() {
  return FamilyTable{.commands = kCommands, .displays = kDisplays, .menu = kMenu};
}

}  // namespace tambra
