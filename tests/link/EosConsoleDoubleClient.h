#pragma once

#include "OSCManagerTestSupport.h"

#include <QStringList>

#include <memory>

namespace tarnik::testing {

// A real OSCManager connected to a console double, as the sessions and the show sync use
// one, with everything it received kept in order.
class EosConsoleDoubleClient {
 public:
  EosConsoleDoubleClient(EosConsoleDouble &console, const TransportCase &transportCase)
      : manager_(makeManager(transportCase)), record_(*manager_) {
    connected_ = connectAndVerify(*manager_, console, transportCase);
  }
  EosConsoleDoubleClient(quint16 port, const TransportCase &transportCase)
      : manager_(makeManager(transportCase)), record_(*manager_) {
    manager_->connect(QStringLiteral("127.0.0.1"), port);
    connected_ = waitUntil([&] { return manager_->isEosVerified(); });
  }

  bool isConnected() const { return connected_; }
  OSCManager &manager() { return *manager_; }

  bool send(const QString &address, QList<OSCArgument> arguments = {}) {
    return manager_->send({address, std::move(arguments)});
  }
  bool type(const QString &line) {
    return send(QStringLiteral("/eos/newcmd"), {OSCArgument::fromString(line)});
  }

  const QList<OSCMessage> &messages() const { return record_.messages; }
  QList<OSCMessage> messagesTo(const QString &address) const { return record_.messagesTo(address); }
  // Waits until `count` messages to the address have arrived; gives them all.
  QList<OSCMessage> waitFor(const QString &address, qsizetype count = 1) {
    waitUntil([&] { return record_.messagesTo(address).size() >= count; });
    return record_.messagesTo(address);
  }
  // A ping's answer proves that everything answered before it has arrived.
  bool settle() {
    const qsizetype before = messagesTo(QStringLiteral("/eos/out/ping")).size();
    return send(QStringLiteral("/eos/ping"), {OSCArgument::fromString(QStringLiteral("settle"))}) &&
           waitFor(QStringLiteral("/eos/out/ping"), before + 1).size() > before;
  }
  // The (text, status) pairs of one user's command-line echoes, in order.
  QList<std::pair<QString, int>> echoes(int user) const {
    QList<std::pair<QString, int>> lines;
    for (const OSCMessage &m : messagesTo(QStringLiteral("/eos/out/user/%1/cmd").arg(user))) {
      const OSCArgument first = m.arguments.value(0);
      const OSCArgument second = m.arguments.value(1);
      const auto *text = std::get_if<QString>(&first.value);
      const auto *status = std::get_if<qint32>(&second.value);
      lines.append({text ? *text : QStringLiteral("(not a string)"), status ? *status : -999});
    }
    return lines;
  }
  void forget() { record_.messages.clear(); }

 private:
  std::unique_ptr<OSCManager> manager_;
  PublishedRecord record_;
  bool connected_ = false;
};

}  // namespace tarnik::testing
