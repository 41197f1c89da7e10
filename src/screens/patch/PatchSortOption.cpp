#include "screens/patch/PatchSortOption.h"

#include "foundation/NumberRules.h"

#include <QStringTokenizer>
#include <QVarLengthArray>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// An address read once for a whole sort rather than once per comparison.
struct AddressKey {
  QVarLengthArray<qint64, 4> numbers;
  QStringView text;
};

AddressKey addressKey(const QString &address) {
  AddressKey key{{}, address};
  for (const QStringView piece : QStringTokenizer(address, u'/', Qt::SkipEmptyParts)) {
    if (const std::optional<qint64> number = parseStrictInteger<qint64>(piece))
      key.numbers.append(*number);
  }
  return key;
}

bool addressKeyBefore(const AddressKey &x, const AddressKey &y, const QCollator &collator) {
  if (x.numbers.size() != y.numbers.size()) return collator.compare(x.text, y.text) < 0;
  const auto [xPiece, yPiece] = std::ranges::mismatch(x.numbers, y.numbers);
  return xPiece != x.numbers.end() && *xPiece < *yPiece;
}

struct UniverseKey {
  qint64 universe;
  AddressKey address;
};

UniverseKey universeKey(const Channel &channel) {
  const std::optional<Channel::ParsedAddress> parsed = channel.parsedAddress();
  // Channels without a universe go after every channel with one.
  return {parsed ? parsed->universe : std::numeric_limits<qint64>::max(),
          addressKey(channel.address)};
}

struct TypeKey {
  QString name;
  qint64 number;
};

// Positions sorted by a key made once per channel; ties keep their incoming order.
template <class MakeKey, class Before>
void orderByKey(QList<qsizetype> &positions, const QList<Channel> &channels, MakeKey makeKey,
                Before before) {
  using Key = decltype(makeKey(channels.front()));
  std::vector<std::pair<Key, qsizetype>> keyed;
  keyed.reserve(std::size_t(positions.size()));
  for (const qsizetype position : positions)
    keyed.emplace_back(makeKey(channels[position]), position);
  std::ranges::stable_sort(keyed,
                           [&](const auto &a, const auto &b) { return before(a.first, b.first); });
  for (std::size_t index = 0; index < keyed.size(); ++index)
    positions[qsizetype(index)] = keyed[index].second;
}

}  // namespace

QString title(PatchSortOption option) {
  switch (option) {
    case PatchSortOption::channel:
      return u"Channel"_s;
    case PatchSortOption::address:
      return u"Address"_s;
    case PatchSortOption::universe:
      return u"Universe"_s;
    case PatchSortOption::on:
      return u"Snapshot Level"_s;
    case PatchSortOption::type:
      return u"Type"_s;
  }
  return {};
}

QCollator standardCollator(const QLocale &locale) {
  QCollator collator(locale);
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

bool addressOrderedBefore(const QString &x, const QString &y, const QCollator &collator) {
  return addressKeyBefore(addressKey(x), addressKey(y), collator);
}

void orderPatchChannels(QList<qsizetype> &positions, const QList<Channel> &channels,
                        PatchSortOption option, const QLocale &locale) {
  if (positions.size() < 2) return;
  const QCollator collator = standardCollator(locale);
  switch (option) {
    case PatchSortOption::channel:
      orderByKey(
          positions, channels, [](const Channel &c) { return c.number; }, std::less<>());
      return;
    case PatchSortOption::address:
      orderByKey(
          positions, channels, [](const Channel &c) { return addressKey(c.address); },
          [&](const AddressKey &a, const AddressKey &b) {
            return addressKeyBefore(a, b, collator);
          });
      return;
    case PatchSortOption::universe:
      orderByKey(positions, channels, universeKey, [&](const UniverseKey &a, const UniverseKey &b) {
        if (a.universe != b.universe) return a.universe < b.universe;
        return addressKeyBefore(a.address, b.address, collator);
      });
      return;
    case PatchSortOption::on:
      // Higher snapshot levels first; equal levels by channel number.
      orderByKey(
          positions, channels, [](const Channel &c) { return std::pair(c.level, c.number); },
          [](const auto &a, const auto &b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
          });
      return;
    case PatchSortOption::type:
      orderByKey(
          positions, channels,
          [](const Channel &c) {
            return TypeKey{c.displayTypeName(), c.number};
          },
          [&](const TypeKey &a, const TypeKey &b) {
            const int order = collator.compare(a.name, b.name);
            return order != 0 ? order < 0 : a.number < b.number;
          });
      return;
  }
}

}  // namespace tarnik
