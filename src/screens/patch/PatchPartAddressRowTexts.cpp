#include "screens/patch/PatchPartAddressRowTexts.h"

#include "foundation/TextRules.h"
#include "screens/patch/PatchTexts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

QList<EosPatchPart> displayedAddressParts(const Channel &channel) {
  if (channel.parts.isEmpty()) {
    EosPatchPart own;
    own.channelNumber = channel.number;
    own.partNumber = 1;
    own.label = channel.label;
    own.address = channel.address;
    own.addressEnd = channel.addressEnd;
    own.level = channel.level;
    return {own};
  }
  QList<EosPatchPart> parts = channel.parts;
  std::ranges::stable_sort(parts, {}, &EosPatchPart::partNumber);
  return parts;
}

QString partAddressText(const EosPatchPart &part) {
  const std::optional<EosDMXRange> range = part.occupiedRange();
  if (!range) return part.address.isEmpty() ? u"Unpatched"_s : part.address;
  QString text = u"Universe "_s + QString::number(range->universe) + u" · DMX "_s +
                 dmxAddressText(range->start);
  if (range->end != range->start) text += u"–"_s + dmxAddressText(range->end);
  return text;
}

QString partFootprintText(const EosPatchPart &part) {
  const std::optional<EosDMXRange> range = part.occupiedRange();
  if (!range) return u"Footprint unavailable"_s;
  const qint64 count = range->end - range->start + 1;
  return count == 1 ? u"1 occupied address"_s : QString::number(count) + u" occupied addresses"_s;
}

std::optional<QString> partIntensityText(const EosPatchPart &part) {
  if (!part.intensityAddress) return std::nullopt;
  const QString trimmed = trimmedText(*part.intensityAddress);
  if (trimmed.isEmpty()) return std::nullopt;
  const std::optional<EosDMXRange> range = EosDMXRange::parse(trimmed);
  if (!range) return u"Intensity DMX slot "_s + trimmed;
  return u"Intensity DMX slot U"_s + QString::number(range->universe) + u" · "_s +
         dmxAddressText(range->start);
}

std::optional<QString> partSpanSentence(const EosPatchPart &part) {
  const std::optional<EosDMXRange> range = part.occupiedRange();
  if (!range || range->end == range->start) return std::nullopt;
  return u"DMX "_s + dmxAddressText(range->start) + u" through "_s + dmxAddressText(range->end) +
         u" means "_s + QString::number(range->end - range->start + 1) +
         u" occupied output addresses in Universe "_s + QString::number(range->universe) + u"."_s;
}

QStringList partAddressRowLines(const EosPatchPart &part, bool showPartNumber) {
  QStringList lines;
  if (showPartNumber) lines.append(u"Part "_s + QString::number(part.partNumber));
  lines.append(partAddressText(part));
  lines.append(partFootprintText(part));
  if (const auto intensity = partIntensityText(part)) lines.append(*intensity);
  if (const auto span = partSpanSentence(part)) lines.append(*span);
  return lines;
}

QString channelProtocolText(const Channel &channel) {
  return channel.interfaceInfo.isEmpty() ? u"Unknown"_s : channel.interfaceInfo;
}

}  // namespace tarnik
