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

// A typed text is a number as a whole (spaces around it aside); a real must
// be finite and within `limit`, an integer within [low, high].
bool ReadReal(const std::string& text, float limit, float& value) {
  double parsed = 0.0;
  if (!ParseWholeReal(text, parsed) || !std::isfinite(parsed) ||
      std::fabs(parsed) > static_cast<double>(limit))
    return false;
  value = static_cast<float>(parsed);
  return true;
}

bool ReadInteger(const std::string& text, long low, long high, int& value) {
  long parsed = 0;
  if (!ParseWholeInteger(text, parsed) || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::string TypedText(const DialogSession& dialog, int id) {
  return " (typed: \"" + dialog.Text(id).substr(0, 40) + "\")";
}

// Why a field's text is no real within `limit`; empty when it is one.
std::string RealProblem(const DialogSession& dialog, int id, const std::string& name,
                        float limit = FLT_MAX) {
  float value = 0.0f;
  if (ReadReal(dialog.Text(id), limit, value)) return {};
  if (limit == FLT_MAX) return name + " must be a finite number" + TypedText(dialog, id);
  char range[64];
  FormatC(range, sizeof range, "%g and %g", -static_cast<double>(limit),
          static_cast<double>(limit));
  return name + " must lie between " + range + TypedText(dialog, id);
}

std::string IntegerProblem(const DialogSession& dialog, int id, const std::string& name, long low,
                           long high) {
  int value = 0;
  if (ReadInteger(dialog.Text(id), low, high, value)) return {};
  if (high < low) return name + " cannot change here" + TypedText(dialog, id);
  return name + " must lie between " + std::to_string(low) + " and " + std::to_string(high) +
         TypedText(dialog, id);
}

// A field the user changed, written into `field`. Marks hold OK while a
// changed value cannot be read, so OK only ever reads good values; a field
// that was not changed or is disabled leaves its model value alone.
bool Takes(const DialogSession& dialog, int id) { return dialog.Enabled(id) && dialog.Changed(id); }

void TakeReal(const DialogSession& dialog, int id, float& field) {
  float value = 0.0f;
  if (Takes(dialog, id) && ReadReal(dialog.Text(id), FLT_MAX, value)) field = value;
}

void TakeInteger(const DialogSession& dialog, int id, int& field) {
  int value = 0;
  if (Takes(dialog, id) && ReadInteger(dialog.Text(id), INT_MIN, INT_MAX, value)) field = value;
}

void TakeCheck(const DialogSession& dialog, int id, int& field) {
  if (Takes(dialog, id)) field = dialog.Checked(id) ? 1 : 0;
}

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
// cells count (`shownCounts`). Typed text that is not a number fills
// nothing.
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

// A size field as OK takes it: the typed value when it is one, else the
// size the dialog opened with; at least the rows (columns) filled.
int SizeAtOk(const DialogSession& dialog, int id, int opened,
             int (*filled)(const DialogSession&, int)) {
  int size = opened;
  if (Takes(dialog, id) && !ReadInteger(dialog.Text(id), 0, kMaxNetSize, size)) size = opened;
  return std::clamp(std::max(size, filled(dialog, size)), 0, kMaxNetSize);
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

// The packed index of point (i, j), j <= i, of a triangular net.
int TriangleIndex(int i, int j) { return i * (i + 1) / 2 + j; }

// Point (i, j) as the table shows it: the curve's point i (z 0) in Curves
// mode, the packed triangle's point or the net's point in Surfaces mode.
Point3 ShownPoint(bool curve, bool triangle, int i, int j) {
  const ModelState& m = Model();
  if (curve) return i < kMaxPoints ? Point3{m.points[i].x, m.points[i].y, 0.0f} : Point3{};
  if (triangle) {
    const int k = TriangleIndex(i, j);
    return j <= i && k < kMaxTrianglePoints ? m.triangleList[k] : Point3{};
  }
  return m.net[i][j];
}

void TakePoint(const DialogSession& dialog, int i, int j, Point3& point) {
  float* values[] = {&point.x, &point.y, &point.z};
  for (int c = 0; c < 3; ++c) TakeReal(dialog, PointCellId(i, j, c), *values[c]);
}

}  // namespace

// ---------------------------------------------------------------------------
// Control Data

int ControlDataDialog::Open() {
  const ModelState& m = Model();
  curves_ = m.objectMode == kCurves;
  triangle_ = !curves_ && m.triangles == 1;
  // A curve shows as a net of one column, with no second direction.
  openRows_ = std::clamp(curves_ ? m.pointCount : m.netRows, 0, kMaxNetSize);
  openCols_ = curves_ ? 1 : std::clamp(m.netCols, 0, kMaxNetSize);
  Show(kIdN, IntegerText(curves_ ? m.pointCount : m.netRows));
  Show(kIdM, IntegerText(curves_ ? 1 : m.netCols));
  ShowPoints(openRows_, openCols_);
  Show(kIdXOrder, IntegerText(curves_ ? m.order : m.xOrder));
  Show(kIdYOrder, IntegerText(curves_ ? 0 : m.yOrder));
  Show(kIdXDegree, IntegerText(curves_ ? m.degreeStep : m.xDegreeStep));
  Show(kIdYDegree, IntegerText(curves_ ? 0 : m.yDegreeStep));
  Show(kIdScale, ShortestFloatText(m.scale));
  Show(kIdGrid, IntegerText(m.grid));
  Show(kIdTx, ShortestFloatText(m.tx));
  Show(kIdTy, ShortestFloatText(m.ty));
  Show(kIdPhi, ShortestFloatText(m.phi));
  Show(kIdTht, ShortestFloatText(m.tht));
  ShowChecked(kIdApplyX, m.applyX == 1);
  ShowChecked(kIdApplyY, m.applyY == 1);
  ShowChecked(kIdTriangles, m.triangles == 1);
  // The second direction, the view and the surface switches do nothing to a curve.
  for (int id : {kIdM, kIdYOrder, kIdYDegree, kIdScale, kIdTx, kIdTy, kIdPhi, kIdTht, kIdApplyX,
                 kIdApplyY, kIdTriangles})
    SetEnabled(id, !curves_);

  const std::string view = ViewRangeText();
  SetTip(kIdN, "Points of the curve, rows of the net: " + RangeText(0, kMaxNetSize) + " (" +
                   RangeText(0, kMaxTriangleRows) + " for a triangular net)");
  SetTip(kIdM, "Columns of the net: " + RangeText(0, kMaxNetSize));
  SetTip(kIdXOrder, "Spline order along N: " + RangeText(0, kMaxKnots - 1 - openRows_) +
                        "; N + order knots must fit " + IntegerText(kMaxKnots));
  SetTip(kIdYOrder, "Spline order along M: " + RangeText(0, kMaxKnots - 1 - openCols_) +
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
  // A size that is no size (yet) leaves the table as it is; its mark tells.
  long rows = 0, cols = 0;
  if (!ParseWholeInteger(Text(kIdN), rows) || !ParseWholeInteger(Text(kIdM), cols) || rows < 0 ||
      cols < 0 || rows > kMaxNetSize || cols > kMaxNetSize)
    return false;
  ShowPoints(static_cast<int>(rows), static_cast<int>(cols));
  return true;
}

void ControlDataDialog::ShowPoints(int shownRows, int shownCols) {
  const int rows = std::clamp(shownRows, 0, kMaxNetSize);
  const int cols = curves_ ? 1 : std::clamp(shownCols, 0, kMaxNetSize);
  const int coordinates = curves_ ? 2 : 3;  // a curve lies in the plane
  DialogTable table;
  table.id = kIdPointTable;
  table.headings = {"point", "x", "y"};
  if (!curves_) table.headings.push_back("z");
  table.rowLabels.reserve(static_cast<std::size_t>(rows) * cols);
  table.cellIds.reserve(static_cast<std::size_t>(rows) * cols * coordinates);
  for (int i = 0; i < rows; ++i) {
    // A triangular net holds the points up to the diagonal.
    const int rowCols = triangle_ ? std::min(cols, i + 1) : cols;
    for (int j = 0; j < rowCols; ++j) {
      // Rows a larger N adds show what the storage holds there, what OK keeps.
      const Point3 p = ShownPoint(curves_, triangle_, i, j);
      const float values[] = {p.x, p.y, p.z};
      for (int c = 0; c < 3; ++c) {
        const int id = PointCellId(i, j, c);
        if (!WasShown(id) && Text(id).empty()) Show(id, ShortestFloatText(values[c]));
      }
      for (int c = 0; c < coordinates; ++c) table.cellIds.push_back(PointCellId(i, j, c));
      table.rowLabels.push_back(RowLabel(i, j, curves_));
    }
  }
  ShowTable(std::move(table));
}

int ControlDataDialog::RowsAtOk() const { return SizeAtOk(*this, kIdN, openRows_, FilledRows); }

int ControlDataDialog::ColsAtOk() const {
  if (curves_) return 1;
  const int rows = RowsAtOk(), cols = SizeAtOk(*this, kIdM, openCols_, FilledCols);
  // The last row of a triangular net holds N points: M spans it, so that
  // Save, which writes M columns, keeps the whole triangle.
  const bool resized = rows != openRows_ || cols != openCols_ || Changed(kIdTriangles);
  return Checked(kIdTriangles) && resized ? std::max(cols, rows) : cols;
}

std::string ControlDataDialog::Problem(int id) const {
  const bool triangular = !curves_ && Checked(kIdTriangles);
  switch (id) {
    case kIdN:
      return IntegerProblem(*this, id, triangular ? "Rows N of a triangular net" : "Rows N", 0,
                            MaxNetRows(triangular));
    case kIdM: return IntegerProblem(*this, id, "Columns M", 0, kMaxNetSize);
    // An order's knot vector, count + order entries, must fit the storage.
    case kIdXOrder: return IntegerProblem(*this, id, "Order of N", 0, kMaxKnots - 1 - RowsAtOk());
    case kIdYOrder: return IntegerProblem(*this, id, "Order of M", 0, kMaxKnots - 1 - ColsAtOk());
    case kIdXDegree: return IntegerProblem(*this, id, "Degree step of N", 0, kMaxDegreeStep);
    case kIdYDegree: return IntegerProblem(*this, id, "Degree step of M", 0, kMaxDegreeStep);
    case kIdGrid: return IntegerProblem(*this, id, "Grid", -kMaxGrid, kMaxGrid);
    case kIdScale: return RealProblem(*this, id, "Scale", kMaxViewValue);
    case kIdTx: return RealProblem(*this, id, "Translate X", kMaxViewValue);
    case kIdTy: return RealProblem(*this, id, "Translate Y", kMaxViewValue);
    case kIdTht: return RealProblem(*this, id, "Theta", kMaxViewValue);
    case kIdPhi: return RealProblem(*this, id, "Phi", kMaxViewValue);
    case kIdTriangles:
      return triangular && RowsAtOk() > kMaxTriangleRows
                 ? "Triangles needs N of at most " + std::to_string(kMaxTriangleRows)
                 : std::string();
    default: break;
  }
  // Text that is no number is marked wherever it was typed (it fills no
  // row below the net); an emptied cell only where OK reads it.
  int i = 0, j = 0, c = 0;
  if (!PointCellPlace(id, i, j, c)) return {};
  const bool read = c < (curves_ ? 2 : 3) && i < RowsAtOk() && j < ColsAtOk();
  if (!read && Text(id).empty()) return {};
  return RealProblem(*this, id, CellName(RowLabel(i, j, curves_), kCoordinates[c]));
}

int ControlDataDialog::Press(int buttonId) {
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  if (HoldForMarks()) return kStayOpen;
  const int rows = RowsAtOk(), cols = ColsAtOk();
  if (curves_) {
    TakeCurve(rows);
  } else {
    TakeNet(rows, cols);
  }
  TakeInteger(*this, kIdGrid, Model().grid);
  return 1;
}

void ControlDataDialog::TakeCurve(int rows) {
  ModelState& m = Model();
  const bool automaticKnots = CurveKnotsAutomatic();
  const int previousCount = m.pointCount, previousOrder = m.order;
  for (int i = 0; i < rows && i < kMaxPoints; ++i) {
    TakeReal(*this, PointCellId(i, 0, 0), m.points[i].x);
    TakeReal(*this, PointCellId(i, 0, 1), m.points[i].y);
  }
  m.pointCount = std::min(rows, kMaxPoints);
  TakeInteger(*this, kIdXOrder, m.order);
  TakeInteger(*this, kIdXDegree, m.degreeStep);
  // A curve's automatic knots follow a new count or order.
  if (automaticKnots && (m.pointCount != previousCount || m.order != previousOrder))
    SetDefaultCurveKnots();
}

void ControlDataDialog::TakeNet(int rows, int cols) {
  ModelState& m = Model();
  const bool triangular = Checked(kIdTriangles);
  if (triangle_ && !triangular) {
    // The rectangle starts as the triangle the table showed, zeros above it.
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) m.net[i][j] = ShownPoint(false, true, i, j);
    }
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      if (!(triangle_ && triangular)) {
        TakePoint(*this, i, j, m.net[i][j]);
      } else if (j <= i && TriangleIndex(i, j) < kMaxTrianglePoints) {
        // A triangle that stays one is edited in its packed list; the net
        // beside it is left alone.
        TakePoint(*this, i, j, m.triangleList[TriangleIndex(i, j)]);
      }
    }
  }
  m.netRows = rows;
  m.netCols = cols;
  m.triangles = triangular ? 1 : 0;
  if (triangular && !triangle_) RepackTriangle();
  if (triangular && triangle_) FollowTriangleList(m);
  TakeInteger(*this, kIdXOrder, m.xOrder);
  TakeInteger(*this, kIdYOrder, m.yOrder);
  TakeInteger(*this, kIdXDegree, m.xDegreeStep);
  TakeInteger(*this, kIdYDegree, m.yDegreeStep);
  TakeCheck(*this, kIdApplyX, m.applyX);
  TakeCheck(*this, kIdApplyY, m.applyY);
  TakeReal(*this, kIdScale, m.scale);
  TakeReal(*this, kIdTx, m.tx);
  TakeReal(*this, kIdTy, m.ty);
  TakeReal(*this, kIdTht, m.tht);
  TakeReal(*this, kIdPhi, m.phi);
}

// ---------------------------------------------------------------------------
// Weights

void WeightsDialog::ShowWeightTable() {
  DialogTable table;
  table.id = kIdWeightTable;
  table.headings = {"point", "weight"};
  table.rowLabels.reserve(static_cast<std::size_t>(rows_) * cols_);
  table.cellIds.reserve(static_cast<std::size_t>(rows_) * cols_);
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < cols_; ++j) {
      table.cellIds.push_back(WeightCellId(i, j));
      table.rowLabels.push_back(RowLabel(i, j, curves_));
    }
  }
  ShowTable(std::move(table));
}

int WeightsDialog::Open() {
  const ModelState& m = Model();
  curves_ = m.objectMode == kCurves;
  rows_ = std::clamp(curves_ ? m.pointCount : m.netRows, 0, kMaxNetSize);
  cols_ = curves_ ? 1 : std::clamp(m.netCols, 0, kMaxNetSize);
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < cols_; ++j)
      Show(WeightCellId(i, j), ShortestFloatText(curves_ ? m.weights[i] : m.netWeights[i][j]));
  }
  ShowWeightTable();
  Show(kIdAppDim, IntegerText(m.approxDim));
  // The polynomial approximation is of rational curves only.
  SetEnabled(kIdAppDim, curves_);
  SetTip(kIdAppDim, "Degree of the polynomial that Polynomial approx fits: 0 or more");
  return kStayOpen;
}

std::string WeightsDialog::Problem(int id) const {
  if (id == kIdAppDim) return IntegerProblem(*this, id, "Approximation degree", 0, INT_MAX);
  int i = 0, j = 0;
  if (!WeightCellPlace(id, i, j) || i >= rows_ || j >= cols_) return {};
  return RealProblem(*this, id, CellName(RowLabel(i, j, curves_), "weight"));
}

int WeightsDialog::Press(int buttonId) {
  if (buttonId == kButtonReset) {
    // Every weight 1, taken at OK like any typed value.
    for (int i = 0; i < rows_; ++i) {
      for (int j = 0; j < cols_; ++j) SetText(WeightCellId(i, j), "1");
    }
    ShowWeightTable();
    return kStayOpen;
  }
  if (buttonId == kButtonCancel) return 0;
  if (buttonId != kButtonOk) return kStayOpen;
  if (HoldForMarks()) return kStayOpen;
  ModelState& m = Model();
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < cols_; ++j)
      TakeReal(*this, WeightCellId(i, j), curves_ ? m.weights[i] : m.netWeights[i][j]);
  }
  TakeInteger(*this, kIdAppDim, m.approxDim);
  return 1;
}

// ---------------------------------------------------------------------------
// Knots

namespace {

// The vector the Knots dialog edits, with its order and degree step: the
// curve's in Curves mode, one direction of the net in Surfaces mode.
struct EditedVector {
  float* knots;
  int& order;
  int& degreeStep;
};

EditedVector VectorOf(bool curve, int direction) {
  ModelState& m = Model();
  if (curve) return {m.knots, m.order, m.degreeStep};
  if (direction == 0) return {m.xKnots, m.xOrder, m.xDegreeStep};
  return {m.yKnots, m.yOrder, m.yDegreeStep};
}

}  // namespace

void KnotsDialog::ShowKnotTable(int count) {
  const int shown = std::clamp(count, 0, kMaxKnots);
  DialogTable table;
  table.id = kIdKnotTable;
  table.headings = {"index", "knot"};
  for (int i = 0; i < shown; ++i) {
    table.cellIds.push_back(KnotCellId(i));
    table.rowLabels.push_back(std::to_string(i));
  }
  ShowTable(std::move(table));
}

int KnotsDialog::Open() {
  ModelState& m = Model();
  curves_ = m.objectMode == kCurves;
  if (!curves_ && m.triangles == 1) return 1;  // a triangular patch has no knots
  direction_ = m.knotsDirection == 0 ? 0 : 1;
  count_ = std::clamp(curves_ ? m.pointCount : direction_ == 0 ? m.netRows : m.netCols, 0,
                      kMaxKnots);
  const EditedVector vector = VectorOf(curves_, direction_);
  shownOrder_ = vector.order;
  const int shown = StoredKnotCount(count_, shownOrder_);
  for (int i = 0; i < shown; ++i) Show(KnotCellId(i), ShortestFloatText(vector.knots[i]));
  ShowKnotTable(shown);
  Show(kIdOrder, IntegerText(vector.order));
  Show(kIdDegree, IntegerText(vector.degreeStep));
  Show(kIdChaikin, IntegerText(m.chaikinSteps));
  Show(kIdInsertKnot, ShortestFloatText(m.insertKnot));
  // Chaikin's method and knot insertion act on curves only.
  SetEnabled(kIdChaikin, curves_);
  SetEnabled(kIdInsertKnot, curves_);
  SetTip(kIdOrder, "Order of the spline: " + RangeText(0, kMaxKnots - 1 - count_) +
                       "; points + order knots must fit " + IntegerText(kMaxKnots));
  SetTip(kIdDegree, "Degree change of Degree elevation and reduction: " +
                        RangeText(0, kMaxDegreeStep));
  SetTip(kIdChaikin, "Steps of Chaikin's method: 0 or more");
  SetTip(kIdInsertKnot, "Knot that Knot insert adds and Knot delete removes: any number");
  m.knotsShownOrder = shownOrder_;
  return kStayOpen;
}

int KnotsDialog::OrderAtOk() const {
  int order = shownOrder_;
  if (Changed(kIdOrder) && !ReadInteger(Text(kIdOrder), 0, kMaxKnots - 1 - count_, order))
    order = shownOrder_;
  return order;
}

std::string KnotsDialog::Problem(int id) const {
  switch (id) {
    // An order whose knot vector would not fit the storage cannot be taken.
    case kIdOrder: return IntegerProblem(*this, id, "Order", 0, kMaxKnots - 1 - count_);
    case kIdDegree: return IntegerProblem(*this, id, "Degree step", 0, kMaxDegreeStep);
    case kIdChaikin: return IntegerProblem(*this, id, "Chaikin steps", 0, INT_MAX);
    case kIdInsertKnot: return RealProblem(*this, id, "Knot to insert");
    default: break;
  }
  int i = 0;
  if (!KnotCellPlace(id, i) || i >= StoredKnotCount(count_, OrderAtOk())) return {};
  return RealProblem(*this, id, CellName(std::to_string(i), "knot"));
}

int KnotsDialog::Accept() {
  if (HoldForMarks()) return kStayOpen;
  ModelState& m = Model();
  const EditedVector vector = VectorOf(curves_, direction_);
  const bool automatic = IsAutomaticKnots(vector.knots, count_, vector.order);
  const int previousOrder = vector.order;
  TakeInteger(*this, kIdOrder, vector.order);
  TakeInteger(*this, kIdDegree, vector.degreeStep);
  const int used = StoredKnotCount(count_, vector.order);
  bool knotTyped = false;
  for (int i = 0; i < used; ++i) {
    knotTyped = knotTyped || Takes(*this, KnotCellId(i));
    TakeReal(*this, KnotCellId(i), vector.knots[i]);
  }
  const bool vectorChanged = knotTyped || vector.order != previousOrder;
  if (vectorChanged) {
    if (automatic && !knotTyped) {
      // An automatic vector follows a new order unless knots were typed.
      DefaultKnots(vector.knots, count_, vector.order);
      std::fill(vector.knots + used, vector.knots + kMaxKnots, 0.0f);
    } else if (used < kMaxKnots) {
      vector.knots[used] = 0.0f;  // the terminating entry goes after the vector
    }
  }
  if (!curves_) return 1;
  TakeInteger(*this, kIdChaikin, m.chaikinSteps);
  TakeReal(*this, kIdInsertKnot, m.insertKnot);
  if (vectorChanged || Takes(*this, kIdInsertKnot)) {
    // The scan ends at the first knot greater than the one to insert.
    int notGreater = 0;
    while (notGreater < used && m.knots[notGreater] <= m.insertKnot) ++notGreater;
    m.insertSpan = notGreater - 1;
  }
  return 1;
}

void KnotsDialog::Reset() {
  long typed = 0;
  // Compared without a sum that a huge typed order would overflow.
  if (!ParseWholeInteger(Text(kIdOrder), typed) || typed < 1 || typed >= kMaxKnots - count_)
    return;
  const int k = static_cast<int>(typed);
  float knots[kMaxKnots] = {};
  DefaultKnots(knots, count_, k);
  // The default vector fills the cells, taken at OK like typed knots.
  for (int i = 0; i < count_ + k; ++i) SetText(KnotCellId(i), ShortestFloatText(knots[i]));
  // A shorter vector leaves no stale cells behind.
  const DialogTable* table = FindTable(kIdKnotTable);
  const int before = table != nullptr ? table->Rows() : 0;
  for (int i = count_ + k; i < before; ++i) SetText(KnotCellId(i), "");
  ShowKnotTable(count_ + k);
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
