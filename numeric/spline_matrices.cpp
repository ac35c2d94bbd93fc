#include "numeric/spline_matrices.h"

#include <cstring>

namespace tambra {

namespace {
SplineMatrices g_splineScratch;
}  // namespace

SplineMatrices& SplineScratch() { return g_splineScratch; }

void ResetSplineScratch() { std::memset(&g_splineScratch, 0, sizeof g_splineScratch); }

}  // namespace tambra
