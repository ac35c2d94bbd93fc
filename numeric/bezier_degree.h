// Degree elevation and the six degree reductions of a Bezier control polygon
// as pure kernels. Each takes the old points, their count, the degree step
// where it has one and the scratch it may overwrite, and returns the new
// polygon, or nothing when it cannot run: too few points, sizes beyond the
// storage or the solver, a singular system, an undefined end direction, a
// result that is not finite. None of them reads the model or draws; the
// commands around them do.
//
// Where the algorithm treats every coordinate alike (elevation, least
// squares free and C0, Simple, Eck) the kernels take points of D coordinates:
// D = 2 for plane curves, 3 for homogeneous (x w, y w, w) or spatial points.
// C1 and C2 mix x and y through their end directions and are planar.
//
// Every stored intermediate is single precision, formed in double from the
// stored values; each coordinate is computed by the same operations whatever
// D is.
#pragma once

#include <array>
#include <optional>

#include "numeric/matrix.h"

namespace tambra {

template <std::size_t D>
struct Polygon {
  int count = 0;
  std::array<Coords<D>, kMatrixSize> points;
};

template <std::size_t D>
using PolygonResult = std::optional<Polygon<D>>;

// Fewest new points of each least-squares reduction.
inline constexpr int kLeastLseFree = 3;
inline constexpr int kLeastLseC0 = 3;
inline constexpr int kLeastLseC1 = 4;
inline constexpr int kLeastLseC2 = 6;

// The n points rewritten as the same curve with n + r points, through the
// elevation matrix (double running values) in scratch.matrixA, 0-based. The
// first point is copied; the last comes out equal to the old last one while
// C(n-1+r, r) is exact in double. Needs n >= 1, r >= 0, n + r <= 100.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ElevateDegree(const Coords<D>* points, int n, int r,
                                             NumericScratch& scratch);

// Least squares: the m = n - r points whose elevation by r is closest to the
// given ones. E (single-precision running values) goes 1-based into
// matrixE, the normal matrix E E^T into matrixA, A^-1 E into matrixB. Needs
// r >= 0, m >= 3, n <= 99.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ReduceLse(const Coords<D>* points, int n, int r,
                                         NumericScratch& scratch);

// The matrix of ReduceLse alone, for many polygons of n points reduced by r
// alike, with E's running values in `precision`: E goes 1-based into
// matrixE, the inverse of E E^T into matrixA and (E E^T)^-1 E, rows 1..m
// and columns 1..n, into matrixB. False when r < 0, m = n - r < least (and
// below 1), n > 99 or the normal matrix is singular.
[[nodiscard]] bool BuildLseReductionMatrix(int n, int r, int least, ElevationPrecision precision,
                                           NumericScratch& scratch);

// The m reduced points of n given ones through the matrix
// BuildLseReductionMatrix left in matrixB, each a single-precision sum; nothing
// when a result is not finite or the sizes do not fit.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ApplyLseReduction(const Coords<D>* points, int n, int m,
                                                 const NumericScratch& scratch);

// The same with the first and last points kept; the normal equations cover
// the inner points only. Same needs and storage as ReduceLse.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ReduceLseC0(const Coords<D>* points, int n, int r,
                                           NumericScratch& scratch);

// Also keeps the directions of the end tangents; their lengths and the
// inner points are the 2m - 6 unknowns. E goes 0-based into matrixE.
// Needs r >= 0, m >= 4, n <= 100, at most 99 unknowns and end points
// distinct from their neighbours.
[[nodiscard]] PolygonResult<2> ReduceLseC1(const Coords<2>* points, int n, int r,
                                           NumericScratch& scratch);

// Also keeps the directions of the second differences at both ends (2m - 8
// unknowns); a plain copy of E goes into elevationMatrix. Needs m >= 6 and
// non-zero second differences at both ends, otherwise as ReduceLseC1.
[[nodiscard]] PolygonResult<2> ReduceLseC2(const Coords<2>* points, int n, int r,
                                           NumericScratch& scratch);

// One degree down: removes the leading power-basis term (S / 2^p) (2t-1)^p,
// S the p-th forward difference, p = n - 1, then ReduceLse with step 1.
// Needs 4 <= n <= 99.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ReduceSimple(const Coords<D>* points, int n,
                                            NumericScratch& scratch);

// One degree down by Eck's blend of the forward and backward reduction
// recursions (Eck, "Degree reduction of Bezier curves", CAGD 1993). Needs
// 3 <= n <= 100.
template <std::size_t D>
[[nodiscard]] PolygonResult<D> ReduceEck(const Coords<D>* points, int n);

}  // namespace tambra
