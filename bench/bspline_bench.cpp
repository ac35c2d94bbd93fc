// Cost of one evaluated curve point: every basis function that can be
// nonzero at one parameter, on a clamped uniform knot vector of 50 points.

#include <benchmark/benchmark.h>

#include <vector>

#include "numeric/bspline_basis.h"
#include "numeric/knot_vector.h"

namespace tambra {
namespace {

constexpr int kPoints = 50;
constexpr int kSamples = 50;

std::vector<float> ClampedUniform(int n, int k) {
  std::vector<float> u(kKnotCapacity, 0.0f);
  for (int i = 0; i < n + k; ++i) {
    u[i] = static_cast<float>(i < k ? 0 : i < n ? i - k + 1 : n - k + 1);
  }
  return u;
}

// The parameters a display samples: the inner points of `kSamples` segments.
double Sample(const std::vector<float>& u, int k, int j) {
  const double a = u[k - 1], b = u[kPoints];
  return a + (j % (kSamples - 1) + 1) * (b - a) / kSamples;
}

// The recursion as written, 2^(k-1) leaves per value.
double Recursion(const float* u, int m, int i, int k, double t) {
  if (i == m - 1 && t == u[m]) return 1.0;
  if (k == 1) return u[i] <= t && t < u[i + 1] ? 1.0 : 0.0;
  const double ui = u[i], uik1 = u[i + k - 1], ui1 = u[i + 1], uik = u[i + k];
  const double a = uik1 != ui ? (t - ui) / (uik1 - ui) : 0.0;
  const double b = uik != ui1 ? (uik - t) / (uik - ui1) : 0.0;
  return a * Recursion(u, m, i, k - 1, t) + b * Recursion(u, m, i + 1, k - 1, t);
}

// BSplineBasisValues: all k values of the point at once.
void BM_BasisValuesPerPoint(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const std::vector<float> u = ClampedUniform(kPoints, k);
  double values[kMaxSplineOrder];
  int j = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BSplineBasisValues(u.data(), kPoints, k, Sample(u, k, j++), values));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BasisValuesPerPoint)->Arg(4)->Arg(10)->Arg(20);

// One evaluation per nonzero function at each point: BSplineBasis, as a
// caller keeping the one-function interface would, or the literal recursion.
template <double (*Evaluate)(const float*, int, int, int, double)>
void PerFunctionPerPoint(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const std::vector<float> u = ClampedUniform(kPoints, k);
  int j = 0;
  for (auto _ : state) {
    const double t = Sample(u, k, j++);
    const int s = FindKnotSpan(u.data(), kPoints, k, t);
    for (int i = s - k + 1; i <= s; ++i)
      benchmark::DoNotOptimize(Evaluate(u.data(), kPoints, i, k, t));
  }
}
void BM_BasisPerFunctionPerPoint(benchmark::State& state) {
  PerFunctionPerPoint<BSplineBasis>(state);
}
void BM_RecursionPerPoint(benchmark::State& state) { PerFunctionPerPoint<Recursion>(state); }
BENCHMARK(BM_BasisPerFunctionPerPoint)->Arg(4)->Arg(10)->Arg(20);
BENCHMARK(BM_RecursionPerPoint)->Arg(4)->Arg(10);

}  // namespace
}  // namespace tambra
