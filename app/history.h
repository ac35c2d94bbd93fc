// The undo history of the document: the states the model went through, one
// per step (a click, a whole drag, a deletion, a dialog's OK, a command
// whose result stays, a paste, a mode switch), and the step that led to
// each. The window procedure records a step after every message that
// changed the document; Undo and Redo put a recorded state back whole.
//
// The document is what Save writes: the object mode, the curve, the net
// (with its knots, orders, degree steps and packed triangle), the view
// values and the grid. A step that leaves what Save would write unchanged is
// no step; the unsaved mark is "what Save would write differs from what the
// file holds". Not the document: the family shown, the Save switch, the
// algorithm parameters no file holds (Chaikin steps, Knot to insert, the
// approximation dimension, the axis check boxes), the file names and the log
// (Open and New start a history of their own; Save as names the same
// document), the mouse interaction and the working copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace tambra {

// Steps kept; the oldest goes beyond this. A document is about 170 KB, so a
// full history of a 100 by 100 net stays near 17 MB.
inline constexpr int kHistorySteps = 100;

struct Document;

class History {
 public:
  History();
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // Forgets every step: the model as it is now is the only state, and what
  // the file holds (clean). Open and New start here.
  void Reset();

  // Compares the model with the present state. A change of what Save
  // would write becomes a new step named `name` (the steps that were undone
  // are dropped); any other change of the document's fields (storage beyond
  // the used part, the object of the other mode) is taken into the present
  // state without a step, so that a state put back is always the model byte
  // for byte. Returns true for a new step.
  bool Record(const std::string& name);
  // The name of a mouse gesture's step from what it changed: "Add point",
  // "Delete point", "Move point" or "Rotate view".
  std::string GestureName() const;

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ + 1 < static_cast<int>(states_.size()); }
  // The step Undo (Redo) would take back (make again); empty when none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Put the state before (after) the present one into the model; false when
  // there is none, and the model stays as it is.
  bool Undo();
  bool Redo();

  // The model as it is now is what its file holds.
  void MarkSaved();
  // Whether Save would write something else than the file holds: undoing
  // back to the saved document is clean again.
  bool Dirty() const { return dirty_; }

  int Position() const { return position_; }
  int StepCount() const { return static_cast<int>(states_.size()) - 1; }
  std::size_t MemoryBytes() const;
  // Whether the model's document is byte for byte the present state.
  bool PresentIsModel() const;
  // A 64-bit hash of the model's document bytes.
  static std::uint64_t ModelDocumentHash();

 private:
  struct State;
  std::unique_ptr<State> Take();
  void NoteDirty();

  std::deque<std::unique_ptr<State>> states_;
  std::unique_ptr<State> spare_;  // reused for the next step
  int position_ = 0;
  std::unique_ptr<Document> saved_;  // what the file holds
  bool dirty_ = false;
};

// The one history of the program's model.
History& DocumentHistory();

}  // namespace tambra
