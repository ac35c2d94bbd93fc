// The one process-wide record of the model, the view, the files and the
// mouse interaction. Every operation reads and writes it directly through
// Model(); tests start from a fresh default record with ResetModelState().
#pragma once

#include <cstdio>

namespace tambra {

// Capacities of the fixed-size model.
inline constexpr int kMaxPoints = 100;          // control points of a curve
inline constexpr int kMaxKnots = 100;           // entries of every knot vector
inline constexpr int kMaxNet = 100;             // rows and columns of the net storage
inline constexpr int kMaxTrianglePoints = 500;  // packed triangular net
inline constexpr int kMaxFileName = 256;        // file name buffers, terminator included
inline constexpr int kTextBufferSize = 4096;    // the line and control-file buffer
inline constexpr int kMinPolygonPoints = 3;     // a polygon never shrinks below this by deletion
// Rows of a triangular net that fit the packed list: N(N + 1)/2 <= 500.
inline constexpr int kMaxTriangleRows = 31;

enum ObjectMode : int { kCurves = 0, kSurfaces = 1 };

enum CurveKind : int {
  kNoCurve = 0,
  kBezier = 1,
  kRationalBezier = 2,
  kBSpline = 3,
  kNurbs = 4,
};

struct Point2 {
  float x;
  float y;
};

struct Point3 {
  float x;
  float y;
  float z;
};

// Curve state kept by Edit > Copy and by the curve snapshot.
struct CurveCopy {
  int pointCount;
  int order;
  float weights[kMaxPoints];
  Point2 points[kMaxPoints];
  float knots[kMaxKnots];
};

// Surface state kept by the surface snapshot.
struct SurfaceCopy {
  int netRows;
  int netCols;
  int xOrder;
  int yOrder;
  int xDegreeStep;
  int yDegreeStep;
  int triangles;
  float xKnots[kMaxKnots];
  float yKnots[kMaxKnots];
  Point3 net[kMaxNet][kMaxNet];
  float netWeights[kMaxNet][kMaxNet];
  Point3 triangleList[kMaxTrianglePoints];
};

struct ModelState {
  // Modes and switches.
  int objectMode = kCurves;
  int curveKind = kNoCurve;
  int saveResults = 0;

  // Curve.
  int pointCount = 0;
  Point2 points[kMaxPoints] = {};
  float weights[kMaxPoints] = {};
  float knots[kMaxKnots] = {};
  int order = 4;
  int degreeStep = 1;
  int chaikinSteps = 1;
  float insertKnot = 99.0f;
  int insertSpan = 0;
  int approxDim = 30;

  // Surface. Row index i runs in the X direction (netRows, shown as N),
  // column index j in the Y direction (netCols, shown as M).
  int netRows = 0;
  int netCols = 0;
  Point3 net[kMaxNet][kMaxNet] = {};
  float netWeights[kMaxNet][kMaxNet] = {};
  float xKnots[kMaxKnots] = {};
  float yKnots[kMaxKnots] = {};
  int xOrder = 4;
  int yOrder = 4;
  int xDegreeStep = 1;
  int yDegreeStep = 1;
  int applyX = 1;
  int applyY = 1;
  int triangles = 0;
  // Triangular net packed row by row: row i holds i + 1 points.
  Point3 triangleList[kMaxTrianglePoints] = {};

  // View and drawing.
  int grid = 50;
  float scale = 1.0f;
  float tx = 0.0f;
  float ty = 0.0f;
  float tht = 0.0f;
  float phi = 0.0f;
  short clientWidth = 0;
  short clientHeight = 0;

  // Files and log.
  char controlFileName[kMaxFileName] = "noname.cnt";
  char outputFileName[kMaxFileName] = "noname.dat";
  // 1 once the model has a file of its own (opened, or saved under a name
  // the user chose); 0 at start and after Edit > New, when Save asks for one.
  int controlFileChosen = 0;
  std::FILE* logFile = nullptr;
  int logActive = 0;
  // The error of the first write to the log that failed, 0 while none has.
  int logWriteError = 0;
  char textBuffer[kTextBufferSize] = {};

  // Interaction.
  int acceptRelease = 1;
  int pickActive = 0;
  int pickedIndex = 0;
  int hoverIndex = -1;
  int dragX = 0;
  int dragY = 0;
  int knotsDirection = 0;
  int knotsShownOrder = 0;

  // Working copies.
  CurveCopy copyBuffer = {};
  CurveCopy curveSnapshot = {};
  SurfaceCopy surfaceSnapshot = {};
};

// The one instance.
ModelState& Model();

// Puts every field back to its program-start default. Does not close a log.
void ResetModelState();

// The window starts with curve weights 0 to 9 and the 10 by 10 block of net
// weights at 1.
inline constexpr int kStartWeights = 10;
void SetStartWeights(ModelState& m);
// Every field of the document and every value that goes with a drawing
// (weights, knots, Knot to insert, the dialogs' steps, the grid, the view
// values) back to what the window starts with. Kept: the mode, the family
// shown, the Save switch, the client size, the file names and the log, the
// mouse's release state and the clipboard.
void StartFreshDocument(ModelState& m);
// The net, its weights, knots, orders and steps as the window starts with
// them: no rows, no columns.
void ClearNet(ModelState& m);

// Model conversions shared by the dialogs, the control file and the
// surface algorithms.
enum DirectionSelector : int { kLoadX = 0, kLoadY = 1, kStoreX = 2, kStoreY = 3 };
void LoadDirection(int direction);   // 0 = X, 1 = Y
void StoreDirection(int direction);  // 0 = X, 1 = Y
void LoadDirection(ModelState& m, int direction);
void StoreDirection(ModelState& m, int direction);
void SelectDirection(int selector);  // load X, load Y, store X, store Y
void CurveToNet();
void CurveToNet(ModelState& m);
void NetToCurve();
void UnpackTriangle();
// The same on any record with a net and a packed list (the model, a surface
// copy): the net's lower triangle from the list, zeros beside it.
template <typename Surface>
void UnpackTriangleOf(Surface& s) {
  // A larger net would read past the 500 entries of the list.
  if (s.netRows > kMaxTriangleRows) return;
  int k = 0;
  for (int i = 0; i < s.netRows; ++i) {
    for (int j = 0; j <= i; ++j) s.net[i][j] = s.triangleList[k++];
    for (int j = i + 1; j < s.netRows; ++j) s.net[i][j] = Point3{0.0f, 0.0f, 0.0f};
  }
}
// The list from the net's lower triangle; 0 when it would overflow.
template <typename Surface>
[[nodiscard]] int PackTriangleOf(Surface& s) {
  const int rows = s.netRows < kMaxNet ? s.netRows : kMaxNet;
  int k = 0;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j <= i; ++j) {
      s.triangleList[k++] = s.net[i][j];
      if (k == kMaxTrianglePoints) return 0;
    }
  }
  return 1;
}
[[nodiscard]] int PackTriangle();  // 1 on success, 0 when the list would overflow
// The packed list is a triangle's points: the net's lower triangle follows
// it, the cells above the diagonal (what the net holds should the triangle
// become a rectangle again) stay. A net longer than the list holds stops
// being triangular.
void FollowTriangleList(ModelState& m);
// Packs a triangular net into the list; a net too large for the list stops
// being triangular rather than keep a partial list.
void RepackTriangle();

// The net as the dialogs and files see the model: in Curves mode the curve
// goes into column 0, a triangular surface is unpacked into the net.
void ShowModelAsNet();
void ShowModelAsNet(ModelState& m);
// The reverse after the net was edited or read: in Curves mode the curve
// takes column 0, a triangular surface re-packs its list.
void TakeModelFromNet();

// The curve's knot vector follows its count and order while it is
// automatic: all zero, or the default clamped uniform vector for pointCount
// and order (whether it is can be read off the values alone; the file keeps
// no mark). A vector the user typed, a file brought or a knot command wrote
// stays as it is.
bool CurveKnotsAutomatic();
// The default vector for pointCount and order, zeros after it.
void SetDefaultCurveKnots();
// Rebuilds the vector for the current count and order when it is automatic
// (an all-zero vector becomes the default one).
void RefreshAutomaticKnots();

}  // namespace tambra
