#include "resources/control_ids.h"

namespace tambra {

namespace {

// Row R and column C (both from 1) and the last digit of a spelled-out id
// above `base`.
bool SpelledOut(int id, int base, int& row, int& col, int& digit) {
  if (id < base + 10000 || id > base + 10000 * kMaxCellIndex + 10 * kMaxCellIndex + 9) return false;
  const int rest = id - base;
  row = rest / 10000;
  col = rest % 10000 / 10;
  digit = rest % 10;
  return row >= 1 && row <= kMaxCellIndex && col >= 1 && col <= kMaxCellIndex;
}

}  // namespace

bool PointCellPlace(int id, int& i, int& j, int& c) {
  const int first = id - kFirstCellId;
  if (first >= 0 && first < kControlRows * kControlCols * 3) {
    c = first % 3;
    i = first / 3 / kControlCols;
    j = first / 3 % kControlCols;
    return true;
  }
  int row = 0, col = 0;
  if (!SpelledOut(id, kPointCellBase, row, col, c) || c > 2) return false;
  i = row - 1;
  j = col - 1;
  return true;
}

bool WeightCellPlace(int id, int& i, int& j) {
  const int first = id - kFirstCellId;
  if (first >= 0 && first < kWeightRows * kWeightCols) {
    i = first / kWeightCols;
    j = first % kWeightCols;
    return true;
  }
  int row = 0, col = 0, digit = 0;
  if (!SpelledOut(id, kWeightCellBase, row, col, digit) || digit != 0) return false;
  i = row - 1;
  j = col - 1;
  return true;
}

bool KnotCellPlace(int id, int& i) {
  if (id >= kFirstCellId && id < kFirstCellId + kKnotCells) {
    i = id - kFirstCellId;
    return true;
  }
  if (id < kKnotCellBase || id >= kKnotCellBase + kMaxCellIndex) return false;
  i = id - kKnotCellBase;
  return true;
}

int CanonicalCellId(DialogTemplateId dialog, int id) {
  int i = 0, j = 0, c = 0;
  switch (dialog) {
    case DialogTemplateId::kControlData:
      return PointCellPlace(id, i, j, c) ? PointCellId(i, j, c) : id;
    case DialogTemplateId::kWeights:
      return WeightCellPlace(id, i, j) ? WeightCellId(i, j) : id;
    case DialogTemplateId::kKnots:
      return KnotCellPlace(id, i) ? KnotCellId(i) : id;
    case DialogTemplateId::kAbout:
      break;
  }
  return id;
}

}  // namespace tambra
