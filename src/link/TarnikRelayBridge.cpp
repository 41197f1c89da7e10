#include "link/TarnikRelayBridge.h"

#include "link/TarnikRelayPump.h"

#include <QSslSocket>
#include <QTcpSocket>

namespace tarnik {

TarnikRelayBridge::TarnikRelayBridge(QSslSocket *phone, QTcpSocket *console,
                                     std::chrono::milliseconds sendTimeout)
    : phone_(phone), console_(console), sendTimeout_(sendTimeout) {
  phone_->setParent(this);
  console_->setParent(this);
}

void TarnikRelayBridge::start() {
  auto *toConsole = new TarnikRelayPump(*phone_, *console_, sendTimeout_, this);
  auto *toPhone = new TarnikRelayPump(*console_, *phone_, sendTimeout_, this);
  connect(toConsole, &TarnikRelayPump::finished, this, &TarnikRelayBridge::finish);
  connect(toPhone, &TarnikRelayPump::finished, this, &TarnikRelayBridge::finish);
  toConsole->start();
  // Starting one direction may already have ended the session.
  if (!finished_) {
    toPhone->start();
  }
}

void TarnikRelayBridge::shutDown() {
  finished_ = true;
  // Closing a socket reports synchronously; nothing may react any more.
  for (QAbstractSocket *socket :
       {static_cast<QAbstractSocket *>(phone_), static_cast<QAbstractSocket *>(console_)}) {
    socket->disconnect();
    socket->abort();
  }
  deleteLater();
}

void TarnikRelayBridge::finish() {
  if (!finished_) {
    finished_ = true;
    emit finished();
  }
}

}  // namespace tarnik
