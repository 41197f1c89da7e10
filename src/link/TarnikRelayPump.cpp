#include "link/TarnikRelayPump.h"

#include "link/TarnikRelayLeg.h"

namespace tarnik {

TarnikRelayPump::TarnikRelayPump(TarnikRelayLeg &source, TarnikRelayLeg &destination,
                                 std::chrono::milliseconds sendTimeout, QObject *parent)
    : QObject(parent),
      source_(source),
      destination_(destination),
      sourceReadable_(source.descriptor(), QSocketNotifier::Read),
      destinationWritable_(destination.descriptor(), QSocketNotifier::Write),
      chunk_(chunkLimit, Qt::Uninitialized) {
  sourceReadable_.setEnabled(false);
  destinationWritable_.setEnabled(false);
  connect(&sourceReadable_, &QSocketNotifier::activated, this, &TarnikRelayPump::pump);
  connect(&destinationWritable_, &QSocketNotifier::activated, this, &TarnikRelayPump::resume);
  sendTimer_.setSingleShot(true);
  sendTimer_.setInterval(sendTimeout);
  connect(&sendTimer_, &QTimer::timeout, this, &TarnikRelayPump::finish);
}

void TarnikRelayPump::start() {
  sourceReadable_.setEnabled(true);
  // What arrived before, even during the TLS handshake, may already wait.
  pump();
}

void TarnikRelayPump::pump() {
  if (finished_ || sentFrom_ < sentTo_) {
    return;
  }
  for (;;) {
    const TarnikRelayLeg::Outcome got = source_.read(chunk_.data(), chunkLimit);
    switch (got.status) {
      case TarnikRelayLeg::Status::done:
        sentFrom_ = 0;
        sentTo_ = got.count;
        // Back to waiting as soon as the socket holds nothing more: reading on until it says
        // so would cost a system call for every small command.
        if (!deliver() || !source_.holdsUnreadBytes()) {
          return;
        }
        break;
      case TarnikRelayLeg::Status::wantRead:
        return;
      case TarnikRelayLeg::Status::wantWrite:  // a TLS source has nothing to write
      case TarnikRelayLeg::Status::ended:
      case TarnikRelayLeg::Status::failed:
        finish();
        return;
    }
  }
}

// Sends what is left of the chunk; true once all of it is out.
bool TarnikRelayPump::deliver() {
  while (sentFrom_ < sentTo_) {
    const TarnikRelayLeg::Outcome put =
        destination_.write(chunk_.constData() + sentFrom_, sentTo_ - sentFrom_);
    if (put.status == TarnikRelayLeg::Status::done) {
      sentFrom_ += put.count;
    } else if (put.status == TarnikRelayLeg::Status::wantWrite) {
      // Only a chunk the network did not take at once needs its time limit.
      if (!sendTimer_.isActive()) {
        sendTimer_.start();
      }
      sourceReadable_.setEnabled(false);
      destinationWritable_.setEnabled(true);
      return false;
    } else {
      finish();
      return false;
    }
  }
  if (sendTimer_.isActive()) {
    sendTimer_.stop();
    destinationWritable_.setEnabled(false);
    sourceReadable_.setEnabled(true);
  }
  return true;
}

void TarnikRelayPump::resume() {
  if (!finished_ && deliver()) {
    pump();
  }
}

void TarnikRelayPump::finish() {
  if (finished_) {
    return;
  }
  finished_ = true;
  sendTimer_.stop();
  sourceReadable_.setEnabled(false);
  destinationWritable_.setEnabled(false);
  emit finished();
}

}  // namespace tarnik
