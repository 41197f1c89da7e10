#include "link/AvahiEndpointResolver.h"
#include "link/OSCManager.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace tarnik {

namespace {

double clampedTimeLimit(double seconds) {
  // A NaN fails the comparison too, and so falls back to the minimum.
  return seconds > OSCManager::minimumTimeLimit ? seconds : OSCManager::minimumTimeLimit;
}

int timerMilliseconds(double seconds) {
  return int(std::ceil(std::min(seconds * 1000.0, double(std::numeric_limits<int>::max()))));
}

// Refused or unreachable while connecting means the console is not there yet: wait and
// try again rather than give up.
bool isWaitingError(QAbstractSocket::SocketError error) {
  return error == QAbstractSocket::ConnectionRefusedError ||
         error == QAbstractSocket::HostNotFoundError || error == QAbstractSocket::NetworkError;
}

constexpr int retryMilliseconds = 1000;

}  // namespace

OSCManager::OSCManager(double connectTimeout, double verificationTimeout, QObject *parent)
    : ObservableObject(parent),
      connectTimeout_(clampedTimeLimit(connectTimeout)),
      verificationTimeout_(clampedTimeLimit(verificationTimeout)) {
  for (QTimer *timer : {&connectTimeoutTimer_, &verificationTimeoutTimer_, &retryTimer_}) {
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  rateTimer_.setTimerType(Qt::PreciseTimer);
  serviceResolver_ = std::make_shared<AvahiEndpointResolver>();
  // OSCManager::connect hides the inherited name, hence the qualified calls.
  QObject::connect(&discovery_, &OSCServiceDiscovery::servicesReplaced, this,
                   [this](const QList<OSCEndpoint> &services) {
                     publish(discoveredServices_, services, &OSCManager::discoveredServicesChanged);
                   });
  QObject::connect(&discovery_, &OSCServiceDiscovery::failed, this, &OSCManager::publishStatus);
}

void OSCManager::startDiscovery() { discovery_.start(); }

OSCManager::~OSCManager() { teardown(); }

void OSCManager::connect(const QString &host, quint16 port) {
  if (port == 0) {
    publishStatus(QStringLiteral("Invalid OSC port ") + QString::number(port));
    return;
  }
  scheduleConnection(OSCEndpoint::hostPort(host, port), host + u':' + QString::number(port));
}

void OSCManager::connect(const OSCEndpoint &endpoint) {
  scheduleConnection(endpoint, endpoint.description());
}

void OSCManager::scheduleConnection(const OSCEndpoint &endpoint, const QString &endpointText) {
  QMetaObject::invokeMethod(
      this,
      [this, epoch = scheduleEpoch_, endpoint, endpointText, transport = transport,
       framing = tcpFraming, pairingKey = relayPairingKey] {
        if (epoch == scheduleEpoch_)
          startConnection(endpoint, endpointText, transport, framing, pairingKey);
      },
      Qt::QueuedConnection);
}

void OSCManager::disconnect() {
  onOwnThread([this] {
    ++scheduleEpoch_;
    resetConnection(QStringLiteral("Disconnected"), std::nullopt);
  });
}

void OSCManager::setServiceResolver(std::shared_ptr<OSCServiceResolver> resolver) {
  serviceResolver_ = std::move(resolver);
}

void OSCManager::startConnection(const OSCEndpoint &endpoint, const QString &endpointText,
                                 OSCTransport transport, OSCTCPFraming framing,
                                 const std::optional<QString> &pairingKey) {
  resetConnection(QStringLiteral("Connecting to ") + endpointText, std::nullopt);
  const Identity identity = activeConnectionID_;
  activeTransport_ = transport;
  activeTCPFraming_ = framing;
  activeEndpointDescription_ = endpointText;
  activeEndpoint_ = endpoint;
  tcpFramer_ = OSCTCPFramer(framing);
  // Parsed from the text as given: the lower-casing of the normalized form would also
  // change an interface name in an IPv6 scope.
  if (normalizedHost(endpoint)) expectedUDPSenderHost_ = QHostAddress(endpoint.asHostPort()->host);
  transportDescription(endpointText, transport, framing, identity);

  if (pairingKey) {
    if (transport == OSCTransport::udp) {
      failConnection(identity, QStringLiteral("Mac relay requires TCP."));
      return;
    }
    auto parameters = TarnikRelaySecurity::parameters(*pairingKey);
    if (!parameters) {
      failConnection(identity, QStringLiteral("Invalid Mac pairing code."));
      return;
    }
    relayParameters_ = std::move(*parameters);
  }

  createSocket(identity);
  // Armed before the socket starts: a UDP socket may become ready within the call.
  armConnectTimeout(identity, endpointText);
  if (const OSCEndpoint::Service *service = endpoint.asService()) {
    resolveService(*service, identity);
  } else {
    openSocket(identity);
  }
}

void OSCManager::createSocket(Identity identity) {
  QAbstractSocket *socket = nullptr;
  if (activeTransport_ == OSCTransport::udp) {
    socket = new QUdpSocket(this);
  } else if (relayParameters_) {
    auto *tls = new QSslSocket(this);
    TarnikRelaySecurity::armClientSocket(*tls, *relayParameters_);
    QObject::connect(tls, &QSslSocket::encrypted, this,
                     [this, identity] { handleSocketReady(identity); });
    socket = tls;
  } else {
    socket = new QTcpSocket(this);
  }
  connection_ = socket;

  QObject::connect(socket, &QAbstractSocket::stateChanged, this,
                   [this, identity](QAbstractSocket::SocketState state) {
                     // Retries while waiting stay quiet: the waiting text says enough.
                     if (state == QAbstractSocket::HostLookupState &&
                         identity == activeConnectionID_ && !waitingDetail_) {
                       publishConnectionState(identity, false,
                                              QStringLiteral("Preparing connection"), std::nullopt);
                     }
                   });
  if (!relayParameters_) {
    QObject::connect(socket, &QAbstractSocket::connected, this,
                     [this, identity] { handleSocketReady(identity); });
  }
  QObject::connect(
      socket, &QAbstractSocket::errorOccurred, this,
      [this, identity](QAbstractSocket::SocketError error) { handleSocketError(identity, error); });
  QObject::connect(socket, &QAbstractSocket::disconnected, this,
                   [this, identity] { handleSocketDisconnected(identity); });
  if (activeTransport_ == OSCTransport::tcp) {
    QObject::connect(socket, &QIODevice::bytesWritten, this,
                     [this, identity](qint64 bytes) { completeWrites(bytes, identity); });
  }
}

void OSCManager::openSocket(Identity identity) {
  if (identity != activeConnectionID_ || !connection_) return;
  const OSCEndpoint::HostPort target =
      resolvedTarget_ ? *resolvedTarget_ : *activeEndpoint_.asHostPort();
  if (connection_->state() != QAbstractSocket::UnconnectedState) connection_->abort();
  if (auto *tls = qobject_cast<QSslSocket *>(connection_)) {
    tls->connectToHostEncrypted(target.host, target.port);
  } else {
    connection_->connectToHost(target.host, target.port);
  }
}

void OSCManager::resolveService(const OSCEndpoint::Service &service, Identity identity) {
  if (!serviceResolver_) {
    failConnection(
        identity,
        QStringLiteral("OSC connection failed: Bonjour service resolution is unavailable."));
    return;
  }
  serviceResolver_->resolve(service, [self = QPointer<OSCManager>(this), identity](auto result) {
    if (!self || self->activeConnectionID_ != identity) return;
    if (!result) {
      self->failConnection(identity, QStringLiteral("OSC connection failed: ") + result.error());
      return;
    }
    self->resolvedTarget_ = *result;
    self->openSocket(identity);
  });
}

void OSCManager::handleSocketReady(Identity identity) {
  if (identity != activeConnectionID_ || connectionReady_) return;
  connectTimeoutTimer_.stop();
  retryTimer_.stop();
  waitingDetail_.reset();
  connectionReady_ = true;
  const bool isTCP = activeTransport_ == OSCTransport::tcp;
  // Console commands are small and interactive; they must not wait for a full segment.
  if (isTCP) connection_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  startRateTimer(identity);
  pathDescription(*connection_, identity);
  publishConnectionState(identity, true,
                         (isTCP ? QStringLiteral("TCP open — verifying Eos at ")
                                : QStringLiteral("UDP ready — verifying Eos at ")) +
                             activeEndpointDescription_,
                         std::nullopt);
  if (!receiveLoopStarted_) {
    receiveLoopStarted_ = true;
    if (isTCP) {
      QObject::connect(connection_, &QIODevice::readyRead, this,
                       [this, identity] { readStream(identity); });
      if (connection_->bytesAvailable() > 0) readStream(identity);
    } else {
      QObject::connect(connection_, &QIODevice::readyRead, this,
                       [this, identity] { readDatagrams(identity); });
      if (static_cast<QUdpSocket *>(connection_)->hasPendingDatagrams()) readDatagrams(identity);
    }
  }
  beginVerification(identity, activeEndpointDescription_);
}

void OSCManager::handleSocketError(Identity identity, QAbstractSocket::SocketError error) {
  if (identity != activeConnectionID_ || !connection_) return;
  const QString detail = connection_->errorString();
  if (!connectionReady_) {
    if (isWaitingError(error)) {
      if (waitingDetail_ != detail) {
        waitingDetail_ = detail;
        waitingDescription(detail, identity);
      }
      scheduleRetry(identity);
    } else {
      failConnection(identity, QStringLiteral("OSC connection failed: ") + detail);
    }
    return;
  }
  if (activeTransport_ == OSCTransport::udp) {
    // A refusal report is the kernel passing on an ICMP "port unreachable" for an earlier
    // datagram: the console may simply not listen yet. Errors raised while a datagram is
    // written belong to that send and are counted there.
    if (error == QAbstractSocket::ConnectionRefusedError ||
        error == QAbstractSocket::TemporaryError || writingDatagram_) {
      return;
    }
    failConnection(identity, QStringLiteral("OSC UDP receive failed: ") + detail);
    return;
  }
  // Whatever arrived before the close is handed on before the connection ends.
  drainStream(identity);
  if (identity != activeConnectionID_) return;
  failConnection(identity, error == QAbstractSocket::RemoteHostClosedError
                               ? QStringLiteral("OSC TCP connection closed by the console")
                               : QStringLiteral("OSC TCP receive failed: ") + detail);
}

void OSCManager::handleSocketDisconnected(Identity identity) {
  // Our own teardowns detach from the socket first, so this is someone else closing it.
  if (identity != activeConnectionID_) return;
  if (connectionReady_ && activeTransport_ == OSCTransport::tcp) drainStream(identity);
  failConnection(identity, std::nullopt);
}

void OSCManager::scheduleRetry(Identity identity) {
  armTimer(retryTimer_, retryMilliseconds / 1000.0, [this, identity] {
    if (identity == activeConnectionID_ && !connectionReady_) openSocket(identity);
  });
}

void OSCManager::armConnectTimeout(Identity identity, const QString &endpointText) {
  armTimer(connectTimeoutTimer_, connectTimeout_, [this, identity, endpointText] {
    if (identity != activeConnectionID_ || connectionReady_) return;
    failConnection(
        identity,
        QStringLiteral("OSC connection to ") + endpointText +
            QStringLiteral(" did not become socket-ready within ") + secondsText(connectTimeout_) +
            QStringLiteral(". Check the host, port, private-IP route, and console OSC settings."));
  });
}

void OSCManager::armTimer(QTimer &timer, double seconds, std::function<void()> action) {
  timer.stop();
  QObject::disconnect(&timer, &QTimer::timeout, this, nullptr);
  QObject::connect(&timer, &QTimer::timeout, this, std::move(action));
  timer.start(timerMilliseconds(seconds));
}

void OSCManager::failConnection(Identity identity, const std::optional<QString> &message) {
  if (identity != activeConnectionID_) return;
  publishTeardown(teardown(), QStringLiteral("Disconnected"), message, false);
}

void OSCManager::resetConnection(const QString &stateText, const std::optional<QString> &error) {
  publishTeardown(teardown(), stateText, error, true);
}

OSCManager::Identity OSCManager::teardown() {
  activeConnectionID_ = ++lastIdentity_;
  listenerID_ = ++lastIdentity_;
  closeSocket(connection_);
  connection_ = nullptr;
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  connectionReady_ = false;
  eosVerifiedOnQueue_ = false;
  receiveLoopStarted_ = false;
  pendingProcessorIdentity_.reset();
  expectedUDPSenderHost_.reset();
  tcpFramer_.reset();
  pingTracker_.reset();
  roundTripSampleTimestamp_.reset();
  connectTimeoutTimer_.stop();
  verificationTimeoutTimer_.stop();
  retryTimer_.stop();
  rateTimer_.stop();
  receivedTimestamps_.clear();
  deliveries_.clear();
  waitingDetail_.reset();
  resolvedTarget_.reset();
  relayParameters_.reset();
  return activeConnectionID_;
}

void OSCManager::closeSocket(QAbstractSocket *socket) {
  if (!socket) return;
  // Detach first so that the close reports nothing back; the object itself may be the one
  // whose signal is running, so it goes at the next turn (or with the manager).
  QObject::disconnect(socket, nullptr, this, nullptr);
  socket->abort();
  socket->deleteLater();
}

void OSCManager::publishTeardown(Identity identity, const QString &stateText,
                                 const std::optional<QString> &error, bool clearTraffic) {
  publishFor(identity, [this, stateText, error, clearTraffic] {
    const QString notConnected = QStringLiteral("Not connected");
    const QString unavailable = QStringLiteral("Unavailable");
    publish(isConnected_, false, &OSCManager::isConnectedChanged);
    publish(isEosVerified_, false, &OSCManager::isEosVerifiedChanged);
    publish(connectionStateDescription_, stateText, &OSCManager::connectionStateDescriptionChanged);
    publish(lastError_, error, &OSCManager::lastErrorChanged);
    publish(lastEosResponse_, std::nullopt, &OSCManager::lastEosResponseChanged);
    publish(lastPingResponse_, std::nullopt, &OSCManager::lastPingResponseChanged);
    publish(verifiedSoftwareVersion_, std::nullopt, &OSCManager::verifiedSoftwareVersionChanged);
    publish(verifiedFixtureLibraryVersion_, std::nullopt,
            &OSCManager::verifiedFixtureLibraryVersionChanged);
    publish(verifiedConsoleIdentity_, std::nullopt, &OSCManager::verifiedConsoleIdentityChanged);
    publish(roundTripMilliseconds_, std::nullopt, &OSCManager::roundTripMillisecondsChanged);
    publish(roundTripSampleAgeSeconds_, std::nullopt,
            &OSCManager::roundTripSampleAgeSecondsChanged);
    publish(roundTripSampleCount_, 0, &OSCManager::roundTripSampleCountChanged);
    publish(receivedMessageRate_, 0.0, &OSCManager::receivedMessageRateChanged);
    publish(effectiveEndpointDescription_, notConnected,
            &OSCManager::effectiveEndpointDescriptionChanged);
    publish(effectiveTransportDescription_, notConnected,
            &OSCManager::effectiveTransportDescriptionChanged);
    publish(networkPathDescription_, unavailable, &OSCManager::networkPathDescriptionChanged);
    publish(localEndpointDescription_, unavailable, &OSCManager::localEndpointDescriptionChanged);
    if (!clearTraffic) return;
    publish(lastReceivedMessage_, std::nullopt, &OSCManager::lastReceivedMessageChanged);
    publish(attemptedMessageCount_, 0, &OSCManager::attemptedMessageCountChanged);
    publish(queuedMessageCount_, 0, &OSCManager::queuedMessageCountChanged);
    publish(failedSendCount_, 0, &OSCManager::failedSendCountChanged);
    publish(sentMessageCount_, 0, &OSCManager::sentMessageCountChanged);
    publish(receivedMessageCount_, 0, &OSCManager::receivedMessageCountChanged);
    publish(sentByteCount_, 0, &OSCManager::sentByteCountChanged);
    publish(receivedByteCount_, 0, &OSCManager::receivedByteCountChanged);
  });
}

qint64 OSCManager::monotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace tarnik
