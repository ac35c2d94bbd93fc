#include "numeric/knot_vector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace tambra {

namespace {

constexpr std::uint32_t kExponent = 0x7f800000u;  // the exponent bits of a float

// The r with knots[r] <= value < knots[r + 1] among `used` non-decreasing
// knots, or -1.
int IntervalOf(const float* knots, int used, double value) {
  // The first knot greater than value; the interval ends there.
  const float* above = std::upper_bound(knots, knots + used, value);
  if (above == knots || above == knots + used) return -1;
  return static_cast<int>(above - knots) - 1;
}

}  // namespace

KnotVectorStatus CheckKnotVector(const float* knots, int count, int order) {
  // Written so that no sum of the arguments can overflow.
  if (knots == nullptr || count < 1 || order < 1 || count > kKnotCapacity - order) {
    return kKnotsRefused;
  }
  // Every evaluation checks its vector, so the loop has no early exit and
  // only integer reductions, which the compiler vectorises: a float is NaN
  // or infinite when its exponent bits are all ones.
  const int used = count + order;
  std::uint32_t nonFinite = 0;
  std::uint32_t decreasing = 0;
  for (int i = 0; i < used; ++i) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(knots[i]);
    nonFinite |= static_cast<std::uint32_t>((bits & kExponent) == kExponent);
  }
  for (int i = 1; i < used; ++i) decreasing |= static_cast<std::uint32_t>(knots[i] < knots[i - 1]);
  if (nonFinite != 0) return kKnotsRefused;
  return decreasing != 0 ? kKnotsDecreasing : kKnotsValid;
}

int ScanKnots(const float* knots, int capacity) {
  if (knots == nullptr) return -1;
  const int limit = std::min(capacity, kKnotCapacity);
  for (int e = 0; e + 1 < limit; ++e) {
    if (!std::isfinite(knots[e]) || !std::isfinite(knots[e + 1])) return -1;
    if (knots[e] > knots[e + 1]) return e + 1;
  }
  return -1;  // no terminating entry within the storage
}

bool IsClampedKnotVector(const float* knots, int count, int order) {
  if (CheckKnotVector(knots, count, order) != kKnotsValid || count < order) return false;
  const int n = count;
  const int k = order;
  return knots[0] == knots[k - 1] && knots[k - 1] < knots[k] && knots[n - 1] < knots[n] &&
         knots[n] == knots[n + k - 1];
}

int FindKnotInterval(const float* knots, int used, double value) {
  if (knots == nullptr || used < 1 || used > kKnotCapacity || !std::isfinite(value)) return -1;
  for (int i = 0; i < used; ++i) {
    if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return -1;
  }
  return IntervalOf(knots, used, value);
}

int FindKnotSpan(const float* knots, int count, int order, double t) {
  if (CheckKnotVector(knots, count, order) != kKnotsValid || !std::isfinite(t)) return -1;
  if (t == static_cast<double>(knots[count])) return count - 1;
  return IntervalOf(knots, count + order, t);
}

void ClampedUniformKnots(float* knots, int n, int k) {
  const float end = static_cast<float>(n - k + 1);
  // A vector longer than the storage is written as far as it goes and left
  // without its terminator: no helper takes it for a usable vector.
  const long long used = static_cast<long long>(n) + k;
  for (int i = 0; i < used && i < kKnotCapacity; ++i) {
    knots[i] = i < k ? 0.0f : i < n ? static_cast<float>(i - k + 1) : end;
  }
  if (used >= 0 && used < kKnotCapacity) knots[used] = 0.0f;
}

namespace {

int DefaultKnotCount(int n, int k) {
  return static_cast<int>(std::clamp(static_cast<long long>(n) + k, 0LL,
                                     static_cast<long long>(kKnotCapacity)));
}

float DefaultKnot(int i, int n, int k) {
  if (i >= std::max(n, 0)) return static_cast<float>(n - k + 1);
  return i < k ? 0.0f : static_cast<float>(i - k + 1);
}

}  // namespace

void DefaultKnots(float* knots, int n, int k) {
  const int used = DefaultKnotCount(n, k);
  for (int i = 0; i < used; ++i) knots[i] = DefaultKnot(i, n, k);
}

bool IsAutomaticKnots(const float* knots, int n, int k) {
  const int used = DefaultKnotCount(n, k);
  bool zero = true, standard = true;
  for (int i = 0; i < used && (zero || standard); ++i) {
    zero = zero && knots[i] == 0.0f;
    standard = standard && knots[i] == DefaultKnot(i, n, k);
  }
  return zero || standard;
}

}  // namespace tambra
