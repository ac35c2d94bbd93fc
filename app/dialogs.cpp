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

std::string RangeText(long low, long high) {
  return std::to_string(low) + " to " + std::to_string(high);
}

std::string ViewRangeText() {
  char range[64];
  FormatC(range, sizeof range, "%g to %g", -static_cast<double>(kMaxViewValue),
          static_cast<double>(kMaxViewValue));
  return range;
}

// A cell that holds a point: a typed number, or a shown text where shown
// cells count (`shownCounts`). Typed text that is not a number is refused
// and fills nothing.
bool CellFilled(int id, bool shownCounts, const DialogSession& dialog) {
  double value = 0.0;
  if (dialog.Text(id).empty()) return false;
  if (!dialog.Typed(id)) return shownCounts;
  return ParseWholeReal(dialog.Text(id), value) && std::isfinite(value);
}

// Net rows (columns) that hold points from the first on, counted down the
// first column (along the first row). A shown cell counts within the first
// `shown` rows (columns), the N (M) the dialog was left with; below them only
// a typed number counts, so that typing points below the net adds them
// while a smaller N or M drops the rows the table no longer shows.
int FilledRows(const DialogSession& dialog, int shown) {
  int count = 0;
  while (count < kMaxNetSize && CellFilled(PointCellId(count, 0, 0), count < shown, dialog))
    ++count;
  return count;
}
int FilledCols(const DialogSession& dialog, int shown) {
  int count = 0;
  while (count < kMaxNetSize && CellFilled(PointCellId(0, count, 0), count < shown, dialog))
    ++count;
  return count;
}

// The index column of the points and weights: "60" for point 60 of a
// curve, "(3, 2)" for row 3, column 2 of a net, counted from 1 as the log
// lists them.
std::string RowLabel(int i, int j, bool curve) {
  if (curve) return std::to_string(i + 1);
  std::string label = "(";
  label += std::to_string(i + 1);
  label += ", ";
  label += std::to_string(j + 1);
  label += ')';
  return label;
}

// A cell as the table shows it: "row 60, column y".
std::string CellName(const std::string& rowLabel, const char* column) {
  return "row " + rowLabel + ", column " + column;
}

constexpr const char* kCoordinates[] = {"x", "y", "z"};

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
  ShowPoints(m.netRows, m.netCols);
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

  const std::string view = ViewRangeText();
  SetTip(kIdN, "Points of the curve, rows of the net: " + RangeText(0, kMaxNetSize) + " (" +
                   RangeText(0, kMaxTriangleRows) + " for a triangular net)");
  SetTip(kIdM, "Columns of the net: " + RangeText(0, kMaxNetSize));
  SetTip(kIdXOrder, "Spline order along N: " + RangeText(0, kMaxKnots - 1 - m.netRows) +
                        "; N + order knots must fit " + IntegerText(kMaxKnots));
  SetTip(kIdYOrder, "Spline order along M: " + RangeText(0, kMaxKnots - 1 - m.netCols) +
                        "; M + order knots must fit " + IntegerText(kMaxKnots));
  SetTip(kIdXDegree, "Degree change along N (X_axis): " + RangeText(0, kMaxDegreeStep));
  SetTip(kIdYDegree, "Degree change along M (Y_axis): " + RangeText(0, kMaxDegreeStep));
  SetTip(kIdScale, "Scale of the surface view: " + view);
  SetTip(kIdGrid, "Samples of a patch along each direction: " + RangeText(-kMaxGrid, kMaxGrid));
  SetTip(kIdTx, "Shift of the surface view to the right: " + view);
  SetTip(kIdTy, "Shift of the surface view upwards: " + view);
  SetTip(kIdPhi, "Turn of the surface view about the vertical, in degrees: " + view);
  SetTip(kIdTht, "Tilt of the surface view, in degrees: " + view);
  return kStayOpen;
}

bool ControlDataDialog::Edited(int id) {
  if (id != kIdN && id != kIdM) return false;
  // A size that is no size (yet) leaves the table as it is; OK tells.
  long rows = 0, cols = 0;
  if (!ParseWholeInteger(Text(kIdN), rows) || !ParseWholeInteger(Text(kIdM), cols) || rows < 0 ||
      cols < 0 || rows > kMaxNetSize || cols > kMaxNetSize)
    return false;
  ShowPoints(static_cast<int>(rows), static_cast<int>(cols));
  return true;
}

void ControlDataDialog::ShowPoints(int shownRows, int shownCols) {
  const ModelState& m = Model();
  const bool curve = m.objectMode == kCurves;
  const bool triangle = !curve && m.triangles == 1;
  const int rows = std::clamp(shownRows, 0, kMaxNetSize);
  const int cols = curve ? 1 : std::clamp(shownCols, 0, kMaxNetSize);  // a curve is one column
  const int coordinates = curve ? 2 : 3;  // a curve lies in the plane
  DialogTable table;
  table.id = kIdPointTable;
  table.headings = {"point", "x", "y"};
  if (!curve) table.headings.push_back("z");
  table.rowLabels.reserve(static_cast<std::size_t>(rows) * cols);
  table.cellIds.reserve(static_cast<std::size_t>(rows) * cols * coordinates);
  for (int i = 0; i < rows; ++i) {
    // A triangular net holds the points up to the diagonal.
    const int rowCols = triangle ? std::min(cols, i + 1) : cols;
    for (int j = 0; j < rowCols; ++j) {
      // Rows a larger N adds show what the net holds there, what OK keeps.
      const float values[] = {m.net[i][j].x, m.net[i][j].y, m.net[i][j].z};
      for (int c = 0; c < 3; ++c) {
        const int id = PointCellId(i, j, c);
        if (!WasShown(id) && Text(id).empty()) Show(id, FormatNumber(values[c]));
      }
      for (int c = 0; c < coordinates; ++c) table.cellIds.push_back(PointCellId(i, j, c));
      table.rowLabels.push_back(RowLabel(i, j, curve));
    }
  }
  ShowTable(std::move(table));
}

int ControlDataDialog::Press(int buttonId) {
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  ModelState& m = Model();
  FieldReader read(*this);
  const bool surfaces = m.objectMode == kSurfaces;
  const bool automaticKnots = !surfaces && CurveKnotsAutomatic();
  const int previousCount = m.pointCount, previousOrder = m.order;
  // A triangular net keeps its packed points within the list.
  bool triangular = Checked(kIdTriangles);
  int rows = m.netRows, cols = m.netCols;
  read.Integer(kIdN, triangular && surfaces ? "Rows N of a triangular net" : "Rows N", rows, 0,
               MaxNetRows(triangular && surfaces));
  read.Integer(kIdM, "Columns M", cols, 0, kMaxNetSize);
  rows = std::clamp(std::max(rows, FilledRows(*this, rows)), 0, kMaxNetSize);
  cols = std::clamp(std::max(cols, FilledCols(*this, cols)), 0, kMaxNetSize);
  if (surfaces && triangular && rows > kMaxTriangleRows) {
    Refuse("Triangles needs N of at most " + std::to_string(kMaxTriangleRows));
    triangular = m.triangles == 1;
  }
  // The last row of a triangular net holds N points: M spans it, so that
  // Save, which writes M columns, keeps the whole triangle.
  if (surfaces && triangular) cols = std::max(cols, rows);
  m.netRows = rows;
  m.netCols = cols;

  const bool curve = !surfaces;
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      const std::string row = RowLabel(i, j, curve);
      float* values[] = {&m.net[i][j].x, &m.net[i][j].y, &m.net[i][j].z};
      for (int c = 0; c < 3; ++c) read.Real(PointCellId(i, j, c), CellName(row, kCoordinates[c]), *values[c]);
    }
  }
  // Text that is no number in a cell beyond the net is read too, only to be
  // refused aloud: it fills no row and no column.
  for (const auto& [id, text] : Texts()) {
    int i = 0, j = 0, c = 0;
    if (!PointCellPlace(id, i, j, c) || PointCellId(i, j, c) != id) continue;
    if ((i < m.netRows && j < m.netCols) || CellFilled(id, true, *this)) continue;
    float ignored = 0.0f;
    read.Real(id, CellName(RowLabel(i, j, curve), kCoordinates[c]), ignored);
  }
  read.Real(kIdScale, "Scale", m.scale, kMaxViewValue);
  read.Real(kIdTx, "Translate X", m.tx, kMaxViewValue);
  read.Real(kIdTy, "Translate Y", m.ty, kMaxViewValue);
  read.Real(kIdTht, "Theta", m.tht, kMaxViewValue);
  read.Real(kIdPhi, "Phi", m.phi, kMaxViewValue);
  read.Integer(kIdGrid, "Grid", m.grid, -kMaxGrid, kMaxGrid);
  read.Integer(kIdXDegree, "Degree step of N", m.xDegreeStep, 0, kMaxDegreeStep);
  read.Integer(kIdYDegree, "Degree step of M", m.yDegreeStep, 0, kMaxDegreeStep);
  // An order's knot vector, count + order entries, must fit the storage.
  read.Integer(kIdXOrder, "Order of N", m.xOrder, 0, kMaxKnots - 1 - m.netRows);
  read.Integer(kIdYOrder, "Order of M", m.yOrder, 0, kMaxKnots - 1 - m.netCols);
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
  const bool curve = m.objectMode == kCurves;
  const int rows = std::clamp(m.netRows, 0, kMaxNetSize);
  const int cols = std::clamp(m.netCols, 0, kMaxNetSize);
  DialogTable table;
  table.id = kIdWeightTable;
  table.headings = {"point", "weight"};
  table.rowLabels.reserve(static_cast<std::size_t>(rows) * cols);
  table.cellIds.reserve(static_cast<std::size_t>(rows) * cols);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      Show(WeightCellId(i, j), FormatNumber(m.netWeights[i][j]));
      table.cellIds.push_back(WeightCellId(i, j));
      table.rowLabels.push_back(RowLabel(i, j, curve));
    }
  }
  ShowTable(std::move(table));
}

int WeightsDialog::Open() {
  ShowModelAsNet();
  ShowWeights();
  Show(kIdAppDim, IntegerText(Model().approxDim));
  SetTip(kIdAppDim, "Degree of the polynomial that Polynomial approx fits: 0 or more");
  return kStayOpen;
}

int WeightsDialog::Press(int buttonId) {
  ModelState& m = Model();
  const bool curve = m.objectMode == kCurves;
  const int rows = std::clamp(m.netRows, 0, kMaxNetSize);
  const int cols = std::clamp(m.netCols, 0, kMaxNetSize);
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
    for (int j = 0; j < cols; ++j)
      read.Real(WeightCellId(i, j), CellName(RowLabel(i, j, curve), "weight"), m.netWeights[i][j]);
  }
  read.Integer(kIdAppDim, "Approximation degree", m.approxDim, 0, INT_MAX);
  TakeModelFromNet();
  return 1;
}

// ---------------------------------------------------------------------------
// Knots

void KnotsDialog::ShowKnots(int count) {
  const float* knots = Model().knots;
  const int shown = std::clamp(count, 0, kMaxKnots);
  DialogTable table;
  table.id = kIdKnotTable;
  table.headings = {"index", "knot"};
  for (int i = 0; i < shown; ++i) {
    Show(KnotCellId(i), FormatNumber(knots[i]));
    table.cellIds.push_back(KnotCellId(i));
    table.rowLabels.push_back(std::to_string(i));
  }
  ShowTable(std::move(table));
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
  SetTip(kIdOrder, "Order of the spline: " + RangeText(0, kMaxKnots - 1 - m.pointCount) +
                       "; points + order knots must fit " + IntegerText(kMaxKnots));
  SetTip(kIdDegree, "Degree change of Degree elevation and reduction: " +
                        RangeText(0, kMaxDegreeStep));
  SetTip(kIdChaikin, "Steps of Chaikin's method: 0 or more");
  SetTip(kIdInsertKnot, "Knot that Knot insert adds and Knot delete removes: any number");
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
  read.Integer(kIdDegree, "Degree step", m.degreeStep, 0, kMaxDegreeStep);
  read.Integer(kIdChaikin, "Chaikin steps", m.chaikinSteps, 0, INT_MAX);
  read.Real(kIdInsertKnot, "Knot to insert", m.insertKnot);

  const int used = std::clamp(m.pointCount + m.order, 0, kMaxKnots);
  bool knotTyped = false;
  for (int i = 0; i < used; ++i) {
    knotTyped = knotTyped || Typed(KnotCellId(i));
    read.Real(KnotCellId(i), CellName(std::to_string(i), "knot"), m.knots[i]);
  }
  // The terminating entry goes after the vector.
  if (used < kMaxKnots) m.knots[used] = 0.0f;
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
  for (int i = std::max(n + k, 0); i < n + m.order && i < kMaxKnots; ++i)
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
