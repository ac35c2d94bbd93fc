#include "rational/rational_family.h"

#include "base/canvas.h"
#include "base/model_state.h"
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
    {kCmdApproxHybrid, kInBothModes, HybridBezierCurve, kInCurves},
};

constexpr DisplayEntry kDisplays[] = {
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierCurve},
};

}  // namespace

FamilyTable RationalFamily() { return FamilyTable{kCommands, kDisplays}; }

}  // namespace tambra
