#include "surface/surface_patch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/canvas.h"
#include "base/curve_samples.h"
#include "base/output_log.h"
#include "numeric/coefficients.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

constexpr int kMaxSamples = (kMaxPatchGrid + 1) * (kMaxPatchGrid + 1);
static_assert((kMaxPatchGrid + 1) * (kMaxPatchGrid + 2) / 2 <= kMaxSamples);

// What the patch displays keep in the window between drawings.
struct SurfacePatchCache {
  // The samples of the last display; every entry read was written first.
  Point3 samples[kMaxSamples];
  // What rectangular samples there were evaluated from (a count of 0: they
  // hold something else): a rotation step or a repaint draws the same patch
  // again from them.
  PolylineKey rectKey;
  int rectCount = 0;
  PatchTables tables;
};

int NetRows() { return std::clamp(Model().netRows, 0, kMaxNet); }

// Point (a, b), b <= a, of a triangular net. The packed list is the triangle
// the view draws, Save writes and the degree change reads; the net's rows may
// hold a curve typed in Curves mode since.
const Point3& TrianglePoint(int a, int b) {
  return Model().triangleList[a * (a + 1) / 2 + b];
}
int NetCols() { return std::clamp(Model().netCols, 0, kMaxNet); }

bool IsFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Each coordinate rounded once to float. A point that cannot be placed
// (weights summing to 0, a value beyond the float range) is a NaN point:
// the view leaves the segments touching it out.
Point3 Sample(double x, double y, double z) {
  const double limit = std::numeric_limits<float>::max();
  if (std::fabs(x) <= limit && std::fabs(y) <= limit && std::fabs(z) <= limit) {
    return Point3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  return Point3{nan, nan, nan};
}

Point3 Quotient(double x, double y, double z, double sum) {
  return Sample(x / sum, y / sum, z / sum);
}

bool RectAccepted(int grid) {
  return grid >= 1 && grid <= kMaxPatchGrid && Model().netRows > 0 && Model().netCols > 0 &&
         Model().netRows <= kMaxNet && Model().netCols <= kMaxNet;
}

bool TriangleAccepted(int grid) {
  const ModelState& m = Model();
  return grid >= 1 && grid <= kMaxPatchGrid && m.netRows > 0 && m.netRows <= kMaxTriangleRows &&
         m.netCols > 0;
}

// ---------------------------------------------------------------------------
// Rectangular samples, a row of constant u at a time. Each sample's sums run
// over a, then b, with the evaluator's products, so the bits are the same;
// only the Bernstein values are shared (u's per row, v's for every row) and
// the samples of a row are summed side by side.

void SampleRectRow(const PatchTables& tables, bool rational, int grid, int i, Point3* row) {
  const ModelState& m = Model();
  const int rows = NetRows(), cols = NetCols(), count = grid + 1;
  const double u = static_cast<double>(i) / grid;
  double basisU[kMaxNet];
  for (int a = 0; a < rows; ++a) basisU[a] = Bernstein(rows, a, u);
  double x[kMaxNet + 1] = {}, y[kMaxNet + 1] = {}, z[kMaxNet + 1] = {}, sum[kMaxNet + 1] = {};
  for (int a = 0; a < rows; ++a) {
    const double bu = basisU[a];
    for (int b = 0; b < cols; ++b) {
      const Point3& p = m.net[a][b];
      const double px = p.x, py = p.y, pz = p.z;
      const double* bv = tables.basisV[b];
      if (rational) {
        const double weight = m.netWeights[a][b];
        for (int j = 0; j < count; ++j) {
          const double w = bu * bv[j] * weight;
          x[j] += w * px, y[j] += w * py, z[j] += w * pz, sum[j] += w;
        }
      } else {
        const double qx = px * bu, qy = py * bu, qz = pz * bu;
        for (int j = 0; j < count; ++j) x[j] += qx * bv[j], y[j] += qy * bv[j], z[j] += qz * bv[j];
      }
    }
  }
  for (int j = 0; j < count; ++j) {
    row[j] = rational ? Quotient(x[j], y[j], z[j], sum[j]) : Sample(x[j], y[j], z[j]);
  }
}

// ---------------------------------------------------------------------------
// Triangular samples. The trinomial of every control point is taken once and
// the powers of u, v and w once per sample; their product is formed in the
// order TriangularBernstein forms it.

Point3 TriangleSample(const PatchTables& tables, bool rational, double u, double v) {
  const ModelState& m = Model();
  const int n = NetRows() - 1;
  const double w = 1.0 - u - v;
  double pu[kMaxTriangleRows], pv[kMaxTriangleRows], pw[kMaxTriangleRows];
  for (int k = 0; k <= n; ++k) {
    const double e = static_cast<double>(k);
    pu[k] = std::pow(u, e), pv[k] = std::pow(v, e), pw[k] = std::pow(w, e);
  }
  double x = 0.0, y = 0.0, z = 0.0, sum = 0.0;
  for (int a = 0; a <= n; ++a) {
    for (int b = 0; b <= a; ++b) {
      const Point3& p = TrianglePoint(a, b);
      double basis = tables.trinomials[a][b] * pu[n - a] * pv[a - b] * pw[b];
      if (rational) {
        basis = basis * m.netWeights[a][b];
        sum += basis;
      }
      x += basis * p.x, y += basis * p.y, z += basis * p.z;
    }
  }
  return rational ? Quotient(x, y, z, sum) : Sample(x, y, z);
}

// ---------------------------------------------------------------------------
// The log: one point line per point ("# skipped" for a sample left out, so
// the layout keeps its line count), a row end after every row.

void LogSample(const Point3& p) {
  if (IsFinite(p)) {
    LogPoint3(p.x, p.y, p.z);
  } else {
    LogText("# skipped\r\n");
  }
}

void LogGrid(const Point3* points, int stride, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) LogSample(points[i * stride + j]);
    LogBreak(0);
  }
  LogBreak(1);
}

// A triangle of `rows` rows written as a rectangular block of 2 rows - 2
// point lines a row: the apex repeated, then each row's end points
// rows - r times and its inner points twice.
template <typename At>
void LogPaddedTriangle(int rows, At at) {
  for (int k = 0; k < 2 * rows - 2; ++k) LogSample(at(0, 0));
  LogBreak(0);
  for (int r = 1; r < rows; ++r) {
    for (int k = 0; k < rows - r; ++k) LogSample(at(r, 0));
    for (int c = 1; c < r; ++c) LogSample(at(r, c)), LogSample(at(r, c));
    for (int k = 0; k < rows - r; ++k) LogSample(at(r, r));
    LogBreak(0);
  }
}

// The rectangular patch's samples in the cache, evaluated only when the
// net, its weights (rational) or the grid changed since the last display.
int KeptRectSamples(SurfacePatchCache& cache, bool rational, int grid) {
  const ModelState& m = Model();
  const int rows = NetRows(), cols = NetCols();
  PolylineKey key;
  key.Add(rational), key.Add(grid), key.Add(m.netRows), key.Add(m.netCols);
  for (int a = 0; a < rows; ++a) {
    key.Add(m.net[a], cols);
    if (rational) key.Add(m.netWeights[a], cols);
  }
  if (cache.rectCount > 0 && KeptPolyline::ReuseEnabled() && key == cache.rectKey) {
    return cache.rectCount;
  }
  cache.rectCount = 0;
  const int count = SampleRectPatch(rational, grid, cache.samples, cache.tables);
  cache.rectKey = std::move(key);
  cache.rectCount = count;
  return count;
}

void DrawPatch(Platform& window, int mode, bool rational) {
  const ModelState& m = Model();
  DrawControlNet(window, kBlackMode);
  const bool logging = m.logActive == 1;
  const int grid = m.grid;
  SurfacePatchCache& cache = window.Displays().Get<SurfacePatchCache>();
  const Point3* samples = cache.samples;
  if (m.triangles == 1) {
    cache.rectCount = 0;
    const int count = SampleTrianglePatch(rational, grid, cache.samples, cache.tables);
    if (count == 0) return;
    if (logging) {
      LogPaddedTriangle(m.netRows, TrianglePoint);
      LogBreak(1);
    }
    DrawPointTriangle(window, mode, std::span<const Point3>(samples, count), grid + 1);
    if (logging) {
      LogPaddedTriangle(grid + 1, [samples](int r, int c) { return samples[r * (r + 1) / 2 + c]; });
      LogBreak(0);
    }
    return;
  }
  if (KeptRectSamples(cache, rational, grid) == 0) return;
  if (logging) LogGrid(&m.net[0][0], kMaxNet, m.netRows, m.netCols);
  DrawPointGrid(window, mode, samples, grid + 1, grid + 1, grid + 1);
  if (logging) LogGrid(samples, grid + 1, grid + 1, grid + 1);
}

}  // namespace

Point3 EvalBezierRectPoint(double u, double v) {
  const ModelState& m = Model();
  const int rows = NetRows(), cols = NetCols();
  double x = 0.0, y = 0.0, z = 0.0;
  for (int a = 0; a < rows; ++a) {
    for (int b = 0; b < cols; ++b) {
      const Point3& p = m.net[a][b];
      const double bu = Bernstein(rows, a, u), bv = Bernstein(cols, b, v);
      x += p.x * bu * bv, y += p.y * bu * bv, z += p.z * bu * bv;
    }
  }
  return Sample(x, y, z);
}

Point3 EvalRationalRectPoint(double u, double v) {
  const ModelState& m = Model();
  const int rows = NetRows(), cols = NetCols();
  double x = 0.0, y = 0.0, z = 0.0, sum = 0.0;
  for (int a = 0; a < rows; ++a) {
    for (int b = 0; b < cols; ++b) {
      const Point3& p = m.net[a][b];
      const double w = Bernstein(rows, a, u) * Bernstein(cols, b, v) * m.netWeights[a][b];
      x += w * p.x, y += w * p.y, z += w * p.z, sum += w;
    }
  }
  return Quotient(x, y, z, sum);
}

Point3 EvalBezierTrianglePoint(double u, double v) {
  const int n = NetRows() - 1;
  double x = 0.0, y = 0.0, z = 0.0;
  for (int a = 0; a <= n; ++a) {
    for (int b = 0; b <= a; ++b) {
      const Point3& p = TrianglePoint(a, b);
      const double basis = TriangularBernstein(n, n - a, a - b, u, v);
      x += p.x * basis, y += p.y * basis, z += p.z * basis;
    }
  }
  return Sample(x, y, z);
}

Point3 EvalRationalTrianglePoint(double u, double v) {
  const ModelState& m = Model();
  const int n = NetRows() - 1;
  double x = 0.0, y = 0.0, z = 0.0, sum = 0.0;
  for (int a = 0; a <= n; ++a) {
    for (int b = 0; b <= a; ++b) {
      const Point3& p = TrianglePoint(a, b);
      const double w = TriangularBernstein(n, n - a, a - b, u, v) * m.netWeights[a][b];
      x += w * p.x, y += w * p.y, z += w * p.z, sum += w;
    }
  }
  return Quotient(x, y, z, sum);
}

int SampleRectPatch(bool rational, int grid, std::span<Point3> samples, PatchTables& tables) {
  if (!RectAccepted(grid)) return 0;
  const int count = grid + 1;
  if (samples.size() < static_cast<std::size_t>(count) * count) return 0;
  const int cols = NetCols();
  for (int b = 0; b < cols; ++b) {
    for (int j = 0; j < count; ++j)
      tables.basisV[b][j] = Bernstein(cols, b, static_cast<double>(j) / grid);
  }
  for (int i = 0; i < count; ++i) SampleRectRow(tables, rational, grid, i, &samples[i * count]);
  return count * count;
}

int SampleTrianglePatch(bool rational, int grid, std::span<Point3> samples, PatchTables& tables) {
  if (!TriangleAccepted(grid)) return 0;
  const int total = (grid + 1) * (grid + 2) / 2;
  if (samples.size() < static_cast<std::size_t>(total)) return 0;
  const int n = NetRows() - 1;
  for (int a = 0; a <= n; ++a) {
    for (int b = 0; b <= a; ++b) tables.trinomials[a][b] = Trinomial(n, n - a, a - b);
  }
  // Row i = G - a holds the samples at u = a / G, v = b / G, b = 0 .. i.
  for (int a = grid; a >= 0; --a) {
    const int i = grid - a;
    for (int b = 0; b <= i; ++b) {
      samples[i * (i + 1) / 2 + b] = TriangleSample(tables, rational, static_cast<double>(a) / grid,
                                                    static_cast<double>(b) / grid);
    }
  }
  return total;
}

void DrawBezierSurface(Platform& window, int mode) { DrawPatch(window, mode, false); }

void DrawRationalBezierSurface(Platform& window, int mode) { DrawPatch(window, mode, true); }

}  // namespace tambra
