// The line the window's status bar shows: the mode and what matters in it
// (for a curve its points, family and order; for a net its size, shape,
// orders, grid and the surface shown).
#pragma once

#include <string>

namespace tambra {

std::string StatusLine();

}  // namespace tambra
