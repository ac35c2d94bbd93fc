// File > Export mesh: the patch or spline surface the Surfaces view shows,
// as a Wavefront OBJ that 3-D tools open.
#pragma once

#include <string>

namespace tambra {

// The surface chosen for the current net, sampled as its display samples
// it (the grid's (G + 1) by (G + 1) points, or the G + 1 rows of a
// triangular patch), in model coordinates: object "surface" with quads or
// triangles, then object "control_net" with the net's edges as lines. A
// sample that is not finite is left out with the faces that touch it. ""
// with `why` set when no surface is shown (none chosen, or the display draws
// none for this net).
std::string SurfaceObj(std::string& why);

}  // namespace tambra
