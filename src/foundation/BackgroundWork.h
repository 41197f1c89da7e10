#pragma once

#include "foundation/SerialWorker.h"

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <utility>

namespace tarnik {

// The way back to a receiver on its own thread from a thread nobody waits for, which may
// still be running when the receiver, or the application, is gone. It is cut, under its
// lock, as the receiver is destroyed and before Qt drops the events still queued for it, so
// a call is posted only to a receiver that lives and runs only while it still does.
class HandBack {
 public:
  explicit HandBack(QObject *receiver);  // on the receiver's thread
  void post(std::function<void()> call) const;

  struct Mailbox;

 private:
  std::shared_ptr<Mailbox> mailbox_;
};

// The work, as a call for a worker thread, that hands its result to `deliver` on the
// receiver's thread while the receiver lives.
template <class Work, class Deliver>
auto handedBack(QObject *receiver, Work work, Deliver deliver) {
  return [back = HandBack(receiver), work = std::move(work), deliver = std::move(deliver)] {
    back.post([deliver, result = work()] { deliver(result); });
  };
}

// Runs work that would hold up the GUI thread (heavy decoding) on the shared thread pool and
// hands its result back on the GUI thread while its receiver lives.
template <class Work, class Deliver>
void runInBackground(QObject *receiver, Work work, Deliver deliver) {
  QThreadPool::globalInstance()->start(handedBack(receiver, std::move(work), std::move(deliver)));
}

// Keychain calls get a thread of their own, taken in turn: the Secret Service answers one
// call at a time anyway, and one that hangs until D-Bus gives up, or waits for the person
// to unlock the keychain, holds none of the shared pool's threads (the catalog's decoding
// goes on) and does not hold up the end of the program.
SerialWorker &keychainThread();

// File writes that may take seconds (a large show's snapshots), or hang on a disk that does
// not answer, get a thread of their own too: the shared pool's threads stay free, and the end
// of the program waits for them only as long as their owner chooses.
SerialWorker &fileWriteThread();

// Runs a keychain call there and hands its result back on the GUI thread while its receiver
// lives.
template <class Work, class Deliver>
void runOnKeychainThread(QObject *receiver, Work work, Deliver deliver) {
  keychainThread().start(handedBack(receiver, std::move(work), std::move(deliver)));
}

}  // namespace tarnik
