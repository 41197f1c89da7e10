#include "link/TarnikRelayPumpThread.h"

#include "link/TarnikRelayBridge.h"
#include "link/TarnikRelayEventDispatcher.h"

namespace tarnik {

TarnikRelayPumpThread::TarnikRelayPumpThread() : bridges_(new QObject) {
  thread_.setObjectName(QStringLiteral("Tarnik relay pump"));
  thread_.setEventDispatcher(new TarnikRelayEventDispatcher);
  bridges_->moveToThread(&thread_);
  thread_.start();
}

TarnikRelayPumpThread::~TarnikRelayPumpThread() {
  // Queued after every start and shutdown already asked for, so those run first.
  QMetaObject::invokeMethod(
      bridges_, [bridges = bridges_] { delete bridges; }, Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

void TarnikRelayPumpThread::run(TarnikRelayBridge *bridge) {
  bridge->moveToThread(&thread_);
  QMetaObject::invokeMethod(
      bridges_,
      [bridges = bridges_, bridge] {
        bridge->setParent(bridges);
        bridge->start();
      },
      Qt::QueuedConnection);
}

}  // namespace tarnik
