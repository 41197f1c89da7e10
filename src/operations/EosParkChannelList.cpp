// The parked-channel list: the grammar of its text and the channel set of a whole reply.

#include "foundation/NumberRules.h"
#include "operations/EosCommandLine.h"
#include "operations/EosParkSession.h"

#include <QStringList>

namespace tarnik {

namespace {

constexpr qint64 lowestChannel = 1;
constexpr qint64 highestChannel = 999'999;

bool isChannel(qint64 number) { return number >= lowestChannel && number <= highestChannel; }

// Adds one channel; false when it would take the set past its bound.
bool addChannel(std::set<int> &channels, qint64 channel) {
  channels.insert(int(channel));
  return qsizetype(channels.size()) <= EosParkSession::maximumChannelCount;
}

// The bound is checked as each number goes in, so a hostile range fails before it costs
// anything.
bool addRange(std::set<int> &channels, std::optional<qint64> low, std::optional<qint64> high) {
  if (!low || !high || !isChannel(*low) || !isChannel(*high) || *high < *low ||
      *high - *low >= EosParkSession::maximumChannelCount)
    return false;
  for (qint64 channel = *low; channel <= *high; ++channel) {
    if (!addChannel(channels, channel)) return false;
  }
  return true;
}

bool addChannelList(std::set<int> &channels, QStringView text) {
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
    if (!isChannel(*number) || !addChannel(channels, *number)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::set<int>> EosParkSession::parseChannelList(QStringView text) {
  std::set<int> channels;
  if (!addChannelList(channels, text)) return std::nullopt;
  return channels;
}

std::optional<std::set<int>> EosParkSession::parkedChannelSet(const OSCMessage &message) {
  std::set<int> channels;
  for (const OSCArgument &argument : message.arguments) {
    if (const auto *number = std::get_if<qint32>(&argument.value)) {
      if (!isChannel(*number) || !addChannel(channels, *number)) return std::nullopt;
    } else if (const auto *text = std::get_if<QString>(&argument.value)) {
      if (!addChannelList(channels, *text)) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  return channels;
}

QString EosParkSession::parkCommandText(int channel, FixtureParkAction action) {
  return QStringLiteral("Chan ") + QString::number(channel) +
         (action == FixtureParkAction::park ? QStringLiteral(" At Park Enter")
                                            : QStringLiteral(" At Park Enter Enter"));
}

}  // namespace tarnik
