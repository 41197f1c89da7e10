#include "screens/live/CueTexts.h"

#include "foundation/TextRules.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// True when what follows an occurrence continues a longer cue number.
bool continuesNumber(const QString &text, qsizetype after) {
  if (after >= text.size()) return false;
  if (isAsciiDigit(text[after])) return true;
  return text[after] == u'.' && after + 1 < text.size() && isAsciiDigit(text[after + 1]);
}

}  // namespace

QString cueDisplayLabel(const Cue &cue) {
  const QString needle = u"Cue "_s + cue.number;
  const QString &label = cue.label;
  QString kept;
  qsizetype copiedUpTo = 0;
  qsizetype from = 0;
  while (true) {
    const qsizetype found = label.indexOf(needle, from, Qt::CaseSensitive);
    if (found < 0) break;
    const qsizetype after = found + needle.size();
    if (continuesNumber(label, after)) {
      from = found + 1;
      continue;
    }
    kept += QStringView(label).sliced(copiedUpTo, found - copiedUpTo);
    copiedUpTo = after;
    from = after;
  }
  kept += QStringView(label).sliced(copiedUpTo);
  return trimmedText(kept);
}

QString cueRowTitle(const Cue &cue) {
  return QCoreApplication::translate("CueRow", "Cue %1").arg(cue.number);
}

QString cueRowLabelText(const Cue &cue) {
  const QString label = cueDisplayLabel(cue);
  return label.isEmpty() ? QCoreApplication::translate("CueRow", "No label") : label;
}

}  // namespace tarnik
