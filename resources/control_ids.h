// The dialogs' templates and control ids: one definition, used by the
// dialog logic, the templates and the tests.
#pragma once

namespace tambra {

enum class DialogTemplateId { kControlData, kWeights, kKnots, kAbout };

inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;
inline constexpr int kButtonReset = 3;

// Grid cells count up from 2001 row by row.
inline constexpr int kFirstCellId = 2001;
// Control Data.
inline constexpr int kIdN = 1076, kIdM = 1077;
inline constexpr int kIdXOrder = 1084, kIdYOrder = 1085;
inline constexpr int kIdXDegree = 1086, kIdYDegree = 1087;
inline constexpr int kIdScale = 1078, kIdGrid = 1083;
inline constexpr int kIdTx = 1079, kIdTy = 1080, kIdPhi = 1082, kIdTht = 1081;
inline constexpr int kIdApplyX = 1144, kIdApplyY = 1145, kIdTriangles = 1146;
// Weights.
inline constexpr int kIdAppDim = 1056;
// Knots.
inline constexpr int kIdOrder = 1057, kIdDegree = 1055, kIdChaikin = 1059, kIdInsertKnot = 1058;

// Shown blocks.
inline constexpr int kControlRows = 7, kControlCols = 6;
inline constexpr int kWeightRows = 11, kWeightCols = 6;
inline constexpr int kKnotCells = 30;

// Id of the cell of net point (i, j), coordinate c (x 0, y 1, z 2).
constexpr int PointCellId(int i, int j, int c) {
  return kFirstCellId + (kControlCols * i + j) * 3 + c;
}
constexpr int WeightCellId(int i, int j) { return kFirstCellId + kWeightCols * i + j; }
constexpr int KnotCellId(int i) { return kFirstCellId + i; }

}  // namespace tambra
