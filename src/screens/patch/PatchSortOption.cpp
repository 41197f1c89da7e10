#include "screens/patch/PatchSortOption.h"

#include "foundation/NumberRules.h"

#include <QStringTokenizer>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// The number pieces of the addresses in one sort, read once per channel rather than once
// per comparison. Most addresses have two pieces, which the key holds itself; any further
// pieces wait in a pool, so that the keys the sort moves stay small.
class AddressNumbers {
 public:
  struct Key {
    std::array<qint64, 2> leading{};
    std::size_t count = 0;
    std::size_t rest = 0;  // where the pieces after the first two start in the pool
    const QString *text = nullptr;
  };

  Key add(const QString &address) {
    Key key{.rest = pool_.size(), .text = &address};
    for (const QStringView piece : QStringTokenizer(address, u'/', Qt::SkipEmptyParts)) {
      const std::optional<qint64> number = parseStrictInteger<qint64>(piece);
      if (!number) continue;
      if (key.count < key.leading.size()) {
        key.leading[key.count] = *number;
      } else {
        pool_.push_back(*number);
      }
      ++key.count;
    }
    return key;
  }

  // As many pieces: the first that differs decides. Otherwise the whole texts decide.
  bool before(const Key &x, const Key &y, const QCollator &collator) const {
    if (x.count != y.count) return collator.compare(*x.text, *y.text) < 0;
    const std::size_t leading = std::min(x.count, x.leading.size());
    for (std::size_t index = 0; index < leading; ++index) {
      if (x.leading[index] != y.leading[index]) return x.leading[index] < y.leading[index];
    }
    if (x.count <= leading) return false;
    const qint64 *xRest = pool_.data() + x.rest;
    const qint64 *yRest = pool_.data() + y.rest;
    const auto [xPiece, yPiece] = std::mismatch(xRest, xRest + (x.count - leading), yRest);
    return xPiece != xRest + (x.count - leading) && *xPiece < *yPiece;
  }

 private:
  std::vector<qint64> pool_;
};

struct UniverseKey {
  qint64 universe;
  AddressNumbers::Key address;
};

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
  AddressNumbers numbers;
  const AddressNumbers::Key xKey = numbers.add(x);
  return numbers.before(xKey, numbers.add(y), collator);
}

void orderPatchChannels(QList<qsizetype> &positions, const QList<Channel> &channels,
                        PatchSortOption option, const QLocale &locale) {
  if (positions.size() < 2) return;
  const QCollator collator = standardCollator(locale);
  AddressNumbers numbers;
  switch (option) {
    case PatchSortOption::channel:
      orderByKey(
          positions, channels, [](const Channel &c) { return c.number; }, std::less<>());
      return;
    case PatchSortOption::address:
      orderByKey(
          positions, channels, [&](const Channel &c) { return numbers.add(c.address); },
          [&](const AddressNumbers::Key &a, const AddressNumbers::Key &b) {
            return numbers.before(a, b, collator);
          });
      return;
    case PatchSortOption::universe:
      orderByKey(
          positions, channels,
          [&](const Channel &c) {
            const std::optional<Channel::ParsedAddress> parsed = c.parsedAddress();
            // Channels without a universe go after every channel with one.
            return UniverseKey{parsed ? parsed->universe : std::numeric_limits<qint64>::max(),
                               numbers.add(c.address)};
          },
          [&](const UniverseKey &a, const UniverseKey &b) {
            if (a.universe != b.universe) return a.universe < b.universe;
            return numbers.before(a.address, b.address, collator);
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
