#include "link/TarnikRelayLeg.h"

#include "link/TarnikRelayTlsContext.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

namespace tarnik {

namespace {

bool isWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

int boundedCount(qint64 count) { return static_cast<int>(std::min<qint64>(count, INT_MAX)); }

// A descriptor fresh from accept() blocks; a leg never waits inside a call.
void makeNonBlocking(int descriptor) {
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags >= 0 && (flags & O_NONBLOCK) == 0) {
    fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
  }
}

}  // namespace

std::unique_ptr<TarnikRelayLeg> TarnikRelayLeg::plain(int descriptor) {
  makeNonBlocking(descriptor);
  return std::unique_ptr<TarnikRelayLeg>(new TarnikRelayLeg(descriptor, nullptr, nullptr));
}

std::unique_ptr<TarnikRelayLeg> TarnikRelayLeg::secure(
    int descriptor, std::shared_ptr<const TarnikRelayTlsContext> context) {
  makeNonBlocking(descriptor);
  SSL *connection = context->connectionOver(descriptor);
  if (connection == nullptr) {
    ::close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<TarnikRelayLeg>(
      new TarnikRelayLeg(descriptor, connection, std::move(context)));
}

TarnikRelayLeg::TarnikRelayLeg(int descriptor, SSL *connection,
                               std::shared_ptr<const TarnikRelayTlsContext> context)
    : descriptor_(descriptor), connection_(connection), context_(std::move(context)) {}

TarnikRelayLeg::~TarnikRelayLeg() {
  // No close_notify: the relay ends a session by closing both sockets, as a TCP relay would.
  SSL_free(connection_);
  ::close(descriptor_);
}

TarnikRelayLeg::Outcome TarnikRelayLeg::handshake() {
  if (connection_ == nullptr) {
    return {Status::done};
  }
  ERR_clear_error();
  const int result = SSL_do_handshake(connection_);
  return result == 1 ? Outcome{Status::done} : tlsOutcome(result);
}

TarnikRelayLeg::Outcome TarnikRelayLeg::read(char *bytes, qint64 limit) {
  if (connection_ != nullptr) {
    ERR_clear_error();
    const int result = SSL_read(connection_, bytes, boundedCount(limit));
    return result > 0 ? Outcome{Status::done, result} : tlsOutcome(result);
  }
  for (;;) {
    const ssize_t result = ::recv(descriptor_, bytes, static_cast<size_t>(limit), 0);
    if (result > 0) return {Status::done, result};
    if (result == 0) return {Status::ended};
    if (errno == EINTR) continue;
    return {isWouldBlock(errno) ? Status::wantRead : Status::failed};
  }
}

TarnikRelayLeg::Outcome TarnikRelayLeg::write(const char *bytes, qint64 count) {
  if (connection_ != nullptr) {
    ERR_clear_error();
    const int result = SSL_write(connection_, bytes, boundedCount(count));
    return result > 0 ? Outcome{Status::done, result} : tlsOutcome(result);
  }
  for (;;) {
    const ssize_t result = ::send(descriptor_, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (result >= 0) return {Status::done, result};
    if (errno == EINTR) continue;
    return {isWouldBlock(errno) ? Status::wantWrite : Status::failed};
  }
}

TarnikRelayLeg::Outcome TarnikRelayLeg::peek() {
  Q_ASSERT(connection_ != nullptr);
  char byte = 0;
  ERR_clear_error();
  const int result = SSL_peek(connection_, &byte, 1);
  return result > 0 ? Outcome{Status::done, 1} : tlsOutcome(result);
}

bool TarnikRelayLeg::holdsUnreadBytes() const {
  return connection_ != nullptr && SSL_has_pending(connection_) == 1;
}

TarnikRelayLeg::Outcome TarnikRelayLeg::tlsOutcome(int result) {
  switch (SSL_get_error(connection_, result)) {
    case SSL_ERROR_WANT_READ:
      return {Status::wantRead};
    case SSL_ERROR_WANT_WRITE:
      return {Status::wantWrite};
    case SSL_ERROR_ZERO_RETURN:
      return {Status::ended};
    default:
      return {Status::failed};
  }
}

}  // namespace tarnik
