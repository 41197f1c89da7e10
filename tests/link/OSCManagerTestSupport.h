#pragma once

#include "OSCTestSupport.h"
#include "link/OSCManager.h"
#include "support/EosConsoleDouble.h"
#include "support/QtTestApplication.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QUdpSocket>

#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

namespace tarnik::testing {

struct TransportCase {
  const char *name;
  OSCTransport transport;
  OSCTCPFraming framing;
};

inline void PrintTo(const TransportCase &transportCase, std::ostream *out) {
  *out << transportCase.name;
}

inline const TransportCase udpCase{"UDP", OSCTransport::udp, OSCTCPFraming::packetLength};
inline const TransportCase packetLengthCase{"TCPPacketLength", OSCTransport::tcp,
                                            OSCTCPFraming::packetLength};
inline const TransportCase slipCase{"TCPSLIP", OSCTransport::tcp, OSCTCPFraming::slip};

inline std::string transportCaseName(const ::testing::TestParamInfo<TransportCase> &info) {
  return info.param.name;
}

inline quint16 consolePort(const EosConsoleDouble &console, const TransportCase &transportCase) {
  return transportCase.transport == OSCTransport::udp ? console.udpPort()
                                                      : console.tcpPort(transportCase.framing);
}

inline std::unique_ptr<OSCManager> makeManager(const TransportCase &transportCase,
                                               double connectTimeout = 5,
                                               double verificationTimeout = 5) {
  ensureCoreApplication();
  auto manager = std::make_unique<OSCManager>(connectTimeout, verificationTimeout);
  manager->transport = transportCase.transport;
  manager->tcpFraming = transportCase.framing;
  return manager;
}

// Everything a manager publishes that the tests read as a sequence.
struct PublishedRecord {
  explicit PublishedRecord(OSCManager &manager) {
    QObject::connect(&manager, &OSCManager::connectionStateDescriptionChanged, &manager,
                     [this](const QString &text) { states.append(text); });
    QObject::connect(
        &manager, &OSCManager::lastErrorChanged, &manager,
        [this](const std::optional<QString> &error) { errors.append(error.value_or(QString())); });
    QObject::connect(&manager, &OSCManager::lastReceivedMessageChanged, &manager,
                     [this](const std::optional<OSCMessage> &message) {
                       if (message) messages.append(*message);
                     });
  }

  // The state texts with repeats in a row folded into one.
  QStringList distinctStates() const {
    QStringList distinct;
    for (const QString &state : states) {
      if (distinct.isEmpty() || distinct.last() != state) distinct.append(state);
    }
    return distinct;
  }

  QList<OSCMessage> messagesTo(const QString &address) const {
    QList<OSCMessage> matching;
    for (const OSCMessage &message : messages) {
      if (message.address == address) matching.append(message);
    }
    return matching;
  }

  QStringList states;
  QStringList errors;  // an empty text stands for a cleared error
  QList<OSCMessage> messages;
};

inline bool connectAndVerify(OSCManager &manager, const EosConsoleDouble &console,
                             const TransportCase &transportCase) {
  manager.connect(QStringLiteral("127.0.0.1"), consolePort(console, transportCase));
  return waitUntil([&] { return manager.isEosVerified(); });
}

// A port that nothing listens on at the moment.
inline quint16 freeUDPPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

}  // namespace tarnik::testing
