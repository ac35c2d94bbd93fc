#include "surface/rect_to_triangle.h"

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/coefficients.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

// The turned net R and the new rows, kept whole before the model changes.
// A result fits the model only up to kMaxTriangleRows rows, so neither
// degree exceeds kMaxTriangleRows - 1.
Point3 g_turned[kMaxTriangleRows][kMaxTriangleRows];
Point3 g_triangle[kMaxTriangleRows][kMaxTriangleRows];

}  // namespace

void RectToTriangular(Platform& window, int corner) {
  ModelState& model = Model();
  if (model.triangles == 1 || corner < kCornerSE || corner > kCornerNE) return;
  if (model.netRows < 1 || model.netCols < 1) return;
  const int p = model.netRows - 1, q = model.netCols - 1, n = p + q;
  if (n + 1 > kMaxTriangleRows) return;

  for (int a = 0; a <= p; ++a) {
    for (int b = 0; b <= q; ++b) {
      const int ra = corner == kCornerNW || corner == kCornerNE ? p - a : a;
      const int rb = corner == kCornerNW || corner == kCornerSW ? q - b : b;
      g_turned[ra][rb] = model.net[a][b];
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
          const Point3& r = g_turned[i][j];
          x += double(r.x) * bi * bj * bw;
          y += double(r.y) * bi * bj * bw;
          z += double(r.z) * bi * bj * bw;
        }
      }
      Point3& out = g_triangle[n - k][l];
      out = Point3{static_cast<float>(x / c0), static_cast<float>(y / c0),
                   static_cast<float>(z / c0)};
      if (!std::isfinite(out.x) || !std::isfinite(out.y) || !std::isfinite(out.z)) return;
    }
  }

  SurfaceResult result;
  model.triangles = 1;
  for (int a = 0; a <= n; ++a) std::copy_n(g_triangle[a], a + 1, model.net[a]);
  model.netRows = model.netCols = n + 1;
  if (PackTriangle() == 1) DrawControlNet(window, kBlueMode);
}

void TriangularSECommand(Platform& window) { RectToTriangular(window, kCornerSE); }
void TriangularNWCommand(Platform& window) { RectToTriangular(window, kCornerNW); }
void TriangularSWCommand(Platform& window) { RectToTriangular(window, kCornerSW); }
void TriangularNECommand(Platform& window) { RectToTriangular(window, kCornerNE); }

}  // namespace tambra
