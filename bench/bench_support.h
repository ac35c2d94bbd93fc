// Shared by the benchmarks: a fixed pseudo-random polygon inside an 800 by
// 600 window, the same for every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "app/command_table.h"
#include "base/model_state.h"

namespace tambra {

inline std::vector<Point2> GenericPolygon(int count) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> xs(40.0f, 760.0f);
  std::uniform_real_distribution<float> ys(40.0f, 560.0f);
  std::vector<Point2> p(count);
  for (Point2& point : p) point = Point2{xs(random), ys(random)};
  return p;
}

// n points on a wave across the window, order k, the clamped uniform knots
// 0 .. n-k+1 (the reset model's zeros after them), weights between 0.5 and
// 2, grid 50, the log closed.
inline void SetWavySplineCurve(int n, int k) {
  ResetModelState();
  ModelState& m = Model();
  m.pointCount = n;
  m.order = k;
  for (int i = 0; i < n; ++i) {
    const float x = 20.0f + 760.0f * static_cast<float>(i) / static_cast<float>(n - 1);
    m.points[i] = Point2{x, 300.0f + 200.0f * static_cast<float>(std::sin(i * 0.3))};
    m.weights[i] = 1.25f + 0.75f * static_cast<float>(std::cos(i * 0.7));
  }
  for (int i = 0; i < n + k; ++i) {
    m.knots[i] = static_cast<float>(std::clamp(i - k + 1, 0, n - k + 1));
  }
}

}  // namespace tambra
