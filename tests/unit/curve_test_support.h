// Shared by the curve tests: points in double, the log's point lines read
// back, de Boor's algorithm in double, and a fixture that logs a drawing or
// a command.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "session_fixture.h"

namespace tambra::curve_test {

struct P { double x, y; };
using Points = std::vector<Point2>;
using Floats = std::vector<float>;
constexpr int kHeight = 600;
inline const Points kFive = {{40, 500}, {120.5f, 80.25f}, {400, 560}, {610.75f, 90}, {760, 420}};
inline const Floats kCubic5 = {0, 0, 0, 0, 1, 2, 2, 2, 2};

inline double Distance(P a, P b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The "x y" lines after the `occurrence`-th line starting with `header`, up
// to the first other line, the log's upward y turned back into window y.
inline std::vector<P> PointsAfter(const std::string& log, const std::string& header,
                                  int occurrence = 0) {
  std::vector<P> points;
  size_t at = log.find(header);
  for (int k = 0; k < occurrence && at != std::string::npos; ++k) at = log.find(header, at + 1);
  for (P q; at != std::string::npos && (at = log.find("\r\n", at)) != std::string::npos;
       points.push_back({q.x, kHeight - q.y})) {
    at += 2;
    int used = 0;
    if (log[at] == '\r' || std::sscanf(log.c_str() + at, "%lf %lf%n", &q.x, &q.y, &used) != 2 ||
        log.compare(at + used, 2, "\r\n") != 0)
      break;
  }
  return points;
}

// De Boor on (w P, w), weights 1 when none are given, for non-decreasing t
// and t(k-1) <= u <= t(n).
inline P DeBoor(const Point2* p, const float* w, const float* t, int n, int k, double u) {
  int s = k - 1;
  while (s + 1 < n && t[s + 1] <= u) ++s;
  std::vector<double> x(k), y(k), h(k);
  for (int j = 0, i = s - k + 1; j < k; ++j, ++i)
    h[j] = w == nullptr ? 1.0 : w[i], x[j] = h[j] * p[i].x, y[j] = h[j] * p[i].y;
  for (int r = 1; r < k; ++r) {
    for (int j = k - 1, i = s; j >= r; --j, --i) {
      const double a = (u - t[i]) / (double(t[i + k - r]) - t[i]);
      x[j] = (1 - a) * x[j - 1] + a * x[j], y[j] = (1 - a) * y[j - 1] + a * y[j];
      h[j] = (1 - a) * h[j - 1] + a * h[j];
    }
  }
  return {x[k - 1] / h[k - 1], y[k - 1] / h[k - 1]};
}

// The largest distance between two models' curves over 400 parameters of the first's span.
inline double CurveDistance(const ModelState& a, const ModelState& b) {
  const double lo = a.knots[a.order - 1], hi = a.knots[a.pointCount];
  double worst = 0;
  for (int i = 0; i <= 400; ++i) {
    const double u = lo + (hi - lo) * i / 400;
    const P p = DeBoor(a.points, a.weights, a.knots, a.pointCount, a.order, u);
    const P q = DeBoor(b.points, b.weights, b.knots, b.pointCount, b.order, u);
    worst = std::max(worst, Distance(p, q));
  }
  return worst;
}

// Polygons of quarter pixels inside the window, weights and knots.
struct Random {
  std::mt19937 g;
  explicit Random(unsigned seed) : g(seed) {}
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(g); }
  float Real(float low, float high) { return std::uniform_real_distribution<float>(low, high)(g); }
  std::vector<Point2> Polygon(int n) {
    std::vector<Point2> p(n);
    for (Point2& q : p) q = Point2{Int(160, 3040) / 4.0f, Int(160, 2240) / 4.0f};
    return p;
  }
  std::vector<float> Weights(int n, float low = 0.3f, float high = 3) {
    std::vector<float> w(n);
    for (float& e : w) e = Real(low, high);
    return w;
  }
  // Clamped from a random start, inner knots repeated at most k - 1 times.
  std::vector<float> Knots(int n, int k) {
    std::vector<float> t(k, float(Int(-3, 4)));
    for (int i = k, same = 1; i < n; ++i) {
      same = i > k && same < k - 1 && Int(0, 3) == 0 ? same + 1 : 1;
      t.push_back(t.back() + (same > 1 ? 0.0f : Int(1, 8) * 0.25f));
    }
    t.resize(n + k, t.back() + 0.5f);
    return t;
  }
};

class CurveTest : public SessionTest {
 protected:
  // What `action` logs, on a white canvas and into a fresh log.
  template <typename Action>
  std::string Logged(Action action) {
    if (m.logFile != nullptr) std::fclose(m.logFile);
    m.logFile = std::tmpfile(), m.logActive = 1;
    window.Canvas().Resize(800, kHeight);
    action();
    std::string text(std::ftell(m.logFile), '\0');
    std::rewind(m.logFile);
    return text.substr(0, std::fread(text.data(), 1, text.size(), m.logFile));
  }
  std::string Run(int command) { return Logged([&] { window.Command(command); }); }
};

}  // namespace tambra::curve_test
