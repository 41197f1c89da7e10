#pragma once

#include "link/TarnikRelaySecurity.h"

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>
#include <QSslSocket>

namespace tarnik::testing {

// An endless stream of pseudo-random bytes fixed by its seed; a sender and a checker made
// from the same seed see the same bytes however they cut them up.
class StreamPattern {
 public:
  explicit StreamPattern(quint32 seed) : generator_(seed) {}
  QByteArray next(qint64 count);

 private:
  QRandomGenerator generator_;
  QByteArray pending_;
};

// A phone for the relay tests and benchmark: a TLS client on 127.0.0.1 armed as the
// phone side arms it, that records what comes back and whether the relay closed it. It
// can also stream a run of pattern bytes through an echoing console and check every byte
// of the echo, keeping only a bounded amount unsent.
class RelayTestPhone : public QObject {
  Q_OBJECT

 public:
  explicit RelayTestPhone(const TarnikRelaySecurity::Parameters &parameters,
                          QObject *parent = nullptr);

  void connectTo(quint16 port);
  QSslSocket &socket() { return socket_; }
  bool isEncrypted() const { return socket_.isEncrypted(); }
  // The connection ended: refused, failed or closed by the other side.
  bool isClosed() const { return closed_; }

  void send(const QByteArray &bytes);
  // Everything received so far, kept only while recording (the default).
  const QByteArray &received() const { return received_; }
  qint64 receivedCount() const { return receivedCount_; }
  void setRecording(bool recording) { recording_ = recording; }

  // Sends total pattern bytes and checks the echo against the same pattern.
  void startStream(qint64 total, quint32 seed);
  bool isStreamEchoed() const { return streamTotal_ > 0 && receivedCount_ >= streamTotal_; }
  qint64 mismatchedBytes() const { return mismatched_; }

 signals:
  void bytesArrived();
  void closed();

 private:
  void feedStream();
  void take();
  void end();

  QSslSocket socket_;
  bool closed_ = false;
  bool recording_ = true;
  QByteArray received_;
  qint64 receivedCount_ = 0;
  qint64 streamTotal_ = 0;
  qint64 streamSent_ = 0;
  qint64 mismatched_ = 0;
  std::optional<StreamPattern> outgoing_;
  std::optional<StreamPattern> expected_;
};

}  // namespace tarnik::testing
