#include "bezier/bezier_family.h"

#include "base/model_state.h"
#include "bezier/bezier_display.h"
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
};

constexpr DisplayEntry kDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierCurve},
};

}  // namespace

FamilyTable BezierFamily() { return FamilyTable{kCommands, kDisplays}; }

}  // namespace tambra
