#include "app/IdentifyFlash.h"

#include "operations/EosOSCAddress.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tarnik {

IdentifyFlash::IdentifyFlash(OSCManager &connection, const ConsoleSession &session,
                             const ConsoleCommandLine &commandLine)
    : connection_(connection), session_(session), commandLine_(commandLine) {}

bool IdentifyFlash::consoleShowsFlash(qint64 channel) const {
  // Only a flash the console still shows for this very channel is ours to end: the word
  // boundaries keep channel 12 from matching "Chan 1" or "Chan 123".
  const QString line = commandLine_.rawConsoleCommandLine().toLower();
  const QRegularExpression namesChannel(u"\\bchan(?:nel)?\\s*"_s + QString::number(channel) +
                                        u"\\b"_s);
  return line.startsWith(u"live:"_s) && line.contains(u"flash"_s) &&
         namesChannel.match(line).hasMatch();
}

IdentifyFlash::Release IdentifyFlash::release() {
  if (!owned_) return Release::notNeeded;
  if (owned_->sessionID != session_.id || !connection_.isConnected() ||
      !consoleShowsFlash(owned_->channelNumber)) {
    owned_.reset();
    return Release::notNeeded;
  }
  if (!connection_.send({EosOSCAddress::flashKey, {}})) return Release::refused;
  owned_.reset();
  return Release::sent;
}

}  // namespace tarnik
