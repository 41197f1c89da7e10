#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"
#include "model/Channel.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

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

QString Channel::foldedForSearch(const QString &text, const QLocale &locale) {
  // Marks are dropped after decomposition, so "É" and "e" fold alike.
  QString decomposed = trimmedText(text).normalized(QString::NormalizationForm_D);
  decomposed.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
  return locale.toLower(decomposed).toCaseFolded().normalized(QString::NormalizationForm_C);
}

QStringList Channel::foldedSearchTexts(const QLocale &locale) const {
  QStringList texts{QString::number(number), label, type, address, addressEnd, addressText()};
  for (const EosPatchPart &part : parts) {
    const std::optional<EosDMXRange> range = part.occupiedRange();
    texts << QString::number(part.channelNumber) << QString::number(part.partNumber)
          << u"part "_s + QString::number(part.partNumber) << part.label << part.manufacturer
          << part.model << part.address << part.addressEnd
          << (range ? range->displayText() : part.address);
  }
  for (QString &text : texts) text = foldedForSearch(text, locale);
  return texts;
}

bool Channel::matches(const QString &search, const QLocale &locale) const {
  const QString query = foldedForSearch(search, locale);
  if (query.isEmpty()) return true;
  const QStringList texts = foldedSearchTexts(locale);
  return std::ranges::any_of(texts, [&](const QString &text) { return text.contains(query); });
}

}  // namespace tarnik
