#include "link/TarnikRelaySecurity.h"

#include "foundation/StrictBase64.h"
#include "foundation/TextRules.h"

#include <QAbstractSocket>
#include <QList>
#include <QSslCipher>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QStringDecoder>
#include <QTimer>

#include <array>
#include <climits>
#include <openssl/rand.h>

namespace tarnik {

namespace {

constexpr qsizetype keyLength = 32;

std::optional<QByteArray> decodedKey(const QString &pairingCode) {
  auto decoded = decodeStrictBase64(trimmedText(pairingCode));
  if (!decoded || decoded->size() != keyLength) {
    return std::nullopt;
  }
  return decoded;
}

QSslConfiguration relayConfiguration() {
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  // Both minimum and maximum: TlsV1_2 pins the exact version, so neither end can move to
  // TLS 1.3, whose PSK handshake works differently.
  configuration.setProtocol(QSsl::TlsV1_2);
  configuration.setCiphers(
      {QSslCipher(QString::fromLatin1(TarnikRelaySecurity::cipherName), QSsl::TlsV1_2)});
  // The pre-shared key is the only proof of identity; there are no certificates to check.
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  return configuration;
}

// Small OSC packets must leave at once. A socket that is not connected yet has nowhere to
// keep the option, so it is set again when the connection is made.
void disableNagle(QSslSocket &socket) {
  if (socket.state() == QAbstractSocket::ConnectedState) {
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  }
  QObject::connect(&socket, &QAbstractSocket::connected, &socket, [socket = &socket] {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  });
}

// The keychain's words follow the number as a sentence of their own; GLib's messages
// mostly end without a full stop.
QString asSentence(const QString &detail) {
  const QString sentence = endedSentence(detail);
  return sentence.isEmpty() ? sentence : QStringLiteral(" ") + sentence;
}

const TarnikRelaySecurity::Failure invalidKey{TarnikRelaySecurity::Failure::Kind::invalidKey};

TarnikRelaySecurity::Failure keychainFailure(TarnikRelaySecurity::Failure::Kind kind,
                                             const SecretServiceKeychain::Error &error) {
  return {kind, error.status(), error.message};
}

}  // namespace

QString TarnikRelaySecurity::Failure::description() const {
  switch (kind) {
    case Kind::keychain:
      return QStringLiteral("The pairing code could not be stored in Keychain (%1).").arg(status) +
             asSentence(detail);
    case Kind::keychainRead:
      return QStringLiteral("The pairing code could not be read from Keychain (%1).").arg(status) +
             asSentence(detail);
    case Kind::invalidKey:
      return QStringLiteral("Use a Tarnik pairing code containing 32 random bytes.");
    case Kind::randomGeneration:
      return QStringLiteral("Could not generate a secure pairing code.");
    case Kind::invalidEndpoint:
      return QStringLiteral("Enter a board host and nonzero board and relay ports.");
  }
  return {};
}

std::expected<TarnikRelaySecurity::Parameters, TarnikRelaySecurity::Failure>
TarnikRelaySecurity::parameters(const QString &pairingCode) {
  auto key = decodedKey(pairingCode);
  if (!key) {
    return std::unexpected(invalidKey);
  }
  return Parameters{relayConfiguration(), *key, QByteArray(pskIdentity)};
}

void TarnikRelaySecurity::armClientSocket(QSslSocket &socket, const Parameters &parameters,
                                          std::optional<std::chrono::milliseconds> handshakeLimit) {
  socket.setSslConfiguration(parameters.configuration);
  disableNagle(socket);
  QObject::connect(&socket, &QSslSocket::preSharedKeyAuthenticationRequired, &socket,
                   [key = parameters.key,
                    identity = parameters.identity](QSslPreSharedKeyAuthenticator *authenticator) {
                     authenticator->setIdentity(identity);
                     authenticator->setPreSharedKey(key);
                   });

  // A peer that accepts the TCP connection but never finishes the handshake must not hold
  // the socket forever: the whole connect, handshake included, gets a fixed time.
  if (!handshakeLimit) return;
  auto *limit = new QTimer(&socket);
  limit->setSingleShot(true);
  limit->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
  limit->setInterval(*handshakeLimit);
  QObject::connect(limit, &QTimer::timeout, &socket, [socket = &socket] {
    if (!socket->isEncrypted()) {
      socket->abort();
    }
  });
  QObject::connect(&socket, &QSslSocket::encrypted, limit, &QTimer::stop);
  QObject::connect(&socket, &QAbstractSocket::stateChanged, limit,
                   [limit](QAbstractSocket::SocketState state) {
                     if (state == QAbstractSocket::UnconnectedState) {
                       limit->stop();
                     } else if (state == QAbstractSocket::HostLookupState ||
                                state == QAbstractSocket::ConnectingState) {
                       if (!limit->isActive()) {
                         limit->start();
                       }
                     }
                   });
  if (socket.state() != QAbstractSocket::UnconnectedState && !socket.isEncrypted()) {
    limit->start();
  }
}

SecretServiceKeychain::Query TarnikRelaySecurity::keychainQuery(const QString &account) {
  return {QString::fromLatin1(serviceName), account};
}

std::expected<std::optional<QString>, TarnikRelaySecurity::Failure>
TarnikRelaySecurity::loadPairingCode(const QString &account) {
  auto stored = SecretServiceKeychain::load(keychainQuery(account));
  if (!stored) {
    return std::unexpected(keychainFailure(Failure::Kind::keychainRead, stored.error()));
  }
  if (!*stored) {
    return std::optional<QString>{};
  }
  // An item that exists but is not text is a broken code, not a missing one.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                     QStringConverter::Flag::Stateless);
  QString text = decoder.decode(**stored);
  if (decoder.hasError()) {
    return std::unexpected(invalidKey);
  }
  return std::optional<QString>(std::move(text));
}

std::expected<void, TarnikRelaySecurity::Failure> TarnikRelaySecurity::storePairingCode(
    const QString &code, const QString &account) {
  if (!decodedKey(code)) {
    return std::unexpected(invalidKey);
  }
  auto stored = SecretServiceKeychain::store(keychainQuery(account), trimmedText(code).toUtf8(),
                                             QString::fromLatin1(serviceName));
  if (!stored) {
    return std::unexpected(keychainFailure(Failure::Kind::keychain, stored.error()));
  }
  return {};
}

bool TarnikRelaySecurity::systemRandomBytes(std::span<std::byte> bytes) {
  return bytes.size() <= std::size_t(INT_MAX) &&
         RAND_bytes(reinterpret_cast<unsigned char *>(bytes.data()), int(bytes.size())) == 1;
}

std::expected<QString, TarnikRelaySecurity::Failure> TarnikRelaySecurity::makePairingCode(
    const RandomBytes &randomBytes) {
  std::array<std::byte, keyLength> key{};
  if (!randomBytes(key)) {
    return std::unexpected(Failure{Failure::Kind::randomGeneration});
  }
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char *>(key.data()), keyLength).toBase64());
}

}  // namespace tarnik
