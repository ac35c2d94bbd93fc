#include "app/history.h"

#include <algorithm>
#include <cstring>

#include "base/model_limits.h"
#include "base/model_state.h"

namespace tambra {

// Every field of the document (see history.h), by its name in ModelState.
#define TAMBRA_DOCUMENT_FIELDS(X)                                                           \
  X(objectMode) X(curveKind) X(pointCount) X(points) X(weights) X(knots) X(order)           \
  X(degreeStep) X(chaikinSteps) X(insertKnot) X(insertSpan) X(approxDim) X(netRows)         \
  X(netCols) X(net) X(netWeights) X(xKnots) X(yKnots) X(xOrder) X(yOrder) X(xDegreeStep)    \
  X(yDegreeStep) X(applyX) X(applyY) X(triangles) X(triangleList) X(grid) X(scale) X(tx)    \
  X(ty) X(tht) X(phi) X(controlFileName) X(controlFileChosen)

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

// Whether the model shows and saves what `d` does: the fields every mode
// uses, and the used part of the object the mode edits. In Curves mode the
// net is only the form a curve is saved in (written from the curve on Save,
// read back into it on Open); in Surfaces mode the curve fields are the
// knot dialog's window on one direction of the net; a triangular net is its
// packed list, the net holding it unpacked for the dialogs and files.
bool SameShown(const Document& d) {
  const ModelState& m = Model();
#define TAMBRA_SCALAR(field) &&std::memcmp(&d.field, &m.field, sizeof d.field) == 0
  const bool common = true TAMBRA_SCALAR(objectMode) TAMBRA_SCALAR(curveKind)
      TAMBRA_SCALAR(chaikinSteps) TAMBRA_SCALAR(insertKnot) TAMBRA_SCALAR(insertSpan)
          TAMBRA_SCALAR(approxDim) TAMBRA_SCALAR(applyX) TAMBRA_SCALAR(applyY)
              TAMBRA_SCALAR(triangles) TAMBRA_SCALAR(grid) TAMBRA_SCALAR(scale) TAMBRA_SCALAR(tx)
                  TAMBRA_SCALAR(ty) TAMBRA_SCALAR(tht) TAMBRA_SCALAR(phi)
                      TAMBRA_SCALAR(controlFileChosen);
  if (!common || std::strncmp(d.controlFileName, m.controlFileName, kMaxFileName) != 0) {
    return false;
  }
  if (m.objectMode == kCurves) {
    const int count = std::clamp(m.pointCount, 0, kMaxPoints);
    return true TAMBRA_SCALAR(pointCount) TAMBRA_SCALAR(order) TAMBRA_SCALAR(degreeStep) &&
           SameRange(d.points, m.points, count) && SameRange(d.weights, m.weights, count) &&
           SameRange(d.knots, m.knots, StoredKnotCount(count, m.order));
  }
  const int rows = std::clamp(m.netRows, 0, kMaxNet);
  const int cols = std::clamp(m.netCols, 0, kMaxNet);
  if (!(true TAMBRA_SCALAR(netRows) TAMBRA_SCALAR(netCols) TAMBRA_SCALAR(xOrder)
            TAMBRA_SCALAR(yOrder) TAMBRA_SCALAR(xDegreeStep) TAMBRA_SCALAR(yDegreeStep)) ||
      !SameRange(d.xKnots, m.xKnots, StoredKnotCount(rows, m.xOrder)) ||
      !SameRange(d.yKnots, m.yKnots, StoredKnotCount(cols, m.yOrder))) {
    return false;
  }
#undef TAMBRA_SCALAR
  for (int i = 0; i < rows; ++i) {
    if (!SameRange(d.netWeights[i], m.netWeights[i], cols)) return false;
    if (m.triangles != 1 && !SameRange(d.net[i], m.net[i], cols)) return false;
  }
  const int triangleRows = std::min(rows, kMaxTriangleRows);
  return m.triangles != 1 ||
         SameRange(d.triangleList, m.triangleList, triangleRows * (triangleRows + 1) / 2);
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
  savedPosition_ = 0;
}

bool History::Record(const std::string& name) {
  State& present = *states_[static_cast<std::size_t>(position_)];
  if (SameBytes(present.document)) return false;
  if (SameShown(present.document)) {
    Capture(present.document);
    return false;
  }
  // A new step ends the branch that was undone.
  while (CanRedo()) {
    spare_ = std::move(states_.back());
    states_.pop_back();
  }
  if (savedPosition_ > position_) savedPosition_ = -1;
  std::unique_ptr<State> state = Take();
  state->name = name;
  states_.push_back(std::move(state));
  ++position_;
  if (StepCount() > kHistorySteps) {
    spare_ = std::move(states_.front());
    states_.pop_front();
    --position_;
    savedPosition_ = savedPosition_ > 0 ? savedPosition_ - 1 : -1;
  }
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
  return true;
}

bool History::Redo() {
  if (!CanRedo()) return false;
  ++position_;
  Restore(states_[static_cast<std::size_t>(position_)]->document);
  return true;
}

void History::MarkSaved() {
  Document& present = states_[static_cast<std::size_t>(position_)]->document;
  char oldName[kMaxFileName];
  std::memcpy(oldName, present.controlFileName, kMaxFileName);
  const int oldChosen = present.controlFileChosen;
  Capture(present);
  // A name given by Save as is the file of every state that had the old
  // one, next to this: undoing an edit keeps it, undoing an Open or New
  // (where the name changed) goes back to the file before.
  const auto hadOldName = [&](const Document& d) {
    return d.controlFileChosen == oldChosen &&
           std::memcmp(d.controlFileName, oldName, kMaxFileName) == 0;
  };
  const auto rename = [&](Document& d) {
    std::memcpy(d.controlFileName, present.controlFileName, kMaxFileName);
    d.controlFileChosen = present.controlFileChosen;
  };
  if (!hadOldName(present)) {
    for (int i = position_ - 1; i >= 0 && hadOldName(states_[static_cast<std::size_t>(i)]->document);
         --i) {
      rename(states_[static_cast<std::size_t>(i)]->document);
    }
    for (std::size_t i = position_ + 1; i < states_.size() && hadOldName(states_[i]->document); ++i) {
      rename(states_[i]->document);
    }
  }
  savedPosition_ = position_;
}

std::size_t History::MemoryBytes() const {
  return (states_.size() + (spare_ != nullptr ? 1 : 0)) * sizeof(State);
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
