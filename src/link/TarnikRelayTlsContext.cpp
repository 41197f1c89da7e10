#include "link/TarnikRelayTlsContext.h"

#include <cstring>
#include <openssl/ssl.h>

namespace tarnik {

std::shared_ptr<const TarnikRelayTlsContext> TarnikRelayTlsContext::make(
    const TarnikRelaySecurity::Parameters &parameters) {
  SSL_CTX *context = SSL_CTX_new(TLS_server_method());
  if (context == nullptr) {
    return nullptr;
  }
  // Constructed here so that a failure below frees the context with it.
  std::shared_ptr<const TarnikRelayTlsContext> made(new TarnikRelayTlsContext(context, parameters));
  // Both minimum and maximum: the exact version, so no phone can move to TLS 1.3, whose PSK
  // handshake works differently.
  if (SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
      SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION) != 1 ||
      SSL_CTX_set_cipher_list(context, TarnikRelaySecurity::cipherName) != 1) {
    return nullptr;
  }
  // Every connection proves the key afresh. A phone that ends without a close_notify has
  // ended all the same: what it sent before is delivered, as with a plain TCP close.
  SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
  SSL_CTX_set_options(context,
                      SSL_OP_NO_TICKET | SSL_OP_NO_RENEGOTIATION | SSL_OP_IGNORE_UNEXPECTED_EOF);
  // Partial writes let a full socket take what it can, like a plain send(); reading ahead
  // takes a whole record, header and body, in one read from the socket.
  SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  SSL_CTX_set_read_ahead(context, 1);
  SSL_CTX_set_app_data(context, const_cast<TarnikRelayTlsContext *>(made.get()));
  SSL_CTX_set_psk_server_callback(context, &TarnikRelayTlsContext::answerKey);
  return made;
}

TarnikRelayTlsContext::TarnikRelayTlsContext(SSL_CTX *context,
                                             const TarnikRelaySecurity::Parameters &parameters)
    : context_(context), key_(parameters.key), identity_(parameters.identity) {}

TarnikRelayTlsContext::~TarnikRelayTlsContext() { SSL_CTX_free(context_); }

SSL *TarnikRelayTlsContext::connectionOver(int descriptor) const {
  SSL *connection = SSL_new(context_);
  if (connection == nullptr) {
    return nullptr;
  }
  if (SSL_set_fd(connection, descriptor) != 1) {
    SSL_free(connection);
    return nullptr;
  }
  SSL_set_accept_state(connection);
  return connection;
}

// The identity names the relay protocol version. Answering no key for any other makes
// OpenSSL refuse the handshake, so such a phone never gets to prove a key.
unsigned int TarnikRelayTlsContext::answerKey(SSL *connection, const char *identity,
                                              unsigned char *key, unsigned int keyLimit) {
  const auto *self =
      static_cast<const TarnikRelayTlsContext *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(connection)));
  if (self == nullptr || identity == nullptr || self->identity_ != QByteArray(identity) ||
      static_cast<unsigned int>(self->key_.size()) > keyLimit) {
    return 0;
  }
  std::memcpy(key, self->key_.constData(), static_cast<size_t>(self->key_.size()));
  return static_cast<unsigned int>(self->key_.size());
}

}  // namespace tarnik
