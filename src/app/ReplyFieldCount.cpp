#include "app/ReplyFieldCount.h"

#include "app/AppLogging.h"
#include "foundation/NumberRules.h"

namespace tarnik {

std::optional<qint64> readableFieldCount(std::span<const QStringView> components,
                                         qsizetype countIndex, qsizetype knownCount) {
  const std::optional<qint64> count = parseStrictInteger<qint64>(components[countIndex]);
  if (count && *count >= knownCount) return count;
  QString address;
  for (const QStringView component : components) address += u'/' + component.toString();
  qCInfo(tarnikApp).noquote() << "dropped a list reply naming" << components[countIndex]
                              << "fields, fewer than" << knownCount << "or none:" << address;
  return std::nullopt;
}

}  // namespace tarnik
