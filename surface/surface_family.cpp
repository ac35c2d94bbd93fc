#include "surface/surface_family.h"

#include "resources/command_ids.h"
#include "surface/rect_to_triangle.h"
#include "surface/surface_degree.h"
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

}  // namespace

FamilyTable SurfaceFamily() { return FamilyTable{kCommands, {}, DrawControlNet}; }

}  // namespace tambra
