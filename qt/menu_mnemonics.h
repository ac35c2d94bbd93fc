// Keyboard mnemonics of the menus. The menu texts of the core carry none;
// the window marks one letter or digit of each text, one that no other line
// of the same popup (or of the menu bar) has taken, and the same one for a
// text wherever it stands.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tambra {

// The property of a menu action that holds its mnemonic (a QChar).
inline constexpr char kMnemonicProperty[] = "mnemonic";

// The text with the mark on `mnemonic`, at the first word start with that
// character, else its first place in the text; an & of the text
// itself is doubled so that it shows. Without that character in the text,
// it gets no mark. Also for texts the core changes later (Undo and Redo name
// their step), so the item keeps its key.
QString PlaceMnemonic(const QString& text, QChar mnemonic);

// The lines of one popup, and the characters it has taken already (the
// digits of the recent files).
struct MnemonicPopup {
  QStringList texts;
  QString taken;
};

// One mnemonic (lower case) per line text across all popups, so that an
// item keeps its key wherever it stands ("Knot delete" in B-spline and in
// NURBS): none is taken twice in one popup, and a text in more popups
// chooses first, as it has fewer characters to choose from. A text without
// a free character has none.
QHash<QString, QChar> ChooseMnemonics(const QList<MnemonicPopup>& popups);

}  // namespace tambra
