// The readout of how far a command moved the curve, against an independent
// evaluation in double: de Casteljau at the same parameters for the Bezier
// reductions, and near zero where the result is the same curve.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/command_table.h"
#include "base/curve_deviation.h"
#include "base/snapshots.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

struct Xy {
  double x, y;
};

Xy DeCasteljau(std::vector<Xy> p, double t) {
  for (std::size_t level = 1; level < p.size(); ++level) {
    for (std::size_t i = 0; i + level < p.size(); ++i) {
      p[i] = Xy{(1 - t) * p[i].x + t * p[i + 1].x, (1 - t) * p[i].y + t * p[i + 1].y};
    }
  }
  return p[0];
}

std::vector<Xy> Polygon(const CurveCopy& c) {
  std::vector<Xy> p;
  for (int i = 0; i < c.pointCount; ++i) p.push_back(Xy{c.points[i].x, c.points[i].y});
  return p;
}

class DeviationTest : public SessionTest {
 protected:
  void Points(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(50, 600);
    m.pointCount = n;
    for (int i = 0; i < n; ++i) m.points[i] = Point2{coordinate(rng), coordinate(rng)}, m.weights[i] = 1;
  }
  Outcome Run(int id) { return FindCommand(id, kInCurves)->compute(CommandInput{m, CommandScratch()}); }
  static double Deviation(const Outcome& outcome) {
    for (const Measurement& measured : outcome.measurements) {
      if (measured.name == "max deviation") return measured.value;
    }
    return -1;
  }
};

TEST_F(DeviationTest, BezierReductionsMatchDeCasteljauAtTheSameParameters) {
  for (int id : {kCmdReduceSimple, kCmdReduceEck, kCmdReduceLse, kCmdReduceLseC0, kCmdReduceLseC1}) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
      Points(8, seed);
      const std::vector<Xy> given = Polygon(CurrentCurve(m));
      const Outcome outcome = Run(id);
      ASSERT_TRUE(outcome.refusal.empty()) << outcome.refusal;
      const std::vector<Xy> reduced = Polygon(outcome.drawings.back().curve);
      double largest = 0;
      for (int i = 0; i <= kDeviationSamplesPerSpan; ++i) {
        const double t = double(i) / kDeviationSamplesPerSpan;
        const Xy a = DeCasteljau(given, t), b = DeCasteljau(reduced, t);
        largest = std::max(largest, std::hypot(a.x - b.x, a.y - b.y));
      }
      EXPECT_NEAR(Deviation(outcome), largest, 1e-9 * (1 + largest)) << id << " seed " << seed;
      EXPECT_NE(outcome.summary.find(": max deviation "), std::string::npos) << outcome.summary;
    }
  }
}

// The same curve written otherwise deviates by rounding alone: a reduction
// of an elevated Bezier curve, the deletion of a knot just inserted, the
// refinement of the NURBS simulation.
TEST_F(DeviationTest, TheSameCurveWrittenOtherwiseDeviatesByRoundingAlone) {
  Points(6, 7);
  m.saveResults = 1;
  window.Command(kCmdBezierElevation);
  EXPECT_LT(Deviation(Run(kCmdReduceLse)), 1e-3);

  Points(7, 8);
  m.order = 4, m.curveKind = kNurbs, m.weights[2] = 2, m.weights[4] = 0.5f;
  SetDefaultCurveKnots();
  EXPECT_LT(Deviation(Run(kCmdNurbsSimulation)), 1e-3);
  m.insertKnot = 0.3f;
  window.Command(kCmdNurbsKnotInsert);
  ASSERT_EQ(m.pointCount, 8);
  EXPECT_LT(Deviation(Run(kCmdNurbsKnotDelete)), 1e-3);
}

}  // namespace
}  // namespace tambra
