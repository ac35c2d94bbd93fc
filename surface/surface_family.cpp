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
    {kCmdBezierElevation, kInSurfaces, nullptr, 0, SurfaceElevationCommand},
    {kCmdReduceSurfaces, kInSurfaces, nullptr, 0, SurfaceReductionCommand},
    {kCmdTriangularSE, kInRectangularNets, nullptr, 0, TriangularSECommand},
    {kCmdTriangularNW, kInRectangularNets, nullptr, 0, TriangularNWCommand},
    {kCmdTriangularSW, kInRectangularNets, nullptr, 0, TriangularSWCommand},
    {kCmdTriangularNE, kInRectangularNets, nullptr, 0, TriangularNECommand},
};

constexpr DisplayEntry kSurfaceDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierSurface},
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierSurface},
    {kBSpline, kCmdBSpline, DrawBSplineSurface, kInRectangularNets},
    {kNurbs, kCmdNurbs, DrawNurbsSurface, kInRectangularNets},
};

// The surface items stand in the Bezier popup, beside the curve algorithms
// of the same name.
constexpr const char* kBezierPopup[] = {"Bezier"};
constexpr const char* kReductionPopup[] = {"Bezier", "Degree reduction"};

constexpr MenuEntry kReductionLines[] = {
    MenuSeparator(),
    MenuItem("Surfaces", kCmdReduceSurfaces),
};

constexpr MenuEntry kTriangularLines[] = {
    MenuItem("S.E.", kCmdTriangularSE),
    MenuItem("N.W.", kCmdTriangularNW),
    MenuItem("S.W.", kCmdTriangularSW),
    MenuItem("N.E.", kCmdTriangularNE),
};

constexpr MenuEntry kTriangularPopup[] = {MenuPopup("Rec. to triangular", kTriangularLines)};

constexpr MenuInsertion kMenuInsertions[] = {
    {kReductionPopup, nullptr, kReductionLines},
    {kBezierPopup, "Degree reduction", kTriangularPopup},
};

}  // namespace

FamilyTable SurfaceFamily() {
  return FamilyTable{.commands = kCommands,
                     .netView = DrawControlNet,
                     .surfaceDisplays = kSurfaceDisplays,
                     .menuInsertions = kMenuInsertions};
}

}  // namespace tambra
