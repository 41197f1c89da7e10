#include "platform/AvahiDaemonConnection.h"

#include <avahi-common/error.h>

namespace tarnik {

QString avahiErrorText(int error) { return QString::fromUtf8(avahi_strerror(error)); }

std::expected<std::unique_ptr<AvahiDaemonConnection>, QString> AvahiDaemonConnection::open() {
  std::unique_ptr<AvahiDaemonConnection> connection(new AvahiDaemonConnection);
  int error = 0;
  // No AVAHI_CLIENT_NO_FAIL: a missing daemon is reported now instead of waited for.
  ::AvahiClient *client =
      avahi_client_new(connection->poll_.api(), AvahiClientFlags(0),
                       &AvahiDaemonConnection::stateChanged, connection.get(), &error);
  if (client == nullptr) {
    return std::unexpected(avahiErrorText(error));
  }
  connection->client_ = client;
  return connection;
}

AvahiDaemonConnection::~AvahiDaemonConnection() {
  if (client_ != nullptr) {
    avahi_client_free(client_);
  }
}

AvahiClientState AvahiDaemonConnection::state() const { return avahi_client_get_state(client_); }

QString AvahiDaemonConnection::errorText() const {
  return avahiErrorText(avahi_client_errno(client_));
}

void AvahiDaemonConnection::stateChanged(::AvahiClient *, AvahiClientState state, void *userdata) {
  auto *connection = static_cast<AvahiDaemonConnection *>(userdata);
  // The first report comes from inside avahi_client_new(), before open() has handed the
  // connection to anyone; owners read that state themselves.
  if (connection->client_ != nullptr && connection->stateHandler_) {
    connection->stateHandler_(state);
  }
}

}  // namespace tarnik
