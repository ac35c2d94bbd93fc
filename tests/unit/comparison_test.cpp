// The comparison tables against an independent evaluation in double (de
// Casteljau, on the homogeneous polygon of a rational curve), Eck's maximum
// against the Chebyshev bound, the end conditions each reduction keeps, and
// what a comparison leaves of the model.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/command_table.h"
#include "app/history.h"
#include "base/comparison.h"
#include "base/snapshots.h"
#include "rational/polynomial_approximation.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

struct Xyw {
  double x, y, w;
};

// The curve's point at t by de Casteljau on (w P, w); weights 1 unless weighted.
Xyw At(const CurveCopy& c, bool weighted, double t) {
  std::vector<Xyw> p;
  for (int i = 0; i < c.pointCount; ++i) {
    const double w = weighted ? c.weights[i] : 1.0;
    p.push_back({w * c.points[i].x, w * c.points[i].y, w});
  }
  for (std::size_t level = 1; level < p.size(); ++level) {
    for (std::size_t i = 0; i + level < p.size(); ++i) {
      p[i] = {(1 - t) * p[i].x + t * p[i + 1].x, (1 - t) * p[i].y + t * p[i + 1].y,
              (1 - t) * p[i].w + t * p[i + 1].w};
    }
  }
  return {p[0].x / p[0].w, p[0].y / p[0].w, 1};
}

class ComparisonTest : public SessionTest {
 protected:
  void Curve(int n, unsigned seed, bool weighted = false) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(50, 600), weight(0.5f, 2.0f);
    m.pointCount = n;
    for (int i = 0; i < n; ++i) {
      m.points[i] = Point2{coordinate(rng), coordinate(rng)};
      m.weights[i] = weighted ? weight(rng) : 1.0f;
    }
  }
  const Comparison& Compare(int id) {
    window.Command(id);
    return *window.LastComparison();
  }
  // The result of a method as its own command computes it.
  CurveCopy Result(int command) {
    CurveCopy hybrid{};
    if (command == kCmdApproxHybrid) {
      EXPECT_EQ(HybridPolynomial(m, hybrid), "");
      return hybrid;
    }
    return FindCommand(command, kInCurves)->compute({m, CommandScratch()}).drawings.back().curve;
  }
};

TEST_F(ComparisonTest, EachRowMatchesAnIndependentEvaluationOfItsResult) {
  const struct {
    int compare, row, command;
    bool rational;
  } cases[] = {{kCmdCompareReductions, 0, kCmdReduceSimple, false},
               {kCmdCompareReductions, 1, kCmdReduceEck, false},
               {kCmdCompareReductions, 2, kCmdReduceLse, false},
               {kCmdCompareReductions, 3, kCmdReduceLseC0, false},
               {kCmdCompareReductions, 4, kCmdReduceLseC1, false},
               {kCmdCompareReductions, 5, kCmdReduceLseC2, false},
               {kCmdCompareApproximations, 0, kCmdApproxLeastSquares, true},
               {kCmdCompareApproximations, 1, kCmdApproxConsistent, true},
               {kCmdCompareApproximations, 2, kCmdApproxHybrid, true}};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    for (const auto& c : cases) {
      Curve(9, seed, c.rational);
      m.degreeStep = 2, m.approxDim = 6;
      const ComparedMethod method = Compare(c.compare).methods.at(c.row);
      ASSERT_EQ(method.refusal, "") << method.name;
      const CurveCopy curve = CurrentCurve(m), result = Result(c.command);
      double largest = 0, squares = 0;
      for (int i = 0; i <= kComparisonSamples; ++i) {
        const Xyw a = At(curve, c.rational, double(i) / kComparisonSamples);
        const Xyw b = At(result, false, double(i) / kComparisonSamples);
        const double d = std::hypot(a.x - b.x, a.y - b.y);
        largest = std::max(largest, d), squares += d * d;
        EXPECT_NEAR(method.deviation.at(i), d, 1e-9 * (1 + d)) << method.name;
      }
      EXPECT_EQ(method.degree, result.pointCount - 1);
      EXPECT_NEAR(method.maxDeviation, largest, 1e-9 * (1 + largest)) << method.name;
      const double rms = std::sqrt(squares / (kComparisonSamples + 1));
      EXPECT_NEAR(method.rmsDeviation, rms, 1e-9 * (1 + rms)) << method.name;
    }
  }
}

// This Eck reduction is the Chebyshev economisation: it takes away
// Δ^p P0 T_p(2t - 1) / 2^(2p-1), so its largest deviation is that bound,
// reached at both ends; an elevated curve comes back whole.
TEST_F(ComparisonTest, EcksMaximumIsTheChebyshevBound) {
  for (int n : {3, 5, 8, 12}) {
    Curve(n, n);
    const int p = n - 1;
    double dx = 0, dy = 0;
    for (int i = 0; i <= p; ++i) {
      const double c = std::tgamma(p + 1) / (std::tgamma(i + 1) * std::tgamma(p - i + 1));
      dx += ((p - i) % 2 ? -c : c) * m.points[i].x, dy += ((p - i) % 2 ? -c : c) * m.points[i].y;
    }
    const double bound = std::hypot(dx, dy) / std::pow(2.0, 2 * p - 1);
    const ComparedMethod& eck = Compare(kCmdCompareReductions).methods.at(1);
    EXPECT_NEAR(eck.maxDeviation, bound, 1e-3 + 1e-4 * bound) << n << " points";
    EXPECT_NEAR(eck.deviation.front(), bound, 1e-3 + 1e-4 * bound);
  }
  Curve(6, 9);
  m.saveResults = 1;
  window.Command(kCmdBezierElevation);
  EXPECT_LT(Compare(kCmdCompareReductions).methods.at(1).maxDeviation, 1e-3);
}

TEST_F(ComparisonTest, EachReductionKeepsItsEndConditionsOnRandomCurves) {
  const bool kept[6][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};
  for (unsigned seed = 1; seed <= 10; ++seed) {
    Curve(10, seed);
    m.degreeStep = 1 + seed % 3;
    const Comparison& comparison = Compare(kCmdCompareReductions);
    for (int row = 0; row < 6; ++row) {
      const ComparedMethod& method = comparison.methods.at(row);
      ASSERT_EQ(method.refusal, "") << method.name;
      EXPECT_EQ(std::vector<bool>({method.keepsC0, method.keepsC1, method.keepsC2}),
                std::vector<bool>(kept[row], kept[row] + 3))
          << method.name << " seed " << seed;
    }
  }
}

// A polygon too short for every method: each row says why, the CSV holds
// no number that is not finite, and neither command changes the model or
// the history.
// A curve too short to draw is refused with the reason and shows no table;
// on a longer one the comparison lists every method.
TEST_F(ComparisonTest, ComparisonsChangeNothingAndRefuseACurveTooShort) {
  for (int n : {2, 7}) {
    Curve(n, 3, true);
    window.Command(kCmdRationalBezier);  // the points typed in become a step of their own
    const std::vector<unsigned char> before = ModelBytes();
    const int step = DocumentHistory().Position();
    for (int id : {kCmdCompareReductions, kCmdCompareApproximations}) {
      SCOPED_TRACE(std::to_string(n) + " points, command " + std::to_string(id));
      window.Command(id);
      if (n == 2) {
        EXPECT_EQ(window.LastComparison(), nullptr);
        EXPECT_NE(window.Status().find(" needs a curve of 3 points or more; this one has 2"),
                  std::string::npos) << window.Status();
      } else {
        ASSERT_NE(window.LastComparison(), nullptr);
        const std::string csv = ComparisonCsv(*window.LastComparison());
        EXPECT_EQ(std::tuple(csv.find("nan"), csv.find("inf")), std::tuple(csv.npos, csv.npos)) << csv;
        for (const ComparedMethod& method : window.LastComparison()->methods) {
          EXPECT_EQ(method.refusal, "") << method.name;
        }
      }
      EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), DocumentHistory().Position()), std::tuple("", step));
    }
  }
}

}  // namespace
}  // namespace tambra
