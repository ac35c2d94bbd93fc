// Degree elevation and least-squares degree reduction of a Bezier control
// net: a rectangular net one parametric direction at a time, a triangular
// net as a whole. The new net is drawn in blue; the model keeps it only
// while Save is checked.
//
// Every command first computes its whole result and refuses, with the model
// unchanged, nothing drawn and the reason in the status, when it cannot run: an empty net, a negative
// step, a result beyond the net, the packed list or the 100 by 100
// matrices, a singular normal matrix, or a new point that is not finite.
#pragma once

#include <string>

#include "base/outcome.h"
#include "numeric/matrix.h"

namespace tambra {

// Each works on the surface it is given and returns why it did nothing
// (the surface unchanged), or "" when done.
//
// Direction 0 raises the rows (N) by xDegreeStep, direction 1 the columns (M)
// by yDegreeStep. Refused when the new count is 100 or more. A step of 0
// gives the net unchanged.
std::string SurfaceDegreeElevation(SurfaceCopy& surface, int d, NumericScratch& scratch);
// The same directions lowered by their steps: each line becomes the m = n -
// step points whose elevation is closest to it in least squares (end points
// not kept). Refused when m is below 2 or n above 99.
std::string SurfaceDegreeReduction(SurfaceCopy& surface, int d, NumericScratch& scratch);
// The triangular net of N rows raised to N + xDegreeStep rows. Refused when
// the new net has 100 points or more.
std::string TriangleDegreeElevation(SurfaceCopy& surface, NumericScratch& scratch);
// The triangular net lowered to N - xDegreeStep rows by least squares.
// Refused when fewer than 2 rows would remain or the net has more than 100
// points (N above 13).
std::string TriangleDegreeReduction(SurfaceCopy& surface, NumericScratch& scratch);

// Writes into `t` (which must not be scratch.elevationMatrix) the matrix
// taking the m(m+1)/2 packed points of a triangular net of m rows to those
// of the same patch with m + r rows: rows are old points, columns new ones,
// 0-based. Old row i goes to new row i + j with the curve weight E[i][i+j]
// of the (m, r) elevation matrix, and within the rows by the curve
// elevation of i + 1 points by j. Uses scratch.elevationMatrix. False, with
// nothing written, when m < 1, r < 0 or either count is above 100.
[[nodiscard]] bool TriangleElevationMatrix(Matrix& t, int m, int r, NumericScratch& scratch);

// Bezier > Degree elevation and Degree reduction > Surfaces in Surfaces
// mode: the triangular operation on a triangular net; on a rectangular one
// direction 0 when X_axis is checked, then direction 1 when Y_axis is (on
// the first one's result when Save is on). A direction that refuses is named
// in the status; when nothing was done the status says why.
Outcome SurfaceElevationCommand(const CommandInput& input);
Outcome SurfaceReductionCommand(const CommandInput& input);

}  // namespace tambra
