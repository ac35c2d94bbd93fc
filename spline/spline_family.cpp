#include "spline/spline_family.h"

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "spline/bspline_simulation.h"
#include "spline/chaikin.h"
#include "spline/degree_change.h"
#include "spline/knot_operations.h"
#include "spline/nurbs_simulation.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

constexpr CommandEntry kCommands[] = {
    {kCmdBSplineKnotInsert, kInBothModes, KnotInsertCommand, kInCurves},
    {kCmdNurbsKnotInsert, kInBothModes, KnotInsertCommand, kInCurves},
    {kCmdBSplineKnotDelete, kInBothModes, KnotDeleteCommand, kInCurves},
    {kCmdNurbsKnotDelete, kInBothModes, KnotDeleteCommand, kInCurves},
    {kCmdChaikin, kInBothModes, ChaikinMethod, kInCurves},
    {kCmdChaikinElevation, kInBothModes, nullptr, kInCurves, ChaikinKnotElevation},
    {kCmdChaikinReduction, kInBothModes, nullptr, kInCurves, ChaikinKnotReduction},
    {kCmdBSplineElevation, kInCurves, SplineDegreeElevation},
    {kCmdNurbsElevation, kInCurves, SplineDegreeElevation},
    {kCmdBSplineReduction, kInCurves, SplineDegreeReduction},
    {kCmdNurbsReduction, kInCurves, SplineDegreeReduction},
    {kCmdNurbsSimulation, kInBothModes, NurbsSimulation},
    {kCmdBSplineSimulation, kInBothModes, BSplineSimulation},
};

constexpr DisplayEntry kDisplays[] = {
    {kBSpline, kCmdBSpline, DrawBSplineCurve},
    {kNurbs, kCmdNurbs, DrawNurbsCurve},
};

}  // namespace

FamilyTable SplineFamily() { return FamilyTable{kCommands, kDisplays}; }

}  // namespace tambra
