#include "numeric/bspline_basis.h"

#include <algorithm>
#include <cmath>

namespace tambra {

namespace {

// N(j, l) below is the value of function j at order l. Both evaluators keep
// one row of terms and overwrite it level by level in increasing j: term j of
// the new level reads terms j and j + 1 of the old one, and j + 1 is not
// overwritten yet.

// a of the recursion for N(j, l); 0 when its two knots are equal.
inline double LeftFactor(const float* u, int j, int l, double t) {
  const float low = u[j];
  const float high = u[j + l - 1];
  return high != low ? (t - low) / (static_cast<double>(high) - low) : 0.0;
}

// b of the recursion for N(j, l); 0 when its two knots are equal.
inline double RightFactor(const float* u, int j, int l, double t) {
  const float low = u[j + 1];
  const float high = u[j + l];
  return high != low ? (static_cast<double>(high) - t) / (static_cast<double>(high) - low) : 0.0;
}

// The terms below functions lowTop .. highTop at order k on a non-decreasing
// vector, t not at the right end, [u(s), u(s+1)) the one interval holding t.
// Term j of level l can be nonzero only for s-l+1 <= j <= s; every other term
// is exactly +0 (its leaves are 0, and where a factor is negative, t lying
// outside its knots, it multiplies such a +0 while the other product is +0
// or positive, so no -0 arises). row[j - (s-k+1)] holds term j; row[k]
// stands for j = s + 1 and stays 0. At the edges of the band one product is
// a non-negative factor times that +0: it adds +0, which changes no bit of
// the other product, and is left out.
void SpanTerms(const float* u, int k, double t, int s, int lowTop, int highTop, double* row) {
  const int base = s - k + 1;
  std::fill(row, row + k + 1, 0.0);
  row[k - 1] = 1.0;  // N(s, 1)
  for (int l = 2; l <= k; ++l) {
    const int low = std::max(lowTop, s - l + 1);
    const int high = std::min(s, highTop + k - l);
    for (int j = low; j <= high; ++j) {
      double* n = row + (j - base);
      if (j == s - l + 1) {
        *n = RightFactor(u, j, l, t) * n[1];
      } else if (j == s) {
        *n = LeftFactor(u, j, l, t) * n[0];
      } else {
        *n = LeftFactor(u, j, l, t) * n[0] + RightFactor(u, j, l, t) * n[1];
      }
    }
  }
}

// Every term below functions i0 .. i1 at order k, the right-end rule
// included, for any finite knots: what the recursion computes, each term
// once. row[i - i0] holds N(i, k) afterwards; row needs i1 - i0 + k entries.
void AllTerms(const float* u, int m, int k, double t, int i0, int i1, double* row) {
  const bool atEnd = t == static_cast<double>(u[m]);
  for (int j = i0; j <= i1 + k - 1; ++j) {
    row[j - i0] = (atEnd && j == m - 1) || (u[j] <= t && t < u[j + 1]) ? 1.0 : 0.0;
  }
  for (int l = 2; l <= k; ++l) {
    for (int j = i0; j <= i1 + k - l; ++j) {
      double* n = row + (j - i0);
      *n = atEnd && j == m - 1 ? 1.0
                               : LeftFactor(u, j, l, t) * n[0] + RightFactor(u, j, l, t) * n[1];
    }
  }
}

// The s with u(s) <= t < u(s+1) among u(from) .. u(to) (non-decreasing), or
// -1 when t lies outside [u(from), u(to)).
int IntervalIn(const float* u, int from, int to, double t) {
  const float* above = std::upper_bound(u + from, u + to + 1, t);
  if (above == u + from || above == u + to + 1) return -1;
  return static_cast<int>(above - u) - 1;
}

}  // namespace

double BSplineBasis(const float* knots, int count, int i, int k, double t) {
  const KnotVectorStatus status = CheckKnotVector(knots, count, k);
  if (status == kKnotsRefused || i < 0 || i >= count || !std::isfinite(t)) return 0.0;
  double row[kKnotCapacity + 1];
  if (status == kKnotsValid && t != static_cast<double>(knots[count])) {
    const int s = IntervalIn(knots, i, i + k, t);
    if (s < 0) return 0.0;  // t outside the support of function i
    SpanTerms(knots, k, t, s, i, i, row);
    return row[i - (s - k + 1)];
  }
  AllTerms(knots, count, k, t, i, i, row);
  return row[0];
}

int BSplineBasisValues(const float* knots, int count, int k, double t, double* values) {
  if (values == nullptr || !std::isfinite(t) || CheckKnotVector(knots, count, k) != kKnotsValid) {
    return -1;
  }
  const bool atEnd = t == static_cast<double>(knots[count]);
  // The interval holding t; at the right end the last function's, whose
  // support (and that of the k - 1 before it) the rule reaches.
  const int s = atEnd ? count - 1 : IntervalIn(knots, 0, count + k - 1, t);
  // The k functions s-k+1 .. s, moved inside 0 .. count-1 where they stick
  // out: the ones moved in are 0 at t.
  const int first = std::max(0, std::min(s - k + 1, count - k));
  const int last = std::min(first + k - 1, count - 1);
  std::fill(values, values + k, 0.0);
  if (s < 0) return first;  // t outside the knots: every function is 0
  double row[kKnotCapacity + 1];
  if (atEnd) {
    AllTerms(knots, count, k, t, first, last, row);
    std::copy(row, row + (last - first + 1), values);
  } else {
    SpanTerms(knots, k, t, s, first, last, row);
    const int base = s - k + 1;
    for (int i = std::max(first, base); i <= std::min(last, s); ++i) {
      values[i - first] = row[i - base];
    }
  }
  return first;
}

bool BSplineBasisEvery(const float* knots, int count, int k, double t, double* values) {
  if (values == nullptr || count < 1) return false;
  if (!std::isfinite(t) || CheckKnotVector(knots, count, k) == kKnotsRefused) {
    std::fill(values, values + std::min(count, kKnotCapacity), 0.0);
    return false;
  }
  double row[kKnotCapacity + 1];
  AllTerms(knots, count, k, t, 0, count - 1, row);
  std::copy(row, row + count, values);
  return true;
}

}  // namespace tambra
