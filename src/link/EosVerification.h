#pragma once

#include "link/OSCMessage.h"
#include "link/OSCPingTracker.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace tarnik {

// Whether the peer is an Eos console. An open socket proves nothing: a wrong port, a wrong
// framing or another OSC device accepts bytes too. The peer is trusted once it answers the
// version request with two dotted version numbers, or echoes a nonce ping sent from here.
// Every received message goes through take() with its arrival time; what comes out says
// what that message proved. Holds the pings still waiting for their echo, the console
// identity held back until the proof, and whether the proof has come.
class EosVerification {
 public:
  // What one message proved: a round trip, the two versions, or both.
  struct Proof {
    std::optional<double> roundTripMilliseconds;
    std::optional<std::pair<QString, QString>> versions;  // software, fixture library
  };
  struct Outcome {
    std::optional<Proof> proof;
    // The console's identity text, handed out with every message once the peer is proved.
    std::optional<QString> consoleIdentity;
  };
  struct Ping {
    QString token;
    OSCMessage message;
  };

  static OSCMessage versionRequest();
  static OSCMessage processorsRequest();
  // A ping with a fresh token, counted as sent at the given monotonic time.
  Ping startPing(quint64 nowNanoseconds);
  // A ping that never left, or whose delivery failed, can no longer be echoed.
  void forgetPing(const QString &token);

  Outcome take(const OSCMessage &message, quint64 arrivalNanoseconds);

  bool isVerified() const { return verified_; }
  // Back to an unproved peer with no ping outstanding.
  void reset();

  // Two or more dot-separated base-10 integers, each with an optional sign.
  static bool isDottedNumeric(QStringView text);
  // int as its decimal number, float as its shortest text, string as itself, bool as
  // "true" or "false", blob as its byte count and "-byte blob".
  static QStringList argumentDescriptions(const QList<OSCArgument> &arguments);

 private:
  OSCPingTracker pings_;
  bool verified_ = false;
  std::optional<QString> pendingConsoleIdentity_;
};

}  // namespace tarnik
