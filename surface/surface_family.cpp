#include "surface/surface_family.h"

#include "surface/surface_view.h"

namespace tambra {

FamilyTable SurfaceFamily() { return FamilyTable{{}, {}, DrawControlNet}; }

}  // namespace tambra
