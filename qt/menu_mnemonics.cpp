#include "qt/menu_mnemonics.h"

#include <algorithm>

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

QString PlaceMnemonic(const QString& text, QChar mnemonic) {
  const QChar wanted = mnemonic.toLower();
  return MarkedAt(text, mnemonic.isNull() ? -1 : FindMnemonic(text, [&](QChar c) {
    return c == wanted;
  }));
}

QHash<QString, QChar> ChooseMnemonics(const QList<MnemonicPopup>& popups) {
  // The popups of each text, texts in their first order.
  QStringList order;
  QHash<QString, QList<qsizetype>> where;
  for (qsizetype p = 0; p < popups.size(); ++p) {
    for (const QString& text : popups[p].texts) {
      if (!where.contains(text)) order.append(text);
      where[text].append(p);
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](const QString& a, const QString& b) {
    return where[a].size() > where[b].size();
  });
  QList<QString> taken;
  for (const MnemonicPopup& popup : popups) taken.append(popup.taken);
  QHash<QString, QChar> chosen;
  for (const QString& text : order) {
    const QList<qsizetype>& in = where[text];
    const qsizetype at = FindMnemonic(text, [&](QChar c) {
      return std::none_of(in.begin(), in.end(), [&](qsizetype p) { return taken[p].contains(c); });
    });
    if (at < 0) continue;
    const QChar mnemonic = text[at].toLower();
    for (qsizetype p : in) taken[p] += mnemonic;
    chosen.insert(text, mnemonic);
  }
  return chosen;
}

}  // namespace tambra
