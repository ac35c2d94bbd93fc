// The span kernel, written once for a lane type V: double (one sample) or a
// vector of doubles (one sample per lane). Included by span_basis.cpp and by
// the vector kernels' files after their target pragma, so that each builds
// it for its own instructions (a distinct instantiation per lane type).
//
// Lane L sees the operations of the numeric layer's span terms for its t, in
// their order: with N(j, l) the term of function j at order l, the left
// factor (t - u(j)) / (u(j+l-1) - u(j)) and the right factor (u(j+l) - t) /
// (u(j+l) - u(j+1)), each 0 where its two knots are equal, and N(j, l) =
// left N(j, l-1) + right N(j+1, l-1) inside the band, one product alone at
// its edges. What the samples of a span share is only taken once: the
// differences t - u(j) and u(j+l) - t are the same for every level, and
// whether a factor's knots are equal (and their difference) is the same for
// every sample.
#pragma once

#include <cstring>

#include "numeric/knot_vector.h"
#include "spline/span_basis.h"

namespace tambra::span_kernel {

template <typename V>
inline constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));

template <typename V>
inline V Splat(double x) {
  double lanes[kLanes<V>];
  for (double& lane : lanes) lane = x;
  V v;
  std::memcpy(&v, lanes, sizeof v);
  return v;
}

template <typename V>
inline void SpanBasisLanes(const float* u, int k, int s, const SampleGrid& grid, int begin,
                           int end, double* values) {
  constexpr int kWidth = kLanes<V>;
  const int base = s - k + 1;  // row[r] holds the term of function base + r
  const V zero = Splat<V>(0.0);
  const V width = Splat<V>(grid.b - grid.a);
  const V segments = Splat<V>(static_cast<double>(grid.segments));
  const V a = Splat<V>(grid.a);
  V row[kMaxSplineOrder];
  V left[kMaxSplineOrder];   // left[r] = t - u(base + r), r = 1 .. k-1
  V right[kMaxSplineOrder];  // right[r] = u(s + r) - t, r = 1 .. k-1
  for (int j = begin; j < end; j += kWidth) {
    // Lanes past `end` repeat the last sample and are not stored.
    double index[kWidth];
    for (int lane = 0; lane < kWidth; ++lane) index[lane] = j + lane < end ? j + lane : end - 1;
    V t;
    std::memcpy(&t, index, sizeof t);
    t = a + t * width / segments;
    for (int r = 1; r < k; ++r) {
      left[r] = t - Splat<V>(u[base + r]);
      right[r] = Splat<V>(u[s + r]) - t;
    }
    for (int r = 0; r + 1 < k; ++r) row[r] = zero;
    row[k - 1] = Splat<V>(1.0);  // N(s, 1)
    for (int l = 2; l <= k; ++l) {
      // Terms r = k-l .. k-1 of level l, in increasing r so that row[r + 1]
      // still holds level l - 1. The knots u(j+1) and u(j+l) of term j's
      // right factor are those of term j + 1's left one: one difference
      // serves both, computed at term j and carried to term j + 1.
      V carriedLeft = zero;
      for (int r = k - l; r < k; ++r) {
        V rightFactor = zero, nextLeft = zero;
        if (r + 1 < k) {
          const float low = u[base + r + 1], high = u[base + r + l];
          if (high != low) {
            const V difference = Splat<V>(static_cast<double>(high) - low);
            rightFactor = right[r + l - k + 1] / difference;
            nextLeft = left[r + 1] / difference;
          }
        }
        if (r == k - l) {
          row[r] = rightFactor * row[r + 1];
        } else if (r + 1 == k) {
          row[r] = carriedLeft * row[r];
        } else {
          row[r] = carriedLeft * row[r] + rightFactor * row[r + 1];
        }
        carriedLeft = nextLeft;
      }
    }
    const int lanes = end - j < kWidth ? end - j : kWidth;
    double* out = values + static_cast<long>(j - begin) * k;
    for (int r = 0; r < k; ++r) {
      double terms[kWidth];
      std::memcpy(terms, &row[r], sizeof terms);
      for (int lane = 0; lane < lanes; ++lane) out[lane * k + r] = terms[lane];
    }
  }
}

}  // namespace tambra::span_kernel
