// Menu command ids. Family and algorithm items use 101 to 162, the File,
// Edit, Save and surface items 40001 to 40031, Undo and Redo 40040 and
// 40041, export, the view and the analysis commands 40042 to 40052, the
// user guide 40053, the recent files 40060 to 40064.
#pragma once

namespace tambra {

enum CommandId : int {
  // File
  kCmdCurves = 40003,
  kCmdSurfaces = 40004,
  kCmdOpen = 40001,
  kCmdSave = 157,
  kCmdSaveAs = 40015,
  kCmdOutput = 40002,
  kCmdCloseOutput = 40014,
  kCmdExit = 40012,
  // The files opened last, the latest first.
  kCmdRecentFile1 = 40060,
  kCmdRecentFile2 = 40061,
  kCmdRecentFile3 = 40062,
  kCmdRecentFile4 = 40063,
  kCmdRecentFile5 = 40064,
  // Edit
  kCmdNew = 40005,
  kCmdCopy = 40006,
  kCmdPaste = 40007,
  kCmdControlPoints = 40009,
  kCmdWeights = 40018,
  kCmdXKnots = 40020,
  kCmdYKnots = 40021,
  kCmdEditSave = 40008,
  kCmdUndo = 40040,
  kCmdRedo = 40041,
  // File > Export, View and the analysis commands.
  kCmdExportPicture = 40042,
  kCmdFitView = 40043,
  kCmdActualSize = 40044,
  kCmdLegend = 40045,
  kCmdClearResults = 40046,
  kCmdCurvatureComb = 40047,
  kCmdCompareReductions = 40048,
  kCmdCompareApproximations = 40049,
  kCmdZoomIn = 40050,
  kCmdZoomOut = 40051,
  kCmdExportMesh = 40052,
  // Bezier
  kCmdBezier = 122,
  kCmdBezierSimulation = 40010,
  kCmdBezierElevation = 103,
  kCmdReduceSimple = 127,
  kCmdReduceEck = 128,
  kCmdReduceLse = 131,
  kCmdReduceLseC0 = 132,
  kCmdReduceLseC1 = 133,
  kCmdReduceLseC2 = 159,
  kCmdReduceSurfaces = 40027,
  kCmdTriangularSE = 40023,
  kCmdTriangularNW = 40024,
  kCmdTriangularSW = 40025,
  kCmdTriangularNE = 40026,
  kCmdBezierSave = 40028,
  // RBezier
  kCmdRationalBezier = 101,
  kCmdRationalSimulation = 40011,
  kCmdRationalElevation = 117,
  kCmdApproxLeastSquares = 160,
  kCmdApproxConsistent = 161,
  kCmdApproxHybrid = 162,
  kCmdRationalSave = 40029,
  // B-spline
  kCmdBSpline = 136,
  kCmdBSplineSimulation = 140,
  kCmdBSplineElevation = 146,
  kCmdBSplineReduction = 147,
  kCmdChaikin = 143,
  kCmdChaikinElevation = 144,
  kCmdChaikinReduction = 145,
  kCmdBSplineKnotInsert = 141,
  kCmdBSplineKnotDelete = 142,
  kCmdBSplineSave = 40030,
  // NURBS
  kCmdNurbs = 148,
  kCmdNurbsSimulation = 155,
  kCmdNurbsElevation = 153,
  kCmdNurbsReduction = 154,
  kCmdNurbsKnotInsert = 151,
  kCmdNurbsKnotDelete = 152,
  kCmdNurbsSave = 40031,
  // Help
  kCmdAbout = 40013,
  kCmdUserGuide = 40053,
};

inline constexpr int kRecentFileCount = 5;

}  // namespace tambra
