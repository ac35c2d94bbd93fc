// The samples of a curve display, evaluated all at once before anything is
// drawn, and what makes that fast: the four- or eight-wide vector path where
// the CPU has it, the samples split over the cores at large grids, and the
// polyline kept from the last drawing of the same curve. Every sample is
// independent of the others and every path does the same double operations
// in the same order, so the vertices are the same bits whichever runs.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "base/model_state.h"

namespace tambra {

// Samples 1 .. segments - 1 of a polyline: sample i is points[i - 1],
// drawn only where drawn[i - 1] is non-zero (a point the curve does not
// define there is skipped).
struct CurveSamples {
  std::vector<Point2> points;
  std::vector<unsigned char> drawn;
  void Resize(int segments) {
    const std::size_t count = segments > 1 ? static_cast<std::size_t>(segments - 1) : 0;
    points.resize(count);
    drawn.resize(count);
  }
};

// True when the four-wide AVX2 kernels run: the CPU has AVX2, the
// environment variable TAMBRA_PLAIN_EVALUATION is unset and the plain path
// is not forced.
bool UseVectorEvaluation();
void ForcePlainEvaluation(bool plain);
// True when, in addition, the CPU has AVX-512 (F, DQ and VL) and the
// eight-wide kernels run in place of the four-wide ones; the environment
// variable TAMBRA_NARROW_EVALUATION or forcing the narrow path keeps the
// four-wide kernels (to compare the two).
bool UseWideEvaluation();
void ForceNarrowEvaluation(bool narrow);

// Runs `range(begin, end)` over begin .. end - 1 split into one block per
// core when `work` (samples times the cost of one, in multiply-adds) pays
// for starting threads, and in the caller otherwise. Blocks start on
// multiples of 8 so that the vector kernels see whole groups.
void ForSampleRanges(int begin, int end, double work, const std::function<void(int, int)>& range);
// The number of blocks ForSampleRanges makes (0, the default: one per core
// where the work pays for it; 1: never a thread; more: that many whatever
// the work, for tests).
void SetSampleThreads(int threads);

// The bytes a polyline depends on, appended field by field.
class PolylineKey {
 public:
  template <typename T>
  void Add(const T* values, int count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(values);
    bytes_.insert(bytes_.end(), bytes, bytes + sizeof(T) * static_cast<std::size_t>(count));
  }
  template <typename T>
  void Add(const T& value) {
    Add(&value, 1);
  }
  bool operator==(const PolylineKey& other) const { return bytes_ == other.bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

// The samples a display drew last and the key of everything they were
// evaluated from. Drawing the same curve again (the erase pass of a drag
// step, a repaint) takes them instead of evaluating anew; any other key
// evaluates afresh and keeps the new samples.
class KeptPolyline {
 public:
  template <typename Evaluate>
  const CurveSamples& Get(PolylineKey key, Evaluate evaluate) {
    if (!(valid_ && ReuseEnabled() && key == key_)) {
      valid_ = false;
      evaluate(samples_);
      key_ = std::move(key);
      valid_ = true;
    }
    return samples_;
  }
  // Off: every drawing evaluates (to compare with the reuse in tests).
  static void SetReuse(bool reuse);
  static bool ReuseEnabled();

 private:
  bool valid_ = false;
  PolylineKey key_;
  CurveSamples samples_;
};

}  // namespace tambra
