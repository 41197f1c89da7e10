#pragma once

#include "platform/AvahiFailureReport.h"

#include <QObject>
#include <QString>

#include <memory>

struct AvahiEntryGroup;

namespace tarnik {

class AvahiDaemonConnection;

// Announces one service (no TXT record) on every interface in the default domain, from
// construction until destruction. When another service already holds the name, the
// advertiser moves to Avahi's alternative name ("Name #2", then "Name #3", ...) and tries
// again; registered() names the name that finally holds. Reports arrive from the event
// loop only. A failure is reported with Avahi's error text and ends the announcement.
class AvahiServiceAdvertiser : public QObject {
  Q_OBJECT

 public:
  AvahiServiceAdvertiser(const QString &name, const QString &type, quint16 port,
                         QObject *parent = nullptr);
  ~AvahiServiceAdvertiser() override;

 signals:
  void registered(const QString &name);
  void failed(const QString &errorText);

 private:
  void clientStateChanged(int state);
  void groupStateChanged(int state);
  void publish();
  void takeAlternativeName();
  void fail(const QString &errorText) { failure_.fail(this, errorText); }

  QString name_;
  QString type_;
  quint16 port_ = 0;
  std::unique_ptr<AvahiDaemonConnection> connection_;
  ::AvahiEntryGroup *group_ = nullptr;
  AvahiFailureReport failure_;
};

}  // namespace tarnik
