#include "qt/vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tambra {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Compiled for AVX on its own, and only ever called after the check: the
// rest of the program keeps running on CPUs without it.
__attribute__((target("avx"), noinline)) void ZeroUpper() { _mm256_zeroupper(); }

bool HasAvx() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
  }();
  return has;
}

}  // namespace

void ClearUpperVectorState() {
  if (HasAvx()) ZeroUpper();
}

#else

void ClearUpperVectorState() {}

#endif

}  // namespace tambra
