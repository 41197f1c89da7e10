#include "app/FragmentAccumulator.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tarnik {

bool FragmentAccumulator::insert(qint64 startField, const QList<OSCArgument> &values) {
  if (totalFieldCount > maximumFieldCount) return false;
  if (startField < 0 || values.isEmpty() || startField > totalFieldCount) return false;
  // Both sides are non-negative here, so the difference cannot overflow.
  if (totalFieldCount - startField < values.size()) return false;
  if (fields.isEmpty()) fields.resize(totalFieldCount);
  // One detach check for the run rather than one per field: a sync inserts every field.
  OSCArgument *stored = fields.data();
  for (qsizetype k = 0; k < values.size(); ++k) {
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
  if (totalFieldCount < 1 || receivedCount != totalFieldCount) return std::nullopt;
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
