#include "support/EosConsoleDoubleThread.h"

namespace tarnik::testing {

EosConsoleDoubleThread::EosConsoleDoubleThread(EosConsoleDouble::Options options)
    : context_(std::make_unique<QObject>()) {
  thread_.start();
  context_->moveToThread(&thread_);
  QMetaObject::invokeMethod(
      context_.get(),
      [this, options] {
        console_ = std::make_unique<EosConsoleDouble>(options);
        udpPort_ = console_->udpPort();
        packetLengthPort_ = console_->tcpPort(OSCTCPFraming::packetLength);
        slipPort_ = console_->tcpPort(OSCTCPFraming::slip);
      },
      Qt::BlockingQueuedConnection);
}

EosConsoleDoubleThread::~EosConsoleDoubleThread() {
  QMetaObject::invokeMethod(
      context_.get(), [this] { console_.reset(); }, Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

void EosConsoleDoubleThread::run(const std::function<void(EosConsoleDouble &)> &work) {
  QMetaObject::invokeMethod(
      context_.get(),
      [this, &work] {
        if (console_) work(*console_);
      },
      Qt::BlockingQueuedConnection);
}

}  // namespace tarnik::testing
