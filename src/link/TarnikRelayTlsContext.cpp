#include "link/TarnikRelayTlsContext.h"

#include <cerrno>
#include <cstring>
#include <openssl/bio.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

namespace tarnik {

namespace {

// OpenSSL's socket BIO writes with write(), which raises SIGPIPE when the phone has gone,
// and nothing makes the relay's process set that signal aside. This one sends with
// MSG_NOSIGNAL instead and is the socket BIO in everything else.
int sendWithoutSignal(BIO *bio, const char *bytes, int count) {
  int descriptor = -1;
  BIO_get_fd(bio, &descriptor);
  errno = 0;
  const ssize_t sent = ::send(descriptor, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
  BIO_clear_retry_flags(bio);
  if (sent <= 0 && BIO_sock_should_retry(static_cast<int>(sent))) {
    BIO_set_retry_write(bio);
  }
  return static_cast<int>(sent);
}

BIO_METHOD *socketWithoutSignal() {
  const BIO_METHOD *socket = BIO_s_socket();
  BIO_METHOD *method = BIO_meth_new(
      BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "Tarnik relay socket");
  if (method == nullptr) {
    return nullptr;
  }
  BIO_meth_set_write(method, &sendWithoutSignal);
  BIO_meth_set_read(method, BIO_meth_get_read(socket));
  BIO_meth_set_puts(method, BIO_meth_get_puts(socket));
  BIO_meth_set_ctrl(method, BIO_meth_get_ctrl(socket));
  BIO_meth_set_create(method, BIO_meth_get_create(socket));
  BIO_meth_set_destroy(method, BIO_meth_get_destroy(socket));
  return method;
}

}  // namespace

std::shared_ptr<const TarnikRelayTlsContext> TarnikRelayTlsContext::make(
    const TarnikRelaySecurity::Parameters &parameters) {
  SSL_CTX *context = SSL_CTX_new(TLS_server_method());
  BIO_METHOD *socketMethod = socketWithoutSignal();
  // Constructed first, so that any failure frees both with it.
  std::shared_ptr<const TarnikRelayTlsContext> made(
      new TarnikRelayTlsContext(context, socketMethod, parameters));
  if (context == nullptr || socketMethod == nullptr) {
    return nullptr;
  }
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

TarnikRelayTlsContext::TarnikRelayTlsContext(SSL_CTX *context, BIO_METHOD *socketMethod,
                                             const TarnikRelaySecurity::Parameters &parameters)
    : context_(context),
      socketMethod_(socketMethod),
      key_(parameters.key),
      identity_(parameters.identity) {}

TarnikRelayTlsContext::~TarnikRelayTlsContext() {
  SSL_CTX_free(context_);
  BIO_meth_free(socketMethod_);
}

SSL *TarnikRelayTlsContext::connectionOver(int descriptor) const {
  SSL *connection = SSL_new(context_);
  BIO *socket = BIO_new(socketMethod_);
  if (connection == nullptr || socket == nullptr) {
    SSL_free(connection);
    BIO_free(socket);
    return nullptr;
  }
  BIO_set_fd(socket, descriptor, BIO_NOCLOSE);
  SSL_set_bio(connection, socket, socket);
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
