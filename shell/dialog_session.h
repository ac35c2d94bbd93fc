// A modal dialog as logic over a store of control texts keyed by control id.
// Opening fills the store from the model, a button press reads it back; the
// window system only shows and edits the texts and check states.
#pragma once

#include <map>
#include <string>

#include "shell/platform.h"

namespace tambra {

enum class DialogTemplateId { kControlData, kWeights, kKnots, kAbout };

inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;
inline constexpr int kButtonReset = 3;
// Returned by Open and Press while the dialog stays open.
inline constexpr int kStayOpen = -1;

class DialogSession {
 public:
  virtual ~DialogSession() = default;
  virtual DialogTemplateId Template() const = 0;
  // Fills the store from the model; returns kStayOpen, or the close result
  // of a dialog that closes at once.
  virtual int Open() = 0;
  // Handles a button; returns kStayOpen or the close result.
  virtual int Press(int buttonId) = 0;

  const std::string& Text(int id) const;
  void SetText(int id, std::string text);
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  const std::map<int, std::string>& Texts() const { return texts_; }
  const std::map<int, bool>& Checks() const { return checks_; }

 private:
  std::map<int, std::string> texts_;
  std::map<int, bool> checks_;
};

// Opens the dialog and, unless it closes at once, runs it modally on the
// platform; returns the close result.
int ShowDialog(Platform& window, DialogSession& dialog);

}  // namespace tambra
