#include "link/TarnikRelayListener.h"

#include <QTcpSocket>

namespace tarnik {

void TarnikRelayListener::refuse(qintptr descriptor) {
  QTcpSocket socket;
  if (socket.setSocketDescriptor(descriptor)) {
    socket.abort();
  }
}

void TarnikRelayListener::incomingConnection(qintptr descriptor) {
  emit connectionOffered(descriptor);
}

}  // namespace tarnik
