#include "screens/patch/PatchRowTexts.h"

using namespace Qt::StringLiterals;

namespace tarnik {

QString patchRowLabel(const Channel &channel) {
  return channel.label.isEmpty() ? u"No label"_s : channel.label;
}

QString patchRowPartsText(const Channel &channel) {
  if (channel.parts.size() < 2) return {};
  return QString::number(channel.parts.size()) + u" parts"_s;
}

QString patchRowAccessibleText(const Channel &channel, bool isParked) {
  const QString range = channel.addressRangeText();
  QString text = u"Channel "_s + QString::number(channel.number) + u", "_s +
                 patchRowLabel(channel) + u", "_s + channel.displayTypeName() + u", "_s +
                 (range == u"-"_s ? u"unpatched"_s : u"address "_s + range);
  if (const QString parts = patchRowPartsText(channel); !parts.isEmpty()) text += u", "_s + parts;
  if (isParked) text += u", parked"_s;
  return text;
}

}  // namespace tarnik
