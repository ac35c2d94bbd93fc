#include "base/curve_samples.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace tambra {

namespace {

std::atomic<bool> plainForced{false};
std::atomic<bool> narrowForced{false};
std::atomic<int> sampleThreads{0};
bool polylineReuse = true;

// Work below this many multiply-adds per thread stays in the caller:
// starting and joining a thread costs some 30 to 50 microseconds, these
// take 150 to 300 in the kernels, and a drag step at the default grid
// stays clear of threads.
constexpr double kWorkPerThread = 1e6;

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

bool CpuHasAvx512() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                          __builtin_cpu_supports("avx512vl");
  return has;
#else
  return false;
#endif
}

bool PlainByEnvironment() {
  static const bool plain = std::getenv("TAMBRA_PLAIN_EVALUATION") != nullptr;
  return plain;
}

}  // namespace

bool UseVectorEvaluation() { return CpuHasAvx2() && !PlainByEnvironment() && !plainForced; }

void ForcePlainEvaluation(bool plain) { plainForced = plain; }

bool UseWideEvaluation() {
  static const bool narrowByEnvironment = std::getenv("TAMBRA_NARROW_EVALUATION") != nullptr;
  return UseVectorEvaluation() && CpuHasAvx512() && !narrowByEnvironment && !narrowForced;
}

void ForceNarrowEvaluation(bool narrow) { narrowForced = narrow; }

void SetSampleThreads(int threads) { sampleThreads = std::max(threads, 0); }

void ForSampleRanges(int begin, int end, double work, const std::function<void(int, int)>& range) {
  if (end <= begin) return;
  int threads = sampleThreads.load();
  if (threads == 0) {
    threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = static_cast<int>(std::min<double>(threads, work / kWorkPerThread + 1.0));
  }
  // Whole groups of 8 per block, the last block taking the rest.
  const int groups = (end - begin + 7) / 8;
  threads = std::min(threads, groups);
  if (threads <= 1) {
    range(begin, end);
    return;
  }
  std::vector<std::thread> started;
  int from = begin;
  for (int t = 1; t < threads; ++t) {
    const int to = begin + 8 * (groups * t / threads);
    try {
      started.emplace_back(range, from, to);
    } catch (const std::system_error&) {
      range(from, to);  // no thread to be had: the caller does the block
    }
    from = to;
  }
  range(from, end);
  for (std::thread& thread : started) thread.join();
}

void KeptPolyline::SetReuse(bool reuse) { polylineReuse = reuse; }

bool KeptPolyline::ReuseEnabled() { return polylineReuse; }

}  // namespace tambra
