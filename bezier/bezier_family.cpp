#include "bezier/bezier_family.h"

#include "base/model_state.h"
#include "bezier/bezier_display.h"
#include "bezier/degree_elevation.h"
#include "bezier/degree_reduction.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

constexpr CommandEntry kCommands[] = {
    {kCmdBezierElevation, kInCurves, BezierDegreeElevation},
    {kCmdReduceSimple, kInCurves, SimpleDegreeReduction},
    {kCmdReduceEck, kInCurves, EckDegreeReduction},
    {kCmdReduceLse, kInCurves, LseDegreeReduction},
    {kCmdReduceLseC0, kInCurves, LseC0DegreeReduction},
    {kCmdReduceLseC1, kInCurves, LseC1DegreeReduction},
    {kCmdReduceLseC2, kInCurves, LseC2DegreeReduction},
};

constexpr DisplayEntry kDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierCurve},
};

}  // namespace

FamilyTable BezierFamily() { return FamilyTable{kCommands, kDisplays}; }

}  // namespace tambra
