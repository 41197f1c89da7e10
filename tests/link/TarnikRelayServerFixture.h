#pragma once

// Shared ground for the relay server tests: a pairing code, a loopback echo console and a
// relay started against it, plus phones armed from the same code.

#include "link/TarnikRelayServer.h"
#include "support/EchoConsole.h"
#include "support/QtTestApplication.h"
#include "support/RelayTestPhone.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik::testing {

inline QByteArray relayKey(char first = 1) {
  QByteArray key(32, '\0');
  for (int i = 0; i < key.size(); ++i) key[i] = static_cast<char>(first + i * 5);
  return key;
}

inline QString pairingCodeOf(const QByteArray &key) { return QString::fromLatin1(key.toBase64()); }

inline TarnikRelaySecurity::Parameters phoneParameters(const QByteArray &key = relayKey()) {
  return *TarnikRelaySecurity::parameters(pairingCodeOf(key));
}

// A port on which nothing listens right now.
inline quint16 closedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class TarnikRelayServerFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureCoreApplication(); }

  OSCEndpoint consoleEndpoint() const {
    return OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), console.port());
  }

  // Starts the relay on a free port against the echo console and waits until it listens.
  quint16 startRelay(TarnikRelayServer &server,
                     std::optional<OSCEndpoint> endpoint = std::nullopt) {
    server.start(endpoint.value_or(consoleEndpoint()), 0, pairingCodeOf(relayKey()));
    if (!QTest::qWaitFor([&] { return server.isRunning(); }, 5000)) return 0;
    return server.boundPort().value_or(0);
  }

  std::unique_ptr<RelayTestPhone> phone(quint16 port, const QByteArray &key = relayKey()) {
    auto made = std::make_unique<RelayTestPhone>(phoneParameters(key));
    made->connectTo(port);
    return made;
  }

  EchoConsole console;
};

}  // namespace tarnik::testing
