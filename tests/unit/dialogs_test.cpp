#include "app/dialogs.h"

#include <filesystem>
#include <functional>
#include <utility>

#include "base/c_locale.h"
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
  // The window's next dialog: `id` typed as `text`, then OK; an OK the dialog holds leaves
  // its objection in `objection` and cancels.
  void TypeThenOk(int id, std::string text, std::string& objection) {
    answers.dialogs.push_back([=, &objection](DialogSession& d) {
      d.SetText(CanonicalCellId(d.Template(), id), text);
      const int result = d.Press(kButtonOk);
      objection = d.Objection();
      return result == kStayOpen ? d.Press(kButtonCancel) : result;
    });
  }
};

// The curve shows as column 0 with the shortest text of each float; filled rows win over a
// smaller N, up to the first empty row; Cancel writes nothing back.
TEST_F(DialogsTest, ControlDataShowsTheCurveAndCountsRowsToTheFirstEmptyOne) {
  AddCurve(3);
  m.points[2].y = 377.88f, m.tx = 0.1f, m.ty = 1e-5f;
  ControlDataDialog dialog;
  EXPECT_EQ(dialog.Open(), kStayOpen);
  ExpectShown(dialog, {{kIdN, "3"}, {kIdM, "1"}, {PointCellId(1, 0, 0), "90"},
                       {PointCellId(2, 0, 1), "377.88"}, {kIdTx, "0.1"}, {kIdTy, "1e-05"},
                       {PointCellId(0, 1, 0), ""},  // only the curve's one column
                       {kIdScale, "1"}, {kIdGrid, "50"}, {kIdYOrder, "0"}});
  EXPECT_EQ(std::tuple(dialog.Checked(kIdApplyX), dialog.Checked(kIdTriangles), m.netCols),
            std::tuple(true, false, 0)) << "opening leaves the net alone";
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

// Typed text is read whole, never cut. A value the model cannot hold (text, NaN, 1e39, an
// empty cell, a size or order out of range) is marked as soon as it is typed, with the field's
// name and range; OK then stays open on it and nothing reaches the model until it is corrected.
TEST_F(DialogsTest, ValuesTheModelCannotHoldAreMarkedInPlaceAndHoldOk) {
  const struct {
    bool net;  // the view fields act in Surfaces mode only, disabled in Curves mode
    int id;
    const char* text;
    std::function<double()> field;
    double expected;
    const char* mark;
  } rows[] = {
      {true, kIdScale, "0.125", [&] { return m.scale; }, 0.125, ""},
      {true, kIdPhi, "359.5", [&] { return m.phi; }, 359.5, ""},
      {true, kIdTx, "-12.5", [&] { return m.tx; }, -12.5, ""},
      {true, kIdTy, "1e38", [&] { return m.ty; }, 0, "Translate Y must lie between -1e+07 and 1e+07"},
      {true, kIdTht, "nan", [&] { return m.tht; }, 0, "Theta must lie between"},
      {true, kIdScale, "abc", [&] { return m.scale; }, 1, "Scale must lie between"},
      {false, kIdScale, "abc", [&] { return m.scale; }, 1, ""},  // disabled: not marked, not read
      {true, kIdScale, "  7  ", [&] { return m.scale; }, 7, ""},
      {true, kIdN, "32", [&] { return m.netRows; }, 4,
       "Rows N of a triangular net must lie between 0 and 31"},
      {true, PointCellId(3, 1, 2), "1e39", [&] { return m.triangleList[7].z; }, 0,
       "row (4, 2), column z must be a finite number"},
      {false, kIdGrid, "123456", [&] { return m.grid; }, 50, "Grid must lie between -9999 and 9999"},
      {false, kIdN, "150", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {false, kIdN, "-5", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {false, kIdN, "100", [&] { return m.pointCount; }, 100, ""},
      {false, kIdXOrder, "99", [&] { return m.order; }, 4, "Order of N must lie between 0 and 95"},
      {false, kIdXOrder, "95", [&] { return m.order; }, 95, ""},
      {false, kIdXDegree, "100", [&] { return m.degreeStep; }, 1,
       "Degree step of N must lie between 0 and 99"},
      {false, PointCellId(0, 0, 0), "1e39", [&] { return m.points[0].x; }, 50,
       "row 1, column x must be a finite number"},
      {false, PointCellId(0, 0, 1), "", [&] { return m.points[0].y; }, 100,
       "row 1, column y must be a finite number (typed: \"\")"},
      {false, kIdGrid, "1x", [&] { return m.grid; }, 50, "Grid must lie between -9999 and 9999"},
      {false, kIdGrid, "  7  ", [&] { return m.grid; }, 7, ""},
      {false, kIdXOrder, "abc", [&] { return m.order; }, 4, "Order of N must lie between 0 and 95"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ResetModelState();
    window.Start();
    AddCurve(4);
    if (row.net) {
      window.Command(kCmdSurfaces);
      m.netRows = m.netCols = 4, m.triangles = 1;
    }
    ControlDataDialog dialog;
    dialog.Open();
    dialog.SetText(row.id, row.text);
    const std::string mark = dialog.Mark(row.id);
    EXPECT_TRUE(*row.mark ? mark.find(row.mark) != std::string::npos : mark.empty()) << mark;
    const int result = dialog.Press(kButtonOk);
    EXPECT_EQ(row.field(), row.expected);
    EXPECT_EQ(std::tuple(result, dialog.ObjectionId(), dialog.Objection()),
              *row.mark ? std::tuple(kStayOpen, row.id, mark) : std::tuple(1, 0, std::string()));
    if (*row.mark == '\0') continue;
    // Corrected, the value is taken.
    dialog.SetText(row.id, "3");
    EXPECT_EQ(std::tuple(dialog.Mark(row.id), dialog.Press(kButtonOk)), std::tuple("", 1));
  }
}

// Fields that do nothing in the mode are disabled (typed around the window system anyway, they
// are neither marked nor read: the table above).
TEST_F(DialogsTest, FieldsOfTheOtherModeAreDisabled) {
  AddCurve(4);
  for (bool surfaces : {false, true}) {
    if (surfaces) window.Command(kCmdSurfaces), m.netRows = m.netCols = 4;
    ControlDataDialog data;
    WeightsDialog weights;
    KnotsDialog knots;
    data.Open(), weights.Open(), knots.Open();
    for (int id : {kIdM, kIdYOrder, kIdYDegree, kIdScale, kIdTx, kIdTy, kIdPhi, kIdTht, kIdApplyX,
                   kIdApplyY, kIdTriangles})
      EXPECT_EQ(data.Enabled(id), surfaces) << id;
    for (int id : {kIdN, kIdXOrder, kIdXDegree, kIdGrid}) EXPECT_TRUE(data.Enabled(id)) << id;
    const bool curves = !surfaces;
    EXPECT_EQ(std::tuple(weights.Enabled(kIdAppDim), knots.Enabled(kIdChaikin),
                         knots.Enabled(kIdInsertKnot)), std::tuple(curves, curves, curves));
  }
}

// OK without typing, like Cancel, changes nothing, also where the shown text is long, at every
// size the tables hold (a 100-point curve, a 100 by 100 net, a 96-knot vector) and on the
// example files in both modes, the triangular net holding values above its diagonal that no
// file holds and no dialog may clear. Nor do they change the Undo item or the title.
TEST_F(DialogsTest, OkWithoutTypingLeavesTheModelUnchanged) {
  const auto example = [&](const char* name, bool curves) {
    return [=, this] {
      std::filesystem::copy_file(std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/" + name,
                                 Path(name), std::filesystem::copy_options::overwrite_existing);
      answers.fileNames = {Path(name)};
      window.Command(kCmdOpen);
      if (m.triangles == 1) m.net[0][3] = {5, 6, 7};
      if (curves) window.Command(kCmdCurves), AddCurve(3);
    };
  };
  const std::function<void()> models[] = {
      [&] {
        for (int i = 0; i < kMaxPoints; ++i) window.Click(5 + 7 * i, 10 + (i % 50));
        m.points[0] = {0.1234567f, 1e-7f};
        m.points[1] = {3e38f, -8388607.5f};
        m.weights[2] = 0.3333333f;
        m.scale = 0.125f, m.tx = 1e7f, m.ty = -9999999.0f, m.phi = 359.5f;
        m.insertKnot = 0.1f, m.knots[3] = 1e-9f, m.knotsShownOrder = 4;
      },
      [&] {
        window.Command(kCmdSurfaces);
        m.netRows = m.netCols = kMaxNet, m.xOrder = m.yOrder = 0, m.knotsDirection = 0;
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
        m.knotsShownOrder = 4, m.insertKnot = 99.0f, m.insertSpan = 7;
      },
      example("bicubic.cnt", false), example("bicubic.cnt", true),
      example("triangle.cnt", false), example("triangle.cnt", true)};
  for (const auto& model : models) {
    ResetModelState();
    window.Start();
    model();
    using enum DialogTemplateId;
    // About first: a command records what the model was given directly as a step.
    const std::pair<int, DialogTemplateId> dialogs[] = {
        {kCmdAbout, kAbout}, {kCmdControlPoints, kControlData}, {kCmdWeights, kWeights},
        {kCmdXKnots, kKnots}, {kCmdYKnots, kKnots}};
    std::tuple<std::string, std::string> document;
    for (auto [command, expected] : dialogs) {
      if (!window.IsEnabled(command)) continue;
      m.knotsDirection = command == kCmdYKnots;
      const int shown = m.knotsShownOrder;
      const std::vector<unsigned char> before = ModelBytes();
      for (int button : {kButtonCancel, kButtonOk}) {
        Answer(expected, {}, button);
        window.Command(command);
        if (command == kCmdAbout) document = {window.MenuText(kCmdUndo), window.Title()};
        m.knotsShownOrder = shown;  // what opening the knots notes
        EXPECT_EQ(ModelDifference(ModelBytes(), before), "") << command << ", " << m.netRows << " rows";
        EXPECT_EQ(std::tuple(window.MenuText(kCmdUndo), window.Title()), document) << command;
      }
    }
    EXPECT_EQ(std::tuple(window.Errors().size(), window.Status(), answers.dialogs.size()), std::tuple(0u, "", 0u));
  }
}

// Every row of the tables is read, under its first id or the one that spells out its place;
// a marked cell is named as the table shows it.
TEST_F(DialogsTest, TypedValuesInRowSixtyLandInPointSixty) {
  const struct {
    int command;
    int id;
    const char* text;
    std::function<float()> field;
    float expected;
    const char* objection;
  } rows[] = {
      {kCmdControlPoints, PointCellId(59, 0, 1), "12.5", [&] { return m.points[59].y; }, 12.5f, ""},
      {kCmdControlPoints, 10600010, "-3", [&] { return m.points[59].x; }, -3.0f, ""},
      {kCmdControlPoints, 10600011, "abc", [&] { return m.points[59].y; }, 10.0f + 59 % 50,
       "row 60, column y must be a finite number (typed: \"abc\")"},
      {kCmdWeights, 20600010, "0.25", [&] { return m.weights[59]; }, 0.25f, ""},
      {kCmdWeights, WeightCellId(59, 0), "", [&] { return m.weights[59]; }, 1.0f,
       "row 60, column weight must be a finite number"},
      {kCmdXKnots, 30000060, "57.5", [&] { return m.knots[60]; }, 57.5f, ""},
      {kCmdXKnots, KnotCellId(60), "1e39", [&] { return m.knots[60]; }, 57.0f,
       "row 60, column knot must be a finite number"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ResetModelState();
    window.Start();
    for (int i = 0; i < 80; ++i) window.Click(5 + 9 * i, 10 + (i % 50));
    std::string objection;
    TypeThenOk(row.id, row.text, objection);
    window.Command(row.command);
    EXPECT_EQ(row.field(), row.expected);
    EXPECT_TRUE(*row.objection ? objection.find(row.objection) != std::string::npos : objection.empty())
        << objection;
  }
}

// Checking Triangles packs the typed net; a triangle that stays one is edited in its list,
// the net beside it untouched; unchecked, the net takes the triangle with zeros above it.
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

  // A triangle is edited in its list; the net's lower triangle follows, the cells above stay.
  m.net[0][1] = {9, 9, 9};
  EXPECT_EQ(Run<ControlDataDialog>({{PointCellId(1, 1, 1), "3"}}), 1);
  EXPECT_EQ(std::tuple(m.triangleList[2].y, m.net[1][1].y, m.net[0][1].x), std::tuple(3, 3, 9));
  ControlDataDialog rectangle;
  rectangle.Open();
  rectangle.SetChecked(kIdTriangles, false);
  EXPECT_EQ(rectangle.Press(kButtonOk), 1);
  EXPECT_EQ(std::tuple(m.triangles, m.net[1][1].y, m.net[1][0].z, m.net[0][1].x), std::tuple(0, 3, 4.5, 0));
  // Triangles with more rows than the packed list holds is marked on the check box.
  m.netRows = 40;
  ControlDataDialog large;
  large.Open();
  large.SetChecked(kIdTriangles, true);
  EXPECT_EQ(large.Press(kButtonOk), kStayOpen);
  EXPECT_EQ(std::tuple(large.ObjectionId(), large.Objection()),
            std::tuple(kIdTriangles, "Triangles needs N of at most 31"));
}

// Clicked points weigh 1, beyond the first 10 too; a negative dimension is marked; Reset fills
// every cell with 1, which OK takes and Cancel drops.
TEST_F(DialogsTest, WeightsShowEveryRowAndResetFillsTheCells) {
  AddCurve(12);
  WeightsDialog dialog;
  dialog.Open();
  ExpectShown(dialog, {{WeightCellId(0, 0), "1"}, {WeightCellId(10, 0), "1"},
                       {WeightCellId(0, 1), ""}, {kIdAppDim, "30"}});
  EXPECT_EQ(Run<WeightsDialog>({{WeightCellId(2, 0), "0.5"}}), 1);
  EXPECT_EQ(Run<WeightsDialog>({{WeightCellId(3, 0), "0.5"}, {kIdAppDim, "-4"}}), kStayOpen);
  EXPECT_EQ(std::tuple(m.weights[2], m.weights[3], m.approxDim), std::tuple(0.5, 1, 30));
  window.Command(kCmdSurfaces);
  m.netRows = 12, m.netCols = 2, m.netWeights[0][0] = 3.0f, m.netWeights[11][0] = 5.0f;
  for (int button : {kButtonCancel, kButtonOk}) {
    WeightsDialog net;
    net.Open();
    EXPECT_EQ(net.Text(WeightCellId(0, 0)), "3");
    EXPECT_EQ(net.Press(kButtonReset), kStayOpen);
    EXPECT_EQ(net.Text(WeightCellId(11, 0)), "1");
    net.Press(button);
    EXPECT_EQ(std::tuple(m.netWeights[0][0], m.netWeights[11][0]),
              button == kButtonOk ? std::tuple(1, 1) : std::tuple(3, 5));
  }
}

// Opened on a new curve, the knots are clamped uniform; OK sets the span of the knot to insert
// and clears the knot after the last; a negative order, or one whose knots would not fit, is
// marked. Reset fills the cells from the typed order, for OK to take.
TEST_F(DialogsTest, KnotsBuildTheClampedUniformVectorAndMarkOrdersThatDoNotFit) {
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
  EXPECT_EQ(Run<KnotsDialog>({{kIdInsertKnot, "-1"}, {kIdOrder, "-2"}, {kIdChaikin, "-1"}}), kStayOpen);
  EXPECT_EQ(Run<KnotsDialog>({{kIdOrder, "96"}}), kStayOpen);  // 4 points + 96 = 100 knots: one too many
  EXPECT_EQ(std::tuple(m.insertSpan, m.order, m.chaikinSteps), std::tuple(4, 4, 1));
  Run<KnotsDialog>({{kIdInsertKnot, "-1"}, {kIdDegree, "3"}});
  EXPECT_EQ(std::tuple(m.insertSpan, m.degreeStep), std::tuple(-1, 3));

  window.Click(300, 300), window.Click(340, 320);
  const std::vector<float> before(m.knots, m.knots + 10);
  for (int button : {kButtonCancel, kButtonOk}) {
    KnotsDialog reset;
    reset.Open();
    for (const char* order : {"0", "94", "9223372036854775807"}) {
      reset.SetText(kIdOrder, order);
      reset.Press(kButtonReset);
      EXPECT_EQ(reset.Text(KnotCellId(7)), ShortestFloatText(before[7]))
          << order << ": an order below 1 or one whose knots do not fit";
    }
    reset.SetText(kIdOrder, "2");
    EXPECT_EQ(reset.Press(kButtonReset), kStayOpen);
    // n = 6, k = 2: 0 0 1 2 3 4 5 5, and cells 8 and 9 of the old vector blank.
    const char* expected[] = {"0", "0", "1", "2", "3", "4", "5", "5", "", ""};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(reset.Text(KnotCellId(i)), expected[i]) << "cell " << i;
    EXPECT_EQ(reset.Press(button), button == kButtonOk ? 1 : 0);
    EXPECT_EQ(std::tuple(m.order, m.knots[7]),
              button == kButtonOk ? std::tuple(2, 5.0f) : std::tuple(4, before[7]));
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

// In Surfaces mode the dialog edits the chosen direction of the net; the curve stays as it is.
TEST_F(DialogsTest, KnotsInSurfacesModeEditOneNetDirection) {
  window.Command(kCmdSurfaces);
  m.triangles = 1;
  KnotsDialog triangular;
  EXPECT_EQ(triangular.Open(), 1) << "a triangular patch has no knots";
  m.triangles = 0, m.netRows = 3, m.netCols = 5, m.yOrder = 2, m.yDegreeStep = 2, m.pointCount = 9;
  answers.dialogs.push_back([&](DialogSession& d) {
    EXPECT_EQ(std::tuple(d.Text(kIdOrder), d.Text(kIdDegree), d.FindTable(kIdKnotTable)->Rows()),
              std::tuple("2", "2", 7)) << "the Y direction";
    d.SetText(kIdOrder, "3");
    d.SetText(KnotCellId(7), "9");
    return d.Press(kButtonOk);
  });
  window.Command(kCmdYKnots);
  EXPECT_EQ(std::tuple(m.knotsDirection, m.yOrder, m.yKnots[7]), std::tuple(1, 3, 9));
  EXPECT_EQ(std::tuple(m.netRows, m.pointCount, m.order), std::tuple(3, 9, 4))
      << "the X direction and the curve are untouched";
}

}  // namespace
}  // namespace tambra
