// The B-spline and NURBS displays and the knot commands against de Boor's
// algorithm evaluated here in double.
#include <algorithm>

#include "base/canvas.h"
#include "curve_test_support.h"
#include "resources/command_ids.h"
#include "spline/spline_display.h"

namespace tambra {
namespace {
using namespace curve_test;

const std::string kBData = "# In Bspline curve, data point count=";
const std::string kNData = "# In NURBS curve, data point count:=";

Floats Clamped(int n, int k) {  // k zeros, 1 .. n-k, k copies of n-k+1
  Floats t(n + k);
  for (int i = 0; i < n + k; ++i) t[i] = float(std::clamp(i - k + 1, 0, n - k + 1));
  return t;
}

class SplineTest : public CurveTest {
 protected:
  void SetCurve(const Points& p, Floats w, const Floats& t, int k, int kind = kNurbs) {
    m.curveKind = kind, m.pointCount = int(p.size()), m.order = k;
    w.resize(kMaxPoints, w.empty() ? 1.0f : 0.0f);
    std::fill_n(m.knots, kMaxKnots, 0.0f);
    std::copy(p.begin(), p.end(), m.points), std::copy(w.begin(), w.end(), m.weights);
    std::copy(t.begin(), t.end(), m.knots);
  }
  std::string Draw(bool rational, int grid = 50) {
    m.grid = grid;
    return Logged([&] { (rational ? DrawNurbsCurve : DrawBSplineCurve)(window, kBlackMode); });
  }
  Floats Knots() const {
    return Floats(m.knots, m.knots + std::clamp(m.pointCount + m.order, 0, kMaxKnots));
  }
  // The model's bytes but the log switch, the snapshot, the span found and,
  // with `usedOnly`, the entries beyond the curve (an undone result leaves one).
  std::vector<unsigned char> Bytes(bool usedOnly = false) {
    static ModelState copy;
    copy = m;
    copy.insertSpan = 0, copy.logActive = 0, copy.curveSnapshot = {};
    const int n = usedOnly ? std::clamp(m.pointCount, 0, kMaxPoints) : kMaxPoints;
    std::fill(copy.points + n, copy.points + kMaxPoints, Point2{});
    std::fill(copy.weights + n, copy.weights + kMaxPoints, 0.0f);
    return ModelBytes(copy);
  }
  // The canvas shows exactly the logged polygon and polyline, or the model's
  // polygon alone when nothing was logged.
  bool ShowsLog(const std::string& log, const std::string& data, int mode) {
    Raster dc(800, kHeight);
    dc.SelectPen(ModeColour(mode));
    std::vector<P> polygon = PointsAfter(log, "# Knots vector"), curve = PointsAfter(log, data);
    for (int i = 0; log.empty() && i < m.pointCount; ++i)
      polygon.push_back({m.points[i].x, m.points[i].y});
    const size_t marks = polygon.size();
    polygon.insert(polygon.end(), curve.begin(), curve.end());
    for (size_t i = 0; i < polygon.size(); ++i) {
      const float x = float(polygon[i].x), y = float(polygon[i].y);
      if (i < marks) FillMark(dc, x, y, mode);
      (i == 0 || i == marks ? MoveToPoint : LineToPoint)(dc, x, y);
    }
    return std::equal(dc.Data(), dc.Data() + 800 * kHeight, window.Canvas().Data());
  }
};

// Bezier pieces (n = k) and shifted knots are among the random cases; the last sample is the
// last point exactly.
TEST_F(SplineTest, SamplesAreTheDeBoorPointsAndUnitWeightsGiveTheBSpline) {
  Random random(7);
  for (auto [n, k] : {std::pair{3, 3}, {5, 4}, {9, 2}, {20, 5}, {96, 4}, {50, 50}, {99, 1}}) {
    SCOPED_TRACE(::testing::Message() << "n " << n << " k " << k);
    const Points p = random.Polygon(n);
    const Floats t = random.Knots(n, k), w = random.Weights(n);
    SetCurve(p, w, t, k);
    const std::vector<P> rational = PointsAfter(Draw(true, 64), kNData);
    SetCurve(p, {}, t, k);
    const std::vector<P> plain = PointsAfter(Draw(false, 64), kBData);
    const std::vector<P> unit = PointsAfter(Draw(true, 64), kNData);
    ASSERT_TRUE(plain.size() == 65 && rational.size() == 65 && unit.size() == 65);
    for (int j = 0; j <= 64; ++j) {
      const double u = t[k - 1] + j * (double(t[n]) - t[k - 1]) / 64, tolerance = j < 64 ? 2e-3 : 0;
      const P end = {p[n - 1].x, p[n - 1].y};
      const P a = j < 64 ? DeBoor(p.data(), nullptr, t.data(), n, k, u) : end;
      const P b = j < 64 ? DeBoor(p.data(), w.data(), t.data(), n, k, u) : end;
      EXPECT_LE(Distance(plain[j], a), tolerance) << j;
      EXPECT_LE(Distance(rational[j], b), tolerance) << j;
      EXPECT_LE(Distance(unit[j], plain[j]), 2e-3) << j;
    }
  }
}

// Clicked points and B-spline > B-spline draw the clamped uniform curve at once; the vector
// follows a click, a delete and an order change while nobody chose it, and a typed one stays.
TEST_F(SplineTest, AutomaticKnotsFollowTheClickedPolygonUntilTyped) {
  for (const Point2& q : kFive) window.Click(int(q.x), int(q.y));
  const std::vector<P> drawn = PointsAfter(Run(kCmdBSpline), kBData);
  ASSERT_EQ(drawn.size(), 51u);
  Points clicked(m.points, m.points + 5);
  for (int j = 0; j < 50; ++j)
    EXPECT_LE(Distance(drawn[j], DeBoor(clicked.data(), nullptr, kCubic5.data(), 5, 4, j / 25.0)),
              2e-3) << j;
  window.Click(700, 300);
  EXPECT_EQ(Knots(), Clamped(6, 4));
  window.Send(MouseMessage(MessageKind::kRightDown, 40, 500, kRightButtonFlag));
  window.Send(MouseMessage(MessageKind::kRightUp, 40, 500, 0));
  EXPECT_EQ(Knots(), kCubic5);
  Answer(DialogTemplateId::kKnots, {{kIdOrder, "3"}});
  window.Command(kCmdXKnots);
  EXPECT_EQ(Knots(), Clamped(5, 3));
  Answer(DialogTemplateId::kKnots, {{KnotCellId(3), "0.5"}});
  window.Command(kCmdXKnots);
  const Floats typed = {0, 0, 0, 0.5f, 2, 3, 3, 3};
  EXPECT_EQ(Knots(), typed);
  window.Click(300, 300);
  EXPECT_EQ(Floats(m.knots, m.knots + 8), typed);
}

// Samples whose weight sum is 0 or not finite are left out (the section texts are the replay's).
TEST_F(SplineTest, SkippedSamples) {
  const struct { Floats w; size_t logged; } cases[] = {{{0, 0, 0}, 2}, {{1, -1, 1}, 50}};
  for (const auto& c : cases) {
    SetCurve({{100, 400}, {300, 100}, {500, 400}}, c.w, {0, 0, 0, 1, 1, 1}, 3);
    const std::string log = Draw(true);
    EXPECT_EQ(PointsAfter(log, kNData).size(), c.logged) << c.w[1];
    EXPECT_TRUE(ShowsLog(log, kNData, kBlackMode)) << c.w[1];
  }
}

// Random curves, sometimes inserting a knot already there. (Deleting a knot of a double one,
// one of the first k or one that is not a knot at all is the replay's.)
TEST_F(SplineTest, InsertionKeepsTheCurveAndDeletionUndoesIt) {
  Random random(11);
  m.saveResults = 1;
  for (int trial = 0; trial < 40; ++trial) {
    const int n = random.Int(4, 40), k = random.Int(2, std::min(n, 7));
    const bool rational = trial % 2 == 1;
    const Points p = random.Polygon(n);
    const Floats t = random.Knots(n, k), w = rational ? random.Weights(n) : Floats(n, 1.0f);
    // Sometimes a value that is a knot already.
    const float u = trial % 5 == 0 && n > k ? t[(n + k) / 2] : random.Real(t[k - 1], t[n]);
    SCOPED_TRACE(::testing::Message() << "n " << n << " k " << k << " u " << u);
    SetCurve(p, w, t, k, rational ? kNurbs : kBSpline);
    m.insertKnot = u;
    const ModelState given = m;
    Run(rational ? kCmdNurbsKnotInsert : kCmdBSplineKnotInsert);
    Floats knots = t;
    knots.insert(std::upper_bound(knots.begin(), knots.end(), u), u);
    ASSERT_EQ(Knots(), knots);
    EXPECT_EQ(m.knots[n + 1 + k], 0.0f);
    EXPECT_LT(CurveDistance(given, m), 1e-3);
    Run(rational ? kCmdNurbsKnotDelete : kCmdBSplineKnotDelete);
    ASSERT_EQ(Knots(), t);
    EXPECT_EQ(m.knots[n + k], 0.0f);
    for (int i = 0; i < n; ++i) {
      EXPECT_LE(std::hypot(m.points[i].x - p[i].x, m.points[i].y - p[i].y), 1e-2) << i;
      EXPECT_NEAR(m.weights[i], w[i], 1e-4 * w[i]) << i;
    }
  }
}

// Refused or with Save off: the model keeps its bytes; a refusal draws the curve.
TEST_F(SplineTest, RefusedOrSavedOffCommandsLeaveTheModel) {
  Random random(1);
  const Floats shifted = {2, 2, 2, 2, 3, 4, 4, 4, 4};
  struct Case { const char* what; int n, k; Floats t, w; float u; bool insert, remove; };
  const Case cases[] = {
      {"inner knot", 5, 4, kCubic5, {}, 1, true, true},
      {"below the first knot", 5, 4, shifted, {}, 1, false, false},
      {"the last knot", 5, 4, kCubic5, {}, 2, false, false},
      {"zero weight copied", 8, 4, Clamped(8, 4), {0, 1, 1, 1, 1, 1, 1, 1}, 4.5f, false, false},
      {"overflow", 4, 4, Clamped(4, 4), {1, -0.999f, 1, 1}, 0.5f, false, false},
      {"largest insertion", 94, 4, Clamped(94, 4), {}, 3, true, true},
      {"past the capacity", 95, 4, Clamped(95, 4), {}, 3.5f, false, false},
      {"order 0", 5, 0, {0, 0, 0, 0, 1}, {}, 1, false, false},
      {"n + k over 100", 5, 96, kCubic5, {}, 1, false, false}};
  for (const auto& c : cases) {
    for (int save : {0, 1}) {
      for (bool insert : {true, false}) {
        SCOPED_TRACE(::testing::Message() << c.what << (insert ? " insert" : " delete") << save);
        Points p = random.Polygon(c.n);
        if (c.n == 4) p[0].x = 3e36f, p[1].x = -3e36f;  // 3e36 / 0.0005 overflows
        SetCurve(p, c.w, c.t, c.k);
        m.saveResults = save, m.insertKnot = c.u;
        const bool works = insert ? c.insert : c.remove;
        const auto before = Bytes(works);
        const std::string log = Run(insert ? kCmdNurbsKnotInsert : kCmdNurbsKnotDelete);
        EXPECT_EQ(Bytes(works) == before, !works || save == 0);
        EXPECT_EQ(m.pointCount, c.n + (works && save == 1 ? (insert ? 1 : -1) : 0));
        EXPECT_TRUE(ShowsLog(log, kNData, insert ? kBlueMode : kRedMode));
        SetCurve(p, c.w, c.t, c.k);
        EXPECT_TRUE(works || log == Draw(true)) << "the unchanged curve";
      }
    }
  }
}

}  // namespace
}  // namespace tambra
