#include "base/comparison.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/output_log.h"

namespace tambra {

namespace {

struct Vector2 {
  double x = 0.0, y = 0.0;
};

Vector2 operator-(Vector2 a, Vector2 b) { return {a.x - b.x, a.y - b.y}; }
Vector2 operator*(double s, Vector2 a) { return {s * a.x, s * a.y}; }
double Length(Vector2 a) { return std::hypot(a.x, a.y); }
bool IsFinite(Vector2 a) { return std::isfinite(a.x) && std::isfinite(a.y); }

// A curve's point and first two derivatives at one end.
struct EndJet {
  Vector2 point, first, second;
};

// The jet at t = 0, or at t = 1 with the parameter reversed (the first
// derivative changes sign, the second does not; both curves compared alike
// keep their agreement). R = X / W from the homogeneous polygon, weights 1
// unless the curve is rational: R' = (X' - W' R) / W,
// R'' = (X'' - 2 W' R' - W'' R) / W.
EndJet JetAt(const MeasuredCurve& c, bool farEnd) {
  const CurveCopy& curve = c.curve;
  const int p = std::clamp(curve.pointCount, 1, kMaxPoints) - 1;
  const bool weighted = c.form == MeasuredCurve::Form::kRationalBezier;
  double x[3] = {}, y[3] = {}, w[3] = {};
  for (int k = 0; k <= std::min(p, 2); ++k) {
    const int i = farEnd ? p - k : k;
    w[k] = weighted ? double(curve.weights[i]) : 1.0;
    x[k] = w[k] * curve.points[i].x, y[k] = w[k] * curve.points[i].y;
  }
  const double d1 = p, d2 = double(p) * (p - 1);
  const Vector2 x0{x[0], y[0]}, x1 = d1 * Vector2{x[1] - x[0], y[1] - y[0]},
                x2 = d2 * Vector2{x[2] - 2 * x[1] + x[0], y[2] - 2 * y[1] + y[0]};
  const double w0 = w[0], w1 = d1 * (w[1] - w[0]), w2 = d2 * (w[2] - 2 * w[1] + w[0]);
  EndJet jet;
  jet.point = (1.0 / w0) * x0;
  jet.first = (1.0 / w0) * (x1 - w1 * jet.point);
  jet.second = (1.0 / w0) * (x2 - (2 * w1) * jet.first - w2 * jet.point);
  return jet;
}

bool SamePoint(Vector2 a, Vector2 b) {
  return Length(a - b) <= kEndPointTolerance * (1.0 + std::max(Length(a), Length(b)));
}

// Both zero, or pointing the same way within the tolerance.
bool SameDirection(Vector2 a, Vector2 b) {
  const double la = Length(a), lb = Length(b);
  if (la == 0.0 || lb == 0.0) return la == lb;
  const double cross = a.x * b.y - a.y * b.x, dot = a.x * b.x + a.y * b.y;
  return dot > 0.0 && std::fabs(cross) <= kDirectionTolerance * la * lb;
}

std::string Number(double value) {
  char text[32];
  FormatC(text, sizeof text, "%.6g", value);
  return text;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// A result as the evaluator takes it: a constant one (one point) as the
// same point twice, which is the same curve.
CurveCopy Evaluable(const CurveCopy& result) {
  CurveCopy curve = result;
  if (curve.pointCount == 1) curve.points[1] = curve.points[0], curve.pointCount = 2;
  return curve;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// Paints a result as a polyline of CurveSegments() pieces in its own
// colour, leaving the model alone; a vertex that is not finite breaks the
// line. Logged like a curve display while the log is active.
void PaintResult(Platform& window, const CurveCopy& result, Rgb colour, const std::string& name) {
  const CurveCopy evaluable = Evaluable(result);
  CurveEvaluator at({MeasuredCurve::Form::kBezier, evaluable});
  if (!at.Valid()) return;
  const bool logging = Model().logActive == 1;
  const int segments = std::max(1, CurveSegments());
  if (logging) {
    LogFormat("\r\n\r\n# In comparison, %s, curve point count:=%d\r\n", name.c_str(), segments + 1);
  }
  Raster& dc = window.Canvas();
  const DrawRoleScope role(dc, DrawRole::kCurve);
  const Rgb previous = dc.SelectPen(colour);
  bool open = false;
  for (int i = 0; i <= segments; ++i) {
    const CurvePoint p = at.At(double(i) / segments);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      open = false;
      continue;
    }
    const double x = std::trunc(p.x), y = std::trunc(p.y);
    open ? dc.LineTo(x, y) : dc.MoveTo(x, y);
    open = true;
    if (logging) LogPoint(static_cast<float>(p.x), static_cast<float>(p.y));
  }
  if (logging) LogText("# End Data\r\n\r\n");
  dc.SelectPen(previous);
}

}  // namespace

Rgb ComparisonColour(int index) {
  static constexpr Rgb kPalette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3,
                                     0xFF7F00, 0xA65628, 0xF781BF, 0x00A0A0};
  constexpr int count = sizeof kPalette / sizeof kPalette[0];
  return kPalette[((index % count) + count) % count];
}

void MeasureMethod(ComparedMethod& method, const MeasuredCurve& curve, const CurveCopy& result) {
  method.degree = result.pointCount - 1;
  method.deviation.clear();
  const CurveCopy evaluable = Evaluable(result);
  CurveEvaluator c(curve), r({MeasuredCurve::Form::kBezier, evaluable});
  if (!c.Valid() || !r.Valid()) {
    method.refusal = method.name + ": the curves cannot be evaluated";
    return;
  }
  std::vector<double> deviation(kComparisonSamples + 1);
  double largest = 0.0;
  for (int i = 0; i <= kComparisonSamples; ++i) {
    const double s = double(i) / kComparisonSamples;
    const CurvePoint a = c.At(s), b = r.At(s);
    deviation[i] = std::hypot(a.x - b.x, a.y - b.y);
    if (!std::isfinite(deviation[i])) {
      method.refusal = method.name + ": the deviation is not finite at t = " + Number(s);
      return;
    }
    largest = std::max(largest, deviation[i]);
  }
  // Scaled by the largest, so that the squares cannot overflow.
  double squares = 0.0;
  if (largest > 0.0) {
    for (double d : deviation) squares += (d / largest) * (d / largest);
  }
  const MeasuredCurve polynomial{MeasuredCurve::Form::kBezier, result};
  bool kept[3] = {true, true, true};
  for (bool farEnd : {false, true}) {
    const EndJet a = JetAt(curve, farEnd), b = JetAt(polynomial, farEnd);
    for (const Vector2& v : {a.point, a.first, a.second, b.point, b.first, b.second}) {
      if (!IsFinite(v)) {
        method.refusal = method.name + ": a derivative at an end is not finite";
        return;
      }
    }
    kept[0] = kept[0] && SamePoint(a.point, b.point);
    kept[1] = kept[1] && SameDirection(a.first, b.first);
    kept[2] = kept[2] && SameDirection(a.second, b.second);
  }
  method.keepsC0 = kept[0];
  method.keepsC1 = method.keepsC0 && kept[1];
  method.keepsC2 = method.keepsC1 && kept[2];
  method.maxDeviation = largest;
  method.rmsDeviation = largest * std::sqrt(squares / (kComparisonSamples + 1));
  method.deviation = std::move(deviation);
}

std::string ComparisonRefusal(const std::string& title, int points) {
  if (points >= kLeastComparedPoints) return "";
  return title + " needs a curve of " + std::to_string(kLeastComparedPoints) +
         " points or more; this one has " + std::to_string(points);
}

Outcome CompareMethods(const std::string& title, int command, const MeasuredCurve& curve,
                       DisplayFunction drawCurve, std::span<const MethodResult> results) {
  if (std::string why = ComparisonRefusal(title, curve.curve.pointCount); !why.empty()) {
    return Outcome::Refused(why);
  }
  auto comparison = std::make_shared<Comparison>();
  comparison->title = title;
  comparison->command = command;
  comparison->curvePoints = curve.curve.pointCount;
  Outcome outcome;
  outcome.keepsResult = false;
  // The curve compared, alone in black, then every result in its colour.
  Drawing background;
  background.paint = [drawCurve](Platform& window) {
    ClearCanvas(window, Model().clientWidth, Model().clientHeight);
    if (drawCurve != nullptr) drawCurve(window, kBlackMode);
  };
  outcome.drawings.push_back(std::move(background));
  int ran = 0;
  const ComparedMethod* best = nullptr;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const MethodResult& result = results[i];
    ComparedMethod method;
    method.name = result.name;
    method.colour = ComparisonColour(static_cast<int>(i));
    if (!result.refusal.empty()) {
      method.refusal = result.refusal;
    } else if (!result.result) {
      method.refusal = result.name + " gave no curve";
    } else {
      MeasureMethod(method, curve, *result.result);
    }
    if (method.refusal.empty()) {
      ++ran;
      Drawing drawing;
      drawing.paint = [curveCopy = *result.result, colour = method.colour,
                       name = method.name](Platform& window) {
        PaintResult(window, curveCopy, colour, name);
      };
      outcome.drawings.push_back(std::move(drawing));
    }
    comparison->methods.push_back(std::move(method));
  }
  for (const ComparedMethod& method : comparison->methods) {
    if (method.refusal.empty() && (best == nullptr || method.maxDeviation < best->maxDeviation)) {
      best = &method;
    }
  }
  outcome.summary = title + ": " + std::to_string(ran) + " of " + std::to_string(results.size()) +
                    " methods gave a curve";
  if (best != nullptr) {
    char text[160];
    FormatC(text, sizeof text, "; closest %s, max deviation %.2f px", best->name.c_str(),
            best->maxDeviation);
    outcome.summary += text;
  }
  outcome.comparison = std::move(comparison);
  return outcome;
}

std::string ComparisonCsv(const Comparison& comparison) {
  std::string csv = "method,new degree,max deviation (px),rms deviation (px),C0,C1,C2,note\n";
  for (const ComparedMethod& m : comparison.methods) {
    csv += CsvField(m.name);
    if (m.refusal.empty()) {
      for (const std::string& field :
           {std::to_string(m.degree), Number(m.maxDeviation), Number(m.rmsDeviation),
            std::string(YesNo(m.keepsC0)), std::string(YesNo(m.keepsC1)),
            std::string(YesNo(m.keepsC2))}) {
        csv += ',';
        csv += field;
      }
      csv += ",\n";
    } else {
      csv += ",,,,,,," + CsvField(m.refusal) + "\n";
    }
  }
  return csv;
}

}  // namespace tambra
