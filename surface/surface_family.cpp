#include "surface/surface_family.h"

#include <string>

#include "base/model_limits.h"
#include "base/model_state.h"
#include "resources/command_ids.h"
#include "surface/rect_to_triangle.h"
#include "surface/spline_surface.h"
#include "surface/surface_degree.h"
#include "surface/surface_mesh.h"
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

std::string Count(int value) { return std::to_string(value); }

// The grid the patch displays sample with: 1 to 99 steps.
std::string GridShortfall(const ModelState& m, const std::string& what) {
  if (m.grid >= 1 && m.grid <= kMaxPatchGrid) return "";
  return what + " needs a grid from 1 to " + Count(kMaxPatchGrid) + "; it is " + Count(m.grid);
}

std::string PatchShortfall(const ModelState& m) {
  const std::string what = "A Bezier patch";
  if (m.netRows < 1 || m.netCols < 1 || m.netRows > kMaxNet || m.netCols > kMaxNet) {
    return what + " needs a net of at least 1 by 1; it has " + Count(m.netRows) + " by " +
           Count(m.netCols);
  }
  if (m.triangles == 1 && m.netRows > kMaxTriangleRows) {
    return what + " on a triangular net takes at most " + Count(kMaxTriangleRows) + " rows";
  }
  return GridShortfall(m, what);
}

std::string SplineSurfaceShortfall(const ModelState& m) {
  const std::string what = m.curveKind == kNurbs ? "A NURBS surface" : "A B-spline surface";
  if (m.triangles == 1) return what + " needs a rectangular net; the net is triangular";
  if (m.netRows < m.xOrder || m.netCols < m.yOrder || m.xOrder < 1 || m.yOrder < 1) {
    return what + " needs at least as many rows and columns as its orders " + Count(m.xOrder) +
           " and " + Count(m.yOrder) + "; the net has " + Count(m.netRows) + " by " +
           Count(m.netCols);
  }
  if (!OrderFitsKnots(m.netRows, m.xOrder) || !OrderFitsKnots(m.netCols, m.yOrder)) {
    return what + " needs fewer than 100 knots in each direction";
  }
  return GridShortfall(m, what);
}

constexpr DisplayEntry kSurfaceDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierSurface, kInBothModes, nullptr, PatchShortfall},
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierSurface, kInBothModes, nullptr,
     PatchShortfall},
    {kBSpline, kCmdBSpline, DrawBSplineSurface, kInRectangularNets, nullptr,
     SplineSurfaceShortfall},
    {kNurbs, kCmdNurbs, DrawNurbsSurface, kInRectangularNets, nullptr, SplineSurfaceShortfall},
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
                     .meshExport = SurfaceObj,
                     .surfaceDisplays = kSurfaceDisplays,
                     .menuInsertions = kMenuInsertions};
}

}  // namespace tambra
