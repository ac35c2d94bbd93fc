#include "rational/rational_family.h"

#include <string>

#include "base/canvas.h"
#include "base/model_state.h"
#include "rational/compare_approximations.h"
#include "rational/polynomial_approximation.h"
#include "rational/rational_display.h"
#include "rational/rational_elevation.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

constexpr CommandEntry kCommands[] = {
    {kCmdRationalElevation, kInBothModes, nullptr, kInCurves, RationalDegreeElevation},
    {kCmdApproxLeastSquares, kInBothModes, nullptr, kInCurves, ApproxLeastSquares},
    {kCmdApproxConsistent, kInBothModes, nullptr, kInCurves, ApproxConsistentEquation},
    {kCmdApproxHybrid, kInBothModes, nullptr, kInCurves, HybridBezierCurve},
    {kCmdCompareApproximations, kInBothModes, nullptr, kInCurves, CompareApproximations},
    {kCmdRationalSimulation, kInBothModes, nullptr},  // greyed until it lands
};

std::string RationalShortfall(const ModelState& m) {
  if (m.pointCount >= 3) return "";
  return "A rational Bezier curve needs at least 3 points; this one has " +
         std::to_string(m.pointCount);
}

constexpr DisplayEntry kDisplays[] = {
    {.curveKind = kRationalBezier,
     .chooseCommand = kCmdRationalBezier,
     .draw = DrawRationalBezierCurve,
     .name = "Rational Bezier",
     .shortfall = RationalShortfall},
};

constexpr MenuEntry kApproximationLines[] = {
    MenuItem("Least-squares method", kCmdApproxLeastSquares),
    MenuItem("Consistent equation ", kCmdApproxConsistent),
    MenuItem("Hybrid Bezier curve", kCmdApproxHybrid),
};

constexpr MenuEntry kPopupLines[] = {
    MenuItem("Rational Bezier", kCmdRationalBezier),
    MenuItem("Simulation", kCmdRationalSimulation),
    MenuSeparator(),
    MenuItem("Degree elevation", kCmdRationalElevation),
    MenuPopup("Polynomial approx", kApproximationLines),
    MenuItem("Compare approximations ...", kCmdCompareApproximations),
    MenuSeparator(),
    kControlPointsMenuItem,
    kWeightsMenuItem,
    SaveMenuItem("Save", kCmdRationalSave),
};

constexpr MenuEntry kMenu[] = {MenuPopup("RBezier", kPopupLines)};

}  // namespace

FamilyTable RationalFamily() {
  return FamilyTable{.commands = kCommands, .displays = kDisplays, .menu = kMenu};
}

}  // namespace tambra
