#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>

class QAbstractSocket;
class QSslSocket;

namespace tarnik {

// Copies one direction of a relay session unchanged: one chunk of at most 32,768 bytes at
// a time, and the next chunk is read only once the previous one has left for the network,
// so a slow reader slows the writer instead of growing a buffer. Bytes that arrive just
// before the source closes are still delivered before finished().
class TarnikRelayPump : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 chunkLimit = 32768;

  TarnikRelayPump(QAbstractSocket &source, QAbstractSocket &destination,
                  std::chrono::milliseconds sendTimeout, QObject *parent = nullptr);

  void start();

 signals:
  // The source ended after its last chunk was delivered, a leg failed, or a chunk was not
  // sent within the send time. Emitted once.
  void finished();

 private:
  void pump();
  bool send(const char *bytes, qint64 count);
  bool sendDirectly(const char *bytes, qint64 count);
  void written();
  bool destinationDrained() const;
  void finish();

  QAbstractSocket &source_;
  QAbstractSocket &destination_;
  QSslSocket *secureDestination_;
  QByteArray chunk_;  // one buffer for every chunk of this direction
  QTimer sendTimer_;
  bool started_ = false;
  bool chunkInFlight_ = false;
  bool pumping_ = false;
  bool sourceEnded_ = false;
  bool finished_ = false;
};

}  // namespace tarnik
