#include "app/ReplyFieldCount.h"

#include "app/AppLogging.h"
#include "app/FragmentAccumulator.h"
#include "foundation/NumberRules.h"

namespace tarnik {

std::optional<qint64> readableFieldCount(std::span<const QStringView> components,
                                         qsizetype countIndex, qsizetype knownCount) {
  const std::optional<qint64> count = parseStrictInteger<qint64>(components[countIndex]);
  const qint64 maximum = FragmentAccumulator::maximumFieldCount;
  if (count && *count >= knownCount && *count <= maximum) return count;
  QString address;
  for (const QStringView component : components) address += u'/' + component.toString();
  qCInfo(tarnikApp).noquote() << "dropped a list reply naming" << components[countIndex]
                              << "fields, not from" << knownCount << "to" << maximum << ":"
                              << address;
  return std::nullopt;
}

}  // namespace tarnik
