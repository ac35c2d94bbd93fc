#include "bezier/bezier_family.h"

#include <string>

#include "base/model_state.h"
#include "bezier/bezier_display.h"
#include "bezier/compare_reductions.h"
#include "bezier/degree_elevation.h"
#include "bezier/degree_reduction.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

constexpr CommandEntry kCommands[] = {
    {.id = kCmdBezierElevation, .scope = kInCurves, .compute = BezierDegreeElevation},
    {.id = kCmdReduceSimple, .scope = kInCurves, .compute = SimpleDegreeReduction},
    {.id = kCmdReduceEck, .scope = kInCurves, .compute = EckDegreeReduction},
    {.id = kCmdReduceLse, .scope = kInCurves, .compute = LseDegreeReduction},
    {.id = kCmdReduceLseC0, .scope = kInCurves, .compute = LseC0DegreeReduction},
    {.id = kCmdReduceLseC1, .scope = kInCurves, .compute = LseC1DegreeReduction},
    {.id = kCmdReduceLseC2, .scope = kInCurves, .compute = LseC2DegreeReduction},
    {.id = kCmdCompareReductions, .scope = kInCurves, .compute = CompareReductions},
    {kCmdBezierSimulation, kInBothModes, nullptr},  // greyed until it lands
};

std::string BezierShortfall(const ModelState& m) {
  if (m.pointCount >= 3) return "";
  return "A Bezier curve needs at least 3 points; this one has " + std::to_string(m.pointCount);
}

constexpr DisplayEntry kDisplays[] = {
    {.curveKind = kBezier,
     .chooseCommand = kCmdBezier,
     .draw = DrawBezierCurve,
     .name = "Bezier",
     .shortfall = BezierShortfall},
};

// The surface family adds its reduction and the triangular conversions.
constexpr MenuEntry kReductionLines[] = {
    MenuItem("Simple", kCmdReduceSimple),   MenuItem("Eck", kCmdReduceEck),
    MenuItem("LSE", kCmdReduceLse),         MenuSeparator(),
    MenuItem("LSE (C0)", kCmdReduceLseC0),  MenuItem("LSE (C1)", kCmdReduceLseC1),
    MenuItem("LSE (C2)", kCmdReduceLseC2),
};

constexpr MenuEntry kPopupLines[] = {
    MenuItem("Bezier", kCmdBezier),
    MenuItem("Simulation", kCmdBezierSimulation),
    MenuSeparator(),
    MenuItem("Degree elevation", kCmdBezierElevation),
    MenuPopup("Degree reduction", kReductionLines),
    MenuItem("Compare reductions ...", kCmdCompareReductions),
    MenuSeparator(),
    kControlPointsMenuItem,
    SaveMenuItem("Save", kCmdBezierSave),
};

constexpr MenuEntry kMenu[] = {MenuPopup("Bezier", kPopupLines)};

}  // namespace

FamilyTable BezierFamily() {
  return FamilyTable{.commands = kCommands, .displays = kDisplays, .menu = kMenu};
}

}  // namespace tambra
