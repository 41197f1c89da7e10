#include "screens/patch/PatchIntegerText.h"

#include "foundation/NumberRules.h"

#include <QChar>
#include <QList>
#include <QStringView>

namespace tarnik {

namespace {

QString numericCharacters(QStringView typed) {
  QString kept;
  for (const char32_t character : typed.toUcs4()) {
    if (QChar::isNumber(character)) kept.append(QString::fromUcs4(&character, 1));
  }
  return kept;
}

}  // namespace

std::optional<qint64> integerFromTypedText(const QString &typed) {
  const QString kept = numericCharacters(typed);
  if (kept.isEmpty()) return std::nullopt;
  return parseStrictInteger<qint64>(kept);
}

QString integerFieldText(const std::optional<qint64> &value) {
  return value ? QString::number(*value) : QString();
}

int integerFieldCursor(const QString &typed, int cursor, const QString &shown) {
  if (shown.isEmpty()) return 0;
  const QString kept =
      numericCharacters(QStringView(typed).first(qBound(0, cursor, int(typed.size()))));
  const QString all = numericCharacters(typed);
  const qsizetype droppedZeros = all.size() - shown.size();
  return int(qBound<qsizetype>(0, kept.size() - droppedZeros, shown.size()));
}

}  // namespace tarnik
