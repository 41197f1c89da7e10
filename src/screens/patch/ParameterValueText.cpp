#include "screens/patch/ParameterValueText.h"

#include "screens/patch/PatchTexts.h"

#include <QMap>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr qint64 universeSize = 512;

// Drops the zeros a fixed three-digit fraction leaves at its end, and the separator when
// nothing is left after it.
QString withoutTrailingFractionZeros(QString text, const QLocale &locale) {
  const QString separator = locale.decimalPoint();
  if (!text.contains(separator)) return text;
  const QString zero = locale.zeroDigit();
  while (text.endsWith(zero)) text.chop(zero.size());
  if (text.endsWith(separator)) text.chop(separator.size());
  return text;
}

}  // namespace

QString formatParameterNumber(double value, const QLocale &locale) {
  if (std::isnan(value)) return u"NaN"_s;
  if (std::isinf(value)) return value > 0 ? u"∞"_s : u"−∞"_s;
  if (value == std::round(value)) {
    if (value == 0) return u"0"_s;  // -0 as well
    // 2^63 is exact as a double; every whole double below it in size converts.
    constexpr double limit = 9223372036854775808.0;
    if (std::abs(value) < limit) return QString::number(static_cast<qint64>(value));
    return QLocale::c().toString(value, 'f', 0);
  }
  return withoutTrailingFractionZeros(locale.toString(value, 'f', 3), locale);
}

QString parameterRangeText(const FixtureControlParameter &parameter, const QLocale &locale) {
  QString text = u"Range "_s + formatParameterNumber(parameter.minimum, locale) + u"–"_s +
                 formatParameterNumber(parameter.maximum, locale);
  if (!parameter.isAdjustable()) text += u" · read only"_s;
  return text;
}

QString dmxSlotText(QList<qint64> dmxSlots) {
  std::ranges::sort(dmxSlots);
  QMap<qint64, QStringList> addressesByUniverse;
  for (const qint64 slot : dmxSlots)
    addressesByUniverse[(slot - 1) / universeSize + 1].append(
        dmxAddressText((slot - 1) % universeSize + 1));
  QStringList universes;
  for (auto universe = addressesByUniverse.cbegin(); universe != addressesByUniverse.cend();
       ++universe)
    universes.append(u"DMX U"_s + QString::number(universe.key()) + u" · "_s +
                     universe.value().join(u','));
  return universes.join(u" · "_s);
}

QString parameterPartText(const FixtureParameterPartDMX &partDMX, qsizetype partCount) {
  using Kind = FixtureParameterPartDMX::Value::Kind;
  QString text;
  if (partCount >= 2) text = u"Part "_s + QString::number(partDMX.partNumber) + u" · "_s;
  switch (partDMX.value.kind) {
    case Kind::virtualSlot:
      return text + u"Virtual"_s;
    case Kind::unknown:
      return text + u"DMX Unknown"_s;
    case Kind::slotList:
      return text + dmxSlotText(partDMX.value.dmxSlots);
  }
  return text;
}

QStringList parameterDMXLines(const std::optional<QList<FixtureParameterPartDMX>> &partDMX,
                              bool isResolvingDMX) {
  if (!partDMX) return isResolvingDMX ? QStringList{u"DMX Checking…"_s} : QStringList{};
  QStringList lines;
  for (const FixtureParameterPartDMX &entry : *partDMX)
    lines.append(parameterPartText(entry, partDMX->size()));
  return lines;
}

QString parameterAccessibleSentence(const FixtureControlParameter &parameter,
                                    const std::optional<QList<FixtureParameterPartDMX>> &partDMX,
                                    bool isResolvingDMX, const QLocale &locale) {
  const QString summary = !partDMX && isResolvingDMX
                              ? u"DMX assignment checking"_s
                              : parameterDMXLines(partDMX, false).join(u", "_s);
  return parameter.name + u", value "_s + formatParameterNumber(parameter.value, locale) + u", "_s +
         parameterRangeText(parameter, locale) + u", "_s + summary;
}

}  // namespace tarnik
