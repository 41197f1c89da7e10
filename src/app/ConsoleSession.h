#pragma once

#include <QString>
#include <QUuid>

#include <optional>

namespace tarnik {

// The connection session and the show it is about, as the model and its parts bind their
// work to them: a callback made for another session or another show changes nothing. The
// model holds the one value and moves the session on; the show mirror alone writes the show
// identity; every other part reads it.
struct ConsoleSession {
  // Moves on when a socket becomes ready and when a session ends.
  QUuid id = QUuid::createUuid();
  // The show the console reports as loaded: its name and its identity (its path).
  std::optional<QString> liveShowName;
  std::optional<QString> liveShowIdentity;
  // The identity of the show on screen.
  std::optional<QString> publishedShowIdentity;
  // The session whose sync put the show on screen.
  std::optional<QUuid> completedSyncSessionID;
  bool showIsCleared = false;
};

}  // namespace tarnik
