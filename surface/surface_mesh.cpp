#include "surface/surface_mesh.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/c_locale.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "numeric/knot_vector.h"
#include "surface/spline_surface.h"
#include "surface/surface_patch.h"

namespace tambra {

namespace {

bool IsFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Writes the vertices and hands back each one's OBJ index (0: left out).
class ObjWriter {
 public:
  explicit ObjWriter(std::string& out) : out_(out) {}

  int Vertex(const Point3& p) {
    if (!IsFinite(p)) return 0;
    char line[128];
    FormatC(line, sizeof line, "v %.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    out_ += line;
    return ++count_;
  }

  // A face or a line through the indices; nothing when one is left out.
  void Element(char kind, std::initializer_list<int> indices) {
    if (std::find(indices.begin(), indices.end(), 0) != indices.end()) return;
    out_ += kind;
    for (int index : indices) out_ += ' ' + std::to_string(index);
    out_ += '\n';
  }

 private:
  std::string& out_;
  int count_ = 0;
};

// Quads over a rows-by-cols grid of indices, row by row.
void GridFaces(ObjWriter& obj, const std::vector<int>& at, int rows, int cols, char kind) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      const int here = at[i * cols + j];
      if (kind == 'l') {
        if (j + 1 < cols) obj.Element('l', {here, at[i * cols + j + 1]});
        if (i + 1 < rows) obj.Element('l', {here, at[(i + 1) * cols + j]});
      } else if (i + 1 < rows && j + 1 < cols) {
        obj.Element('f', {here, at[(i + 1) * cols + j], at[(i + 1) * cols + j + 1],
                          at[i * cols + j + 1]});
      }
    }
  }
}

// Triangles (or edges) over rows packed row by row, row i holding i + 1.
void TriangleFaces(ObjWriter& obj, const std::vector<int>& at, int rows, char kind) {
  auto index = [&](int i, int b) { return at[i * (i + 1) / 2 + b]; };
  for (int i = 0; i + 1 < rows; ++i) {
    for (int b = 0; b <= i; ++b) {
      if (kind == 'l') {
        if (b < i) obj.Element('l', {index(i, b), index(i, b + 1)});
        obj.Element('l', {index(i, b), index(i + 1, b)});
        obj.Element('l', {index(i, b), index(i + 1, b + 1)});
      } else {
        obj.Element('f', {index(i, b), index(i + 1, b), index(i + 1, b + 1)});
        if (b < i) obj.Element('f', {index(i, b), index(i + 1, b + 1), index(i, b + 1)});
      }
    }
  }
  for (int b = 0; kind == 'l' && b + 1 < rows; ++b) {
    obj.Element('l', {index(rows - 1, b), index(rows - 1, b + 1)});
  }
}

// The samples the display draws: a row-major grid of `side` columns, or a
// packed triangle of `side` rows.
struct Samples {
  std::vector<Point3> points;
  int side = 0;
  bool triangular = false;
};

Samples SampleShownSurface(std::string& why) {
  ModelState& m = Model();
  Samples s;
  const bool rational = m.curveKind == kRationalBezier || m.curveKind == kNurbs;
  if (m.curveKind == kBezier || m.curveKind == kRationalBezier) {
    auto tables = std::make_unique<PatchTables>();
    s.triangular = m.triangles == 1;
    s.points.resize(static_cast<std::size_t>(kMaxPatchGrid + 1) * (kMaxPatchGrid + 1));
    const int count = s.triangular ? SampleTrianglePatch(rational, m.grid, s.points, *tables)
                                   : SampleRectPatch(rational, m.grid, s.points, *tables);
    s.points.resize(count);
    s.side = m.grid + 1;
  } else if ((m.curveKind == kBSpline || m.curveKind == kNurbs) && m.triangles != 1) {
    // The display samples over the clamped uniform knots; the model keeps its own.
    float xKnots[kMaxKnots], yKnots[kMaxKnots];
    std::copy_n(m.xKnots, kMaxKnots, xKnots);
    std::copy_n(m.yKnots, kMaxKnots, yKnots);
    if (OrderFitsKnots(m.netRows, m.xOrder) && OrderFitsKnots(m.netCols, m.yOrder) &&
        m.netRows >= m.xOrder && m.netCols >= m.yOrder && m.xOrder >= 1 && m.yOrder >= 1) {
      ClampedUniformKnots(m.xKnots, m.netRows, m.xOrder);
      ClampedUniformKnots(m.yKnots, m.netCols, m.yOrder);
      s.points = SampleSplineSurface(rational);
    }
    std::copy_n(xKnots, kMaxKnots, m.xKnots);
    std::copy_n(yKnots, kMaxKnots, m.yKnots);
    s.side = m.grid + 1;
  }
  if (s.points.empty()) {
    why = m.curveKind == kNoCurve
              ? "Export mesh needs a surface shown: choose Bezier, RBezier, B-spline or NURBS"
              : "Export mesh finds no surface for this net at this grid";
  }
  return s;
}

}  // namespace

std::string SurfaceObj(std::string& why) {
  const Samples samples = SampleShownSurface(why);
  if (samples.points.empty()) return "";
  const ModelState& m = Model();
  std::string out = "# TAMBRA surface, model coordinates\n";
  ObjWriter obj(out);
  out += "o surface\n";
  std::vector<int> at;
  for (const Point3& p : samples.points) at.push_back(obj.Vertex(p));
  if (samples.triangular) {
    TriangleFaces(obj, at, samples.side, 'f');
  } else {
    GridFaces(obj, at, samples.side, samples.side, 'f');
  }
  out += "o control_net\n";
  at.clear();
  if (m.triangles == 1) {
    const int rows = std::clamp(m.netRows, 0, kMaxTriangleRows);
    for (int k = 0; k < rows * (rows + 1) / 2; ++k) at.push_back(obj.Vertex(m.triangleList[k]));
    TriangleFaces(obj, at, rows, 'l');
  } else {
    const int rows = std::clamp(m.netRows, 0, kMaxNet), cols = std::clamp(m.netCols, 0, kMaxNet);
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) at.push_back(obj.Vertex(m.net[i][j]));
    }
    GridFaces(obj, at, rows, cols, 'l');
  }
  return out;
}

}  // namespace tambra
