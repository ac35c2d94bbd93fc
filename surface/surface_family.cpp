#include "surface/surface_family.h"

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "surface/spline_surface.h"
#include "surface/surface_patch.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

constexpr DisplayEntry kSurfaceDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierSurface},
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierSurface},
    {kBSpline, kCmdBSpline, DrawBSplineSurface},
    {kNurbs, kCmdNurbs, DrawNurbsSurface},
};

}  // namespace

FamilyTable SurfaceFamily() { return FamilyTable{{}, {}, DrawControlNet, kSurfaceDisplays}; }

}  // namespace tambra
