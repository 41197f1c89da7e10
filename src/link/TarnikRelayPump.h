#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

namespace tarnik {

class TarnikRelayLeg;

// Copies one direction of a relay session unchanged: one chunk of at most 32,768 bytes at
// a time, and the next chunk is read only once the previous one has left for the network,
// so a slow reader slows the writer instead of growing a buffer. Bytes that arrive just
// before the source closes are still delivered before finished(). Lives on the thread that
// starts it; both legs must outlive it.
class TarnikRelayPump : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 chunkLimit = 32768;

  TarnikRelayPump(TarnikRelayLeg &source, TarnikRelayLeg &destination,
                  std::chrono::milliseconds sendTimeout, QObject *parent = nullptr);

  void start();

 signals:
  // The source ended after its last chunk was delivered, a leg failed, or a chunk was not
  // sent within the send time. Emitted once.
  void finished();

 private:
  void pump();
  bool deliver();
  void resume();
  void finish();

  TarnikRelayLeg &source_;
  TarnikRelayLeg &destination_;
  QSocketNotifier sourceReadable_;
  QSocketNotifier destinationWritable_;
  QByteArray chunk_;     // one buffer for every chunk of this direction
  qint64 sentFrom_ = 0;  // the part of the chunk still to send
  qint64 sentTo_ = 0;
  QTimer sendTimer_;
  bool finished_ = false;
};

}  // namespace tarnik
