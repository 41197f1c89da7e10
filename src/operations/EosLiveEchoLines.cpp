#include "operations/EosLiveEchoLines.h"

#include <QStringList>

namespace tarnik::EosLiveEchoLines {

namespace {

bool isCueNumber(const QString &token) {
  if (token.isEmpty()) return false;
  for (const QChar c : token) {
    if (!QStringLiteral("0123456789./").contains(c)) return false;
  }
  return true;
}

// The whole channel number is compared: channel 1 never takes channel 12's line.
bool endsWithChannelLine(const QString &text, const QString &body) {
  return text.startsWith(QLatin1String("LIVE:")) &&
         (text.endsWith(QStringLiteral(" : ") + body) || text == QStringLiteral("LIVE: ") + body);
}

}  // namespace

bool isEmptyLiveLine(const QString &text) {
  if (text == u"LIVE:") return true;
  const QStringList tokens = text.split(u' ');
  return tokens.size() == 4 && tokens[0] == u"LIVE:" && tokens[1] == u"Cue" &&
         isCueNumber(tokens[2]) && tokens[3] == u":";
}

bool isEmptyBootstrapLine(const QString &text) {
  return text == u"Patch Channel:" || isEmptyLiveLine(text);
}

bool isFlashLine(const QString &text, int channel) {
  return endsWithChannelLine(text, QStringLiteral("Chan %1 Flash #").arg(channel));
}

bool isSelectionLine(const QString &text, int channel) {
  return endsWithChannelLine(text, QStringLiteral("Chan %1 #").arg(channel));
}

}  // namespace tarnik::EosLiveEchoLines
