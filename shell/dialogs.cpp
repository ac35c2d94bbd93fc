#include "shell/dialogs.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "shell/c_locale.h"
#include "shell/model_state.h"

namespace tambra {

namespace {

// Characters read back from each kind of field; longer text is cut first.
constexpr std::size_t kCellLength = 31;
constexpr std::size_t kSizeLength = 2;
constexpr std::size_t kShortLength = 4;
constexpr std::size_t kLongLength = 9;

// Orders above this would need more knots than a vector holds.
constexpr int kMaxOrder = kMaxKnots - 1;

std::string Cut(const std::string& text, std::size_t length) { return text.substr(0, length); }

// Text to float as the standard conversion reads it; empty, non-numeric or
// non-finite input (and overflow of the float) gives 0.
float ToReal(const std::string& text) {
  const float value = static_cast<float>(ParseDoubleC(text.c_str(), nullptr));
  return std::isfinite(value) ? value : 0.0f;
}

int ToInteger(const std::string& text) {
  const long value = ParseLongC(text.c_str(), nullptr);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

std::string IntegerText(int value) { return std::to_string(value); }

// The default clamped uniform vector of order k over n points:
// n = 6, k = 4 gives 0 0 0 0 1 2 3 3 3 3.
void BuildDefaultKnots(int k, int n) {
  float* knots = Model().knots;
  for (int i = 0; i < k && i < kMaxKnots; ++i) knots[i] = 0.0f;
  for (int i = k; i < n && i < kMaxKnots; ++i) knots[i] = static_cast<float>(i - k + 1);
  for (int i = std::max(n, 0); i < n + k && i < kMaxKnots; ++i) {
    knots[i] = static_cast<float>(n - k + 1);
  }
}

// Counts leading cells that are not empty, `step` ids apart.
int CountFilled(int firstId, int step, int limit, const DialogSession& dialog) {
  int count = 0;
  while (count < limit && !dialog.Text(firstId + count * step).empty()) ++count;
  return count;
}

// A new order or degree step: negative values are ignored, as are values
// the knot storage cannot hold.
void StoreIfValid(int& field, int value, int limit) {
  if (value >= 0 && value <= limit) field = value;
}

}  // namespace

std::string FormatNumber(float value) {
  const double v = value;
  const double whole = std::trunc(v);
  const float fraction = static_cast<float>(v - whole);
  char text[64];
  if (!(fraction >= 1e-20 || fraction <= -1e-20)) {
    // Integral. Floats beyond the int range are integral too; print them
    // whole rather than through an overflowing conversion.
    if (std::fabs(whole) < 2147483648.0) {
      FormatC(text, sizeof text, "%d", static_cast<int>(whole));
    } else {
      FormatC(text, sizeof text, "%.0f", whole);
    }
  } else {
    FormatC(text, sizeof text, "%7.6f", v);
  }
  return text;
}

// ---------------------------------------------------------------------------
// Control Data

int ControlDataDialog::Open() {
  ShowModelAsNet();
  const ModelState& m = Model();
  SetText(kIdN, IntegerText(m.netRows));
  SetText(kIdM, IntegerText(m.netCols));
  const int rows = std::clamp(m.netRows, 0, kControlRows);
  const int cols = std::clamp(m.netCols, 0, kControlCols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      SetText(PointCellId(i, j, 0), FormatNumber(m.net[i][j].x));
      SetText(PointCellId(i, j, 1), FormatNumber(m.net[i][j].y));
      SetText(PointCellId(i, j, 2), FormatNumber(m.net[i][j].z));
    }
  }
  SetText(kIdXOrder, IntegerText(m.xOrder));
  SetText(kIdYOrder, IntegerText(m.yOrder));
  SetText(kIdXDegree, IntegerText(m.xDegreeStep));
  SetText(kIdYDegree, IntegerText(m.yDegreeStep));
  SetText(kIdScale, FormatNumber(m.scale));
  SetText(kIdGrid, IntegerText(m.grid));
  SetText(kIdTx, FormatNumber(m.tx));
  SetText(kIdTy, FormatNumber(m.ty));
  SetText(kIdPhi, FormatNumber(m.phi));
  SetText(kIdTht, FormatNumber(m.tht));
  SetChecked(kIdApplyX, m.applyX == 1);
  SetChecked(kIdApplyY, m.applyY == 1);
  SetChecked(kIdTriangles, m.triangles == 1);
  return kStayOpen;
}

int ControlDataDialog::Press(int buttonId) {
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  ModelState& m = Model();
  const int filledRows = CountFilled(PointCellId(0, 0, 0), kControlCols * 3, kControlRows, *this);
  const int filledCols = CountFilled(PointCellId(0, 0, 0), 3, kControlCols, *this);
  // Sizes stay within the net storage; a negative size means none.
  m.netRows = std::clamp(std::max(ToInteger(Cut(Text(kIdN), kSizeLength)), filledRows), 0, kMaxNet);
  m.netCols = std::clamp(std::max(ToInteger(Cut(Text(kIdM), kSizeLength)), filledCols), 0, kMaxNet);

  const int rows = std::min(m.netRows, kControlRows);
  const int cols = std::min(m.netCols, kControlCols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      m.net[i][j].x = ToReal(Cut(Text(PointCellId(i, j, 0)), kCellLength));
      m.net[i][j].y = ToReal(Cut(Text(PointCellId(i, j, 1)), kCellLength));
      m.net[i][j].z = ToReal(Cut(Text(PointCellId(i, j, 2)), kCellLength));
    }
  }
  m.scale = ToReal(Cut(Text(kIdScale), kShortLength));
  m.tx = ToReal(Cut(Text(kIdTx), kShortLength));
  m.ty = ToReal(Cut(Text(kIdTy), kShortLength));
  m.tht = ToReal(Cut(Text(kIdTht), kShortLength));
  m.phi = ToReal(Cut(Text(kIdPhi), kShortLength));
  m.grid = ToInteger(Cut(Text(kIdGrid), kShortLength));
  StoreIfValid(m.xDegreeStep, ToInteger(Cut(Text(kIdXDegree), kShortLength)), kMaxOrder);
  StoreIfValid(m.yDegreeStep, ToInteger(Cut(Text(kIdYDegree), kShortLength)), kMaxOrder);
  StoreIfValid(m.xOrder, ToInteger(Cut(Text(kIdXOrder), kShortLength)), kMaxOrder);
  StoreIfValid(m.yOrder, ToInteger(Cut(Text(kIdYOrder), kShortLength)), kMaxOrder);
  m.applyX = Checked(kIdApplyX) ? 1 : 0;
  m.applyY = Checked(kIdApplyY) ? 1 : 0;
  m.triangles = Checked(kIdTriangles) ? 1 : 0;
  TakeModelFromNet();
  return 1;
}

// ---------------------------------------------------------------------------
// Weights

void WeightsDialog::ShowWeights() {
  const ModelState& m = Model();
  const int rows = std::clamp(m.netRows, 0, kWeightRows);
  const int cols = std::clamp(m.netCols, 0, kWeightCols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) SetText(WeightCellId(i, j), FormatNumber(m.netWeights[i][j]));
  }
}

int WeightsDialog::Open() {
  ShowModelAsNet();
  ShowWeights();
  SetText(kIdAppDim, IntegerText(Model().approxDim));
  return kStayOpen;
}

int WeightsDialog::Press(int buttonId) {
  ModelState& m = Model();
  const int rows = std::clamp(m.netRows, 0, kWeightRows);
  const int cols = std::clamp(m.netCols, 0, kWeightCols);
  if (buttonId == kButtonReset) {
    // Takes effect at once; Cancel does not undo it for the net.
    for (int i = 0; i < rows; ++i) std::fill_n(m.netWeights[i], cols, 1.0f);
    ShowWeights();
    return kStayOpen;
  }
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      m.netWeights[i][j] = ToReal(Cut(Text(WeightCellId(i, j)), kCellLength));
    }
  }
  const int approxDim = ToInteger(Cut(Text(kIdAppDim), kLongLength));
  if (approxDim >= 0) m.approxDim = approxDim;
  TakeModelFromNet();
  return 1;
}

// ---------------------------------------------------------------------------
// Knots

void KnotsDialog::ShowKnots(int count) {
  const float* knots = Model().knots;
  for (int i = 0; i < std::clamp(count, 0, kKnotCells); ++i) {
    SetText(KnotCellId(i), FormatNumber(knots[i]));
  }
}

int KnotsDialog::Open() {
  ModelState& m = Model();
  if (m.objectMode == kCurves) {
    CurveToNet();
  } else if (m.triangles == 1) {
    return 1;  // a triangular patch has no knots
  } else {
    LoadDirection(m.knotsDirection == 0 ? 0 : 1);
  }
  if (m.knotsShownOrder == 0) BuildDefaultKnots(m.order, m.pointCount);
  ShowKnots(m.pointCount + m.order);
  SetText(kIdOrder, IntegerText(m.order));
  SetText(kIdDegree, IntegerText(m.degreeStep));
  SetText(kIdChaikin, IntegerText(m.chaikinSteps));
  SetText(kIdInsertKnot, FormatNumber(m.insertKnot));
  m.knotsShownOrder = m.order;
  return kStayOpen;
}

int KnotsDialog::Accept() {
  ModelState& m = Model();
  const int order = ToInteger(Cut(Text(kIdOrder), kLongLength));
  // An order whose knot vector would not fit the storage is refused.
  if (order >= 0 && m.pointCount + order < kMaxKnots) m.order = order;
  StoreIfValid(m.degreeStep, ToInteger(Cut(Text(kIdDegree), kLongLength)), INT_MAX);
  StoreIfValid(m.chaikinSteps, ToInteger(Cut(Text(kIdChaikin), kLongLength)), INT_MAX);
  m.insertKnot = ToReal(Cut(Text(kIdInsertKnot), kLongLength));

  const int used = std::clamp(m.pointCount + m.order, 0, kMaxKnots);
  const int read = std::min(used, kKnotCells);
  for (int i = 0; i < read; ++i) m.knots[i] = ToReal(Cut(Text(KnotCellId(i)), kLongLength));
  m.knots[read] = 0.0f;

  // The scan ends at the first knot greater than the one to insert.
  int notGreater = 0;
  while (notGreater < used && m.knots[notGreater] <= m.insertKnot) ++notGreater;
  m.insertSpan = notGreater - 1;

  if (m.objectMode == kSurfaces && m.triangles == 0) StoreDirection(m.knotsDirection == 0 ? 0 : 1);
  return 1;
}

void KnotsDialog::Reset() {
  ModelState& m = Model();
  const int k = ToInteger(Cut(Text(kIdOrder), kLongLength));
  if (k < 1 || m.pointCount + k >= kMaxKnots) return;
  const int n = m.pointCount;
  BuildDefaultKnots(k, n);
  ShowKnots(n + k);
  // A shorter vector leaves no stale cells behind.
  for (int i = std::max(n + k, 0); i < n + m.order && i < kKnotCells; ++i) SetText(KnotCellId(i), "");
}

int KnotsDialog::Press(int buttonId) {
  switch (buttonId) {
    case kButtonOk: return Accept();
    case kButtonCancel: return 0;
    case kButtonReset: Reset(); return kStayOpen;
    default: return kStayOpen;
  }
}

// ---------------------------------------------------------------------------

int AboutDialog::Press(int buttonId) {
  if (buttonId == kButtonOk) return 1;
  return buttonId == kButtonCancel ? 0 : kStayOpen;
}

}  // namespace tambra
