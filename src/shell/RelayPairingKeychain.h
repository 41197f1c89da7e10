#pragma once

#include "link/TarnikRelaySecurity.h"

#include <expected>
#include <functional>
#include <optional>

namespace tarnik {

// Where the window keeps the relay's pairing code: the keychain item under the account
// "server", and the maker of new codes. Tests replace the three calls; by default they are
// relay security's own.
struct RelayPairingKeychain {
  using Failure = TarnikRelaySecurity::Failure;

  std::function<std::expected<std::optional<QString>, Failure>()> load;
  std::function<std::expected<void, Failure>(const QString &code)> store;
  std::function<std::expected<QString, Failure>()> make;

  static RelayPairingKeychain relaySecurity();
};

}  // namespace tarnik
