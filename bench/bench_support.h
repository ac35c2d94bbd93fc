// Shared by the benchmarks: a fixed pseudo-random polygon inside an 800 by
// 600 window, the same for every run.
#pragma once

#include <random>
#include <vector>

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

}  // namespace tambra
