#include "model/EosDMXRange.h"

#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr qint64 lastDMXAddress = 512;

constexpr std::tuple rangeFields{
    jsonField("universe"_L1, &EosDMXRange::universe),
    jsonField("start"_L1, &EosDMXRange::start),
    jsonField("end"_L1, &EosDMXRange::end),
};
}  // namespace

std::optional<EosDMXRange> EosDMXRange::parse(QStringView text) {
  const QString whole = trimmedText(text.toString());
  if (whole.isEmpty()) return std::nullopt;
  const QStringList pieces = whole.split(u'/', Qt::KeepEmptyParts);
  if (pieces.size() != 2) return std::nullopt;

  QString universeText = trimmedText(pieces[0]);
  if (universeText.startsWith(u'u', Qt::CaseInsensitive)) universeText.remove(0, 1);
  const std::optional<qint64> universe = parseStrictInteger<qint64>(universeText);
  if (!universe || *universe < 1) return std::nullopt;

  const QString addressText = trimmedText(pieces[1]).replace(u'\u2013', u'-');
  const qsizetype dash = addressText.indexOf(u'-');
  const QStringView startText =
      dash < 0 ? QStringView(addressText) : QStringView(addressText).first(dash);
  const std::optional<qint64> start = parseStrictInteger<qint64>(startText);
  if (!start || *start < 1 || *start > lastDMXAddress) return std::nullopt;

  std::optional<qint64> end = start;
  if (dash >= 0) end = parseStrictInteger<qint64>(QStringView(addressText).sliced(dash + 1));
  if (!end || *end > lastDMXAddress || *end < *start) return std::nullopt;
  return EosDMXRange{*universe, *start, *end};
}

QString EosDMXRange::displayText() const {
  QString text = u'U' + QString::number(universe) + u" \u00B7 "_s + formatZeroPadded(start, 3);
  if (end != start) text += u'\u2013' + formatZeroPadded(end, 3);
  return text;
}

QJsonObject EosDMXRange::toJson() const { return encodeJsonFields(*this, rangeFields); }

std::expected<EosDMXRange, JsonError> EosDMXRange::fromJson(const QJsonObject &object) {
  return decodeJsonFields<EosDMXRange>(object, rangeFields);
}

size_t qHash(const EosDMXRange &range, size_t seed) {
  return qHashMulti(seed, range.universe, range.start, range.end);
}

}  // namespace tarnik
