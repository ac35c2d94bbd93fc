// The surface family's commands and its view of the control net, as the
// window registers them.
#pragma once

#include "base/family_table.h"

namespace tambra {

FamilyTable SurfaceFamily();

}  // namespace tambra
