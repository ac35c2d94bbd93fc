// What the model may hold, in one place. The dialogs refuse a typed value
// beyond these limits, the control file writer never writes one and the
// reader accepts every model within them: what Save writes, Open reads.
#pragma once

#include <algorithm>
#include <cmath>

#include "base/model_state.h"

namespace tambra {

// Points of a curve, rows and columns of a rectangular net.
inline constexpr int kMaxNetSize = kMaxNet;
static_assert(kMaxNetSize == kMaxPoints, "a curve is stored as one column of the net");
// Rows of a triangular net: its N(N + 1)/2 points fit the packed list.
static_assert(kMaxTriangleRows * (kMaxTriangleRows + 1) / 2 <= kMaxTrianglePoints);
// Orders and degree steps of either direction.
inline constexpr int kMaxOrder = kMaxKnots - 1;
inline constexpr int kMaxDegreeStep = 99;
// Magnitude of the view values scale, tx, ty, tht and phi.
inline constexpr float kMaxViewValue = 1e7f;
// The grid: what the four-character Grid field shows, either sign.
inline constexpr int kMaxGrid = 9999;

// Rows a net of this shape may have.
inline int MaxNetRows(bool triangular) { return triangular ? kMaxTriangleRows : kMaxNetSize; }

// Knot entries a direction of `count` points and order `order` keeps:
// count + order, bounded by the vector's storage.
inline int StoredKnotCount(int count, int order) {
  return static_cast<int>(
      std::clamp(static_cast<long long>(count) + order, 0LL, static_cast<long long>(kMaxKnots)));
}

// An order whose whole knot vector, count + order entries, fits beside
// `count` points with room for the terminating entry after it.
inline bool OrderFitsKnots(int count, int order) {
  return order >= 0 && order <= kMaxOrder && static_cast<long long>(count) + order < kMaxKnots;
}

inline bool IsViewValue(float value) {
  return std::isfinite(value) && std::fabs(value) <= kMaxViewValue;
}

}  // namespace tambra
