#pragma once

#include "link/TarnikRelaySecurity.h"

#include <QByteArray>

#include <memory>
#include <openssl/bio.h>
#include <openssl/types.h>

namespace tarnik {

// The relay's TLS rules for phones, held straight in OpenSSL: TLS 1.2 only, the one PSK
// cipher, the key only for the relay's identity, no resumption and no renegotiation. The
// relay speaks TLS to phones on OpenSSL itself rather than through QSslSocket, because the
// socket layers under QSslSocket cost a small command more than its encryption does.
// Immutable once made, so sessions on any thread may share it.
class TarnikRelayTlsContext {
 public:
  // Null when OpenSSL cannot build the context.
  static std::shared_ptr<const TarnikRelayTlsContext> make(
      const TarnikRelaySecurity::Parameters &parameters);
  ~TarnikRelayTlsContext();
  TarnikRelayTlsContext(const TarnikRelayTlsContext &) = delete;
  TarnikRelayTlsContext &operator=(const TarnikRelayTlsContext &) = delete;

  // A server-side connection over the descriptor, which the caller still owns; null on
  // failure. Its writes never raise SIGPIPE.
  SSL *connectionOver(int descriptor) const;

 private:
  TarnikRelayTlsContext(SSL_CTX *context, BIO_METHOD *socketMethod,
                        const TarnikRelaySecurity::Parameters &parameters);
  static unsigned int answerKey(SSL *connection, const char *identity, unsigned char *key,
                                unsigned int keyLimit);

  SSL_CTX *context_;
  BIO_METHOD *socketMethod_;  // the socket of every connection made here
  QByteArray key_;
  QByteArray identity_;
};

}  // namespace tarnik
