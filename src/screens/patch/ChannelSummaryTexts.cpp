#include "screens/patch/ChannelSummaryTexts.h"

#include "model/EosDMXRange.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QString paddedAddress(qint64 address) { return u"%1"_s.arg(address, 3, 10, QChar(u'0')); }

std::optional<EosDMXRange> summaryRange(const Channel &channel) {
  if (channel.parts.size() == 1) {
    if (std::optional<EosDMXRange> range = channel.parts.first().occupiedRange()) return range;
  }
  return EosDMXRange::parse(channel.address);
}

}  // namespace

QString channelTitleText(const Channel &channel) {
  return channel.label.isEmpty() ? u"No label"_s : channel.label;
}

QString fixtureDescription(const Channel &channel) {
  QStringList names;
  for (const std::optional<QString> &name : {channel.manufacturer(), channel.model()}) {
    const QString trimmed = name.value_or(QString()).trimmed();
    if (!trimmed.isEmpty()) names.append(trimmed);
  }
  return names.isEmpty() ? channel.displayTypeName() : names.join(u" · "_s);
}

QString footprintSummary(const Channel &channel) {
  if (channel.parts.isEmpty()) return u"-"_s;
  qint64 total = 0;
  for (const EosPatchPart &part : channel.parts) {
    const std::optional<EosDMXRange> range = part.occupiedRange();
    if (!range) return u"-"_s;
    // A parsed span lies within one universe (at most 512 addresses), so the sum stays small.
    total += range->end - range->start + 1;
  }
  return QString::number(total);
}

QString addressSummary(const Channel &channel) {
  if (channel.parts.size() >= 2) return QString::number(channel.parts.size()) + u" parts"_s;
  if (const std::optional<EosDMXRange> range = summaryRange(channel)) {
    QString text = u"Universe "_s + QString::number(range->universe) + u" · DMX "_s +
                   paddedAddress(range->start);
    if (range->end != range->start) text += u"–"_s + paddedAddress(range->end);
    return text;
  }
  return channel.address.isEmpty() ? u"-"_s : channel.address;
}

QString addressMetricLabel(const Channel &channel) {
  return channel.parts.size() >= 2 ? u"Addresses"_s : u"Address"_s;
}

}  // namespace tarnik
