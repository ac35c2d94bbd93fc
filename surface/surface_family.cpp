#include "surface/surface_family.h"

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "surface/rect_to_triangle.h"
#include "surface/spline_surface.h"
#include "surface/surface_degree.h"
#include "surface/surface_patch.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

constexpr CommandEntry kCommands[] = {
    {kCmdBezierElevation, kInSurfaces, SurfaceElevationCommand},
    {kCmdReduceSurfaces, kInSurfaces, SurfaceReductionCommand},
    {kCmdTriangularSE, kInRectangularNets, TriangularSECommand},
    {kCmdTriangularNW, kInRectangularNets, TriangularNWCommand},
    {kCmdTriangularSW, kInRectangularNets, TriangularSWCommand},
    {kCmdTriangularNE, kInRectangularNets, TriangularNECommand},
};

constexpr DisplayEntry kSurfaceDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierSurface},
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierSurface},
    {kBSpline, kCmdBSpline, DrawBSplineSurface, kInRectangularNets},
    {kNurbs, kCmdNurbs, DrawNurbsSurface, kInRectangularNets},
};

}  // namespace

FamilyTable SurfaceFamily() { return FamilyTable{kCommands, {}, DrawControlNet, kSurfaceDisplays}; }

}  // namespace tambra
