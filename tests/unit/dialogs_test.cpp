#include "app/dialogs.h"

#include <functional>
#include <utility>

#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

class DialogsTest : public SessionTest {
 protected:
  void AddCurve(int count) {
    for (int i = 0; i < count; ++i) window.Click(50 + 40 * i, 100 + 10 * i);
  }
  // Opens a dialog of type D, types `texts` and presses `button`.
  template <typename D>
  int Run(Texts texts, int button = kButtonOk) {
    D dialog;
    dialog.Open();
    for (const auto& [id, text] : texts) dialog.SetText(id, text);
    return dialog.Press(button);
  }
  void ExpectShown(const DialogSession& d, std::initializer_list<std::pair<int, const char*>> all) {
    for (const auto& [id, text] : all) EXPECT_EQ(d.Text(id), text) << "control " << id;
  }
};

TEST(FormatNumber, IntegralValuesPrintWholeEvenBeyondTheIntRangeOthersWithSixDecimals) {
  const std::pair<float, const char*> cases[] = {{2.0f, "2"},         {-1.0f, "-1"},
                                                 {-2.5f, "-2.500000"}, {0.01f, "0.010000"},
                                                 {1e10f, "10000000000"}, {-3e9f, "-3000000000"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatNumber(value), text);
}

// The curve shows as column 0; filled rows win over a smaller N, up to the first empty row;
// Cancel writes nothing back.
TEST_F(DialogsTest, ControlDataShowsTheCurveAndCountsRowsToTheFirstEmptyOne) {
  AddCurve(3);
  ControlDataDialog dialog;
  EXPECT_EQ(dialog.Open(), kStayOpen);
  ExpectShown(dialog, {{kIdN, "3"}, {kIdM, "1"}, {PointCellId(1, 0, 0), "90"},
                       {PointCellId(1, 0, 1), "110"}, {PointCellId(1, 0, 2), "0"},
                       {PointCellId(0, 1, 0), ""},  // only netCols columns
                       {kIdScale, "1"}, {kIdGrid, "50"}, {kIdYOrder, "0"}});
  EXPECT_EQ(std::tuple(dialog.Checked(kIdApplyX), dialog.Checked(kIdTriangles), m.netCols),
            std::tuple(true, false, 1));
  // A larger N adds rows as it is typed; what was typed stays, a size that is none changes nothing.
  dialog.SetText(PointCellId(1, 0, 0), "7"), dialog.SetText(kIdN, "5");
  EXPECT_EQ((std::tuple{dialog.Edited(kIdN), dialog.FindTable(kIdPointTable)->Rows()}), std::tuple(true, 5));
  EXPECT_EQ(dialog.Text(PointCellId(1, 0, 0)), "7");
  dialog.SetText(kIdN, "5x");
  EXPECT_EQ((std::tuple{dialog.Edited(kIdN), dialog.FindTable(kIdPointTable)->Rows()}), std::tuple(false, 5));
  EXPECT_EQ(Run<ControlDataDialog>({{kIdN, "1"}, {PointCellId(0, 0, 0), "10"},
                                    {PointCellId(1, 0, 0), "20"}, {PointCellId(2, 0, 0), "30"},
                                    {PointCellId(2, 0, 1), "5"}, {PointCellId(4, 0, 0), "99"}}),
            1);
  EXPECT_EQ(std::tuple(m.pointCount, m.points[2].x, m.points[2].y), std::tuple(3, 30, 5));
  EXPECT_EQ(Run<ControlDataDialog>({{PointCellId(0, 0, 0), "1"}, {kIdGrid, "7"}}, kButtonCancel),
            0);
  EXPECT_EQ(std::tuple(m.points[0].x, m.grid), std::tuple(10, 50));
}

// Typed text is read whole, never cut; a value the model cannot hold is
// refused with a message naming the field and its range, and the field
// keeps its value.
TEST_F(DialogsTest, ControlDataTakesWholeValuesAndRefusesWhatTheModelCannotHold) {
  const struct {
    int id;
    const char* text;
    std::function<double()> field;
    double expected;
    const char* refusal;
  } rows[] = {
      {kIdScale, "0.125", [&] { return m.scale; }, 0.125, ""},
      {kIdPhi, "359.5", [&] { return m.phi; }, 359.5, ""},
      {kIdTx, "-12.5", [&] { return m.tx; }, -12.5, ""},
      {kIdTy, "1e38", [&] { return m.ty; }, 0, "Translate Y must lie between -1e+07 and 1e+07"},
      {kIdTht, "nan", [&] { return m.tht; }, 0, "Theta must lie between"},
      {kIdGrid, "123456", [&] { return m.grid; }, 50, "Grid must lie between -9999 and 9999"},
      {kIdN, "150", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {kIdN, "-5", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {kIdN, "100", [&] { return m.pointCount; }, 100, ""},
      {kIdXOrder, "99", [&] { return m.order; }, 4, "Order of N must lie between 0 and 95"},
      {kIdXOrder, "-3", [&] { return m.order; }, 4, "Order of N must lie between"},
      {kIdXOrder, "95", [&] { return m.order; }, 95, ""},
      {kIdXDegree, "100", [&] { return m.degreeStep; }, 1, "Degree step of N must lie between 0 and 99"},
      {PointCellId(0, 0, 0), "1e39", [&] { return m.points[0].x; }, 50,
       "row 1, column x must be a finite number"},
      {PointCellId(0, 0, 1), "", [&] { return m.points[0].y; }, 100,
       "row 1, column y must be a finite number (typed: \"\")"},
      {kIdScale, "abc", [&] { return m.scale; }, 1, "Scale must lie between"},
      {kIdScale, "  7  ", [&] { return m.scale; }, 7, ""},
      {kIdGrid, "1x", [&] { return m.grid; }, 50, "Grid must lie between -9999 and 9999"},
      {kIdGrid, "  7  ", [&] { return m.grid; }, 7, ""},
      {kIdGrid, "", [&] { return m.grid; }, 50, "Grid must lie between"},
      {kIdXOrder, "abc", [&] { return m.order; }, 4, "Order of N must lie between 0 and 95"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ResetModelState();
    window.Start();
    AddCurve(4);
    window.ShowStatus("");
    Answer(DialogTemplateId::kControlData, {{row.id, row.text}});
    window.Command(kCmdControlPoints);
    EXPECT_EQ(row.field(), row.expected);
    const std::string said = window.Status();
    EXPECT_TRUE(*row.refusal ? said.find(row.refusal) != std::string::npos : said.empty()) << said;
  }
}

// OK without typing anything gives back every value the dialog showed,
// also where the shown text is rounded or long, at every size the tables
// hold: a 100-point curve, a 100 by 100 net and a 96-knot vector.
TEST_F(DialogsTest, OkWithoutTypingLeavesTheModelUnchanged) {
  const std::function<void()> models[] = {
      [&] {
        for (int i = 0; i < kMaxPoints; ++i) window.Click(5 + 7 * i, 10 + (i % 50));
        m.points[0] = {0.1234567f, 1e-7f};
        m.points[1] = {3e38f, -8388607.5f};
        m.weights[2] = 0.3333333f;
        m.scale = 0.125f, m.tx = 1e7f, m.ty = -9999999.0f, m.phi = 359.5f;
        m.insertKnot = 0.1f, m.knots[3] = 1e-9f, m.knotsShownOrder = 4;
        CurveToNet();
        m.insertSpan = 3;  // OK counts the knots not above insertKnot: 0 0 0 1e-9
      },
      [&] {
        window.Command(kCmdSurfaces);
        m.netRows = m.netCols = kMaxNet, m.xOrder = m.yOrder = 0, m.knotsDirection = 0;
        m.insertSpan = 99;  // every knot, all 0, lies below the knot to insert, 99
        for (int i = 0; i < kMaxNet; ++i) {
          for (int j = 0; j < kMaxNet; ++j) {
            m.net[i][j] = {i - 7.5f, j * 0.3333333f, -1e-7f * i * j};
            m.netWeights[i][j] = 0.5f + j;
          }
        }
      },
      [&] {
        for (int i = 0; i < 92; ++i) window.Click(5 + 8 * i, 10 + (i % 50));
        for (int i = 0; i < 96; ++i) m.knots[i] = i * 0.0123457f;
        m.knotsShownOrder = 4, m.insertKnot = 99.0f, m.insertSpan = 95;
      }};
  for (const auto& model : models) {
    ResetModelState();
    window.Start();
    model();
    using enum DialogTemplateId;
    const std::pair<int, DialogTemplateId> dialogs[] = {
        {kCmdControlPoints, kControlData}, {kCmdWeights, kWeights}, {kCmdXKnots, kKnots},
        {kCmdAbout, kAbout}};
    for (auto [command, expected] : dialogs) {
      // Opening converts (a curve into the net, a net direction into the curve fields).
      Answer(expected, {}, kButtonCancel);
      window.Command(command);
      const std::vector<unsigned char> before = ModelBytes();
      Answer(expected);
      window.Command(command);
      EXPECT_EQ(ModelDifference(ModelBytes(), before), "") << command << ", " << m.netRows << " rows";
    }
    EXPECT_EQ(std::tuple(window.Errors().size(), window.Status(), answers.dialogs.size()), std::tuple(0u, "", 0u));
  }
}

// Every row of the tables is read, under its first id or the one that spells out its place;
// a refused cell is named as the table shows it.
TEST_F(DialogsTest, TypedValuesInRowSixtyLandInPointSixty) {
  const struct {
    int command;
    DialogTemplateId dialog;
    int id;
    const char* text;
    std::function<float()> field;
    float expected;
    const char* refusal;
  } rows[] = {
      {kCmdControlPoints, DialogTemplateId::kControlData, PointCellId(59, 0, 1), "12.5",
       [&] { return m.points[59].y; }, 12.5f, ""},
      {kCmdControlPoints, DialogTemplateId::kControlData, 10600010, "-3",
       [&] { return m.points[59].x; }, -3.0f, ""},
      {kCmdControlPoints, DialogTemplateId::kControlData, 10600011, "abc",
       [&] { return m.points[59].y; }, 10.0f + 59 % 50,
       "Not taken: row 60, column y must be a finite number (typed: \"abc\")"},
      {kCmdWeights, DialogTemplateId::kWeights, 20600010, "0.25", [&] { return m.weights[59]; },
       0.25f, ""},
      {kCmdWeights, DialogTemplateId::kWeights, WeightCellId(59, 0), "", [&] { return m.weights[59]; },
       1.0f, "row 60, column weight must be a finite number"},
      {kCmdXKnots, DialogTemplateId::kKnots, 30000060, "57.5", [&] { return m.knots[60]; }, 57.5f,
       ""},
      {kCmdXKnots, DialogTemplateId::kKnots, KnotCellId(60), "1e39", [&] { return m.knots[60]; },
       57.0f, "row 60, column knot must be a finite number"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ResetModelState();
    window.Start();
    for (int i = 0; i < 80; ++i) window.Click(5 + 9 * i, 10 + (i % 50));
    window.ShowStatus("");
    Answer(row.dialog, {{CanonicalCellId(row.dialog, row.id), row.text}});
    window.Command(row.command);
    EXPECT_EQ(row.field(), row.expected);
    const std::string said = window.Status();
    EXPECT_TRUE(*row.refusal ? said.find(row.refusal) != std::string::npos : said.empty()) << said;
  }
}

TEST_F(DialogsTest, ControlDataInSurfacesModeEditsTheNetAndPacksTriangles) {
  window.Command(kCmdSurfaces);
  ControlDataDialog dialog;
  dialog.Open();
  dialog.SetChecked(kIdTriangles, true);
  dialog.SetText(kIdN, "2"), dialog.SetText(kIdM, "1");
  dialog.SetText(PointCellId(1, 0, 2), "4.5"), dialog.SetText(PointCellId(1, 1, 0), "7");
  // M spans the last row, so that Save, which writes M columns, keeps every point.
  EXPECT_EQ((std::tuple{dialog.Press(kButtonOk), m.netRows, m.netCols, m.triangles != 0, m.triangleList[1].z,
                        m.triangleList[2].x}), std::tuple(1, 2, 2, true, 4.5, 7));
  EXPECT_EQ(m.pointCount, 0) << "the curve is untouched in Surfaces mode";
}

// Clicked points weigh 1, beyond the first 10 too; a negative dimension is ignored; Reset refills every weight of the net
// at once and Cancel does not undo it.
TEST_F(DialogsTest, WeightsShowEveryRowAndResetRefillsThemAtOnce) {
  AddCurve(12);
  WeightsDialog dialog;
  dialog.Open();
  ExpectShown(dialog, {{WeightCellId(0, 0), "1"}, {WeightCellId(10, 0), "1"},
                       {WeightCellId(0, 1), ""}, {kIdAppDim, "30"}});
  EXPECT_EQ(Run<WeightsDialog>({{WeightCellId(2, 0), "0.5"}, {kIdAppDim, "-4"}}), 1);
  EXPECT_EQ(std::tuple(m.weights[2], m.approxDim), std::tuple(0.5, 30));
  window.Command(kCmdSurfaces);
  m.netRows = 12, m.netCols = 2, m.netWeights[0][0] = 3.0f, m.netWeights[11][0] = 5.0f;
  WeightsDialog net;
  net.Open();
  EXPECT_EQ(net.Text(WeightCellId(0, 0)), "3");
  EXPECT_EQ(net.Press(kButtonReset), kStayOpen);
  EXPECT_EQ(net.Text(WeightCellId(0, 0)), "1");
  EXPECT_EQ(net.Press(kButtonCancel), 0);
  EXPECT_EQ(std::tuple(m.netWeights[0][0], m.netWeights[11][0]), std::tuple(1, 1));
}

// Opened while no order was shown, the knots are clamped uniform; OK sets the span of the knot
// to insert and clears the knot after the last; a negative order, or one whose knots would not
// fit, is refused while the rest is kept. Reset rebuilds from the typed order.
TEST_F(DialogsTest, KnotsBuildTheClampedUniformVectorAndRefuseOrdersThatDoNotFit) {
  AddCurve(4);
  KnotsDialog dialog;
  EXPECT_EQ(dialog.Open(), kStayOpen);
  ExpectShown(dialog, {{KnotCellId(3), "0"}, {KnotCellId(4), "1"}, {KnotCellId(7), "1"},
                       {KnotCellId(8), ""}, {kIdOrder, "4"}, {kIdInsertKnot, "99"}});
  EXPECT_EQ(m.knotsShownOrder, 4);
  EXPECT_EQ(dialog.Press(kButtonOk), 1);
  Run<KnotsDialog>({{kIdInsertKnot, "0.5"}, {KnotCellId(4), "0.5"}});
  EXPECT_EQ(m.insertSpan, 4) << "knots 0..4 are not greater than 0.5";
  EXPECT_EQ(std::tuple(m.knots[4], m.knots[8]), std::tuple(0.5, 0)) << "the knot after the last is cleared";
  Run<KnotsDialog>({{kIdInsertKnot, "-1"}, {kIdOrder, "-2"}, {kIdDegree, "3"}, {kIdChaikin, "-1"}});
  EXPECT_EQ(std::tuple(m.insertSpan, m.order, m.degreeStep, m.chaikinSteps), std::tuple(-1, 4, 3, 1));
  Run<KnotsDialog>({{kIdOrder, "96"}});  // 4 points + 96 = 100 knots: one too many
  EXPECT_EQ(m.order, 4);

  window.Click(300, 300), window.Click(340, 320);
  KnotsDialog reset;
  reset.Open();
  reset.SetText(kIdOrder, "2");
  EXPECT_EQ(reset.Press(kButtonReset), kStayOpen);
  // n = 6, k = 2: 0 0 1 2 3 4 5 5, and cells 8 and 9 of the old vector blank.
  const char* expected[] = {"0", "0", "1", "2", "3", "4", "5", "5", "", ""};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(reset.Text(KnotCellId(i)), expected[i]) << "cell " << i;
  EXPECT_EQ(m.order, 4) << "Reset keeps the order";
  EXPECT_EQ(reset.Press(kButtonCancel), 0);
  EXPECT_EQ(m.knots[7], 5.0f) << "Cancel does not undo Reset";
  for (const char* order : {"0", "94", "9223372036854775807"}) {
    reset.SetText(kIdOrder, order);
    reset.Press(kButtonReset);
    EXPECT_EQ(m.knots[7], 5.0f) << order << ": an order below 1 or one whose knots do not fit";
  }
}

// Reset and OK with more knots than the dialog's cells: no terminating zero lands inside the
// vector, every knot stays.
TEST_F(DialogsTest, KnotsResetAndOkKeepEveryKnotOfALongVector) {
  for (int n : {45, 95}) {
    ResetModelState();
    window.Start();
    for (int i = 0; i < n; ++i) window.Click(5 + 7 * i, 10 + i % 50);
    const std::vector<float> before(m.knots, m.knots + n + 4);
    answers.dialogs.push_back([](DialogSession& d) {
      d.Press(kButtonReset);
      return d.Press(kButtonOk);
    });
    window.Command(kCmdXKnots);
    EXPECT_EQ(std::vector<float>(m.knots, m.knots + n + 4), before) << n << " points";
    EXPECT_EQ(before[30], 27.0f);
  }
}

TEST_F(DialogsTest, KnotsInSurfacesModeEditOneNetDirection) {
  window.Command(kCmdSurfaces);
  m.triangles = 1;
  KnotsDialog triangular;
  EXPECT_EQ(triangular.Open(), 1) << "a triangular patch has no knots";
  m.triangles = 0, m.netRows = 3, m.netCols = 5, m.yOrder = 2, m.yDegreeStep = 2, m.pointCount = 9;
  answers.dialogs.push_back([&](DialogSession& d) {
    EXPECT_EQ(d.Template(), DialogTemplateId::kKnots);
    EXPECT_EQ(std::tuple(m.pointCount, m.order, m.degreeStep), std::tuple(5, 2, 2))
        << "the curve fields hold the Y direction";
    d.SetText(kIdOrder, "3");
    d.SetText(KnotCellId(7), "9");
    return d.Press(kButtonOk);
  });
  window.Command(kCmdYKnots);
  EXPECT_EQ(std::tuple(m.knotsDirection, m.yOrder, m.yKnots[7]), std::tuple(1, 3, 9));
  EXPECT_EQ(m.netRows, 3) << "the X direction is untouched";
}

}  // namespace
}  // namespace tambra
