#include "qt/menu_mnemonics.h"

namespace tambra {

namespace {

bool IsWordStart(const QString& text, qsizetype i) {
  return i == 0 || !text[i - 1].isLetterOrNumber();
}

// Where the mark goes: the first word start whose character `fits`, else
// the first letter or digit that does; -1 when none does.
template <typename Fits>
qsizetype FindMnemonic(const QString& text, Fits fits) {
  for (bool wordStartsOnly : {true, false}) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i].isLetterOrNumber() && (!wordStartsOnly || IsWordStart(text, i)) &&
          fits(text[i].toLower())) {
        return i;
      }
    }
  }
  return -1;
}

QString MarkedAt(const QString& text, qsizetype at) {
  QString marked;
  marked.reserve(text.size() + 2);
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (i == at) marked += QLatin1Char('&');
    if (text[i] == QLatin1Char('&')) marked += QLatin1Char('&');
    marked += text[i];
  }
  return marked;
}

}  // namespace

QString MarkMnemonic(const QString& text, QString& taken) {
  const qsizetype at = FindMnemonic(text, [&](QChar c) { return !taken.contains(c); });
  if (at >= 0) taken += text[at].toLower();
  return MarkedAt(text, at);
}

QString PlaceMnemonic(const QString& text, QChar mnemonic) {
  const QChar wanted = mnemonic.toLower();
  return MarkedAt(text, mnemonic.isNull() ? -1 : FindMnemonic(text, [&](QChar c) {
    return c == wanted;
  }));
}

}  // namespace tambra
