#pragma once

#include "platform/SecretServiceKeychain.h"

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>

#include <chrono>
#include <cstddef>
#include <expected>
#include <functional>
#include <optional>
#include <span>

class QSslSocket;

namespace tarnik {

// The one secret of the phone relay: the pairing code, a standard base64 text of 32
// random bytes that is the TLS pre-shared key. Both ends of a relay link take their TLS
// rules from here (the relay server's OpenSSL context in TarnikRelayTlsContext), so they
// agree by construction.
class TarnikRelaySecurity {
 public:
  struct Failure {
    // keychain: a code could not be stored; keychainRead: the stored one could not be read.
    enum class Kind { keychain, keychainRead, invalidKey, randomGeneration, invalidEndpoint };
    Kind kind;
    // Only for the keychain kinds: the stable number of the cause, and the keychain's words.
    int status = 0;
    QString detail = {};
    QString description() const;
    friend bool operator==(const Failure &, const Failure &) = default;
  };

  struct Parameters {
    QSslConfiguration
        configuration;    // TLS 1.2 only, PSK-AES128-GCM-SHA256 only, no peer verification
    QByteArray key;       // the 32 key bytes
    QByteArray identity;  // "TarnikRelay.v1"
  };

  static inline constexpr char serviceName[] = "quellmoor.Tarnik.relay";
  static inline constexpr char pskIdentity[] = "TarnikRelay.v1";
  static inline constexpr char cipherName[] = "PSK-AES128-GCM-SHA256";
  static inline constexpr int connectTimeoutMilliseconds = 8000;

  static std::expected<Parameters, Failure> parameters(const QString &pairingCode);

  // PSK identity and key, no-delay, and an abort when not encrypted within the handshake
  // limit of arming; without a limit, the caller's own connect time limit must end a stalled
  // handshake. Arm before connectToHostEncrypted().
  static void armClientSocket(QSslSocket &socket, const Parameters &parameters,
                              std::optional<std::chrono::milliseconds> handshakeLimit =
                                  std::chrono::milliseconds(connectTimeoutMilliseconds));

  static SecretServiceKeychain::Query keychainQuery(const QString &account);
  static std::expected<std::optional<QString>, Failure> loadPairingCode(const QString &account);
  static std::expected<void, Failure> storePairingCode(const QString &code, const QString &account);
  // Fills the bytes and says whether it could; a failure leaves nothing usable.
  using RandomBytes = std::function<bool(std::span<std::byte> bytes)>;
  // libcrypto's generator, which reports when it cannot give secure bytes.
  static bool systemRandomBytes(std::span<std::byte> bytes);
  static std::expected<QString, Failure> makePairingCode(
      const RandomBytes &randomBytes = systemRandomBytes);
};

}  // namespace tarnik
