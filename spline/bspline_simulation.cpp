#include "spline/bspline_simulation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/snapshots.h"
#include "numeric/knot_vector.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

// Coordinates and coefficients are kept in single precision; every formula
// is evaluated in double and rounded once when it is stored.
Point2 ToPoint(double x, double y) { return Point2{static_cast<float>(x), static_cast<float>(y)}; }

// ca a + cb b.
Point2 Mix(double ca, Point2 a, double cb, Point2 b) {
  return ToPoint(ca * a.x + cb * b.x, ca * a.y + cb * b.y);
}

// (a - cb b) / d: one control point solved from its neighbour.
Point2 Unmix(Point2 a, double cb, Point2 b, double d) {
  return ToPoint((a.x - cb * b.x) / d, (a.y - cb * b.y) / d);
}

// The differences are rounded to single precision before they are squared.
double PointDistance(Point2 a, Point2 b) {
  const double dx = static_cast<float>(double(b.x) - a.x);
  const double dy = static_cast<float>(double(b.y) - a.y);
  return std::sqrt(dx * dx + dy * dy);
}

bool IsFinite(Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A bound that is not a number passes the tolerance too.
bool Exceeds(float bound) { return !(bound <= kSimulationTolerance); }

// Reduces the Bezier piece bp of degree p (at least 2) to rbp of degree
// p - 1, solving from both ends towards the middle, and returns the bound of
// the error.
double ReduceBezierDegree(const Point2* bp, int p, Point2* rbp) {
  const int r = (p - 1) / 2;
  const bool odd = p % 2 == 1;
  auto a = [p](int i) { return static_cast<double>(static_cast<float>(double(i) / p)); };
  rbp[0] = bp[0];
  for (int i = 1; i <= (odd ? r - 1 : r); ++i) rbp[i] = Unmix(bp[i], a(i), rbp[i - 1], 1.0 - a(i));
  rbp[p - 1] = bp[p];
  for (int i = p - 2; i >= r + 1; --i) {
    rbp[i] = Unmix(bp[i + 1], 1.0 - a(i + 1), rbp[i + 1], a(i + 1));
  }
  if (odd) {
    // The middle point from either side; their distance bounds the error.
    const Point2 left = Unmix(bp[r], a(r), rbp[r - 1], 1.0 - a(r));
    const Point2 right = Unmix(bp[r + 1], 1.0 - a(r + 1), rbp[r + 1], a(r + 1));
    rbp[r] = Mix(0.5, left, 0.5, right);
    return PointDistance(left, right);
  }
  return PointDistance(bp[r + 1], Mix(0.5, rbp[r], 0.5, rbp[r + 1]));
}

// Whether the knots are clamped and no inner knot is repeated more than
// p = k - 1 times (a piece of the curve must not stand apart).
bool IsReducibleKnotVector(const float* knots, int n, int k) {
  if (!IsClampedKnotVector(knots, n, k)) return false;
  for (int i = k + k - 1; i < n; ++i) {
    if (knots[i - k + 1] == knots[i]) return false;
  }
  return true;
}

}  // namespace

SimulationStatus ReduceBSplineByOneDegree(const Point2* points, int n, int order,
                                          const float* knots, ReducedSpline& out) {
  // Order 2 would leave a degree-0 curve; n + k must fit the knot storage.
  if (points == nullptr || knots == nullptr || order < 3 || n < order || n > kMaxPoints ||
      n + order > kMaxKnots || !IsReducibleKnotVector(knots, n, order) ||
      !std::all_of(points, points + n, IsFinite)) {
    return kSimulationRefused;
  }
  const int p = order - 1, ph = p - 1, m = n + p;
  const float* u = knots;
  Point2 pn[kMaxPoints];    // the new points
  float un[kMaxKnots];      // the new knots
  float e[kMaxKnots] = {};  // error bound per old knot index
  Point2 bp[kMaxKnots], nextbp[kMaxKnots], rbp[kMaxKnots];
  float alphas[kMaxKnots];

  pn[0] = points[0];
  std::fill_n(un, ph + 1, u[0]);
  std::copy_n(points, p + 1, bp);
  int mh = ph, kind = ph + 1, r = -1, a = p, b = p + 1, cind = 1;
  // b grows by at least one on every pass.
  while (b < m) {
    const int start = b;
    while (b < m && u[b] == u[b + 1]) ++b;
    const int mult = b - start + 1;
    mh += mult - 1;
    const int oldr = r;
    r = p - mult;
    const int lbz = oldr > 0 ? (oldr + 2) / 2 : 1;
    if (r > 0) {
      // Insert u[b] r times: the piece from u[a] to u[b] becomes Bezier, and
      // the points left over start the next piece.
      const double numer = double(u[b]) - u[a];
      for (int q = p; q > mult; --q) {
        alphas[q - mult - 1] = static_cast<float>(numer / (double(u[a + q]) - u[a]));
      }
      for (int j = 1; j <= r; ++j) {
        const int s = mult + j;
        for (int q = p; q >= s; --q) {
          bp[q] = Mix(alphas[q - s], bp[q], 1.0 - alphas[q - s], bp[q - 1]);
        }
        nextbp[r - j] = bp[p];
      }
    }
    e[a] = static_cast<float>(e[a] + ReduceBezierDegree(bp, p, rbp));
    if (Exceeds(e[a])) return kSimulationBoundExceeded;

    if (oldr > 0) {
      // Remove u[a] oldr times from the joint with the previous piece.
      int first = kind, last = kind, i = kind;
      for (int q = 0; q < oldr; ++q) {
        i = first;
        int j = last, kj = j - kind;
        if (i < 2 || j - q - 1 < 0 || j >= kMaxKnots - 1) return kSimulationRefused;
        while (j - i > q) {
          const double ua = u[a], ub = u[b];
          const float alfa = static_cast<float>((ua - un[i - 1]) / (ub - un[i - 1]));
          const float beta = static_cast<float>((ua - un[j - q - 1]) / (ub - un[j - q - 1]));
          pn[i - 1] = Unmix(pn[i - 1], 1.0 - alfa, pn[i - 2], alfa);
          rbp[kj] = Unmix(rbp[kj], beta, rbp[kj + 1], 1.0 - beta);
          ++i, --j, --kj;
        }
        double removal;
        if (j - i < q) {
          removal = PointDistance(pn[i - 2], rbp[kj + 1]);
        } else {
          const float delta =
              static_cast<float>((double(u[a]) - un[i - 1]) / (double(u[b]) - un[i - 1]));
          removal = PointDistance(pn[i - 1], Mix(delta, rbp[kj + 1], 1.0 - delta, pn[i - 2]));
        }
        const int from = std::max(0, a + oldr - q - (2 * p - q + 1) / 2);
        for (int ii = from; ii <= a; ++ii) {
          e[ii] = static_cast<float>(e[ii] + removal);
          if (Exceeds(e[ii])) return kSimulationBoundExceeded;
        }
        --first, ++last;
      }
      cind = i - 1;
    }
    const int newKnots = a != p ? ph - oldr : 0;
    if (kind + newKnots + ph + 1 >= kMaxKnots || cind + ph - lbz + 1 > kMaxPoints) {
      return kSimulationRefused;
    }
    for (int t = 0; t < newKnots; ++t) un[kind++] = u[a];
    for (int t = lbz; t <= ph; ++t) pn[cind++] = rbp[t];
    if (b < m) {
      for (int t = 0; t < r; ++t) bp[t] = nextbp[t];
      for (int t = std::max(r, 0); t <= p; ++t) bp[t] = points[b - p + t];
      a = b++;
    } else {
      std::fill_n(un + kind, ph + 1, u[b]);
    }
  }

  const int count = mh - ph;
  if (count < 2 || count > cind || mh + 1 >= kMaxKnots || !std::all_of(pn, pn + count, IsFinite) ||
      !std::all_of(un, un + mh + 1, [](float t) { return std::isfinite(t); })) {
    return kSimulationRefused;
  }
  out.count = count;
  out.order = order - 1;
  std::copy_n(pn, count, out.points);
  std::copy_n(un, mh + 1, out.knots);
  // The knot scan ends at the first entry smaller than the last knot.
  out.knots[mh + 1] = un[mh] > 0.0f ? 0.0f : un[0];
  return kSimulationDone;
}

Outcome BSplineSimulation(const CommandInput& input) {
  const ModelState& m = input.model;
  ReducedSpline reduced;
  // Nothing is drawn and nothing changes unless the whole reduction succeeds.
  switch (ReduceBSplineByOneDegree(m.points, m.pointCount, m.order, m.knots, reduced)) {
    case kSimulationBoundExceeded:
      return Outcome::Refused("B-spline simulation stopped: a knot's error bound passes " +
                              std::to_string(static_cast<int>(kSimulationTolerance)) + " px");
    case kSimulationRefused:
      return Outcome::Refused(
          "B-spline simulation needs a clamped curve of order 3 or more with at least as many "
          "points as its order, finite non-decreasing knots and inner knots repeated less than "
          "the order");
    case kSimulationDone: break;
  }
  CurveCopy curve = CurrentCurve(m);
  curve.pointCount = reduced.count;
  curve.order = reduced.order;
  std::copy_n(reduced.points, reduced.count, curve.points);
  std::copy_n(reduced.knots, reduced.count + reduced.order + 1, curve.knots);
  Outcome outcome;
  outcome.drawings.push_back(Drawing{curve, DrawNurbsCurve, kRedMode});
  outcome.summary = "B-spline simulation " + std::to_string(m.pointCount) + " to " +
                    std::to_string(reduced.count) + " points";
  // The simulation reads the points alone; its result is drawn as a NURBS.
  const CurveCopy before = CurrentCurve(m);
  AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kSpline, before, false},
                                     {MeasuredCurve::Form::kSpline, curve, true}));
  return outcome;
}

}  // namespace tambra
