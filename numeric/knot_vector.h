// The knot-vector helpers shared by the spline displays, the basis and the
// spline algorithms: a validity check, the knot scan, the clamped check and
// span search.
//
// A knot vector is an array of single-precision floats with room for
// kKnotCapacity entries. A curve (or one direction of a net) of n control
// points and order k uses its first n + k entries; the algorithms that find
// the end by themselves use the knot scan, which ends at the first entry
// smaller than its predecessor (the terminating entry, normally a 0, kept
// after the last knot). No helper reads beyond entry kKnotCapacity - 1, and
// every helper refuses, with the failure value it names, an order below 1, a
// count below 1, n + k beyond the storage, a null array and non-finite knots.
#pragma once

namespace tambra {

// Entries of every knot vector.
inline constexpr int kKnotCapacity = 100;
// The largest order any count leaves room for (one control point).
inline constexpr int kMaxSplineOrder = kKnotCapacity - 1;

enum KnotVectorStatus : int {
  // Refused: count or order out of range, n + k above kKnotCapacity, a null
  // array or a NaN or infinite knot among the first n + k.
  kKnotsRefused = 0,
  // Finite, but some knot is smaller than the one before it: BSplineBasis
  // still evaluates it (as the recursion would), the other helpers refuse it.
  kKnotsDecreasing = 1,
  // Finite and non-decreasing in its first n + k entries.
  kKnotsValid = 2,
};

// What the first count + order knots are fit for (see KnotVectorStatus).
KnotVectorStatus CheckKnotVector(const float* knots, int count, int order);

// The knot scan: the number of knots in use, e + 1 for the first index e
// whose knot is greater than the next one (so the entry after the last knot
// is read, never used). Only the first `capacity` entries are read, at most
// kKnotCapacity. Returns -1 when no entry within them is smaller than its
// predecessor or when an entry read is NaN or infinite.
int ScanKnots(const float* knots, int capacity = kKnotCapacity);

// Whether the first count + order knots are valid and clamped: the first
// value repeated exactly `order` times and the last value exactly `order`
// times (knots[k-1] < knots[k] and knots[n-1] < knots[n]), so that the curve
// starts at the first control point and ends at the last. Needs count >=
// order; a vector of all-equal knots is not clamped.
bool IsClampedKnotVector(const float* knots, int count, int order);

// The span of parameter t for evaluating a curve of `count` points and order
// `order`: the r with knots[r] <= t < knots[r + 1] among the first count +
// order knots, so r is the index of the last knot not greater than t. At t
// equal to knots[count] exactly the span is count - 1: the right-end rule,
// under which the last basis function is 1 there (on a clamped vector the
// curve ends at its last control point). Returns -1 when t lies before the
// first knot or at or beyond the last one (and not at the right end), when t
// is not finite, or when the knot vector is not kKnotsValid.
int FindKnotSpan(const float* knots, int count, int order, double t);

// The same scan without the right-end rule, over the first `used` knots (at
// most kKnotCapacity): the r with knots[r] <= value < knots[r + 1], or -1
// when value lies before the first knot, when no knot is greater than value,
// when value is not finite, or when those knots are not finite and
// non-decreasing. This is the search of knot insertion and deletion: it
// finds no span for a value equal to the last knot.
int FindKnotInterval(const float* knots, int used, double value);

// The clamped uniform integer vector of n points and order k: k zeros,
// 1 .. n - k, k copies of n - k + 1, then the terminating 0 (the knot scan
// ends at the first decrease). Needs n >= k >= 1; with n + k not below the
// storage only the first kKnotCapacity entries are written.
void ClampedUniformKnots(float* knots, int n, int k);

// The vector a new curve of n points and order k gets: knots 0 to k - 1 are
// 0, knot i from k to n - 1 is i - k + 1, knots n to n + k - 1 are n - k + 1
// (so for n >= k the clamped uniform vector; with fewer points the last
// entries overwrite the zeros). Writes the first n + k entries, at most the
// storage.
void DefaultKnots(float* knots, int n, int k);

// Whether the first n + k knots (at most the storage) are all zero or the
// default vector of n and k: a vector nobody chose, which may follow the
// count and the order.
bool IsAutomaticKnots(const float* knots, int n, int k);

}  // namespace tambra
