#include "surface/surface_degree.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_deviation.h"
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

// The net size and step of a direction: (rows, lines, step), where a line
// runs along the direction.
struct Point3D {
  double x = 0.0, y = 0.0, z = 0.0;
};

struct Direction {
  int n;
  int lines;
  int r;
};

const char* DirectionName(int d) { return d == 0 ? "X" : "Y"; }

// Why the surface cannot change direction d, or "": the net is triangular,
// empty or larger than its storage, or the step is outside 0..99.
std::string DirectionRefusal(const SurfaceCopy& net, int d, const std::string& name,
                             Direction& out) {
  if (net.netRows < 1 || net.netCols < 1 || net.netRows > kMaxNet || net.netCols > kMaxNet) {
    return name + " needs a net of 1 to 100 rows and columns; it has " +
           ShortNumber(net.netRows) + " by " + ShortNumber(net.netCols);
  }
  out = d == 0 ? Direction{net.netRows, net.netCols, net.xDegreeStep}
               : Direction{net.netCols, net.netRows, net.yDegreeStep};
  if (out.r < 0 || out.r > kMaxDegreeStep) {
    return name + " in " + DirectionName(d) + " needs a Degree step of " + (d == 0 ? "N" : "M") +
           " from 0 to " +
           ShortNumber(kMaxDegreeStep) + "; it is " + ShortNumber(out.r);
  }
  return "";
}

// Point k of line `line` in direction d.
template <typename Net>
auto& At(Net& net, int d, int line, int k) {
  return d == 0 ? net[k][line] : net[line][k];
}

// Runs `change` on every line of direction d of `surface` and puts the new
// lines of `count` points in; false, with the surface unchanged, when one
// line has no result.
template <typename Change>
bool ChangeLines(SurfaceCopy& surface, int d, const Direction& dir, int count, Change change) {
  // The new net, built whole before the surface changes.
  auto lines = std::make_unique<Point3[][kMaxNet]>(kMaxNet);
  for (int line = 0; line < dir.lines; ++line) {
    Coords<3> points[kMaxNet];
    for (int k = 0; k < dir.n; ++k) points[k] = ToCoords(At(surface.net, d, line, k));
    const auto result = change(points);
    if (!result) return false;
    for (int k = 0; k < result->count; ++k) At(lines, d, line, k) = ToPoint(result->points[k]);
  }
  (d == 0 ? surface.netRows : surface.netCols) = count;
  for (int line = 0; line < dir.lines; ++line) {
    for (int k = 0; k < count; ++k) At(surface.net, d, line, k) = At(lines, d, line, k);
  }
  return true;
}

// A triangular net the triangular operations can read (rows within the
// packed list, columns set) and its step, within 0..99; why not, or "".
std::string TriangleRefusal(const SurfaceCopy& net, const std::string& name, int& rows, int& r) {
  rows = net.netRows;
  r = net.xDegreeStep;
  if (rows < 1 || rows > kMaxTriangleRows || net.netCols < 1) {
    return name + " needs a triangular net of 1 to " + ShortNumber(kMaxTriangleRows) +
           " rows; it has " + ShortNumber(rows);
  }
  if (r < 0 || r > kMaxDegreeStep) {
    return name + " needs a Degree step of N from 0 to " + ShortNumber(kMaxDegreeStep) + "; it is " +
           ShortNumber(r);
  }
  return "";
}

// The new packed points: new[c] = sum over old points o of weights[o][c]
// list[o] where the weight is `counts`; single-precision sums. False when a
// point is not finite.
template <typename Counts>
bool Combine(const Point3* list, const Matrix& weights, int oldCount, int newCount,
             Point3* combined, Counts counts) {
  for (int c = 0; c < newCount; ++c) {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    for (int o = 0; o < oldCount; ++o) {
      const float w = weights[o][c];
      if (!counts(w)) continue;
      x = static_cast<float>(x + double(w) * list[o].x);
      y = static_cast<float>(y + double(w) * list[o].y);
      z = static_cast<float>(z + double(w) * list[o].z);
    }
    combined[c] = Point3{x, y, z};
    if (!IsFinite(combined[c])) return false;
  }
  return true;
}

// Puts the new triangular net of `rows` rows into the list and the net.
void KeepTriangle(SurfaceCopy& surface, const Point3* combined, int rows) {
  std::copy_n(combined, TriangleCount(rows), surface.triangleList);
  surface.netRows = surface.netCols = rows;
  UnpackTriangleOf(surface);
}

// The net drawn in blue; the last one drawn is the result.
Drawing NetDrawing(const SurfaceCopy& surface) {
  Drawing drawing;
  drawing.surface = std::make_shared<const SurfaceCopy>(surface);
  drawing.draw = DrawControlNet;
  drawing.mode = kBlueMode;
  return drawing;
}

// Rows of the patch at parameter v: C(i) = sum over j of B(M-1, j)(v) P(i, j).
void PatchRowsAt(const SurfaceCopy& s, double v, std::vector<Point3D>& rows) {
  rows.assign(s.netRows, Point3D{});
  std::vector<double> bv;
  BernsteinValues(s.netCols - 1, v, bv);
  for (int j = 0; j < s.netCols; ++j) {
    const double b = bv[j];
    for (int i = 0; i < s.netRows; ++i) {
      rows[i].x += b * s.net[i][j].x, rows[i].y += b * s.net[i][j].y, rows[i].z += b * s.net[i][j].z;
    }
  }
}

Point3D PatchAt(const std::vector<Point3D>& rows, double u, std::vector<double>& bu) {
  Point3D p{};
  const int last = int(rows.size()) - 1;
  BernsteinValues(last, u, bu);
  for (int i = 0; i <= last; ++i) {
    const double b = bu[i];
    p.x += b * rows[i].x, p.y += b * rows[i].y, p.z += b * rows[i].z;
  }
  return p;
}

// The largest distance between two rectangular Bezier patches at equal
// parameters (u, v) on a 65 by 65 grid, in double (a few milliseconds for a
// 100 by 100 net).
double PatchDeviation(const SurfaceCopy& before, const SurfaceCopy& after) {
  constexpr int kSteps = 64;
  std::vector<Point3D> a, b;
  std::vector<double> bu;
  double largest = 0.0;
  for (int sv = 0; sv <= kSteps; ++sv) {
    PatchRowsAt(before, double(sv) / kSteps, a);
    PatchRowsAt(after, double(sv) / kSteps, b);
    for (int su = 0; su <= kSteps; ++su) {
      const Point3D p = PatchAt(a, double(su) / kSteps, bu), q = PatchAt(b, double(su) / kSteps, bu);
      const double d = std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) +
                                 (p.z - q.z) * (p.z - q.z));
      if (!std::isfinite(d)) return std::nan("");
      largest = std::max(largest, d);
    }
  }
  return largest;
}

std::string NetSize(const SurfaceCopy& s) {
  return ShortNumber(s.netRows) + " by " + ShortNumber(s.netCols);
}

}  // namespace

std::string SurfaceDegreeElevation(SurfaceCopy& surface, int d, NumericScratch& scratch) {
  const std::string name = "Surface degree elevation";
  Direction dir;
  if (std::string why = DirectionRefusal(surface, d, name, dir); !why.empty()) return why;
  if (dir.n + dir.r >= kMaxNet) {
    return name + " in " + DirectionName(d) + " would give " + ShortNumber(dir.n + dir.r) +
           " points a line; the net holds " + ShortNumber(kMaxNet - 1);
  }
  const bool done = ChangeLines(surface, d, dir, dir.n + dir.r, [&](const Coords<3>* points) {
    return ElevateDegree(points, dir.n, dir.r, scratch);
  });
  return done ? "" : name + " in " + DirectionName(d) + " gives a value that is not finite";
}

std::string SurfaceDegreeReduction(SurfaceCopy& surface, int d, NumericScratch& scratch) {
  const std::string name = "Surface degree reduction";
  Direction dir;
  if (std::string why = DirectionRefusal(surface, d, name, dir); !why.empty()) return why;
  const int m = dir.n - dir.r;
  // One matrix serves every line; its running values are those of the
  // elevation matrix, not of the curve reductions.
  if (!BuildLseReductionMatrix(dir.n, dir.r, 2, ElevationPrecision::kDouble, scratch)) {
    return name + " in " + DirectionName(d) + " needs at least 2 points a line after lowering by " +
           ShortNumber(dir.r) + " and at most 99 before; a line has " + ShortNumber(dir.n);
  }
  const bool done = ChangeLines(surface, d, dir, m, [&](const Coords<3>* points) {
    return ApplyLseReduction(points, dir.n, m, scratch);
  });
  return done ? "" : name + " in " + DirectionName(d) + " gives a value that is not finite";
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

std::string TriangleDegreeElevation(SurfaceCopy& surface, NumericScratch& scratch) {
  const std::string name = "Triangular degree elevation";
  int n, r;
  if (std::string why = TriangleRefusal(surface, name, n, r); !why.empty()) return why;
  if (TriangleCount(n + r) >= kMatrixSize) {
    return name + " would give " + ShortNumber(TriangleCount(n + r)) + " points; at most " +
           ShortNumber(kMatrixSize - 1) + " fit";
  }
  Matrix& t = scratch.matrixA;
  Point3 combined[kMatrixSize];
  if (!TriangleElevationMatrix(t, n, r, scratch) ||
      !Combine(surface.triangleList, t, TriangleCount(n), TriangleCount(n + r), combined,
               [](float w) { return w > 0.0f; })) {
    return name + " gives a value that is not finite";
  }
  KeepTriangle(surface, combined, n + r);
  return "";
}

std::string TriangleDegreeReduction(SurfaceCopy& surface, NumericScratch& s) {
  const std::string name = "Triangular degree reduction";
  int n, r;
  if (std::string why = TriangleRefusal(surface, name, n, r); !why.empty()) return why;
  const int m = n - r;
  if (m < 2 || n > kMaxMatrixTriangleRows) {
    return name + " by " + ShortNumber(r) + " needs 2 rows left and at most " +
           ShortNumber(kMaxMatrixTriangleRows) + " rows before; the net has " + ShortNumber(n);
  }
  const int mc = TriangleCount(m), nc = TriangleCount(n);
  // H (mc by nc) in matrixE; the normal matrix H H^T in matrixA.
  if (!TriangleElevationMatrix(s.matrixE, m, r, s)) return name + " cannot build its matrix";
  TransposeMatrix(s.matrixE, s.matrixB, mc, nc);
  MatMul(s.matrixE, s.matrixB, s.matrixA, mc, nc, mc);
  // The solver also reduces matrixB's block, whose result is not used:
  // cleared, it cannot overflow there and refuse a sound system.
  for (int i = 0; i <= mc; ++i) std::fill_n(s.matrixB[i], mc + 1, 0.0f);
  ShiftMatrixIndex(s.matrixA, mc, mc, 1);
  if (SolveGaussJordan(s.matrixA, s.matrixB, mc) == 0) {
    return name + ": the least-squares system is singular";
  }
  ShiftMatrixIndex(s.matrixA, mc, mc, 0);
  // (H H^T)^-1 H, mc by nc, in matrixB; row t gives new point t. Combine
  // reads its weights by [old][new], so it gets the transpose.
  MatMul(s.matrixA, s.matrixE, s.matrixB, mc, mc, nc);
  TransposeMatrix(s.matrixB, s.matrixA, mc, nc);
  Point3 combined[kMatrixSize];
  if (!Combine(surface.triangleList, s.matrixA, nc, mc, combined,
               [](float w) { return w != 0.0f; })) {
    return name + " gives a value that is not finite";
  }
  KeepTriangle(surface, combined, m);
  return "";
}

namespace {

using DirectionChange = std::string (*)(SurfaceCopy&, int, NumericScratch&);
using TriangleChange = std::string (*)(SurfaceCopy&, NumericScratch&);

// A triangular net changes as a whole; a rectangular one in X when X_axis is
// checked, then in Y when Y_axis is. With Save on the second direction works
// on the first one's result, as the model then holds it.
Outcome ChangeSurface(const CommandInput& input, const char* name, DirectionChange change,
                      TriangleChange changeTriangle, bool measure) {
  const ModelState& m = input.model;
  SurfaceCopy surface = CurrentSurface(m);
  const std::string before = NetSize(surface);
  Outcome outcome;
  if (m.triangles == 1) {
    if (std::string why = changeTriangle(surface, input.scratch); !why.empty()) {
      return Outcome::Refused(why);
    }
    outcome.drawings.push_back(NetDrawing(surface));
    outcome.summary = std::string(name) + ": triangular net of " + ShortNumber(m.netRows) +
                      " to " + ShortNumber(surface.netRows) + " rows";
    return outcome;
  }
  std::string refusals;
  const int apply[2] = {m.applyX, m.applyY};
  const SurfaceCopy given = surface;
  for (int d = 0; d < 2; ++d) {
    if (apply[d] == 0) continue;
    SurfaceCopy changed = m.saveResults == 1 ? surface : given;
    if (std::string why = change(changed, d, input.scratch); !why.empty()) {
      refusals += (refusals.empty() ? "" : "; ") + why;
      continue;
    }
    outcome.drawings.push_back(NetDrawing(changed));
    surface = changed;
  }
  if (apply[0] == 0 && apply[1] == 0) {
    return Outcome::Refused(std::string(name) + " needs X_axis or Y_axis checked in Control Data");
  }
  if (outcome.drawings.empty()) return Outcome::Refused(refusals);
  outcome.summary = std::string(name) + ": net of " + before + " to " + NetSize(surface) +
                    (refusals.empty() ? "" : "; " + refusals);
  // How far the result moved the patch: the kept result against the model's.
  if (measure) AddDeviation(outcome, PatchDeviation(given, surface));
  return outcome;
}

}  // namespace

Outcome SurfaceElevationCommand(const CommandInput& input) {
  return ChangeSurface(input, "Surface degree elevation", SurfaceDegreeElevation,
                       TriangleDegreeElevation, false);
}

Outcome SurfaceReductionCommand(const CommandInput& input) {
  return ChangeSurface(input, "Surface degree reduction", SurfaceDegreeReduction,
                       TriangleDegreeReduction, true);
}

}  // namespace tambra
