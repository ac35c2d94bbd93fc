// A comparison of the methods that approximate the current curve by a
// polynomial curve (the six Bezier reductions, the three approximations of
// a rational curve). For every method: the degree of its result, how far
// that lies from the curve, which end conditions it keeps and the deviation
// over the parameter for a plot; or, when the method gave nothing, why. The
// families run their methods and hand the results here; the window shows
// the table and the plot beside the canvas, and the CSV is what it copies.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/curve_deviation.h"
#include "base/model_state.h"
#include "base/outcome.h"
#include "base/raster.h"

namespace tambra {

// The deviation is measured at t = i / kComparisonSamples, i = 0 ..
// kComparisonSamples: the parameters of MaxDeviation on one span.
inline constexpr int kComparisonSamples = kDeviationSamplesPerSpan;

// The end conditions count as kept within these bounds: end points closer
// than kEndPointTolerance times (1 + their size), derivative directions
// whose angle has a sine below kDirectionTolerance (about 0.06 degrees) and
// that point the same way. The results are single precision; these are
// well above its rounding and far below anything visible.
inline constexpr double kEndPointTolerance = 1e-5;
inline constexpr double kDirectionTolerance = 1e-3;

struct ComparedMethod {
  std::string name;     // "LSE (C1)"
  Rgb colour = 0;       // of its curve on the canvas and in the plot
  std::string refusal;  // why it gave nothing; empty when it ran
  int degree = 0;       // of its result
  double maxDeviation = 0.0;
  double rmsDeviation = 0.0;  // root mean square over the same parameters
  // C0: both end points kept. C1: also the directions of the first
  // derivatives at both ends; C2: also those of the second derivatives.
  // Each includes the ones before it.
  bool keepsC0 = false, keepsC1 = false, keepsC2 = false;
  // |C(t) - R(t)| at the kComparisonSamples + 1 parameters; empty when refused.
  std::vector<double> deviation;
};

struct Comparison {
  std::string title;  // "Compare reductions"
  int command = 0;    // the menu command that compares, to run it again
  int curvePoints = 0;  // control points of the curve compared
  std::vector<ComparedMethod> methods;
};

// What a family's method gave: its polynomial result or why there is none.
struct MethodResult {
  std::string name;
  std::string refusal;
  std::optional<CurveCopy> result;  // a Bezier curve; its weights are not read
};

// The colour of the method in row `index`: distinct from one another, from
// black (the curve compared) and from white.
Rgb ComparisonColour(int index);

// Measures `result` against `curve` into `method`; a deviation or end
// derivative that is not finite (a weight sum of 0) turns the method into a
// refusal that says so.
void MeasureMethod(ComparedMethod& method, const MeasuredCurve& curve, const CurveCopy& result);

// The fewest control points of a curve worth comparing: fewer draw no curve.
inline constexpr int kLeastComparedPoints = 3;

// Why `title` cannot compare a curve of `points` control points, or "".
std::string ComparisonRefusal(const std::string& title, int points);

// The comparison of the results with `curve` (drawn first in black by
// `drawCurve`, on a cleared canvas), each result drawn in its colour, for
// menu command `command`. The outcome never changes the model; it refuses
// only a curve too short to draw: a method that gave nothing is a row that
// says why.
Outcome CompareMethods(const std::string& title, int command, const MeasuredCurve& curve,
                       DisplayFunction drawCurve, std::span<const MethodResult> results);

// The table as CSV, a header line and one line per method, fields quoted
// where they hold a comma or a quote, numbers in the C locale.
std::string ComparisonCsv(const Comparison& comparison);

}  // namespace tambra
