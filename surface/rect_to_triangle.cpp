#include "surface/rect_to_triangle.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/coefficients.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

const char* CornerName(int corner) {
  static constexpr const char* kNames[] = {"SE", "NW", "SW", "NE"};
  return corner >= kCornerSE && corner <= kCornerNE ? kNames[corner] : "?";
}

}  // namespace

std::string RectToTriangular(SurfaceCopy& surface, int corner) {
  const std::string name = std::string("Triangular (") + CornerName(corner) + ")";
  if (surface.triangles == 1) return name + " needs a rectangular net; the net is triangular";
  if (corner < kCornerSE || corner > kCornerNE) return name + " has no such corner";
  if (surface.netRows < 1 || surface.netCols < 1) {
    return name + " needs a net of at least 1 by 1; it has " + ShortNumber(surface.netRows) +
           " by " + ShortNumber(surface.netCols);
  }
  const int p = surface.netRows - 1, q = surface.netCols - 1, n = p + q;
  if (n + 1 > kMaxTriangleRows) {
    return name + " would give " + ShortNumber(n + 1) + " rows; the triangle list holds " +
           ShortNumber(kMaxTriangleRows);
  }

  // The turned net R and the new rows, kept whole before the surface
  // changes. A result fits only up to kMaxTriangleRows rows, so neither
  // degree exceeds kMaxTriangleRows - 1.
  Point3 turned[kMaxTriangleRows][kMaxTriangleRows];
  Point3 triangle[kMaxTriangleRows][kMaxTriangleRows];
  for (int a = 0; a <= p; ++a) {
    for (int b = 0; b <= q; ++b) {
      const int ra = corner == kCornerNW || corner == kCornerNE ? p - a : a;
      const int rb = corner == kCornerNW || corner == kCornerSW ? q - b : b;
      turned[ra][rb] = surface.net[a][b];
    }
  }
  // Point l of row n - k: the terms of R[i][j] whose powers of u and w
  // reach u^k w^l. Rows i beyond p leave the j range empty.
  const double c0 = Binomial(n, p);
  for (int k = 0; k <= n; ++k) {
    for (int l = 0; l <= n - k; ++l) {
      double x = 0.0, y = 0.0, z = 0.0;
      for (int i = 0; i <= k; ++i) {
        const int last = std::min(l, q - k + i);
        for (int j = std::max(0, l - p + i); j <= last; ++j) {
          const double bi = Binomial(k, i), bj = Binomial(l, j);
          const double bw = Binomial(n - k - l, p + j - i - l);
          const Point3& r = turned[i][j];
          x += double(r.x) * bi * bj * bw;
          y += double(r.y) * bi * bj * bw;
          z += double(r.z) * bi * bj * bw;
        }
      }
      Point3& out = triangle[n - k][l];
      out = Point3{static_cast<float>(x / c0), static_cast<float>(y / c0),
                   static_cast<float>(z / c0)};
      if (!std::isfinite(out.x) || !std::isfinite(out.y) || !std::isfinite(out.z)) {
        return name + " gives a value that is not finite";
      }
    }
  }

  surface.triangles = 1;
  for (int a = 0; a <= n; ++a) std::copy_n(triangle[a], a + 1, surface.net[a]);
  surface.netRows = surface.netCols = n + 1;
  if (PackTriangleOf(surface) == 0) return name + " would overflow the triangle list";
  return "";
}

namespace {

Outcome TriangularCommand(const CommandInput& input, int corner) {
  auto surface = std::make_shared<SurfaceCopy>(CurrentSurface(input.model));
  if (std::string why = RectToTriangular(*surface, corner); !why.empty()) {
    return Outcome::Refused(why);
  }
  Outcome outcome;
  Drawing drawing;
  drawing.surface = surface;
  drawing.draw = DrawControlNet;
  drawing.mode = kBlueMode;
  outcome.drawings.push_back(std::move(drawing));
  outcome.summary = std::string("Triangular (") + CornerName(corner) + "): net of " +
                    ShortNumber(input.model.netRows) + " by " + ShortNumber(input.model.netCols) +
                    " to a triangle of " + ShortNumber(surface->netRows) + " rows";
  return outcome;
}

}  // namespace

Outcome TriangularSECommand(const CommandInput& input) { return TriangularCommand(input, kCornerSE); }
Outcome TriangularNWCommand(const CommandInput& input) { return TriangularCommand(input, kCornerNW); }
Outcome TriangularSWCommand(const CommandInput& input) { return TriangularCommand(input, kCornerSW); }
Outcome TriangularNECommand(const CommandInput& input) { return TriangularCommand(input, kCornerNE); }

}  // namespace tambra
