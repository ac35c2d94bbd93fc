#include "spline/nurbs_simulation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "base/outcome.h"
#include "base/snapshots.h"
#include "numeric/knot_vector.h"
#include "numeric/spline_matrices.h"
#include "spline/degree_change.h"
#include "spline/spline_display.h"

namespace tambra {

Outcome NurbsSimulation(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = "NURBS simulation";
  if (std::string why = CurveKnotsRefusal(m, name, 2, false); !why.empty()) {
    return Outcome::Refused(why);
  }
  const int used = ScanKnots(m.knots);
  const int n = m.pointCount, p = m.order - 1;

  // The distinct values and their multiplicities.
  float value[kKnotCapacity];
  int mult[kKnotCapacity] = {}, groups = 0;
  for (int i = 0; i < used; ++i) {
    if (groups > 0 && m.knots[i] == value[groups - 1]) {
      ++mult[groups - 1];
    } else {
      value[groups] = m.knots[i], mult[groups++] = 1;
    }
  }
  int minMult = mult[1];
  for (int g = 1; g + 1 < groups; ++g) minMult = std::min(minMult, mult[g]);
  const long long inserted = static_cast<long long>(groups - 1) * minMult;
  const long long newCount = n + inserted;
  // The matrix has a row per new point; the knots keep room for the terminator.
  if (newCount > kMaxPoints || used + inserted >= kMaxKnots) {
    return Outcome::Refused(name + " would insert " + ShortNumber(inserted) +
                            " knots and pass the capacity of 100 points and 99 knots");
  }

  Matrix& a = input.scratch.spline.splineToBezier;
  for (int i = 0; i < n; ++i) {
    std::fill_n(a[i], n, 0.0f);
    a[i][i] = 1.0f;
  }
  float knots[kKnotCapacity + 1];
  std::copy_n(m.knots, used, knots);
  float u = 0.0f;
  int pos = 0, ins = 1;
  for (int g = 0; g + 1 < groups; ++g) {
    pos += mult[g];
    u = static_cast<float>((double(value[g]) + value[g + 1]) / 2);
    // Adjacent floats have no midpoint between them.
    if (!(value[g] < u && u < value[g + 1])) {
      return Outcome::Refused(name + " finds no value between the adjacent knots " +
                              ShortNumber(value[g]) + " and " + ShortNumber(value[g + 1]));
    }
    for (int rep = 0; rep < minMult; ++rep) {
      InsertKnotRows(a, knots, pos, u, n - 1, n - 1 + ins, p);
      for (int i = used + ins - 2; i >= pos; --i) knots[i + 1] = knots[i];
      knots[pos++] = u;
      ++ins;
    }
  }
  const int count = static_cast<int>(newCount), knotCount = used + static_cast<int>(inserted);

  // The refinement acts on the homogeneous points (w x, w y, w), so the
  // refined NURBS is the same curve; with unit weights that is the plain
  // product, kept as it is.
  const bool unitWeights = std::all_of(m.weights, m.weights + n, [](float w) { return w == 1.0f; });
  Point2 points[kMaxPoints];
  float weights[kMaxPoints];
  for (int i = 0; i < count; ++i) {
    double x = 0.0, y = 0.0, w = 0.0;
    if (unitWeights) {
      for (int j = 0; j < n; ++j)
        x += a[i][j] * double(m.points[j].x), y += a[i][j] * double(m.points[j].y);
      w = 1.0;
    } else {
      for (int j = 0; j < n; ++j) {
        const double weighted = a[i][j] * double(m.weights[j]);
        x += weighted * m.points[j].x, y += weighted * m.points[j].y, w += weighted;
      }
      x /= w, y /= w;
    }
    points[i] = Point2{static_cast<float>(x), static_cast<float>(y)};
    weights[i] = static_cast<float>(w);
    if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) || !std::isnormal(weights[i])) {
      return Outcome::Refused(name + " gives point " + ShortNumber(i) +
                              " a weight of 0 or a value that is not finite");
    }
  }

  std::string dump;
  AppendMatrix(dump, a, count, n);
  Outcome outcome;
  outcome.dumps.push_back(FileDump{"mdmat.dat", std::move(dump)});
  outcome.insertKnot = u;
  CurveCopy c = CurrentCurve(m);
  std::copy_n(points, count, c.points);
  std::copy_n(weights, count, c.weights);
  std::copy_n(knots, knotCount, c.knots);
  c.knots[knotCount] = TerminatingKnot(knots[knotCount - 1]);
  c.pointCount = count;
  outcome.drawings.push_back(Drawing{c, DrawNurbsCurve, kBlueMode});
  outcome.summary = name + ": " + ShortNumber(n) + " to " + ShortNumber(count) + " points";
  const CurveCopy before = CurrentCurve(m);
  AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kSpline, before, true},
                                     {MeasuredCurve::Form::kSpline, c, true}));
  return outcome;
}

}  // namespace tambra
