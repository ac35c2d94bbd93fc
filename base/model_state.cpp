#include "base/model_state.h"

#include <algorithm>
#include <memory>

#include "base/model_limits.h"
#include "numeric/knot_vector.h"

namespace tambra {

namespace {

// The record is large (two full nets and a surface snapshot), so it lives in
// static storage rather than on any stack.
ModelState g_model;

}  // namespace

ModelState& Model() { return g_model; }

void ResetModelState() {
  // Assignment from a value-initialised temporary would need a second large
  // record on the stack; reset through placement instead.
  std::destroy_at(&g_model);
  std::construct_at(&g_model);
}

namespace {

// The fields of one parametric direction of the net.
struct NetDirection {
  int& count;
  int& degreeStep;
  int& order;
  float* knots;
};

NetDirection DirectionOfNet(ModelState& m, int direction) {
  if (direction == 0) return NetDirection{m.netRows, m.xDegreeStep, m.xOrder, m.xKnots};
  return NetDirection{m.netCols, m.yDegreeStep, m.yOrder, m.yKnots};
}

}  // namespace

void LoadDirection(ModelState& m, int direction) {
  const NetDirection net = DirectionOfNet(m, direction);
  m.pointCount = net.count;
  m.degreeStep = net.degreeStep;
  m.order = net.order;
  std::copy_n(net.knots, StoredKnotCount(m.pointCount, m.order), m.knots);
}

void StoreDirection(ModelState& m, int direction) {
  const NetDirection net = DirectionOfNet(m, direction);
  net.count = m.pointCount;
  net.degreeStep = m.degreeStep;
  net.order = m.order;
  std::copy_n(m.knots, StoredKnotCount(m.pointCount, m.order), net.knots);
}

void LoadDirection(int direction) { LoadDirection(Model(), direction); }

void StoreDirection(int direction) { StoreDirection(Model(), direction); }

void SelectDirection(int selector) {
  switch (selector) {
    case kLoadX: LoadDirection(0); break;
    case kLoadY: LoadDirection(1); break;
    case kStoreX: StoreDirection(0); break;
    case kStoreY: StoreDirection(1); break;
    default: break;
  }
}

void CurveToNet(ModelState& m) {
  StoreDirection(m, 0);
  const int count = std::clamp(m.pointCount, 0, kMaxPoints);
  for (int i = 0; i < count; ++i) {
    m.net[i][0] = Point3{m.points[i].x, m.points[i].y, 0.0f};
    m.netWeights[i][0] = m.weights[i];
  }
  m.yDegreeStep = 0;
  m.yOrder = 0;
  m.netCols = 1;
}

void CurveToNet() { CurveToNet(Model()); }

void NetToCurve() {
  ModelState& m = Model();
  LoadDirection(0);
  const int count = std::clamp(m.pointCount, 0, kMaxPoints);
  for (int i = 0; i < count; ++i) {
    m.points[i] = Point2{m.net[i][0].x, m.net[i][0].y};
    m.weights[i] = m.netWeights[i][0];
  }
}

//   list index k, row by row:      net (i, j), j <= i; zero above
//     0                              (0,0)  0     0
//     1  2                           (1,0) (1,1)  0
//     3  4  5                        (2,0) (2,1) (2,2)
void UnpackTriangle() { UnpackTriangleOf(Model()); }

int PackTriangle() { return PackTriangleOf(Model()); }

void FollowTriangleList(ModelState& m) {
  if (m.netRows > kMaxTriangleRows) {
    m.triangles = 0;
    return;
  }
  int k = 0;
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j <= i; ++j) m.net[i][j] = m.triangleList[k++];
  }
}

void RepackTriangle() {
  if (PackTriangle() == 0) Model().triangles = 0;
}

void ShowModelAsNet(ModelState& m) {
  if (m.objectMode == kCurves) {
    CurveToNet(m);
  } else if (m.triangles == 1) {
    UnpackTriangleOf(m);
  }
}

void ShowModelAsNet() { ShowModelAsNet(Model()); }

void TakeModelFromNet() {
  ModelState& m = Model();
  if (m.objectMode == kCurves) {
    NetToCurve();
  } else if (m.triangles == 1) {
    RepackTriangle();
  }
}

void SetStartWeights(ModelState& m) {
  std::fill_n(m.weights, kStartWeights, 1.0f);
  for (int i = 0; i < kStartWeights; ++i) std::fill_n(m.netWeights[i], kStartWeights, 1.0f);
}

void ClearNet(ModelState& m) {
  const auto blank = std::make_unique<ModelState>();
  SetStartWeights(*blank);
  m.netRows = 0;
  m.netCols = 0;
  std::copy_n(&blank->net[0][0], kMaxNet * kMaxNet, &m.net[0][0]);
  std::copy_n(&blank->netWeights[0][0], kMaxNet * kMaxNet, &m.netWeights[0][0]);
  std::copy_n(blank->xKnots, kMaxKnots, m.xKnots);
  std::copy_n(blank->yKnots, kMaxKnots, m.yKnots);
  m.xOrder = blank->xOrder;
  m.yOrder = blank->yOrder;
  m.xDegreeStep = blank->xDegreeStep;
  m.yDegreeStep = blank->yDegreeStep;
}

void StartFreshDocument(ModelState& m) {
  // Too large for the stack: a default record on the heap, with what is
  // not the document's carried over.
  auto fresh = std::make_unique<ModelState>();
  SetStartWeights(*fresh);
  fresh->objectMode = m.objectMode;
  fresh->curveKind = m.curveKind;
  fresh->saveResults = m.saveResults;
  fresh->clientWidth = m.clientWidth;
  fresh->clientHeight = m.clientHeight;
  std::copy_n(m.controlFileName, kMaxFileName, fresh->controlFileName);
  std::copy_n(m.outputFileName, kMaxFileName, fresh->outputFileName);
  fresh->controlFileChosen = m.controlFileChosen;
  fresh->logFile = m.logFile;
  fresh->logActive = m.logActive;
  fresh->logWriteError = m.logWriteError;
  fresh->acceptRelease = m.acceptRelease;
  fresh->knotsDirection = m.knotsDirection;
  fresh->copyBuffer = m.copyBuffer;
  m = *fresh;
}

bool CurveKnotsAutomatic() {
  const ModelState& m = Model();
  return IsAutomaticKnots(m.knots, m.pointCount, m.order);
}

void SetDefaultCurveKnots() {
  ModelState& m = Model();
  DefaultKnots(m.knots, m.pointCount, m.order);
  std::fill(m.knots + StoredKnotCount(m.pointCount, m.order), m.knots + kMaxKnots, 0.0f);
}

void RefreshAutomaticKnots() {
  if (CurveKnotsAutomatic()) SetDefaultCurveKnots();
}

}  // namespace tambra
