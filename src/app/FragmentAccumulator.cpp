#include "app/FragmentAccumulator.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tarnik {

namespace {

// The runs with [first, end) merged in, or nothing when that would make more than `limit`.
std::optional<std::vector<std::pair<qint64, qint64>>> withRun(
    const std::vector<std::pair<qint64, qint64>> &runs, qint64 first, qint64 end,
    std::size_t limit) {
  std::vector<std::pair<qint64, qint64>> merged;
  merged.reserve(runs.size() + 1);
  for (const auto &run : runs) {
    if (run.second < first || run.first > end) {
      merged.push_back(run);
    } else {  // touching or overlapping: one run
      first = std::min(first, run.first);
      end = std::max(end, run.second);
    }
  }
  merged.insert(std::ranges::upper_bound(merged, std::pair{first, end}), {first, end});
  if (merged.size() > limit) return std::nullopt;
  return merged;
}

}  // namespace

bool FragmentAccumulator::insert(qint64 startField, const QList<OSCArgument> &values) {
  if (totalFieldCount > maximumFieldCount) return false;
  if (startField < 0 || values.isEmpty() || startField > totalFieldCount) return false;
  // Both sides are non-negative here, so the difference cannot overflow.
  if (totalFieldCount - startField < values.size()) return false;
  const qint64 end = startField + values.size();
  if (end > keptFieldCount) {
    auto runs = withRun(countedRuns, std::max(startField, keptFieldCount), end, maximumCountedRuns);
    if (!runs) return false;
    countedRuns = std::move(*runs);
  }
  if (startField >= keptFieldCount) return true;
  if (fields.isEmpty()) fields.resize(std::min(totalFieldCount, keptFieldCount));
  // One detach check for the run rather than one per field: a sync inserts every field.
  OSCArgument *stored = fields.data();
  const qsizetype kept = qsizetype(std::min(end, keptFieldCount) - startField);
  for (qsizetype k = 0; k < kept; ++k) {
    const std::size_t field = std::size_t(startField + k);
    stored[field] = values[k];
    if (!received.test(field)) {
      received.set(field);
      ++receivedCount;
    }
  }
  return true;
}

std::optional<QList<OSCArgument>> FragmentAccumulator::completedFields() const {
  if (totalFieldCount < 1 || receivedCount != std::min(totalFieldCount, keptFieldCount)) {
    return std::nullopt;
  }
  const bool countedAll = totalFieldCount <= keptFieldCount ||
                          (countedRuns.size() == 1 &&
                           countedRuns.front() == std::pair{keptFieldCount, totalFieldCount});
  if (!countedAll) return std::nullopt;
  return fields;
}

QString cueRecordKey(QStringView cueNumber) {
  QString key(cueNumber.size() + 4, Qt::Uninitialized);
  QChar *out = key.data();
  *out++ = u'1';
  *out++ = u'/';
  out = std::ranges::copy(cueNumber, out).out;
  *out++ = u'/';
  *out = u'0';
  return key;
}

QString patchRecordKey(qint64 channel, qint64 part) {
  // A 64-bit number with its sign takes at most 20 characters.
  constexpr std::size_t longest = 20;
  std::array<char, 2 * longest + 1> text{};
  char *end = std::to_chars(text.data(), text.data() + longest, channel).ptr;
  *end++ = '/';
  end = std::to_chars(end, end + longest, part).ptr;
  return QString::fromLatin1(text.data(), end - text.data());
}

std::optional<QList<OSCArgument>> accumulateRecordSlice(
    QHash<QString, FragmentAccumulator> &fragments, const QString &key, qint64 totalFieldCount,
    qint64 start, const QList<OSCArgument> &arguments) {
  auto accumulator = fragments.find(key);
  const bool isNew = accumulator == fragments.end();
  if (isNew) {
    accumulator = fragments.insert(key, FragmentAccumulator{totalFieldCount, {}});
  } else if (accumulator->totalFieldCount != totalFieldCount) {
    return std::nullopt;
  }
  if (!accumulator->insert(start, arguments)) {
    if (isNew) fragments.erase(accumulator);
    return std::nullopt;
  }
  return accumulator->completedFields();
}

}  // namespace tarnik
