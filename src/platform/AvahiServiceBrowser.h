#pragma once

#include "platform/AvahiFailureReport.h"
#include "platform/AvahiService.h"
#include "platform/AvahiServiceTable.h"

#include <QObject>

#include <memory>

struct AvahiServiceBrowser;

namespace tarnik {

class AvahiDaemonConnection;

// Browses the default domains on every interface for one service type, from construction
// until destruction. Every change is reported as the complete current list of services.
// Reports always arrive from the event loop, never from inside a call on this object, so
// a receiver may destroy the browser from its slot. A failure (no daemon, a lost
// daemon, a refused browse) is reported once with Avahi's error text; the browser then
// reports nothing more.
class AvahiServiceBrowser : public QObject {
  Q_OBJECT

 public:
  explicit AvahiServiceBrowser(const QString &type, QObject *parent = nullptr);
  ~AvahiServiceBrowser() override;

 signals:
  void servicesChanged(const QList<tarnik::AvahiService> &services);
  void failed(const QString &errorText);

 private:
  static void browserEvent(::AvahiServiceBrowser *, int interface, int protocol, int event,
                           const char *name, const char *type, const char *domain, void *userdata);
  void reportServices();
  void fail(const QString &errorText) { failure_.fail(this, errorText); }

  std::unique_ptr<AvahiDaemonConnection> connection_;
  ::AvahiServiceBrowser *browser_ = nullptr;
  AvahiServiceTable table_;
  AvahiFailureReport failure_;
};

}  // namespace tarnik
