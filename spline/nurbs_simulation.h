// NURBS > Simulation: a uniform refinement of the current clamped curve.
#pragma once

#include "base/platform.h"

namespace tambra {

// Inserts the midpoint of every knot interval, each as many times as the
// smallest interior multiplicity (the last knot's multiplicity for a single
// piece), into the knot vector; the matrix of the refinement (new points by
// old ones) goes to "mdmat.dat" in the current directory and the refined
// polygon, computed from the plain points, is drawn as a NURBS curve in blue.
// The weights of the old points stay; the new indices get weight 1. The last
// midpoint stays in insertKnot whatever Save says; the rest only with Save
// on. A curve that is not clamped, of order below 2, whose refinement would
// not fit the storage, or whose dump cannot be written (reported) is left
// unchanged and nothing is drawn.
void NurbsSimulation(Platform& window);

}  // namespace tambra
