// The fast paths of the curve displays give the same bits as the plain one:
// the eight- and four-wide kernels and the plain loops, the samples split
// over threads and evaluated in one, and a drag that redraws the kept
// polyline and one that evaluates every drawing afresh.
#include <algorithm>
#include <cstring>

#include "base/canvas.h"
#include "bezier/bezier_evaluation.h"
#include "curve_test_support.h"
#include "numeric/bspline_basis.h"
#include "numeric/knot_vector.h"
#include "rational/rational_evaluation.h"
#include "resources/command_ids.h"
#include "spline/span_basis.h"
#include "spline/spline_evaluation.h"

namespace tambra {
namespace {
using namespace curve_test;

enum Family { kBezierFamily, kRationalFamily, kSplineFamily, kNurbsFamily };

// One random curve of a family: count, order, grid, points, weights and knots.
struct Case {
  Family family;
  int count, order, grid;
  std::vector<Point2> points;
  std::vector<float> weights, knots;
  bool windowed = true;
};

Case RandomCase(Random& r, Family family, int grid) {
  Case c{family, r.Int(2, kMaxPoints), 1, grid, {}, {}, {}};
  if (family >= kSplineFamily) {
    c.count = r.Int(2, kKnotCapacity - 2);
    c.order = r.Int(1, kKnotCapacity - c.count);
    c.knots = r.Knots(c.count, c.order);
    // Now and then a vector that decreases somewhere: every function is evaluated.
    if (r.Int(0, 3) == 0) std::swap(c.knots[r.Int(0, c.count)], c.knots.back());
    c.knots.resize(kKnotCapacity, 0.0f);
    if (CheckKnotVector(c.knots.data(), c.count, c.order) == kKnotsRefused) {
      c.knots = r.Knots(c.count, c.order);
      c.knots.resize(kKnotCapacity, 0.0f);
    }
    c.windowed = CheckKnotVector(c.knots.data(), c.count, c.order) == kKnotsValid;
  }
  c.points = r.Polygon(c.count);
  // Weights of both signs (weight sums of 0 and through 0), now and then all 0.
  c.weights = r.Weights(c.count, -1.0f, 3.0f);
  if (r.Int(0, 9) == 0) std::fill(c.weights.begin(), c.weights.end(), 0.0f);
  // Now and then points beyond the float range: infinite and NaN sums.
  if (r.Int(0, 9) == 0) {
    for (Point2& p : c.points) p.x *= r.Int(0, 1) == 0 ? 1e36f : -1e36f;
  }
  return c;
}

// The basis values kept from one evaluation to the next, as a display keeps them.
struct KeptTables {
  RationalBasisTable rational;
  SplineBasisTable spline;
};

CurveSamples Evaluate(const Case& c, int grid, KeptTables& kept) {
  CurveSamples out;
  switch (c.family) {
    case kBezierFamily: BezierCurveSamples(c.points.data(), c.count, grid, out); break;
    case kRationalFamily:
      RationalCurveSamples(c.points.data(), c.weights.data(), c.count, grid, out, kept.rational);
      break;
    default:
      SplineCurveSamples(c.points.data(), c.weights.data(), c.knots.data(), c.count, c.order,
                         c.windowed, c.family == kNurbsFamily, grid, out, kept.spline);
  }
  return out;
}

bool SameBits(const CurveSamples& a, const CurveSamples& b) {
  return a.points.size() == b.points.size() && a.drawn == b.drawn &&
         (a.points.empty() ||
          std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof(Point2)) == 0);
}

class CurveSpeedTest : public CurveTest {
 protected:
  void TearDown() override {
    ForcePlainEvaluation(false), ForceNarrowEvaluation(false);
    SetSampleThreads(0);
    KeptPolyline::SetReuse(true);
    CurveTest::TearDown();
  }
};

// Every family at grids from 1 to 9999 and counts from 2 to 100: the plain
// loop in one thread is the reference; the vector kernels (eight-wide
// where the CPU has them, and four-wide), several threads and both
// together give the same samples. The basis values kept between
// calls are dropped before the first threaded run (another grid evaluated
// in between), so that the threads build them again.
TEST_F(CurveSpeedTest, VectorKernelsAndThreadsGiveThePlainSamples) {
  ForcePlainEvaluation(false);
  Random r(13);
  struct Run { bool plain, narrow; int threads; bool rebuild; };
  const Run runs[] = {{false, false, 1, false}, {false, true, 1, false}, {false, false, 3, true},
                      {true, false, 2, false}};
  int skipped = 0, nonFinite = 0;
  KeptTables kept;
  for (int grid : {1, 2, 3, 5, 8, 50, 97, 1000, 4097, 9999}) {
    for (Family family : {kBezierFamily, kRationalFamily, kSplineFamily, kNurbsFamily}) {
      // The de Casteljau pass is quadratic in the count: fewer large cases.
      for (int round = 0; round < (grid > 1000 ? 1 : 4); ++round) {
        const Case c = RandomCase(r, family, grid);
        ForcePlainEvaluation(true), SetSampleThreads(1);
        const CurveSamples reference = Evaluate(c, grid, kept);
        ASSERT_EQ(reference.points.size(), std::size_t(std::max(grid - 1, 0)));
        for (const Run& run : runs) {
          if (run.rebuild) Evaluate(c, grid + 1, kept);
          ForcePlainEvaluation(run.plain), ForceNarrowEvaluation(run.narrow);
          SetSampleThreads(run.threads);
          EXPECT_TRUE(SameBits(Evaluate(c, grid, kept), reference))
              << "family " << family << " count " << c.count << " order " << c.order << " grid "
              << grid << " plain " << run.plain << " narrow " << run.narrow << " threads "
              << run.threads;
        }
        skipped += int(std::count(reference.drawn.begin(), reference.drawn.end(), 0));
        for (const Point2& p : reference.points) nonFinite += !std::isfinite(p.x);
      }
    }
  }
  EXPECT_GT(skipped, 0);  // the cases reach skipped samples ...
  EXPECT_GT(nonFinite, 0);  // ... and Bezier samples beyond the float range
}

// The spline samples of a whole grid, span by span and several at a time,
// against the basis and the sums formed at each sample alone: orders 1 to 50
// on clamped vectors with repeated knots, unclamped ones, fewer points than
// the order and a parameter range of one value (every sample at the right
// end), weights of both signs. The span path with the sums, and the sums
// from kept basis values, on every kernel.
TEST_F(CurveSpeedTest, SplineSamplesGiveTheValuesOfEachSampleAlone) {
  Random r(29);
  SplineBasisTable kept;
  for (int order = 1; order <= 50; ++order) {
    for (int kind = 0; kind < 4; ++kind) {
      const int count = kind == 2 ? r.Int(1, std::max(1, order - 1))
                                  : r.Int(std::max(order, 2), kKnotCapacity - order);
      std::vector<float> knots = r.Knots(count, order);
      if (kind == 1) {  // not clamped: the spans from u(k-1) on only
        for (std::size_t i = 1; i < knots.size(); ++i)
          knots[i] = knots[i - 1] + (r.Int(0, 3) == 0 ? 0.0f : r.Real(0.01f, 2.0f));
      }
      if (kind == 3) std::fill(knots.begin(), knots.end(), 2.5f);
      knots.resize(kKnotCapacity, 0.0f);
      ASSERT_EQ(CheckKnotVector(knots.data(), count, order), kKnotsValid);
      const std::vector<Point2> points = r.Polygon(count);
      const std::vector<float> weights = r.Weights(count, -1.0f, 3.0f);
      const bool rational = r.Int(0, 1) == 1;
      const int grid = std::vector<int>{2, 3, 7, 50, 401, 1999}[r.Int(0, 5)];
      const SampleGrid at{knots[order - 1], knots[count], grid};
      std::vector<int> first(grid - 1);
      std::vector<double> values(std::size_t(grid - 1) * order);
      CurveSamples want;
      want.Resize(grid);
      for (int j = 1; j < grid; ++j) {
        double* b = values.data() + std::size_t(j - 1) * order;
        const int f = first[j - 1] = BSplineBasisValues(knots.data(), count, order, at.At(j), b);
        double x = 0, y = 0, w = 0;
        for (int i = f; i < std::min(f + order, count); ++i) {
          const double v = b[i - f];
          x += rational ? points[i].x * v * weights[i] : points[i].x * v;
          y += rational ? points[i].y * v * weights[i] : points[i].y * v;
          w += weights[i] * v;
        }
        if (rational) x /= w, y /= w;
        const Point2 q{float(x), float(y)};
        want.drawn[j - 1] = !(rational && w == 0) && std::isfinite(x) && std::isfinite(y) &&
                            std::isfinite(q.x) && std::isfinite(q.y);
        want.points[j - 1] = want.drawn[j - 1] ? q : Point2{0, 0};
      }
      const std::string where = "order " + std::to_string(order) + " kind " +
                                std::to_string(kind) + " count " + std::to_string(count) +
                                " grid " + std::to_string(grid);
      for (const bool plain : {true, false}) {
        for (const bool narrow : {true, false}) {
          ForcePlainEvaluation(plain), ForceNarrowEvaluation(narrow);
          std::vector<int> firstGot(grid - 1, -2);
          std::vector<double> got(values.size(), -1.0);
          CurveSamples samples;
          samples.Resize(grid);
          // From sample 2: a block need not start on the first.
          firstGot[0] = first[0], std::copy_n(values.begin(), order, got.begin());
          samples.points[0] = want.points[0], samples.drawn[0] = want.drawn[0];
          const SplineSums sums{points.data(), weights.data(), rational,
                                samples.points.data() + 1, samples.drawn.data() + 1};
          SplineBasisSamples(knots.data(), count, order, at, 2, grid, firstGot.data() + 1,
                             got.data() + order, &sums);
          EXPECT_EQ(firstGot, first) << where;
          EXPECT_EQ(std::memcmp(got.data(), values.data(), values.size() * sizeof(double)), 0)
              << where << " plain " << plain << " narrow " << narrow;
          EXPECT_TRUE(SameBits(samples, want)) << where << " plain " << plain;
          for (int call = 0; call < 2; ++call) {  // the second from the kept basis
            SplineCurveSamples(points.data(), weights.data(), knots.data(), count, order, true,
                               rational, grid, samples, kept);
            EXPECT_TRUE(SameBits(samples, want)) << where << " plain " << plain << " " << call;
          }
        }
      }
    }
  }
}

// A drag of every display with the log open, its picture and log the same
// whether the erase pass redraws the kept polyline or evaluates afresh; in
// between, changes of the grid, a weight, the order and the point count,
// a repaint and a return to an earlier position.
TEST_F(CurveSpeedTest, DragWithTheKeptPolylineLeavesTheSameCanvasAndLog) {
  for (int command : {kCmdBezier, kCmdRationalBezier, kCmdBSpline, kCmdNurbs}) {
    std::vector<std::uint32_t> canvas[2];  // after every drag
    std::string log[2];
    for (int reuse = 0; reuse < 2; ++reuse) {
      ResetModelState();
      window.Start(800, kHeight);
      KeptPolyline::SetReuse(reuse == 1);
      Random r(7);
      const int n = 40;
      const std::vector<Point2> points = r.Polygon(n);
      const std::vector<float> weights = r.Weights(n, 0.5f, 2.0f), knots = r.Knots(n, 4);
      std::copy(points.begin(), points.end(), m.points);
      std::copy(weights.begin(), weights.end(), m.weights);
      std::copy(knots.begin(), knots.end(), m.knots);
      m.pointCount = n, m.order = 4, m.grid = 50;
      log[reuse] = Logged([&] {
        window.Command(command);
        auto drag = [&](int index, std::initializer_list<int> moves) {
          const Point2 p = m.points[index];
          window.Send(MouseMessage(MessageKind::kLeftDown, int(p.x), int(p.y), kLeftButtonFlag));
          ASSERT_EQ(m.pickActive, 1);
          for (int x : moves) {
            window.Send(MouseMessage(MessageKind::kMouseMove, x, 300 + x % 97, kLeftButtonFlag));
          }
          window.Send(MouseMessage(MessageKind::kLeftUp, moves.end()[-1], 300, 0));
          const std::uint32_t* pixels = window.Canvas().Data();
          canvas[reuse].insert(canvas[reuse].end(), pixels, pixels + 800 * kHeight);
        };
        drag(1, {100, 140, 141, 100});
        m.grid = 333;
        drag(0, {200, 260, 260});
        m.weights[1] = 0.25f, m.order = 3;
        drag(2, {300, 350});
        window.Send(Message{MessageKind::kPaint});
        window.RightClick(int(m.points[m.pointCount - 1].x), int(m.points[m.pointCount - 1].y));
        drag(1, {400, 100});
        window.Command(command);
      });
    }
    EXPECT_EQ(std::tuple(canvas[0] == canvas[1], log[0]), std::tuple(true, log[1])) << "command " << command;
    EXPECT_NE(log[1].find("data point count"), std::string::npos);
  }
}

}  // namespace
}  // namespace tambra
