// The rational Bezier family's commands and display, as the window
// registers them.
#pragma once

#include "base/family_table.h"

namespace tambra {

FamilyTable RationalFamily();

}  // namespace tambra
