#include "app/history.h"

#include <algorithm>
#include <cstring>

#include "base/model_limits.h"
#include "base/model_state.h"

namespace tambra {

// Every field of the document (see history.h), by its name in ModelState.
#define TAMBRA_DOCUMENT_FIELDS(X)                                                          \
  X(objectMode) X(pointCount) X(points) X(weights) X(knots) X(order) X(degreeStep)         \
  X(netRows) X(netCols) X(net) X(netWeights) X(xKnots) X(yKnots) X(xOrder) X(yOrder)        \
  X(xDegreeStep) X(yDegreeStep) X(triangles) X(triangleList) X(grid) X(scale) X(tx) X(ty)  \
  X(tht) X(phi)

struct Document {
#define TAMBRA_DECLARE(field) decltype(ModelState::field) field;
  TAMBRA_DOCUMENT_FIELDS(TAMBRA_DECLARE)
#undef TAMBRA_DECLARE
};

struct History::State {
  Document document{};
  std::string name;  // the step that led here
};

namespace {

void Capture(Document& d) {
  const ModelState& m = Model();
#define TAMBRA_CAPTURE(field) std::memcpy(&d.field, &m.field, sizeof d.field);
  TAMBRA_DOCUMENT_FIELDS(TAMBRA_CAPTURE)
#undef TAMBRA_CAPTURE
}

void Restore(const Document& d) {
  ModelState& m = Model();
#define TAMBRA_RESTORE(field) std::memcpy(&m.field, &d.field, sizeof d.field);
  TAMBRA_DOCUMENT_FIELDS(TAMBRA_RESTORE)
#undef TAMBRA_RESTORE
}

bool SameBytes(const Document& d) {
  const ModelState& m = Model();
#define TAMBRA_SAME(field) &&std::memcmp(&d.field, &m.field, sizeof d.field) == 0
  return true TAMBRA_DOCUMENT_FIELDS(TAMBRA_SAME);
#undef TAMBRA_SAME
}

template <typename T>
bool SameRange(const T* a, const T* b, int count) {
  return std::memcmp(a, b, sizeof(T) * static_cast<std::size_t>(std::max(count, 0))) == 0;
}

template <typename T>
bool SameValue(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether Save would write the same file for `a` as for `b` (a Document or
// the model). A file holds the object the mode edits and the view: in
// Curves mode the curve (the net is not written), in Surfaces mode the net
// (the curve fields are the Knots dialog's window on it); a triangular net
// is written from its packed list, zeros above the diagonal.
template <typename A, typename B>
bool SameSaved(const A& a, const B& b) {
  if (!SameValue(a.objectMode, b.objectMode) || !SameValue(a.grid, b.grid) ||
      !SameValue(a.triangles, b.triangles) || !SameValue(a.scale, b.scale) ||
      !SameValue(a.tx, b.tx) || !SameValue(a.ty, b.ty) || !SameValue(a.tht, b.tht) ||
      !SameValue(a.phi, b.phi)) {
    return false;
  }
  if (b.objectMode == kCurves) {
    const int count = std::clamp(b.pointCount, 0, kMaxPoints);
    return SameValue(a.pointCount, b.pointCount) && SameValue(a.order, b.order) &&
           SameValue(a.degreeStep, b.degreeStep) && SameRange(a.points, b.points, count) &&
           SameRange(a.weights, b.weights, count) &&
           SameRange(a.knots, b.knots, StoredKnotCount(count, b.order)) &&
           SameValue(a.yKnots[0], b.yKnots[0]);
  }
  const int rows = std::clamp(b.netRows, 0, kMaxNet);
  const int cols = std::clamp(b.netCols, 0, kMaxNet);
  if (!SameValue(a.netRows, b.netRows) || !SameValue(a.netCols, b.netCols) ||
      !SameValue(a.xOrder, b.xOrder) || !SameValue(a.yOrder, b.yOrder) ||
      !SameValue(a.xDegreeStep, b.xDegreeStep) || !SameValue(a.yDegreeStep, b.yDegreeStep) ||
      !SameRange(a.xKnots, b.xKnots, StoredKnotCount(rows, b.xOrder)) ||
      !SameRange(a.yKnots, b.yKnots, StoredKnotCount(cols, b.yOrder))) {
    return false;
  }
  for (int i = 0; i < rows; ++i) {
    if (!SameRange(a.netWeights[i], b.netWeights[i], cols)) return false;
    if (b.triangles != 1 && !SameRange(a.net[i], b.net[i], cols)) return false;
  }
  const int triangleRows = std::min(rows, kMaxTriangleRows);
  return b.triangles != 1 ||
         SameRange(a.triangleList, b.triangleList, triangleRows * (triangleRows + 1) / 2);
}

}  // namespace

History::History() { Reset(); }

History::~History() = default;

std::unique_ptr<History::State> History::Take() {
  std::unique_ptr<State> state = spare_ != nullptr ? std::move(spare_) : std::make_unique<State>();
  Capture(state->document);
  return state;
}

void History::Reset() {
  if (!states_.empty() && spare_ == nullptr) spare_ = std::move(states_.back());
  states_.clear();
  states_.push_back(Take());
  position_ = 0;
  MarkSaved();
}

bool History::Record(const std::string& name) {
  State& present = *states_[static_cast<std::size_t>(position_)];
  if (SameBytes(present.document)) return false;
  // What no file holds (the storage beyond the used part, the other mode's
  // object) follows the present state without a step.
  if (SameSaved(present.document, Model())) {
    Capture(present.document);
    return false;
  }
  // A new step ends the branch that was undone.
  while (CanRedo()) {
    spare_ = std::move(states_.back());
    states_.pop_back();
  }
  std::unique_ptr<State> state = Take();
  state->name = name;
  states_.push_back(std::move(state));
  ++position_;
  if (StepCount() > kHistorySteps) {
    spare_ = std::move(states_.front());
    states_.pop_front();
    --position_;
  }
  NoteDirty();
  return true;
}

std::string History::GestureName() const {
  const Document& present = states_[static_cast<std::size_t>(position_)]->document;
  const ModelState& m = Model();
  if (m.pointCount > present.pointCount) return "Add point";
  if (m.pointCount < present.pointCount) return "Delete point";
  return m.objectMode == kSurfaces ? "Rotate view" : "Move point";
}

std::string History::UndoName() const {
  return CanUndo() ? states_[static_cast<std::size_t>(position_)]->name : std::string();
}

std::string History::RedoName() const {
  return CanRedo() ? states_[static_cast<std::size_t>(position_ + 1)]->name : std::string();
}

bool History::Undo() {
  if (!CanUndo()) return false;
  --position_;
  Restore(states_[static_cast<std::size_t>(position_)]->document);
  NoteDirty();
  return true;
}

bool History::Redo() {
  if (!CanRedo()) return false;
  ++position_;
  Restore(states_[static_cast<std::size_t>(position_)]->document);
  NoteDirty();
  return true;
}

void History::MarkSaved() {
  if (saved_ == nullptr) saved_ = std::make_unique<Document>();
  Capture(states_[static_cast<std::size_t>(position_)]->document);
  Capture(*saved_);
  dirty_ = false;
}

void History::NoteDirty() {
  dirty_ = !SameSaved(*saved_, states_[static_cast<std::size_t>(position_)]->document);
}

std::size_t History::MemoryBytes() const {
  return (states_.size() + (spare_ != nullptr ? 1 : 0)) * sizeof(State) + sizeof(Document);
}

bool History::PresentIsModel() const {
  return SameBytes(states_[static_cast<std::size_t>(position_)]->document);
}

std::uint64_t History::ModelDocumentHash() {
  const auto document = std::make_unique<Document>();
  Capture(*document);
  const auto* bytes = reinterpret_cast<const unsigned char*>(document.get());
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t k = 0; k < sizeof(Document); ++k) hash = (hash ^ bytes[k]) * 1099511628211ull;
  return hash;
}

History& DocumentHistory() {
  static History history;
  return history;
}

}  // namespace tambra
