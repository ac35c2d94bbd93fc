// The undo history of the document: the states the model went through, one
// per step (a click, a whole drag, a deletion, a dialog's OK, a command
// whose result stays, a file opened, a mode switch), and the step that led
// to each. The window procedure records a step after every message that
// changed the document; Undo and Redo put a recorded state back whole.
//
// The document is the part of the model that describes the drawing and its
// modes: the object mode and curve kind, the curve, the net (with its knots,
// orders, degree steps and packed triangle), the algorithm parameters the
// dialogs set, the view values and grid a file keeps, and the control file's
// name. Not the document: the Save switch (how the next command behaves, no
// file holds it), the output log and its name (a log keeps running across
// undo), the client size, the text buffer, the mouse interaction (hover,
// pick, drag position, the knot dialog's direction) and the working copies
// (the clipboard of Copy and Paste, the snapshots of a running command).
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
  // the file holds (clean).
  void Reset();

  // Compares the model with the present state. A change of what the model
  // shows or saves becomes a new step named `name` (the steps that were
  // undone are dropped); a change only in storage no count reaches (what a
  // command leaves beyond the used part, the net a curve is written through
  // on Save) is taken into the present state without a step, so that a
  // state put back is always the model byte for byte. Returns true for a
  // new step.
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

  // The model as it is now is what its file holds: changes only in storage
  // are taken into the present state, a name Save as gave into it and into
  // the states next to it that had the old name.
  void MarkSaved();
  // Whether the present state differs from what the file holds.
  bool Dirty() const { return position_ != savedPosition_; }

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

  std::deque<std::unique_ptr<State>> states_;
  std::unique_ptr<State> spare_;  // reused for the next step
  int position_ = 0;
  int savedPosition_ = 0;  // -1 once the saved state was dropped
};

// The one history of the program's model.
History& DocumentHistory();

}  // namespace tambra
