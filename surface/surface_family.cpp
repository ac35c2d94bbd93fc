#include "surface/surface_family.h"

#include "resources/command_ids.h"
#include "surface/surface_patch.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

constexpr DisplayEntry kSurfaceDisplays[] = {
    {kBezier, kCmdBezier, DrawBezierSurface},
    {kRationalBezier, kCmdRationalBezier, DrawRationalBezierSurface},
};

}  // namespace

FamilyTable SurfaceFamily() { return FamilyTable{{}, {}, DrawControlNet, kSurfaceDisplays}; }

}  // namespace tambra
