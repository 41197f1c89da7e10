#pragma once

#include "platform/AvahiQtPoll.h"

#include <QString>

#include <avahi-client/client.h>
#include <expected>
#include <functional>
#include <memory>

namespace tarnik {

// One client connection to the Avahi daemon over the system bus, run on the Qt event loop
// of the calling thread. Browsers, resolvers and entry groups are made on client().
class AvahiDaemonConnection {
 public:
  using StateHandler = std::function<void(AvahiClientState)>;

  // Fails with Avahi's error text ("Daemon not running", ...) when no daemon answers; it
  // neither waits for a daemon to appear nor retries.
  static std::expected<std::unique_ptr<AvahiDaemonConnection>, QString> open();

  ~AvahiDaemonConnection();
  AvahiDaemonConnection(const AvahiDaemonConnection &) = delete;
  AvahiDaemonConnection &operator=(const AvahiDaemonConnection &) = delete;

  ::AvahiClient *client() const { return client_; }
  AvahiClientState state() const;

  // Text of the client's most recent error.
  QString errorText() const;

  // Called on every later change of the client's state; the state at opening is read
  // with state().
  void setStateHandler(StateHandler handler) { stateHandler_ = std::move(handler); }

 private:
  AvahiDaemonConnection() = default;
  static void stateChanged(::AvahiClient *client, AvahiClientState state, void *userdata);

  AvahiQtPoll poll_;
  ::AvahiClient *client_ = nullptr;
  StateHandler stateHandler_;
};

// Avahi's text for one of its error codes.
QString avahiErrorText(int error);

}  // namespace tarnik
