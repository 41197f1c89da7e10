#pragma once

#include <QByteArray>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// Generic passwords kept by the desktop's Secret Service (GNOME Keyring, KWallet), one
// item per (service, account) pair. The calls are synchronous and block the caller; which
// of them may wait for the user is said at each one (and in this folder's README).
class SecretServiceKeychain {
 public:
  struct Query {
    QString service;
    QString account;
    friend bool operator==(const Query &, const Query &) = default;
  };

  // Why a call failed. The values are the status numbers users see and report back, so
  // each cause keeps its number for good.
  enum class Cause {
    noSessionBus = 1,     // no D-Bus session bus to reach
    noSecretService = 2,  // a bus, but nothing on it serves or can start the Secret Service
    locked = 3,           // the item, or the collection it would go into, is locked
    promptDismissed = 4,  // the Secret Service asked the user, and the user said no
    other = 5,
  };

  struct Error {
    Cause cause = Cause::other;
    // libsecret's or D-Bus's own words; ours where they gave none.
    QString message;
    int status() const { return static_cast<int>(cause); }
    friend bool operator==(const Error &, const Error &) = default;
  };

  // The stored secret's raw bytes, or absent when no item matches. Never prompts: the
  // search does not unlock, and a matching item that is locked is reported as Cause::locked,
  // not as absent, so a caller never mistakes a locked keyring for an empty one. When the
  // same pair is found both locked and unlocked (two collections), the unlocked one is read.
  static std::expected<std::optional<QByteArray>, Error> load(const Query &query);

  // Creates the item in the default collection, or replaces the value of the existing one
  // in place. label is what keyring managers show for a newly created item. May prompt:
  // the Secret Service asks the user to unlock the default collection, or to create one when
  // there is none, and this call waits for the answer.
  static std::expected<void, Error> store(const Query &query, const QByteArray &value,
                                          const QString &label);
};

}  // namespace tarnik
