#include "resources/status_tips.h"

#include "resources/command_ids.h"

namespace tambra {

namespace {

struct Tip {
  int id;
  const char* text;
};

// One line per command id; an id that stands in several popups (Control
// points, Weights, the knots) has one tip for all of them.
constexpr Tip kTips[] = {
    // File
    {kCmdCurves, "Edits curves: the control points form a polygon."},
    {kCmdSurfaces, "Edits surfaces: the control points form a net shown in 3D."},
    {kCmdOpen, "Opens a model file (.cnt)."},
    {kCmdSave, "Saves the model to its file."},
    {kCmdSaveAs, "Saves the model to a file of a new name."},
    {kCmdOutput, "Starts a log (.dat) of every number the menu commands draw."},
    {kCmdCloseOutput, "Ends the log of numbers."},
    {kCmdRecentFile1, "Opens a model file used lately."},
    {kCmdRecentFile2, "Opens a model file used lately."},
    {kCmdRecentFile3, "Opens a model file used lately."},
    {kCmdRecentFile4, "Opens a model file used lately."},
    {kCmdRecentFile5, "Opens a model file used lately."},
    {kCmdExit, "Ends the program, asking first about unsaved changes."},
    {kCmdExportPicture, "Writes the canvas as shown to a PNG or SVG picture."},
    {kCmdExportMesh, "Writes the surface shown and its control net to a Wavefront OBJ file."},
    // View
    {kCmdFitView, "Zooms and moves the view so that everything drawn fits the canvas."},
    {kCmdActualSize, "Shows the model at one unit a pixel again."},
    {kCmdZoomIn, "Zooms in one step about the centre of the canvas."},
    {kCmdZoomOut, "Zooms out one step about the centre of the canvas."},
    {kCmdCurvatureComb, "Shows or hides the curvature comb of the curve: teeth along the normal as long as the curvature."},
    {kCmdCompareReductions, "Runs the six Bezier reductions side by side and compares their deviations."},
    {kCmdCompareApproximations, "Runs the three polynomial approximations side by side and compares them."},
    {kCmdLegend, "Shows or hides the list of the results on the canvas and their colours."},
    {kCmdClearResults, "Draws the model alone again, without the results."},
    // Edit
    {kCmdUndo, "Takes back the last change of the model."},
    {kCmdRedo, "Makes again the change taken back last."},
    {kCmdNew, "Empties the model and forgets its file."},
    {kCmdCopy, "Keeps a copy of the curve."},
    {kCmdPaste, "Brings back the curve kept by Copy."},
    {kCmdControlPoints, "Types points, net size, orders, degree steps and the view."},
    {kCmdWeights, "Types the weights of the control points."},
    {kCmdXKnots,
     "Types the knots of the curve, or of the net's X direction; a triangular net has none."},
    {kCmdYKnots, "Types the knots of the net's Y direction; a triangular net has none."},
    {kCmdEditSave, "While checked, the result of the next command replaces the model."},
    // Bezier
    {kCmdBezier, "Draws the Bezier curve, or patch, of the control points."},
    {kCmdBezierSimulation,
     "Always greyed: there is no simulation of a Bezier curve; B-spline and NURBS have one."},
    {kCmdBezierElevation, "Draws the curve, or net, with a raised degree, in blue."},
    {kCmdReduceSimple, "Draws a curve of lower degree by the simple method, in red."},
    {kCmdReduceEck, "Draws a curve of lower degree by Eck's method, in red."},
    {kCmdReduceLse, "Draws a curve of lower degree by least squares, in red."},
    {kCmdReduceLseC0, "Draws a least-squares reduction that keeps the end points, in red."},
    {kCmdReduceLseC1, "Draws a least-squares reduction that keeps the end tangents, in red."},
    {kCmdReduceLseC2, "Draws a least-squares reduction that keeps the end curvatures, in red."},
    {kCmdReduceSurfaces,
     "Draws the net with a lowered degree in the directions checked in Control Data."},
    {kCmdTriangularSE, "Draws the triangular net of the patch without its S.E. corner."},
    {kCmdTriangularNW, "Draws the triangular net of the patch without its N.W. corner."},
    {kCmdTriangularSW, "Draws the triangular net of the patch without its S.W. corner."},
    {kCmdTriangularNE, "Draws the triangular net of the patch without its N.E. corner."},
    {kCmdBezierSave, "While checked, the result of the next command replaces the model."},
    // RBezier
    {kCmdRationalBezier, "Draws the rational Bezier curve, or patch, weighted by the weights."},
    {kCmdRationalSimulation,
     "Always greyed: there is no simulation of a rational Bezier curve; B-spline and NURBS have "
     "one."},
    {kCmdRationalElevation, "Draws the rational curve with a raised degree, in blue."},
    {kCmdApproxLeastSquares,
     "Draws a polynomial curve near the rational one by least squares, in red."},
    {kCmdApproxConsistent,
     "Draws a polynomial curve near the rational one by consistent equations, in red."},
    {kCmdApproxHybrid, "Draws the polynomial halves of the hybrid curve and its error curve."},
    {kCmdRationalSave, "While checked, the result of the next command replaces the model."},
    // B-spline
    {kCmdBSpline, "Draws the B-spline curve, or surface, of the order and knots."},
    {kCmdBSplineSimulation, "Lowers the degree of the B-spline by one, piece by piece."},
    {kCmdBSplineElevation, "Draws the B-spline with a raised degree, in blue."},
    {kCmdBSplineReduction, "Draws the B-spline with a lowered degree, in red."},
    {kCmdChaikin, "Draws the Bezier points of a uniform B-spline, halved again and again."},
    {kCmdChaikinElevation,
     "Refines a uniform B-spline by a midpoint knot in every interval, in blue."},
    {kCmdChaikinReduction, "Draws the coarser polygon whose refinement comes closest, in red."},
    {kCmdBSplineKnotInsert, "Inserts the knot typed as Knot to insert, in blue."},
    {kCmdBSplineKnotDelete, "Deletes the knot typed as Knot to insert, in red."},
    {kCmdBSplineSave, "While checked, the result of the next command replaces the model."},
    // NURBS
    {kCmdNurbs, "Draws the NURBS curve, or surface, of the order, knots and weights."},
    {kCmdNurbsSimulation, "Inserts the midpoint of every knot interval and writes mdmat.dat."},
    {kCmdNurbsElevation, "Draws the NURBS curve with a raised degree, in blue."},
    {kCmdNurbsReduction, "Draws the NURBS curve with a lowered degree, in red."},
    {kCmdNurbsKnotInsert, "Inserts the knot typed as Knot to insert, in blue."},
    {kCmdNurbsKnotDelete, "Deletes the knot typed as Knot to insert, in red."},
    {kCmdNurbsSave, "While checked, the result of the next command replaces the model."},
    // Help
    {kCmdUserGuide, "Shows the user guide."},
    {kCmdAbout, "Shows the name and version of the program."},
};

}  // namespace

const char* StatusTip(int id) {
  for (const Tip& tip : kTips) {
    if (tip.id == id) return tip.text;
  }
  return nullptr;
}

}  // namespace tambra
