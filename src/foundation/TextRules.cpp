#include "foundation/TextRules.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace tarnik {

QString trimmedText(const QString &text) {
  // QChar::isSpace is exactly the separator categories plus the C0 controls 9 to 13 and NEL.
  return text.trimmed();
}

bool canonicallyEqual(const QString &lhs, const QString &rhs) {
  if (lhs == rhs) return true;
  return lhs.normalized(QString::NormalizationForm_D) ==
         rhs.normalized(QString::NormalizationForm_D);
}

int compareByCodePoint(const QString &lhs, const QString &rhs) {
  const QList<uint> left = lhs.normalized(QString::NormalizationForm_C).toUcs4();
  const QList<uint> right = rhs.normalized(QString::NormalizationForm_C).toUcs4();
  const qsizetype common = std::min(left.size(), right.size());
  for (qsizetype i = 0; i < common; ++i) {
    if (left[i] != right[i]) return left[i] < right[i] ? -1 : 1;
  }
  if (left.size() == right.size()) return 0;
  return left.size() < right.size() ? -1 : 1;
}

bool codePointLess(const QString &lhs, const QString &rhs) {
  return compareByCodePoint(lhs, rhs) < 0;
}

qsizetype characterCount(const QString &text) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  qsizetype count = 0;
  while (finder.toNextBoundary() != -1) ++count;
  return count;
}

bool containsControlCharacter(const QString &text) {
  for (const char32_t codePoint : text.toUcs4()) {
    const QChar::Category category = QChar::category(codePoint);
    if (category == QChar::Other_Control || category == QChar::Other_Format) return true;
  }
  return false;
}

QString endedSentence(const QString &text) {
  QString sentence = trimmedText(text);
  if (sentence.isEmpty()) {
    return sentence;
  }
  const QChar last = sentence.back();
  if (last != u'.' && last != u'!' && last != u'?') {
    sentence += u'.';
  }
  return sentence;
}

QString countedText(qint64 count, const QString &one, const QString &many) {
  return QString::number(count) + u' ' + (count == 1 ? one : many);
}

}  // namespace tarnik
