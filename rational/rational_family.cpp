#include "rational/rational_family.h"

#include "base/model_state.h"
#include "rational/rational_display.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

constexpr DisplayEntry kDisplays[] = {
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierCurve},
};

}  // namespace

FamilyTable RationalFamily() { return FamilyTable{{}, kDisplays}; }

}  // namespace tambra
