#include "app/ListReplySlice.h"

#include "app/CueReplyFields.h"
#include "app/PatchPartReply.h"
#include "app/ReplyFieldCount.h"
#include "foundation/NumberRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

std::optional<CueListSlice> readCueListSlice(const AddressComponents &components) {
  if (components.size() < 10 || components[4] != "1"_L1 || components[6] != "0"_L1 ||
      components[7] != "list"_L1) {
    return std::nullopt;
  }
  const std::optional<qint64> start = parseStrictInteger<qint64>(components[8]);
  if (!start) return std::nullopt;
  const std::optional<qint64> count = readableFieldCount(components, 9, cueReplyFieldCount);
  if (!count) return std::nullopt;
  return CueListSlice{components[5], *start, *count};
}

std::optional<PatchListSlice> readPatchListSlice(const AddressComponents &components) {
  if (components.size() < 9 || components[6] != "list"_L1) return std::nullopt;
  const std::optional<qint64> channel = parseStrictInteger<qint64>(components[4]);
  const std::optional<qint64> part = parseStrictInteger<qint64>(components[5]);
  const std::optional<qint64> start = parseStrictInteger<qint64>(components[7]);
  if (!channel || !part || !start) return std::nullopt;
  const std::optional<qint64> count = readableFieldCount(components, 8, patchReplyFieldCount);
  if (!count) return std::nullopt;
  return PatchListSlice{*channel, *part, *start, *count};
}

}  // namespace tarnik
