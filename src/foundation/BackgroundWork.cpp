#include "foundation/BackgroundWork.h"

#include <mutex>

namespace tarnik {

struct HandBack::Mailbox {
  std::mutex mutex;
  QObject *box = nullptr;
};

namespace {

// Goes with its receiver, as its child, and closes the mailbox as it does.
class Box : public QObject {
 public:
  Box(QObject *receiver, std::shared_ptr<HandBack::Mailbox> mailbox)
      : QObject(receiver), mailbox_(std::move(mailbox)) {
    mailbox_->box = this;
  }
  ~Box() override {
    std::lock_guard lock(mailbox_->mutex);
    mailbox_->box = nullptr;
  }

 private:
  std::shared_ptr<HandBack::Mailbox> mailbox_;
};

}  // namespace

HandBack::HandBack(QObject *receiver) : mailbox_(std::make_shared<Mailbox>()) {
  new Box(receiver, mailbox_);
}

void HandBack::post(std::function<void()> call) const {
  std::lock_guard lock(mailbox_->mutex);
  QObject *box = mailbox_->box;
  if (!box) return;
  QMetaObject::invokeMethod(
      box,
      [box, call = std::move(call)] {
        box->deleteLater();
        call();
      },
      Qt::QueuedConnection);
}

SerialWorker &keychainThread() {
  static SerialWorker worker;
  return worker;
}

SerialWorker &fileWriteThread() {
  static SerialWorker worker;
  return worker;
}

}  // namespace tarnik
