#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"
#include "model/Channel.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// Case- and diacritic-insensitive form in the user's locale: marks are dropped after
// decomposition, so "É" and "e" fold alike.
QString searchFolded(const QString &text, const QLocale &locale) {
  QString decomposed = trimmedText(text).normalized(QString::NormalizationForm_D);
  decomposed.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
  return locale.toLower(decomposed).toCaseFolded().normalized(QString::NormalizationForm_C);
}

std::optional<QString> firstNonEmpty(const QList<EosPatchPart> &parts,
                                     QString EosPatchPart::*field) {
  for (const EosPatchPart &part : parts) {
    QString text = trimmedText(part.*field);
    if (!text.isEmpty()) return text;
  }
  return std::nullopt;
}

}  // namespace

QString Channel::displayTypeName() const {
  const QString trimmed = trimmedText(type);
  if (trimmed.isEmpty()) return u"Fixture"_s;
  if (trimmed.compare(u"Generic Dimmer"_s, Qt::CaseInsensitive) == 0) return u"Dimmer"_s;
  return trimmed;
}

std::optional<QString> Channel::manufacturer() const {
  return firstNonEmpty(parts, &EosPatchPart::manufacturer);
}

std::optional<QString> Channel::model() const { return firstNonEmpty(parts, &EosPatchPart::model); }

std::optional<Channel::ParsedAddress> Channel::parsedAddress() const {
  const QStringList pieces = address.split(u'/', Qt::SkipEmptyParts);
  if (pieces.size() != 2) return std::nullopt;
  const std::optional<qint64> universe = parseStrictInteger<qint64>(pieces[0]);
  const std::optional<qint64> slot = parseStrictInteger<qint64>(pieces[1]);
  if (!universe || !slot) return std::nullopt;
  return ParsedAddress{*universe, *slot};
}

QString Channel::addressText() const {
  const std::optional<ParsedAddress> parsed = parsedAddress();
  if (!parsed) return address;
  return u'U' + QString::number(parsed->universe) + u" \u2022 "_s +
         formatZeroPadded(parsed->address, 3);
}

QString Channel::addressRangeText() const {
  const QString start = trimmedText(address);
  const QString end = trimmedText(addressEnd);
  if (start.isEmpty()) return u"-"_s;
  if (!end.isEmpty() && !canonicallyEqual(end, start)) return start + u'-' + end;
  return start;
}

bool Channel::matches(const QString &search) const {
  const QLocale locale;
  const QString query = searchFolded(search, locale);
  if (query.isEmpty()) return true;
  const auto found = [&](const QString &candidate) {
    return searchFolded(candidate, locale).contains(query);
  };

  if (found(QString::number(number)) || found(label) || found(type) || found(address) ||
      found(addressEnd) || found(addressText())) {
    return true;
  }
  for (const EosPatchPart &part : parts) {
    const std::optional<EosDMXRange> range = part.occupiedRange();
    if (found(QString::number(part.channelNumber)) || found(QString::number(part.partNumber)) ||
        found(u"part "_s + QString::number(part.partNumber)) || found(part.label) ||
        found(part.manufacturer) || found(part.model) || found(part.address) ||
        found(part.addressEnd) || found(range ? range->displayText() : part.address)) {
      return true;
    }
  }
  return false;
}

}  // namespace tarnik
