// Timing of the numerical kernels at the largest sizes the model allows.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "app/command_table.h"
#include "numeric/matrix.h"

namespace tambra {
namespace {

// A well-conditioned n by n matrix in rows and columns 1..n of `m`, with its
// rows shuffled so that the solver swaps rows and unscrambles columns.
void FillSystem(Matrix& m, int n) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> entry(-1.0f, 1.0f);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) m[i][j] = entry(rng);
    m[i][i] += static_cast<float>(n);
  }
  std::shuffle(&m[1], &m[n + 1], rng);
}

void BM_SolveGaussJordan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  static Matrix given;
  FillSystem(given, n);
  for (auto _ : state) {
    // Restoring the operands is part of every caller's work too.
    std::copy(&given[0][0], &given[0][0] + kMatrixSize * kMatrixSize, &CommandScratch().matrixA[0][0]);
    std::fill(&CommandScratch().matrixB[0][0], &CommandScratch().matrixB[0][0] + kMatrixSize * kMatrixSize, 0.0f);
    benchmark::DoNotOptimize(SolveGaussJordan(CommandScratch().matrixA, CommandScratch().matrixB, n));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SolveGaussJordan)->Arg(10)->Arg(50)->Arg(98)->Arg(99);

void BM_BuildElevationMatrix(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int r = static_cast<int>(state.range(1));
  for (auto _ : state) {
    BuildElevationMatrix(CommandScratch().elevationMatrix, n, r, 1, ElevationPrecision::kDouble);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BuildElevationMatrix)->Args({4, 1})->Args({50, 49})->Args({1, 98});

void BM_MatMul(benchmark::State& state) {
  FillSystem(CommandScratch().matrixA, kMaxOneBasedSize);
  FillSystem(CommandScratch().matrixB, kMaxOneBasedSize);
  for (auto _ : state) {
    MatMul(CommandScratch().matrixA, CommandScratch().matrixB, CommandScratch().matrixE, kMatrixSize, kMatrixSize, kMatrixSize);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatMul);

}  // namespace
}  // namespace tambra
