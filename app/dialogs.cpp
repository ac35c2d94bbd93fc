#include "app/dialogs.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "base/c_locale.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "numeric/knot_vector.h"

namespace tambra {

namespace {

// Reads typed fields back into the model. A text left as the dialog showed
// it gives the model's value back unchanged (the shown text may be rounded,
// "%7.6f"), and so does a cell the dialog never filled and the user left
// empty. A typed text must be a number as a whole (spaces around it
// aside); text that is not, or a value the model cannot hold, is refused:
// the field keeps its value and the user is told which field, what was
// typed and what is accepted.
class FieldReader {
 public:
  explicit FieldReader(DialogSession& dialog) : dialog_(dialog) {}

  // A real of magnitude at most `limit`.
  void Real(int id, const std::string& name, float& field, float limit = FLT_MAX) {
    if (!dialog_.Typed(id)) return;
    double value = 0.0;
    if (ParseWholeReal(dialog_.Text(id), value) && std::isfinite(value) &&
        std::fabs(value) <= static_cast<double>(limit)) {
      field = static_cast<float>(value);
    } else if (limit == FLT_MAX) {
      Refuse(id, name + " must be a finite number");
    } else {
      char range[64];
      FormatC(range, sizeof range, "%g and %g", -static_cast<double>(limit),
              static_cast<double>(limit));
      Refuse(id, name + " must lie between " + range);
    }
  }

  // A whole number from `low` to `high`.
  void Integer(int id, const std::string& name, int& field, long low, long high) {
    if (!dialog_.Typed(id)) return;
    long value = 0;
    if (ParseWholeInteger(dialog_.Text(id), value) && value >= low && value <= high) {
      field = static_cast<int>(value);
    } else if (high < low) {
      Refuse(id, name + " cannot change here");
    } else {
      Refuse(id,
             name + " must lie between " + std::to_string(low) + " and " + std::to_string(high));
    }
  }

 private:
  void Refuse(int id, const std::string& why) {
    dialog_.Refuse(why + " (typed: \"" + dialog_.Text(id).substr(0, 40) + "\")");
  }
  DialogSession& dialog_;
};

std::string IntegerText(int value) { return std::to_string(value); }

// A cell that holds a point: shown, or typed as a number. Typed text that
// is not a number is refused and fills nothing.
bool CellFilled(int id, const DialogSession& dialog) {
  double value = 0.0;
  return !dialog.Text(id).empty() &&
         (!dialog.Typed(id) || (ParseWholeReal(dialog.Text(id), value) && std::isfinite(value)));
}

// "y of point (2, 1)" for coordinate 1 of net point (1, 0).
std::string PointFieldName(int i, int j, int coordinate) {
  return std::string(1, "xyz"[coordinate]) + " of point (" + std::to_string(i + 1) + ", " +
         std::to_string(j + 1) + ")";
}

// Counts leading filled cells, `step` ids apart.
int CountFilled(int firstId, int step, int limit, const DialogSession& dialog) {
  int count = 0;
  while (count < limit && CellFilled(firstId + count * step, dialog)) ++count;
  return count;
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
  Show(kIdN, IntegerText(m.netRows));
  Show(kIdM, IntegerText(m.netCols));
  const int rows = std::clamp(m.netRows, 0, kControlRows);
  const int cols = std::clamp(m.netCols, 0, kControlCols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      Show(PointCellId(i, j, 0), FormatNumber(m.net[i][j].x));
      Show(PointCellId(i, j, 1), FormatNumber(m.net[i][j].y));
      Show(PointCellId(i, j, 2), FormatNumber(m.net[i][j].z));
    }
  }
  Show(kIdXOrder, IntegerText(m.xOrder));
  Show(kIdYOrder, IntegerText(m.yOrder));
  Show(kIdXDegree, IntegerText(m.xDegreeStep));
  Show(kIdYDegree, IntegerText(m.yDegreeStep));
  Show(kIdScale, FormatNumber(m.scale));
  Show(kIdGrid, IntegerText(m.grid));
  Show(kIdTx, FormatNumber(m.tx));
  Show(kIdTy, FormatNumber(m.ty));
  Show(kIdPhi, FormatNumber(m.phi));
  Show(kIdTht, FormatNumber(m.tht));
  SetChecked(kIdApplyX, m.applyX == 1);
  SetChecked(kIdApplyY, m.applyY == 1);
  SetChecked(kIdTriangles, m.triangles == 1);
  return kStayOpen;
}

int ControlDataDialog::Press(int buttonId) {
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  ModelState& m = Model();
  FieldReader read(*this);
  const bool surfaces = m.objectMode == kSurfaces;
  const bool automaticKnots = !surfaces && CurveKnotsAutomatic();
  const int previousCount = m.pointCount, previousOrder = m.order;
  const int filledRows = CountFilled(PointCellId(0, 0, 0), kControlCols * 3, kControlRows, *this);
  const int filledCols = CountFilled(PointCellId(0, 0, 0), 3, kControlCols, *this);
  // A triangular net keeps its packed points within the list.
  bool triangular = Checked(kIdTriangles);
  int rows = m.netRows, cols = m.netCols;
  read.Integer(kIdN, triangular && surfaces ? "N of a triangular net" : "N", rows, 0,
               MaxNetRows(triangular && surfaces));
  read.Integer(kIdM, "M", cols, 0, kMaxNetSize);
  rows = std::clamp(std::max(rows, filledRows), 0, kMaxNetSize);
  cols = std::clamp(std::max(cols, filledCols), 0, kMaxNetSize);
  if (surfaces && triangular && rows > kMaxTriangleRows) {
    Refuse("Triangles needs N of at most " + std::to_string(kMaxTriangleRows));
    triangular = m.triangles == 1;
  }
  // The last row of a triangular net holds N points: M spans it, so that
  // Save, which writes M columns, keeps the whole triangle.
  if (surfaces && triangular) cols = std::max(cols, rows);
  m.netRows = rows;
  m.netCols = cols;

  const int shownRows = std::min(m.netRows, kControlRows);
  const int shownCols = std::min(m.netCols, kControlCols);
  for (int i = 0; i < shownRows; ++i) {
    for (int j = 0; j < shownCols; ++j) {
      read.Real(PointCellId(i, j, 0), PointFieldName(i, j, 0), m.net[i][j].x);
      read.Real(PointCellId(i, j, 1), PointFieldName(i, j, 1), m.net[i][j].y);
      read.Real(PointCellId(i, j, 2), PointFieldName(i, j, 2), m.net[i][j].z);
    }
  }
  // Text that is no number in a cell beyond the net is read too, only to be
  // refused aloud: it fills no row and no column.
  for (int i = 0; i < kControlRows; ++i) {
    for (int j = 0; j < kControlCols; ++j) {
      if (i < shownRows && j < shownCols) continue;
      for (int c = 0; c < 3; ++c) {
        if (CellFilled(PointCellId(i, j, c), *this)) continue;
        float ignored = 0.0f;
        read.Real(PointCellId(i, j, c), PointFieldName(i, j, c), ignored);
      }
    }
  }
  read.Real(kIdScale, "Scale", m.scale, kMaxViewValue);
  read.Real(kIdTx, "TX", m.tx, kMaxViewValue);
  read.Real(kIdTy, "TY", m.ty, kMaxViewValue);
  read.Real(kIdTht, "Tht", m.tht, kMaxViewValue);
  read.Real(kIdPhi, "Phi", m.phi, kMaxViewValue);
  read.Integer(kIdGrid, "Grid", m.grid, -kMaxGrid, kMaxGrid);
  read.Integer(kIdXDegree, "Deg. of N", m.xDegreeStep, 0, kMaxDegreeStep);
  read.Integer(kIdYDegree, "Deg. of M", m.yDegreeStep, 0, kMaxDegreeStep);
  // An order's knot vector, count + order entries, must fit the storage.
  read.Integer(kIdXOrder, "Ord. of N", m.xOrder, 0, kMaxKnots - 1 - m.netRows);
  read.Integer(kIdYOrder, "Ord. of M", m.yOrder, 0, kMaxKnots - 1 - m.netCols);
  m.applyX = Checked(kIdApplyX) ? 1 : 0;
  m.applyY = Checked(kIdApplyY) ? 1 : 0;
  m.triangles = triangular ? 1 : 0;
  TakeModelFromNet();
  // A curve's automatic knots follow a new count or order.
  if (automaticKnots && (m.pointCount != previousCount || m.order != previousOrder))
    SetDefaultCurveKnots();
  return 1;
}

// ---------------------------------------------------------------------------
// Weights

void WeightsDialog::ShowWeights() {
  const ModelState& m = Model();
  const int rows = std::clamp(m.netRows, 0, kWeightRows);
  const int cols = std::clamp(m.netCols, 0, kWeightCols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) Show(WeightCellId(i, j), FormatNumber(m.netWeights[i][j]));
  }
}

int WeightsDialog::Open() {
  ShowModelAsNet();
  ShowWeights();
  Show(kIdAppDim, IntegerText(Model().approxDim));
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
  FieldReader read(*this);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      read.Real(WeightCellId(i, j),
                "weight (" + std::to_string(i + 1) + ", " + std::to_string(j + 1) + ")",
                m.netWeights[i][j]);
    }
  }
  read.Integer(kIdAppDim, "App Dim", m.approxDim, 0, INT_MAX);
  TakeModelFromNet();
  return 1;
}

// ---------------------------------------------------------------------------
// Knots

void KnotsDialog::ShowKnots(int count) {
  const float* knots = Model().knots;
  for (int i = 0; i < std::clamp(count, 0, kKnotCells); ++i) {
    Show(KnotCellId(i), FormatNumber(knots[i]));
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
  ShowKnots(m.pointCount + m.order);
  Show(kIdOrder, IntegerText(m.order));
  Show(kIdDegree, IntegerText(m.degreeStep));
  Show(kIdChaikin, IntegerText(m.chaikinSteps));
  Show(kIdInsertKnot, FormatNumber(m.insertKnot));
  m.knotsShownOrder = m.order;
  return kStayOpen;
}

int KnotsDialog::Accept() {
  ModelState& m = Model();
  FieldReader read(*this);
  const bool automatic = CurveKnotsAutomatic();
  const int previousOrder = m.order;
  // An order whose knot vector would not fit the storage is refused.
  read.Integer(kIdOrder, "Order", m.order, 0, kMaxKnots - 1 - m.pointCount);
  read.Integer(kIdDegree, "Degree", m.degreeStep, 0, kMaxDegreeStep);
  read.Integer(kIdChaikin, "Chaikin", m.chaikinSteps, 0, INT_MAX);
  read.Real(kIdInsertKnot, "Knots Ins No", m.insertKnot);

  const int used = std::clamp(m.pointCount + m.order, 0, kMaxKnots);
  const int shown = std::min(used, kKnotCells);
  bool knotTyped = false;
  for (int i = 0; i < shown; ++i) {
    knotTyped = knotTyped || Typed(KnotCellId(i));
    read.Real(KnotCellId(i), "knot " + std::to_string(i), m.knots[i]);
  }
  // The terminating entry goes after a vector shown whole, never over a
  // knot the dialog did not show.
  if (shown == used && used < kMaxKnots) m.knots[used] = 0.0f;
  // An automatic vector follows a new order unless knots were typed.
  if (automatic && !knotTyped && m.order != previousOrder) SetDefaultCurveKnots();

  // The scan ends at the first knot greater than the one to insert.
  int notGreater = 0;
  while (notGreater < used && m.knots[notGreater] <= m.insertKnot) ++notGreater;
  m.insertSpan = notGreater - 1;

  if (m.objectMode == kSurfaces && m.triangles == 0) StoreDirection(m.knotsDirection == 0 ? 0 : 1);
  return 1;
}

void KnotsDialog::Reset() {
  ModelState& m = Model();
  long typed = 0;
  // Compared without a sum that a huge typed order would overflow.
  if (!ParseWholeInteger(Text(kIdOrder), typed) || typed < 1 || typed >= kMaxKnots - m.pointCount)
    return;
  const int k = static_cast<int>(typed);
  const int n = m.pointCount;
  DefaultKnots(m.knots, n, k);
  ShowKnots(n + k);
  // A shorter vector leaves no stale cells behind.
  for (int i = std::max(n + k, 0); i < n + m.order && i < kKnotCells; ++i)
    SetText(KnotCellId(i), "");
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
