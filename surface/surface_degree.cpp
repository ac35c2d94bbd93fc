#include "surface/surface_degree.h"

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/bezier_degree.h"
#include "surface/surface_view.h"

namespace tambra {

namespace {

// Rows of a triangular net whose points fit one side of a matrix.
constexpr int kMaxMatrixTriangleRows = 13;
static_assert(kMaxMatrixTriangleRows * (kMaxMatrixTriangleRows + 1) / 2 <= kMatrixSize &&
              (kMaxMatrixTriangleRows + 1) * (kMaxMatrixTriangleRows + 2) / 2 > kMatrixSize);

int TriangleCount(int rows) { return rows * (rows + 1) / 2; }

bool IsFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

Coords<3> ToCoords(const Point3& p) { return Coords<3>{p.x, p.y, p.z}; }
Point3 ToPoint(const Coords<3>& c) { return Point3{c[0], c[1], c[2]}; }

// The new net, built here whole before anything in the model changes.
Point3 g_newNet[kMaxNet][kMaxNet];
Point3 g_newTriangle[kMatrixSize];

// The net size and step of a direction: (rows, lines, step), where a line
// runs along the direction.
struct Direction {
  int n;
  int lines;
  int r;
};

// The rectangular net the direction changes; false when the net is
// triangular, empty or larger than its storage, d is not 0 or 1, or the step
// is outside 0..99.
bool RectangularDirection(int d, Direction& out) {
  const ModelState& m = Model();
  if (m.triangles == 1 || (d != 0 && d != 1)) return false;
  if (m.netRows < 1 || m.netCols < 1 || m.netRows > kMaxNet || m.netCols > kMaxNet) return false;
  out = d == 0 ? Direction{m.netRows, m.netCols, m.xDegreeStep}
               : Direction{m.netCols, m.netRows, m.yDegreeStep};
  return out.r >= 0 && out.r <= kMaxDegreeStep;
}

// Point k of line `line` in direction d.
Point3& At(Point3 (&net)[kMaxNet][kMaxNet], int d, int line, int k) {
  return d == 0 ? net[k][line] : net[line][k];
}

// Runs `change` on every line of direction d into g_newNet; false when one
// line has no result.
template <typename Change>
bool ChangeLines(int d, const Direction& dir, Change change) {
  ModelState& m = Model();
  for (int line = 0; line < dir.lines; ++line) {
    Coords<3> points[kMaxNet];
    for (int k = 0; k < dir.n; ++k) points[k] = ToCoords(At(m.net, d, line, k));
    const auto result = change(points);
    if (!result) return false;
    for (int k = 0; k < result->count; ++k) At(g_newNet, d, line, k) = ToPoint(result->points[k]);
  }
  return true;
}

// Puts the new lines of `count` points into the net and shows them.
void KeepLines(Platform& window, int d, const Direction& dir, int count) {
  SurfaceResult result;
  ModelState& m = Model();
  (d == 0 ? m.netRows : m.netCols) = count;
  for (int line = 0; line < dir.lines; ++line) {
    for (int k = 0; k < count; ++k) At(m.net, d, line, k) = At(g_newNet, d, line, k);
  }
  DrawControlNet(window, kBlueMode);
}

// A triangular net the triangular operations can read (rows within the
// packed list, columns set) and its step, within 0..99.
bool TriangularNet(int& rows, int& r) {
  const ModelState& m = Model();
  rows = m.netRows;
  r = m.xDegreeStep;
  return m.triangles == 1 && rows >= 1 && rows <= kMaxTriangleRows && m.netCols >= 1 && r >= 0 &&
         r <= kMaxDegreeStep;
}

// new[c] = sum over old points o of weights[o][c] list[o] where the weight
// is `counts`; single-precision sums. False when a point is not finite.
template <typename Counts>
bool Combine(const Matrix& weights, int oldCount, int newCount, Counts counts) {
  const Point3* list = Model().triangleList;
  for (int c = 0; c < newCount; ++c) {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    for (int o = 0; o < oldCount; ++o) {
      const float w = weights[o][c];
      if (!counts(w)) continue;
      x = static_cast<float>(x + double(w) * list[o].x);
      y = static_cast<float>(y + double(w) * list[o].y);
      z = static_cast<float>(z + double(w) * list[o].z);
    }
    g_newTriangle[c] = Point3{x, y, z};
    if (!IsFinite(g_newTriangle[c])) return false;
  }
  return true;
}

// Puts the new triangular net of `rows` rows into the list and the net and
// shows it.
void KeepTriangle(Platform& window, int rows) {
  SurfaceResult result;
  ModelState& m = Model();
  std::copy_n(g_newTriangle, TriangleCount(rows), m.triangleList);
  m.netRows = m.netCols = rows;
  UnpackTriangle();
  DrawControlNet(window, kBlueMode);
}

}  // namespace

void SurfaceDegreeElevation(Platform& window, int d) {
  Direction dir;
  if (!RectangularDirection(d, dir) || dir.n + dir.r >= kMaxNet) return;
  const bool done = ChangeLines(d, dir, [&](const Coords<3>* points) {
    return ElevateDegree(points, dir.n, dir.r, Scratch());
  });
  if (done) KeepLines(window, d, dir, dir.n + dir.r);
}

void SurfaceDegreeReduction(Platform& window, int d) {
  Direction dir;
  if (!RectangularDirection(d, dir)) return;
  const int m = dir.n - dir.r;
  // One matrix serves every line; its running values are those of the
  // elevation matrix, not of the curve reductions.
  if (!BuildLseReductionMatrix(dir.n, dir.r, 2, ElevationPrecision::kDouble, Scratch())) return;
  const bool done = ChangeLines(d, dir, [&](const Coords<3>* points) {
    return ApplyLseReduction(points, dir.n, m, Scratch());
  });
  if (done) KeepLines(window, d, dir, m);
}

bool TriangleElevationMatrix(Matrix& t, int m, int r, NumericScratch& scratch) {
  if (m < 1 || r < 0 || m + r > kMaxMatrixTriangleRows) return false;
  Matrix& e = scratch.elevationMatrix;
  // share[i][j] = E[i][i+j]: the weight of old row i in new row i + j.
  float share[kMaxMatrixTriangleRows][kMaxMatrixTriangleRows + 1];
  BuildElevationMatrix(e, m, r, 0, ElevationPrecision::kDouble);
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j <= r; ++j) share[i][j] = e[i][i + j];
  }
  for (int o = 0; o < TriangleCount(m); ++o) std::fill_n(t[o], TriangleCount(m + r), 0.0f);
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j <= r; ++j) {
      BuildElevationMatrix(e, i + 1, j, 0, ElevationPrecision::kDouble);
      for (int a = 0; a <= i; ++a) {
        for (int b = 0; b <= i + j; ++b) {
          t[TriangleCount(i) + a][TriangleCount(i + j) + b] =
              static_cast<float>(double(share[i][j]) * e[a][b]);
        }
      }
    }
  }
  return true;
}

void TriangleDegreeElevation(Platform& window) {
  int n, r;
  if (!TriangularNet(n, r) || TriangleCount(n + r) >= kMatrixSize) return;
  Matrix& t = Scratch().matrixA;
  if (!TriangleElevationMatrix(t, n, r, Scratch())) return;
  if (!Combine(t, TriangleCount(n), TriangleCount(n + r), [](float w) { return w > 0.0f; })) {
    return;
  }
  KeepTriangle(window, n + r);
}

void TriangleDegreeReduction(Platform& window) {
  int n, r;
  if (!TriangularNet(n, r)) return;
  const int m = n - r;
  if (m < 2 || n > kMaxMatrixTriangleRows) return;
  const int mc = TriangleCount(m), nc = TriangleCount(n);
  NumericScratch& s = Scratch();
  // H (mc by nc) in matrixE; the normal matrix H H^T in matrixA.
  if (!TriangleElevationMatrix(s.matrixE, m, r, s)) return;
  TransposeMatrix(s.matrixE, s.matrixB, mc, nc);
  MatMul(s.matrixE, s.matrixB, s.matrixA, mc, nc, mc);
  // The solver also reduces matrixB's block, whose result is not used:
  // cleared, it cannot overflow there and refuse a sound system.
  for (int i = 0; i <= mc; ++i) std::fill_n(s.matrixB[i], mc + 1, 0.0f);
  ShiftMatrixIndex(s.matrixA, mc, mc, 1);
  if (SolveGaussJordan(s.matrixA, s.matrixB, mc) == 0) return;
  ShiftMatrixIndex(s.matrixA, mc, mc, 0);
  // (H H^T)^-1 H, mc by nc, in matrixB; row t gives new point t. Combine
  // reads its weights by [old][new], so it gets the transpose.
  MatMul(s.matrixA, s.matrixE, s.matrixB, mc, mc, nc);
  TransposeMatrix(s.matrixB, s.matrixA, mc, nc);
  if (!Combine(s.matrixA, nc, mc, [](float w) { return w != 0.0f; })) return;
  KeepTriangle(window, m);
}

void SurfaceElevationCommand(Platform& window) {
  if (Model().triangles == 1) return TriangleDegreeElevation(window);
  if (Model().applyX != 0) SurfaceDegreeElevation(window, 0);
  if (Model().applyY != 0) SurfaceDegreeElevation(window, 1);
}

void SurfaceReductionCommand(Platform& window) {
  if (Model().triangles == 1) return TriangleDegreeReduction(window);
  if (Model().applyX != 0) SurfaceDegreeReduction(window, 0);
  if (Model().applyY != 0) SurfaceDegreeReduction(window, 1);
}

}  // namespace tambra
