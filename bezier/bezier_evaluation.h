// The samples of the Bezier curve display: a de Casteljau pass at each
// t = i / segments (rounded to float) over the control points, every
// intermediate value stored in single precision.
#pragma once

#include "base/curve_samples.h"
#include "base/model_state.h"

namespace tambra {

// Samples 1 .. segments - 1 of the curve of `count` (1 .. kMaxPoints)
// points, all of them drawn; the vector kernel and the cores where they
// pay, the same bits either way.
void BezierCurveSamples(const Point2* points, int count, int segments, CurveSamples& out);

// Samples begin .. end - 1 into out[i - begin], four parameters per vector.
// Needs a CPU with AVX2.
void BezierSamplesAvx2(const Point2* points, int count, int segments, int begin, int end,
                       Point2* out);
// The same eight parameters per vector. Needs a CPU with AVX-512 (F, DQ, VL).
void BezierSamplesAvx512(const Point2* points, int count, int segments, int begin, int end,
                         Point2* out);

}  // namespace tambra
