// The parked-channel list: the grammar of its text and the channel set of a whole reply.

#include "foundation/NumberRules.h"
#include "operations/EosCommandLine.h"
#include "operations/EosOSCAddress.h"
#include "operations/EosParkSession.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <map>

namespace tarnik {

namespace {

// The channels read so far, kept as disjoint intervals with the size of their union. A
// range is merged, never walked, so the work follows the length of the text: a reply that
// repeats one long range a thousand times costs a thousand merges, not a thousand walks.
class ChannelUnion {
 public:
  // False when the union would pass the bound.
  bool add(qint64 low, qint64 high) {
    auto next = intervals_.upper_bound(low);
    if (next != intervals_.begin() && std::prev(next)->second >= low - 1) --next;
    // Each interval is erased at most once after it went in, so merging stays linear.
    while (next != intervals_.end() && next->first <= high + 1) {
      low = std::min(low, next->first);
      high = std::max(high, next->second);
      count_ -= next->second - next->first + 1;
      next = intervals_.erase(next);
    }
    intervals_.emplace_hint(next, low, high);
    count_ += high - low + 1;
    return count_ <= EosParkSession::maximumChannelCount;
  }

  std::set<int> channels() const {
    std::set<int> channels;
    for (const auto &[low, high] : intervals_)
      for (qint64 channel = low; channel <= high; ++channel)
        channels.insert(channels.end(), int(channel));
    return channels;
  }

 private:
  std::map<qint64, qint64> intervals_;  // first channel -> last, neither touching another
  qint64 count_ = 0;
};

bool addRange(ChannelUnion &channels, std::optional<qint64> low, std::optional<qint64> high) {
  return low && high && EosOSCAddress::isChannel(*low) && EosOSCAddress::isChannel(*high) &&
         *low <= *high && channels.add(*low, *high);
}

bool addChannelList(ChannelUnion &channels, QStringView text) {
  QString spaced = text.toString();
  spaced.replace(u',', u' ');
  const QStringList tokens = EosCommandLine::normalize(spaced).split(u' ', Qt::SkipEmptyParts);
  if (tokens.isEmpty()) return false;
  for (qsizetype i = 0; i < tokens.size(); ++i) {
    const QString &token = tokens[i];
    if (token == u"-") return false;
    if (token.contains(u'-')) {
      const QStringList pieces = token.split(u'-');
      if (pieces.size() != 2 || pieces[0].isEmpty() || pieces[1].isEmpty() ||
          !addRange(channels, parseStrictInteger<qint64>(pieces[0]),
                    parseStrictInteger<qint64>(pieces[1])))
        return false;
      continue;
    }
    const auto number = parseStrictInteger<qint64>(token);
    if (!number) return false;
    if (i + 1 < tokens.size() && tokens[i + 1] == u"-") {
      if (i + 2 >= tokens.size() ||
          !addRange(channels, number, parseStrictInteger<qint64>(tokens[i + 2])))
        return false;
      i += 2;
      continue;
    }
    if (!addRange(channels, number, number)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::set<int>> EosParkSession::parseChannelList(QStringView text) {
  ChannelUnion channels;
  if (!addChannelList(channels, text)) return std::nullopt;
  return channels.channels();
}

std::optional<std::set<int>> EosParkSession::parkedChannelSet(const OSCMessage &message) {
  ChannelUnion channels;
  for (const OSCArgument &argument : message.arguments) {
    if (const auto *number = std::get_if<qint32>(&argument.value)) {
      if (!addRange(channels, *number, *number)) return std::nullopt;
    } else if (const auto *text = std::get_if<QString>(&argument.value)) {
      if (!addChannelList(channels, *text)) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  return channels.channels();
}

QString EosParkSession::parkCommandText(int channel, FixtureParkAction action) {
  return QStringLiteral("Chan ") + QString::number(channel) +
         (action == FixtureParkAction::park ? QStringLiteral(" At Park Enter")
                                            : QStringLiteral(" At Park Enter Enter"));
}

}  // namespace tarnik
