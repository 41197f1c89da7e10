#pragma once

#include <QtGlobal>

#include <memory>
#include <openssl/types.h>

namespace tarnik {

class TarnikRelayTlsContext;

// One connected side of a relay session: a non-blocking socket, and on the phone's side the
// TLS connection over it. Owns both and closes them when it goes. Not thread-safe: one
// thread at a time, handed over through a queued call.
class TarnikRelayLeg {
 public:
  enum class Status {
    done,       // count bytes went through (for handshake(): the handshake is complete)
    wantRead,   // try again once the socket is readable
    wantWrite,  // try again once the socket is writable
    ended,      // the peer closed its side; everything it sent has been read
    failed,
  };
  struct Outcome {
    Status status;
    qint64 count = 0;
  };

  // Takes the descriptor; the TLS leg also shares the context its connection came from.
  static std::unique_ptr<TarnikRelayLeg> plain(int descriptor);
  static std::unique_ptr<TarnikRelayLeg> secure(
      int descriptor, std::shared_ptr<const TarnikRelayTlsContext> context);
  ~TarnikRelayLeg();
  TarnikRelayLeg(const TarnikRelayLeg &) = delete;
  TarnikRelayLeg &operator=(const TarnikRelayLeg &) = delete;

  int descriptor() const { return descriptor_; }

  // The server side of the TLS handshake; a plain leg is done at once.
  Outcome handshake();
  Outcome read(char *bytes, qint64 limit);
  Outcome write(const char *bytes, qint64 count);
  // TLS legs only: whether data is there to read, done with a count of 1 when so, without
  // taking it. Records that carry no data are taken on the way.
  Outcome peek();
  // Bytes the TLS connection took from the socket but has not handed out yet: the socket
  // will not report them as readable again.
  bool holdsUnreadBytes() const;

 private:
  TarnikRelayLeg(int descriptor, SSL *connection,
                 std::shared_ptr<const TarnikRelayTlsContext> context);
  Outcome tlsOutcome(int result);

  int descriptor_;
  SSL *connection_;  // null for a plain leg
  std::shared_ptr<const TarnikRelayTlsContext> context_;
};

}  // namespace tarnik
