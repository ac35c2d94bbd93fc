// NURBS > Simulation: a uniform refinement of the current clamped curve.
#pragma once

#include "base/outcome.h"

namespace tambra {

// Inserts the midpoint of every knot interval, each as many times as the
// smallest interior multiplicity (the last knot's multiplicity for a single
// piece), into the knot vector; the matrix of the refinement (new points by
// old ones) goes to "mdmat.dat" in the current directory and the refined
// polygon is drawn as a NURBS curve in blue. The matrix refines the
// homogeneous points (w x, w y, w) and the result is divided back, so a
// weighted curve stays the same curve (with all weights 1 the new points are
// the plain product and every weight is 1). The last midpoint stays in
// insertKnot whatever Save says; the rest only with Save on. A curve that is
// not clamped, of order below 2, whose refinement would not fit the storage,
// gives a new weight that is zero or not finite, or whose dump cannot be
// written (reported) is left unchanged, nothing is drawn and the status
// says why.
Outcome NurbsSimulation(const CommandInput& input);

}  // namespace tambra
