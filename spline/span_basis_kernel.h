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

#include <cmath>
#include <cstring>
#include <utility>

#include "base/model_state.h"
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

// Lane L of the result is p[min(L, last) * stride], built in registers (a
// vector loaded from scalars just stored would wait for the stores).
template <typename V, std::size_t... L>
inline V Gather(const double* p, long stride, long last, std::index_sequence<L...>) {
  return V{p[(static_cast<long>(L) < last ? static_cast<long>(L) : last) * stride]...};
}

template <typename V>
inline V Gather(const double* p, long stride, long last) {
  return Gather<V>(p, stride, last, std::make_index_sequence<kLanes<V>>{});
}

// min(j + L, last) in lane L.
template <typename V, std::size_t... L>
inline V Indices(int j, int last, std::index_sequence<L...>) {
  return V{static_cast<double>(j + static_cast<int>(L) < last ? j + static_cast<int>(L) : last)...};
}

// The curve points of one group of lanes: term r's basis values in the
// lanes of basisOf(r), for functions first + r. Each lane forms its sums as
// a one-sample loop does, term by term in increasing index; only the first
// `lanes` lanes are stored, at out[L] and drawn[L].
template <typename V, typename Basis>
inline void SumLanes(const SplineSums& sums, int first, int terms, Basis basisOf, int lanes,
                     Point2* out, unsigned char* drawn) {
  constexpr int kWidth = kLanes<V>;
  V x = Splat<V>(0.0), y = x, w = x;
  for (int r = 0; r < terms; ++r) {
    const V b = basisOf(r);
    const int i = first + r;
    if (sums.rational) {
      const V weight = Splat<V>(sums.weights[i]);
      x += Splat<V>(sums.points[i].x) * b * weight;
      y += Splat<V>(sums.points[i].y) * b * weight;
      w += weight * b;
    } else {
      x += Splat<V>(sums.points[i].x) * b;
      y += Splat<V>(sums.points[i].y) * b;
    }
  }
  // The quotients of lanes whose weighted sum is 0 are not used.
  const V qx = sums.rational ? x / w : x, qy = sums.rational ? y / w : y;
  double xs[kWidth], ys[kWidth], ws[kWidth];
  std::memcpy(xs, &qx, sizeof xs);
  std::memcpy(ys, &qy, sizeof ys);
  std::memcpy(ws, &w, sizeof ws);
  for (int L = 0; L < lanes; ++L) {
    const Point2 q{static_cast<float>(xs[L]), static_cast<float>(ys[L])};
    const bool finite =
        std::isfinite(xs[L]) && std::isfinite(ys[L]) && std::isfinite(q.x) && std::isfinite(q.y);
    drawn[L] = finite && !(sums.rational && ws[L] == 0.0);
    out[L] = drawn[L] != 0 ? q : Point2{0.0f, 0.0f};
  }
}

template <typename V>
inline void SpanBasisLanes(const float* u, int k, int s, const SampleGrid& grid, int begin, int end,
                           double* values, const SplineSums* sums) {
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
    const V index = Indices<V>(j, end - 1, std::make_index_sequence<kWidth>{});
    const V t = a + index * width / segments;
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
    if (sums != nullptr) {
      SumLanes<V>(
          *sums, base, k, [&](int r) { return row[r]; }, lanes, sums->out + (j - begin),
          sums->drawn + (j - begin));
    }
  }
}

// The curve points of samples begin .. end - 1 whose basis values share
// their first function: sample j's values at basis + (j - begin) * width,
// `terms` of them for functions first on.
template <typename V>
inline void SplinePointLanes(const SplineSums& sums, int first, int terms, const double* basis,
                             int width, int begin, int end) {
  constexpr int kWidth = kLanes<V>;
  for (int j = begin; j < end; j += kWidth) {
    const int lanes = end - j < kWidth ? end - j : kWidth;
    const double* values = basis + static_cast<long>(j - begin) * width;
    // Lanes past `end` repeat the last sample.
    SumLanes<V>(
        sums, first, terms, [&](int r) { return Gather<V>(values + r, width, lanes - 1); }, lanes,
        sums.out + (j - begin), sums.drawn + (j - begin));
  }
}

}  // namespace tambra::span_kernel
