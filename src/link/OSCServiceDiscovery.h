#pragma once

#include "foundation/CallbackIdentity.h"
#include "link/BonjourBrowsing.h"
#include "link/OSCEndpoint.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace tarnik {

// Finds the OSC services ("_osc._udp") on the local network for OSCManager, which owns
// one, forwards startDiscovery() to start(), publishes every servicesReplaced() list as
// its discoveredServices and hands every failed() text to its status publication.
//
// Each start replaces the browser; anything an earlier browser reports afterwards is
// dropped. The list of a browser is handed on one event-loop turn after the browser
// reported it, as a whole and in the browser's order, and only if that browser is still
// the current one by then. A failure keeps the last list; the failed browser is not
// restarted. Discovery runs until the next start or until the object goes.
class OSCServiceDiscovery : public QObject {
  Q_OBJECT

 public:
  explicit OSCServiceDiscovery(BonjourBrowserFactory makeBrowser = avahiBrowserFactory(),
                               QObject *parent = nullptr);

  // Callable from any thread; the browser is replaced on this object's thread on the next
  // event-loop turn.
  void start();

 signals:
  void servicesReplaced(const QList<tarnik::OSCEndpoint> &services);
  // "OSC discovery failed: " followed by the browser's error description.
  void failed(const QString &statusText);

 private:
  void restart();

  BonjourBrowserFactory makeBrowser_;
  std::unique_ptr<QObject> browser_;
  CallbackIdentity browserID_;
};

}  // namespace tarnik
