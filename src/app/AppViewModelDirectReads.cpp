#include "app/AppViewModel.h"
#include "app/CueReplyFields.h"
#include "app/ReplyArguments.h"
#include "app/ReplyFieldCount.h"
#include "foundation/NumberRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

// Single cue replies outside a sync: a cue read on its own replaces the published cue of
// that number.

namespace tarnik {

void AppViewModel::parseCueFragment(const QList<OSCArgument> &arguments,
                                    const AddressComponents &components) {
  // eos/out/get/cue/<list>/<cue>/<part>/list/<start>/<count>: one cue read on its own
  // replaces the published cue of that number, and only that.
  if (components[4] != "1"_L1 || components[6] != "0"_L1) return;
  const std::optional<qint64> start = parseStrictInteger<qint64>(components[8]);
  if (!start) return;
  const std::optional<qint64> count = readableFieldCount(components, 9, cueReplyFieldCount);
  if (!count) return;
  const QString cueNumber = components[5].toString();
  const QString key = cueRecordKey(cueNumber);
  const std::optional<QList<OSCArgument>> fields =
      accumulateRecordSlice(directCueFragments_, key, *count, *start, arguments);
  if (!fields || integerArgument(*fields, 0) != -1) return;
  const std::optional<Cue> cue = makeCue(*fields, cueNumber);
  if (!cue) return;
  const auto published = std::ranges::find(std::as_const(cues_), cue->number, &Cue::number);
  if (published == cues_.cend()) return;
  QList<Cue> cues = cues_;
  cues[published - cues_.cbegin()] = *cue;
  directCueFragments_.remove(key);
  publish(cues_, std::move(cues), &AppViewModel::cuesChanged);
}

}  // namespace tarnik
