#pragma once

#include "app/ConsoleCommandLine.h"
#include "app/ConsoleSession.h"
#include "link/OSCManager.h"

#include <QUuid>

#include <optional>

namespace tarnik {

// The identify flash this application holds on the console through the main connection.
// It lives at most one session, and ends before anything else is sent: the release presses
// Flash again, but only while the console's own command line still shows that flash.
class IdentifyFlash final {
 public:
  // The flash held: its channel and the session it was started in.
  struct OwnedFlash {
    qint64 channelNumber = 0;
    QUuid sessionID{};
  };

  enum class Release {
    notNeeded,  // none held, or the console no longer shows it: forgotten, nothing sent
    sent,
    refused,  // the connection refused the send; the flash is still held
  };

  // The connection, the session and the command line outlive the flash.
  IdentifyFlash(OSCManager &connection, const ConsoleSession &session,
                const ConsoleCommandLine &commandLine);

  // The console now shows a flash this application started. Nothing calls this yet: identify
  // goes through the Live-control session's own connection, and only a flash pressed on the
  // main connection would be held here. The release still sits on every send path, so that
  // such a flash can never outlive the next command once something holds it.
  void hold(qint64 channel, const QUuid &sessionID) { owned_ = OwnedFlash{channel, sessionID}; }
  const std::optional<OwnedFlash> &owned() const { return owned_; }
  Release release();
  // The session or the show ended: the flash is forgotten without a release.
  void forget() { owned_.reset(); }

 private:
  bool consoleShowsFlash(qint64 channel) const;

  OSCManager &connection_;
  const ConsoleSession &session_;
  const ConsoleCommandLine &commandLine_;
  std::optional<OwnedFlash> owned_;
};

}  // namespace tarnik
