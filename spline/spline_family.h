// The B-spline and NURBS family's commands and displays, as the window
// registers them.
#pragma once

#include "base/family_table.h"

namespace tambra {

FamilyTable SplineFamily();

}  // namespace tambra
