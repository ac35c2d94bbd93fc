// How far a command's result moved the curve: the largest distance between
// the curve before and the curve after at equal parameter, evaluated in
// double from their control points, never from the drawn polylines.
#pragma once

#include <functional>
#include <vector>

#include "base/model_state.h"
#include "base/outcome.h"

namespace tambra {

// A curve as its display draws it.
struct MeasuredCurve {
  enum class Form {
    kBezier,          // the polygon's Bezier curve, weights ignored
    kRationalBezier,  // with its weights
    kSpline,          // a clamped spline of `order` on its knots
  };
  Form form;
  const CurveCopy& curve;
  bool rational = false;  // a spline with its weights (NURBS), else all 1
};

// Parameters measured in each knot span (a Bezier curve is one span).
inline constexpr int kDeviationSamplesPerSpan = 1000;

struct CurvePoint {
  double x, y;
};

// Evaluates a curve in double at parameters s in [0, 1], its domain mapped
// there; fastest at increasing parameters (a spline's span moves along).
class CurveEvaluator {
 public:
  explicit CurveEvaluator(const MeasuredCurve& curve);
  // False when the curve cannot be evaluated: too few points, knots that
  // decrease or span nothing.
  bool Valid() const { return valid_; }
  // The curve's breakpoints on [0, 1] (0 and 1 for a Bezier curve).
  void AddBreaks(std::vector<double>& breaks) const;
  // NaN coordinates where the weights sum to 0.
  CurvePoint At(double s);

 private:
  bool Weighted() const;
  CurvePoint Sum(int first, const double* basis, int count) const;
  CurvePoint BezierAt(double t);
  CurvePoint SplineAt(double u);

  const CurveCopy& c_;
  MeasuredCurve::Form form_;
  bool rational_;
  int n_ = 0, k_ = 0;
  bool valid_ = false;
  double lo_ = 0.0, hi_ = 1.0;
  int span_ = 0;  // moves with the parameter
  std::vector<double> basis_, left_, right_;
  std::vector<double> inverse_;  // 1 / (t[span + r + 1] - t[span + 1 - j + r]) at [j k + r]
  int inverseSpan_ = -1;
};

// The Bernstein polynomial B(degree, i) at t, in double.
double BernsteinValue(int degree, int i, double t);
// All of them for i = 0 .. degree (none below degree 0), in degree steps.
void BernsteinValues(int degree, double t, std::vector<double>& out);

// The sorted breakpoints of two curves on [0, 1], each once.
std::vector<double> Breakpoints(const CurveEvaluator& a, const CurveEvaluator& b);

// The largest distance between f(s) and g(s) at `perSpan` parameters in
// every piece between the breakpoints (ends included); NaN when one is not
// finite.
double MaxDistance(const std::vector<double>& breaks, int perSpan,
                   const std::function<CurvePoint(double)>& f,
                   const std::function<CurvePoint(double)>& g);

// The largest distance, in model units (pixels of the unzoomed canvas),
// between before(t) and after(t), both parameter domains mapped onto
// [0, 1], at `perSpan` parameters in every knot span of the curve before. NaN when a curve cannot be evaluated or a value is not
// finite (a weight sum of 0).
double MaxDeviation(const MeasuredCurve& before, const MeasuredCurve& after,
                    int perSpan = kDeviationSamplesPerSpan);

// Adds a finite deviation to the outcome: the measurement "max deviation"
// and ": max deviation 0.83 px" after its summary.
void AddDeviation(Outcome& outcome, double deviation);

}  // namespace tambra
