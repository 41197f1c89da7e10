#include "operations/EosCommandLine.h"

#include "foundation/NumberRules.h"

#include <QList>

#include <algorithm>
#include <variant>

namespace tarnik::EosCommandLine {

namespace {

// Every white-space code point lies in the Basic Multilingual Plane and no surrogate is
// white space, so testing UTF-16 units tests code points.
QList<QStringView> whitespaceTokens(QStringView text) {
  QList<QStringView> tokens;
  qsizetype start = -1;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    const bool separator = i == text.size() || text[i].isSpace();
    if (separator && start >= 0) {
      tokens.append(text.sliced(start, i - start));
      start = -1;
    } else if (!separator && start < 0) {
      start = i;
    }
  }
  return tokens;
}

bool isAsciiDigits(QStringView piece) {
  return !piece.isEmpty() &&
         std::ranges::all_of(piece, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

QString normalize(QStringView text) {
  QString normalized;
  normalized.reserve(text.size());
  for (const QStringView token : whitespaceTokens(text)) {
    if (!normalized.isEmpty()) normalized += u' ';
    normalized += token;
  }
  return normalized;
}

bool isChannelNumberToken(QStringView token) {
  const QList<QStringView> parts = token.split(u'/');
  if (parts.size() > 2) return false;
  return std::ranges::all_of(parts, [](QStringView part) {
    const QList<QStringView> pieces = part.split(u'.');
    return pieces.size() <= 2 && std::ranges::all_of(pieces, isAsciiDigits);
  });
}

bool matchesEcho(QStringView echo, qint32 status, QStringView expected) {
  if (status != 0) return false;
  const auto isPrefixedExpected = [&](QStringView prefix) {
    return echo.size() == prefix.size() + expected.size() && echo.startsWith(prefix) &&
           echo.endsWith(expected);
  };
  if (isPrefixedExpected(u"Patch Channel: ") || isPrefixedExpected(u"LIVE: ")) return true;

  const QList<QStringView> echoed = whitespaceTokens(echo);
  const QList<QStringView> typed = expected.split(u' ', Qt::SkipEmptyParts);
  if (echoed.size() != typed.size() + 4) return false;
  return echoed[0] == u"LIVE:" && echoed[1] == u"Cue" && isChannelNumberToken(echoed[2]) &&
         echoed[3] == u":" && std::ranges::equal(echoed.sliced(4), typed);
}

std::optional<int> commandAddressUser(QStringView address) {
  const QList<QStringView> parts = address.split(u'/', Qt::SkipEmptyParts);
  if (parts.size() != 5 || parts[0] != u"eos" || parts[1] != u"out" || parts[2] != u"user" ||
      parts[4] != u"cmd")
    return std::nullopt;
  return parseStrictInteger<int>(parts[3]);
}

std::optional<Echo> commandLineArguments(const OSCMessage &message) {
  if (message.arguments.size() != 2) return std::nullopt;
  const auto *text = std::get_if<QString>(&message.arguments[0].value);
  const auto *status = std::get_if<qint32>(&message.arguments[1].value);
  if (!text || !status) return std::nullopt;
  return Echo{*text, *status};
}

bool isEmptyLiveEcho(QStringView text, qint32 status) {
  if (status != 0) return false;
  const QString line = normalize(text).toUpper();
  if (line == u"LIVE:") return true;
  constexpr QStringView cuePrefix = u"LIVE: CUE ";
  constexpr QStringView colonSuffix = u" :";
  if (line.size() <= cuePrefix.size() + colonSuffix.size() || !line.startsWith(cuePrefix) ||
      !line.endsWith(colonSuffix))
    return false;
  const QStringView cue = QStringView(line).sliced(
      cuePrefix.size(), line.size() - cuePrefix.size() - colonSuffix.size());
  return !cue.contains(u' ');
}

bool isEmptyEcho(QStringView text, qint32 status) {
  if (status != 0) return false;
  if (normalize(text).compare(u"Patch Channel:", Qt::CaseInsensitive) == 0) return true;
  return isEmptyLiveEcho(text, status);
}

}  // namespace tarnik::EosCommandLine
