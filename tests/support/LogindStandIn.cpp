#include "support/LogindStandIn.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

namespace tarnik::testing {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");

}  // namespace

QList<LogindStandIn::Inhibitor> LogindStandIn::inhibitors() {
  const QDBusMessage reply = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
      service, path, QStringLiteral("org.freedesktop.login1.Manager"),
      QStringLiteral("ListInhibitors")));
  QList<Inhibitor> inhibitors;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return inhibitors;
  }
  const auto list = reply.arguments().constFirst().value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    Inhibitor inhibitor;
    uint user = 0;
    uint process = 0;
    list.beginStructure();
    list >> inhibitor.what >> inhibitor.who >> inhibitor.why >> inhibitor.mode >> user >> process;
    list.endStructure();
    inhibitors.append(inhibitor);
  }
  list.endArray();
  return inhibitors;
}

bool LogindStandIn::announcePrepareForSleep(bool sleeping) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      service, path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
  call << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForSleep")
       << QStringLiteral("b") << QVariantList{sleeping};
  return QDBusConnection::systemBus().call(call).type() == QDBusMessage::ReplyMessage;
}

}  // namespace tarnik::testing
