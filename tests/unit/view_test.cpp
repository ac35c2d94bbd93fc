// The view: clicks map through it, Fit shows everything drawn, and nothing
// the model holds, writes or logs depends on it. The exports: an SVG of the
// list at the view, an OBJ of the surface shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/command_table.h"
#include "app/menu_tree.h"
#include "app/view_commands.h"
#include "base/picture_export.h"
#include "resources/command_ids.h"
#include "session_fixture.h"
#include "surface/surface_patch.h"

namespace tambra {
namespace {

class ViewTest : public SessionTest {
 protected:
  void Points() {
    for (auto [x, y] : {std::pair{100, 400}, {200, 100}, {400, 100}, {500, 400}, {600, 300}}) {
      window.Click(x, y);
    }
  }
  std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(ViewTest, ClicksAndDragsMapThroughTheViewAndItsLimitsHold) {
  window.Send(WheelMessage(400, 300, 3));
  const ViewTransform view = window.Canvas().View();
  ASSERT_DOUBLE_EQ(view.scale, kZoomStep * kZoomStep * kZoomStep);
  EXPECT_DOUBLE_EQ(view.x, 400 - 400 * view.scale) << "the point under the cursor stays";
  window.Click(410, 317);
  ASSERT_EQ(m.pointCount, 1);
  EXPECT_EQ(m.points[0].x, float((410 - view.x) / view.scale));
  EXPECT_EQ(m.points[0].y, float((317 - view.y) / view.scale));
  // The pick distance is in screen pixels, whatever the zoom.
  window.Click(411, 318);
  EXPECT_EQ(m.pointCount, 1);
  window.Click(415, 317);
  EXPECT_EQ(m.pointCount, 2);
  window.Send(PanMessage(-30, 20));
  EXPECT_EQ(window.Canvas().View().x, view.x - 30);
  window.Command(kCmdActualSize);
  EXPECT_EQ(window.Canvas().View(), ViewTransform{});
}

// A turn past a zoom limit lands on it, the point under the cursor staying; one at the limit
// moves nothing. Either says so on the status line; a turn within the limits says nothing.
TEST_F(ViewTest, TheWheelStopsOnTheZoomLimits) {
  const char kIn[] = "zoomed in as far as it goes", kOut[] = "zoomed out as far as it goes";
  const struct Case {
    double from;
    int steps;
    double to;
    const char* says;
  } cases[] = {{1.0, 1000, kMaxZoom, kIn},        {kMaxZoom / kZoomStep, 2, kMaxZoom, kIn},
               {kMaxZoom, 1, kMaxZoom, kIn},      {kMaxZoom, -1, kMaxZoom / kZoomStep, ""},
               {1.0, -1000, kMinZoom, kOut},      {kMinZoom, -3, kMinZoom, kOut},
               {kMinZoom * kZoomStep, -1, kMinZoom, kOut}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " by " + std::to_string(c.steps));
    window.Canvas().SetView(ViewTransform{c.from, 0.0, 0.0});
    window.ShowStatus("");
    window.Send(WheelMessage(200, 100, c.steps));
    const ViewTransform view = window.Canvas().View();
    EXPECT_DOUBLE_EQ(view.scale, c.to);
    EXPECT_NEAR(200 - (200 - view.x) / view.scale * c.from, 0.0, 1e-6) << "the point under the cursor stays";
    EXPECT_TRUE(c.says[0] != '\0' ? window.Status().find(c.says) != std::string::npos
                                   : window.Status().empty()) << window.Status();
  }
}

TEST_F(ViewTest, FitShowsEveryResultAndFilesAndLogsDoNotDependOnTheView) {
  auto session = [&](bool zoomed) {
    ResetModelState();
    window.Start();
    window.Canvas().SetView(ViewTransform{});
    answers.fileNames = {Path(zoomed ? "zoomed.dat" : "plain.dat")};
    window.Command(kCmdOutput);
    Points();
    if (zoomed) window.Send(WheelMessage(300, 200, 5));
    for (int id : {kCmdRationalBezier, kCmdApproxHybrid, kCmdReduceEck}) window.Command(id);
    answers.fileNames = {Path(zoomed ? "zoomed.cnt" : "plain.cnt")};
    window.Command(kCmdSaveAs);
    window.Command(kCmdCloseOutput);
  };
  session(false);
  session(true);
  EXPECT_EQ(ReadFile(Path("plain.dat")), ReadFile(Path("zoomed.dat")));
  EXPECT_EQ(ReadFile(Path("plain.cnt")), ReadFile(Path("zoomed.cnt")));
  window.Command(kCmdFitView);
  const Raster& canvas = window.Canvas();
  int outside = 0;
  for (const DisplayItem& item : canvas.List().Items()) {
    for (const PenPoint& p : canvas.List().Vertices(item)) {
      const PenPoint at = canvas.ToRaster(p.x, p.y);
      outside += at.x < 0 || at.y < 0 || at.x >= canvas.width() || at.y >= canvas.height();
    }
  }
  EXPECT_EQ(outside, 0);
  // The SVG draws the list at the view: one element per figure, nothing
  // that is not a number.
  const std::string svg = EncodeSvg(canvas, [](int) { return std::string("a <command>"); });
  std::size_t polylines = 0, filled = 0;
  for (const DisplayItem& item : canvas.List().Items()) {
    polylines += item.kind == ItemKind::kPolyline;
    filled += item.kind != ItemKind::kPolyline && item.kind != ItemKind::kBaseImage;
  }
  EXPECT_EQ(Count(svg, "<polyline "), polylines);
  EXPECT_EQ(Count(svg, "<rect "), filled + 1) << "and the white ground";
  EXPECT_EQ(Count(svg, "nan") + Count(svg, "inf"), 0u);
  EXPECT_NE(svg.find("<title>a &lt;command&gt;</title>"), std::string::npos);
}

// Every SVG group is titled by the command that drew it; the model, shown
// again by whatever command, is "Model".
TEST_F(ViewTest, SvgGroupsAreTitledByWhatDrewThem) {
  answers.fileNames = {std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/curve.cnt"};
  window.Command(kCmdOpen);
  window.Command(kCmdRecentFile1);
  window.Command(kCmdBezierElevation);
  const std::string svg = EncodeSvg(window.Canvas(), CommandName);
  std::string titles;
  for (std::size_t at = svg.find("<title>"); at != std::string::npos; at = svg.find("<title>", at + 1)) {
    titles += svg.substr(at + 7, svg.find("</title>", at) - at - 7) + ";";
  }
  EXPECT_EQ(titles, "Model;Degree elevation;");
  EXPECT_EQ(Count(svg, "<g>"), Count(svg, "<title>"));
}

TEST_F(ViewTest, TheMeshIsThePatchAsSampledWithItsNet) {
  answers.fileNames = {std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/bicubic.cnt"};
  window.Command(kCmdOpen);
  window.Command(kCmdBezier);
  std::string why;
  const std::string obj = ShownSurfaceMesh(why);
  const int g = m.grid;
  EXPECT_EQ(Count(obj, "\nv "), std::size_t((g + 1) * (g + 1) + 16));
  EXPECT_EQ(Count(obj, "\nf "), std::size_t(g * g));
  EXPECT_EQ(Count(obj, "\nl "), 24u) << "4 by 4 net: 12 edges each way";
  const Point3 corner = EvalBezierRectPoint(1, 1);
  char last[96];
  std::snprintf(last, sizeof last, "v %.9g %.9g %.9g\n", corner.x, corner.y, corner.z);
  EXPECT_NE(obj.find(last), std::string::npos);
  window.Command(kCmdCurves);
  m.curveKind = kNoCurve;
  EXPECT_EQ(ShownSurfaceMesh(why), "");
  EXPECT_NE(why.find("needs a surface shown"), std::string::npos);
}

}  // namespace
}  // namespace tambra
