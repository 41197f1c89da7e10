#pragma once

#include <QByteArray>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// Generic passwords kept by the desktop's Secret Service (GNOME Keyring, KWallet), one
// item per (service, account) pair. The calls are synchronous and block the caller.
class SecretServiceKeychain {
 public:
  struct Query {
    QString service;
    QString account;
    friend bool operator==(const Query &, const Query &) = default;
  };

  // A failure reported by libsecret or D-Bus; code is the GError's code.
  struct Error {
    int code = 0;
    QString message;
  };

  // The stored secret's raw bytes, or absent when no item matches.
  static std::expected<std::optional<QByteArray>, Error> load(const Query &query);

  // Creates the item, or replaces the value of the existing one in place. label is what
  // keyring managers show for a newly created item.
  static std::expected<void, Error> store(const Query &query, const QByteArray &value,
                                          const QString &label);
};

}  // namespace tarnik
