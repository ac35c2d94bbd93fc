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
// The tables that hold the cells.
inline constexpr int kIdPointTable = 1150, kIdWeightTable = 1151, kIdKnotTable = 1152;

// The first cells keep the ids of the grids the dialogs once showed: seven
// rows of six points (2001 to 2126), eleven rows of six weights (2001 to
// 2066) and thirty knots (2001 to 2030).
inline constexpr int kControlRows = 7, kControlCols = 6;
inline constexpr int kWeightRows = 11, kWeightCols = 6;
inline constexpr int kKnotCells = 30;

// Every other cell has an id that spells out its place as the table numbers
// it, far above every other control and command id:
//   point row R, column C (1 to 100), coordinate x 0, y 1, z 2:
//       10000000 + 10000 R + 10 C + coordinate   (y of point 60: 10600011)
//   weight row R, column C:  20000000 + 10000 R + 10 C   (weight 60: 20600010)
//   knot I (0 to 99):        30000000 + I               (knot 45: 30000045)
// A cell of the first block answers to its id in this scheme too (see
// CanonicalCellId).
inline constexpr int kPointCellBase = 10000000;
inline constexpr int kWeightCellBase = 20000000;
inline constexpr int kKnotCellBase = 30000000;
inline constexpr int kMaxCellIndex = 100;  // rows, columns and knots a table may have

// Id of the cell of net point (i, j), coordinate c (x 0, y 1, z 2); i and j
// count from 0.
constexpr int PointCellId(int i, int j, int c) {
  return i < kControlRows && j < kControlCols
             ? kFirstCellId + (kControlCols * i + j) * 3 + c
             : kPointCellBase + 10000 * (i + 1) + 10 * (j + 1) + c;
}
constexpr int WeightCellId(int i, int j) {
  return i < kWeightRows && j < kWeightCols ? kFirstCellId + kWeightCols * i + j
                                            : kWeightCellBase + 10000 * (i + 1) + 10 * (j + 1);
}
constexpr int KnotCellId(int i) { return i < kKnotCells ? kFirstCellId + i : kKnotCellBase + i; }

// The place of a cell id of either form; false for an id that is no cell
// of that table.
bool PointCellPlace(int id, int& i, int& j, int& c);
bool WeightCellPlace(int id, int& i, int& j);
bool KnotCellPlace(int id, int& i);

// The id a cell of this dialog is kept under: an id of the spelled-out
// scheme for a cell of the first block becomes that cell's first id; any
// other id is returned as it is.
int CanonicalCellId(DialogTemplateId dialog, int id);

}  // namespace tambra
