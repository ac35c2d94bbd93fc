#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/command_ids.h"
#include "app/dialogs.h"
#include "tools/headless_platform.h"
#include "base/model_state.h"

namespace tambra {
namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.SetAnswers(&answers);
    window.Start();
  }

  void AddCurve(int count) {
    for (int i = 0; i < count; ++i) window.Click(50 + 40 * i, 100 + 10 * i);
  }

  // Runs the dialog the way the window does, typing one text before OK;
  // refusals reach the platform.
  int TypeAndPressOk(DialogSession& dialog, int id, const std::string& text) {
    answers.dialogs.push_back([id, text](DialogSession& d) {
      d.SetText(id, text);
      return d.Press(kButtonOk);
    });
    return ShowDialog(window, dialog);
  }
  // The model's fields that the dialogs edit, as bytes (the snapshot copies
  // and interaction fields aside).
  std::vector<unsigned char> ModelBytes() {
    auto copy = std::make_unique<ModelState>();
    std::memcpy(static_cast<void*>(copy.get()), &m, sizeof m);
    copy->hoverIndex = -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(copy.get());
    return {bytes, bytes + sizeof m};
  }

  ModelState& m = Model();
  HeadlessPlatform window;
  QueuedAnswers answers;
};

TEST(FormatNumber, IntegralValuesPrintAsIntegersOthersWithSixDecimals) {
  EXPECT_EQ(FormatNumber(2.0f), "2");
  EXPECT_EQ(FormatNumber(-1.0f), "-1");
  EXPECT_EQ(FormatNumber(0.0f), "0");
  EXPECT_EQ(FormatNumber(0.25f), "0.250000");
  EXPECT_EQ(FormatNumber(0.5f), "0.500000");
  EXPECT_EQ(FormatNumber(-2.5f), "-2.500000");
  EXPECT_EQ(FormatNumber(0.01f), "0.010000");
  // Beyond the int range a float is integral and prints whole.
  EXPECT_EQ(FormatNumber(1e10f), "10000000000");
  EXPECT_EQ(FormatNumber(-3e9f), "-3000000000");
}

TEST_F(DialogsTest, ControlDataShowsTheCurveAsColumnZero) {
  AddCurve(3);
  ControlDataDialog dialog;
  EXPECT_EQ(dialog.Open(), kStayOpen);
  EXPECT_EQ(dialog.Text(kIdN), "3");
  EXPECT_EQ(dialog.Text(kIdM), "1");
  EXPECT_EQ(dialog.Text(PointCellId(1, 0, 0)), "90");
  EXPECT_EQ(dialog.Text(PointCellId(1, 0, 1)), "110");
  EXPECT_EQ(dialog.Text(PointCellId(1, 0, 2)), "0");
  EXPECT_EQ(dialog.Text(PointCellId(0, 1, 0)), "") << "only netCols columns are shown";
  EXPECT_EQ(dialog.Text(kIdScale), "1");
  EXPECT_EQ(dialog.Text(kIdGrid), "50");
  EXPECT_EQ(dialog.Text(kIdYOrder), "0") << "a curve is a net of one column without Y order";
  EXPECT_TRUE(dialog.Checked(kIdApplyX));
  EXPECT_FALSE(dialog.Checked(kIdTriangles));
  EXPECT_EQ(m.netCols, 1);
}

TEST_F(DialogsTest, ControlDataFilledRowsWinOverASmallerN) {
  ControlDataDialog dialog;
  dialog.Open();
  dialog.SetText(kIdN, "1");
  for (int i = 0; i < 3; ++i) {
    dialog.SetText(PointCellId(i, 0, 0), std::to_string(10 * (i + 1)));
    dialog.SetText(PointCellId(i, 0, 1), "5");
  }
  // Row 4 is filled too, but the empty row 3 ends the count.
  dialog.SetText(PointCellId(4, 0, 0), "99");
  EXPECT_EQ(dialog.Press(kButtonOk), 1);
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.points[2].x, 30.0f);
  EXPECT_EQ(m.points[2].y, 5.0f);
}

// Typed text is read whole, never cut; a value the model cannot hold is
// refused with a message naming the field and its range, and the field
// keeps its value.
TEST_F(DialogsTest, ControlDataTakesWholeValuesAndRefusesWhatTheModelCannotHold) {
  AddCurve(4);
  struct Row {
    int id;
    const char* text;
    std::function<double()> field;
    double expected;
    const char* refusal;
  };
  const Row rows[] = {
      {kIdScale, "0.125", [&] { return m.scale; }, 0.125, ""},
      {kIdPhi, "359.5", [&] { return m.phi; }, 359.5, ""},
      {kIdTx, "-12.5", [&] { return m.tx; }, -12.5, ""},
      {kIdTy, "1e38", [&] { return m.ty; }, 0, "TY must lie between -1e+07 and 1e+07"},
      {kIdTht, "nan", [&] { return m.tht; }, 0, "Tht must lie between"},
      {kIdGrid, "123456", [&] { return m.grid; }, 50, "Grid must lie between -9999 and 9999"},
      {kIdN, "150", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {kIdN, "-5", [&] { return m.pointCount; }, 4, "N must lie between 0 and 100"},
      {kIdN, "100", [&] { return m.pointCount; }, 100, ""},
      {kIdXOrder, "99", [&] { return m.order; }, 4, "Ord. of N must lie between 0 and 95"},
      {kIdXOrder, "-3", [&] { return m.order; }, 4, "Ord. of N must lie between"},
      {kIdXOrder, "95", [&] { return m.order; }, 95, ""},
      {kIdXDegree, "100", [&] { return m.degreeStep; }, 1, "Deg. of N must lie between 0 and 99"},
      {PointCellId(0, 0, 0), "1e39", [&] { return m.points[0].x; }, 50,
       "x of point (1, 1) must be a finite number"},
      {PointCellId(0, 0, 1), "", [&] { return m.points[0].y; }, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ControlDataDialog dialog;
    EXPECT_EQ(TypeAndPressOk(dialog, row.id, row.text), 1);
    EXPECT_EQ(row.field(), row.expected);
    const std::string said = window.Errors().empty() ? "" : window.Errors().back();
    if (*row.refusal == '\0') {
      EXPECT_TRUE(window.Errors().empty()) << said;
    } else {
      EXPECT_NE(said.find(row.refusal), std::string::npos) << said;
    }
    ResetModelState();
    window.Start();
    AddCurve(4);
    window.ClearErrors();
  }
}

// OK without typing anything gives back every value the dialog showed,
// also where the shown text is rounded or long.
TEST_F(DialogsTest, OkWithoutTypingLeavesTheModelUnchanged) {
  for (int i = 0; i < kMaxPoints; ++i) window.Click(5 + 7 * i, 10 + (i % 50));
  m.points[0] = {0.1234567f, 1e-7f};
  m.points[1] = {3e38f, -8388607.5f};
  m.weights[2] = 0.3333333f;
  m.scale = 0.125f, m.tx = 1e7f, m.ty = -9999999.0f, m.phi = 359.5f;
  m.insertKnot = 0.1f;
  m.knots[3] = 1e-9f;
  m.knotsShownOrder = 4;
  CurveToNet();
  m.insertSpan = 99;  // OK counts the knots not above insertKnot: all 100
  const std::vector<unsigned char> before = ModelBytes();
  for (int id : {kCmdControlPoints, kCmdWeights, kCmdXKnots}) {
    answers.dialogs.push_back([](DialogSession& d) { return d.Press(kButtonOk); });
    window.Command(id);
    EXPECT_TRUE(ModelBytes() == before) << "command " << id;
  }
  EXPECT_TRUE(window.Errors().empty());
}

TEST_F(DialogsTest, ControlDataCancelWritesNothingBack) {
  AddCurve(3);
  ControlDataDialog dialog;
  dialog.Open();
  dialog.SetText(PointCellId(0, 0, 0), "1");
  dialog.SetText(kIdGrid, "7");
  EXPECT_EQ(dialog.Press(kButtonCancel), 0);
  EXPECT_EQ(m.points[0].x, 50.0f);
  EXPECT_EQ(m.grid, 50);
}

TEST_F(DialogsTest, ControlDataInSurfacesModeEditsTheNetAndPacksTriangles) {
  window.Command(kCmdSurfaces);
  ControlDataDialog dialog;
  dialog.Open();
  dialog.SetText(kIdN, "2");
  dialog.SetText(kIdM, "2");
  dialog.SetChecked(kIdTriangles, true);
  dialog.SetText(PointCellId(1, 0, 2), "4.5");
  dialog.SetText(PointCellId(1, 1, 0), "7");
  EXPECT_EQ(dialog.Press(kButtonOk), 1);
  EXPECT_EQ(m.netRows, 2);
  EXPECT_EQ(m.triangles, 1);
  EXPECT_FLOAT_EQ(m.triangleList[1].z, 4.5f);
  EXPECT_FLOAT_EQ(m.triangleList[2].x, 7.0f);
  EXPECT_EQ(m.pointCount, 0) << "the curve is untouched in Surfaces mode";
}

TEST_F(DialogsTest, WeightsShowTheFirstElevenCurveWeightsAndReadThemBack) {
  AddCurve(12);
  WeightsDialog dialog;
  dialog.Open();
  EXPECT_EQ(dialog.Text(WeightCellId(0, 0)), "1");
  EXPECT_EQ(dialog.Text(WeightCellId(10, 0)), "0") << "weights beyond the first 10 start at 0";
  EXPECT_EQ(dialog.Text(WeightCellId(0, 1)), "");
  EXPECT_EQ(dialog.Text(kIdAppDim), "30");
  dialog.SetText(WeightCellId(2, 0), "0.5");
  dialog.SetText(kIdAppDim, "-4");
  EXPECT_EQ(dialog.Press(kButtonOk), 1);
  EXPECT_FLOAT_EQ(m.weights[2], 0.5f);
  EXPECT_EQ(m.approxDim, 30) << "a negative dimension is ignored";
}

TEST_F(DialogsTest, WeightsResetRefillsTheShownBlockAtOnce) {
  window.Command(kCmdSurfaces);
  m.netRows = 12;
  m.netCols = 2;
  m.netWeights[0][0] = 3.0f;
  m.netWeights[11][0] = 5.0f;
  WeightsDialog dialog;
  dialog.Open();
  EXPECT_EQ(dialog.Text(WeightCellId(0, 0)), "3");
  EXPECT_EQ(dialog.Press(kButtonReset), kStayOpen);
  EXPECT_EQ(dialog.Text(WeightCellId(0, 0)), "1");
  EXPECT_EQ(dialog.Press(kButtonCancel), 0);
  EXPECT_EQ(m.netWeights[0][0], 1.0f) << "Cancel does not undo Reset for the net";
  EXPECT_EQ(m.netWeights[11][0], 5.0f) << "row 11 is not shown and not reset";
}

TEST_F(DialogsTest, KnotsFirstOpeningBuildsTheClampedUniformVector) {
  AddCurve(4);
  KnotsDialog dialog;
  EXPECT_EQ(dialog.Open(), kStayOpen);
  const char* expected[] = {"0", "0", "0", "0", "1", "1", "1", "1"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(dialog.Text(KnotCellId(i)), expected[i]) << "knot " << i;
  EXPECT_EQ(dialog.Text(KnotCellId(8)), "");
  EXPECT_EQ(dialog.Text(kIdOrder), "4");
  EXPECT_EQ(dialog.Text(kIdInsertKnot), "99");
  EXPECT_EQ(m.knotsShownOrder, 4);

  // Six points: 0 0 0 0 1 2 3 3 3 3, built only while no order was shown.
  ResetModelState();
  HeadlessPlatform other;
  other.Start();
  for (int i = 0; i < 6; ++i) other.Click(20 * i + 10, 30);
  KnotsDialog six;
  six.Open();
  EXPECT_EQ(six.Text(KnotCellId(4)), "1");
  EXPECT_EQ(six.Text(KnotCellId(6)), "3");
  EXPECT_EQ(six.Text(KnotCellId(9)), "3");
}

TEST_F(DialogsTest, KnotsOkSetsTheInsertSpan) {
  AddCurve(4);
  KnotsDialog dialog;
  dialog.Open();
  EXPECT_EQ(dialog.Press(kButtonOk), 1);
  EXPECT_EQ(m.insertSpan, m.pointCount + m.order - 1) << "every knot is below 99";

  KnotsDialog again;
  again.Open();
  again.SetText(kIdInsertKnot, "0.5");
  again.SetText(KnotCellId(4), "0.5");
  again.Press(kButtonOk);
  EXPECT_EQ(m.insertSpan, 4) << "knots 0..4 are not greater than 0.5";
  EXPECT_FLOAT_EQ(m.knots[4], 0.5f);
  EXPECT_EQ(m.knots[8], 0.0f) << "the knot after the last one read is cleared";

  KnotsDialog below;
  below.Open();
  below.SetText(kIdInsertKnot, "-1");
  below.Press(kButtonOk);
  EXPECT_EQ(m.insertSpan, -1);
}

TEST_F(DialogsTest, KnotsOrderIsRefusedWhenNegativeOrWhenItsVectorWouldNotFit) {
  AddCurve(5);
  KnotsDialog dialog;
  dialog.Open();
  dialog.SetText(kIdOrder, "-2");
  dialog.SetText(kIdDegree, "3");
  dialog.SetText(kIdChaikin, "-1");
  dialog.Press(kButtonOk);
  EXPECT_EQ(m.order, 4);
  EXPECT_EQ(m.degreeStep, 3);
  EXPECT_EQ(m.chaikinSteps, 1);

  KnotsDialog tooLong;
  tooLong.Open();
  tooLong.SetText(kIdOrder, "95");  // 5 points + 95 = 100 knots: one too many
  tooLong.Press(kButtonOk);
  EXPECT_EQ(m.order, 4);
}

TEST_F(DialogsTest, KnotsResetRebuildsFromTheTypedOrderAndBlanksStaleCells) {
  AddCurve(6);
  KnotsDialog dialog;
  dialog.Open();
  dialog.SetText(kIdOrder, "2");
  EXPECT_EQ(dialog.Press(kButtonReset), kStayOpen);
  // n = 6, k = 2: 0 0 1 2 3 4 5 5, and cells 8 and 9 of the old vector blank.
  const char* expected[] = {"0", "0", "1", "2", "3", "4", "5", "5", "", ""};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(dialog.Text(KnotCellId(i)), expected[i]) << "cell " << i;
  EXPECT_EQ(m.order, 4) << "Reset does not change the order";
  EXPECT_EQ(dialog.Press(kButtonCancel), 0);
  EXPECT_FLOAT_EQ(m.knots[7], 5.0f) << "Cancel does not undo Reset";

  dialog.SetText(kIdOrder, "0");
  dialog.Press(kButtonReset);
  EXPECT_FLOAT_EQ(m.knots[7], 5.0f) << "an order below 1 resets nothing";
}

TEST_F(DialogsTest, KnotsInSurfacesModeEditOneNetDirection) {
  window.Command(kCmdSurfaces);
  m.triangles = 1;
  KnotsDialog triangular;
  EXPECT_EQ(triangular.Open(), 1) << "a triangular patch has no knots";

  m.triangles = 0;
  m.netRows = 3;
  m.netCols = 5;
  m.yOrder = 2;
  m.yDegreeStep = 2;
  m.pointCount = 9;
  m.knotsDirection = 1;
  KnotsDialog dialog;
  dialog.Open();
  EXPECT_EQ(m.pointCount, 5) << "the curve fields now hold the Y direction";
  EXPECT_EQ(m.order, 2);
  dialog.SetText(kIdOrder, "3");
  dialog.SetText(KnotCellId(7), "9");
  dialog.Press(kButtonOk);
  EXPECT_EQ(m.yOrder, 3);
  EXPECT_FLOAT_EQ(m.yKnots[7], 9.0f);
  EXPECT_EQ(m.netRows, 3) << "the X direction is untouched";
}

TEST_F(DialogsTest, MenuCommandsOpenTheDialogsOnThePlatform) {
  AddCurve(3);
  answers.dialogs.push_back([](DialogSession& d) {
    EXPECT_EQ(d.Template(), DialogTemplateId::kControlData);
    d.SetText(PointCellId(0, 0, 0), "11");
    return d.Press(kButtonOk);
  });
  window.Command(kCmdControlPoints);
  EXPECT_EQ(m.points[0].x, 11.0f);

  answers.dialogs.push_back([](DialogSession& d) {
    EXPECT_EQ(d.Template(), DialogTemplateId::kKnots);
    return d.Press(kButtonCancel);
  });
  window.Command(kCmdYKnots);
  EXPECT_EQ(m.knotsDirection, 1);
  EXPECT_TRUE(answers.dialogs.empty());

  answers.dialogs.push_back([](DialogSession& d) {
    EXPECT_EQ(d.Template(), DialogTemplateId::kAbout);
    return d.Press(kButtonOk);
  });
  window.Command(kCmdAbout);
  EXPECT_TRUE(answers.dialogs.empty());
}

}  // namespace
}  // namespace tambra
