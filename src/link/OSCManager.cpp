#include "link/OSCManager.h"

#include "foundation/NumberRules.h"
#include "foundation/ReferenceDate.h"
#include "link/AvahiEndpointResolver.h"
#include "link/LinkLogging.h"
#include "link/OSCHostAddress.h"
#include "link/OSCNetworkPath.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <arpa/inet.h>
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

bool isIPv4Literal(const QString &text) {
  in_addr address{};
  // A NUL would end the text early for inet_pton and let trailing junk through.
  return !text.contains(QChar(u'\0')) &&
         inet_pton(AF_INET, text.toLatin1().constData(), &address) == 1;
}

// Called where a state text is published, after the identity check, so the trail shows
// only what the screen showed.
void logConnectionState(const QString &stateText, const std::optional<QString> &error) {
  if (error)
    qCInfo(tarnikLink).noquote() << "connection state:" << stateText << "| error:" << *error;
  else
    qCInfo(tarnikLink).noquote() << "connection state:" << stateText;
}

constexpr int retryMilliseconds = 1000;
constexpr int rateTickMilliseconds = 500;
// One turn of the event loop reads at most this many datagrams from one socket, so a
// flooding console cannot keep the window from drawing; the rest waits for the next turn.
constexpr int datagramsPerTurn = 256;
// What Qt may hold for a TCP console beyond what has been taken in: the kernel's window
// holds back the rest, rather than the process's memory.
constexpr qint64 streamReadBufferSize = 4 * OSCManager::maximumReadSize;

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
  QObject::connect(&discovery_, &OSCServiceDiscovery::failed, this, [this](const QString &text) {
    publish(discoveryError_, text, &OSCManager::discoveryErrorChanged);
    publishStatus(text);
  });
}

void OSCManager::startDiscovery() { discovery_.start(); }

OSCManager::~OSCManager() { teardown(); }

// ---------------------------------------------------------------- lifecycle

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
      [this, scheduled = scheduledWork_.current(), endpoint, endpointText, transport = transport,
       framing = tcpFraming, pairingKey = relayPairingKey] {
        if (scheduledWork_.isCurrent(scheduled))
          startConnection(endpoint, endpointText, transport, framing, pairingKey);
      },
      Qt::QueuedConnection);
}

void OSCManager::disconnect() {
  onOwnThread([this] {
    scheduledWork_.renew();
    resetConnection(QStringLiteral("Disconnected"), std::nullopt);
  });
}

void OSCManager::setServiceResolver(std::shared_ptr<OSCServiceResolver> resolver) {
  serviceResolver_ = std::move(resolver);
}

void OSCManager::setPingReplyClock(UptimeSource clock) {
  pingReplyClock_ = clock ? std::move(clock) : UptimeSource(systemUptime);
}

void OSCManager::startConnection(const OSCEndpoint &endpoint, const QString &endpointText,
                                 OSCTransport transport, OSCTCPFraming framing,
                                 const std::optional<QString> &pairingKey) {
  resetConnection(QStringLiteral("Connecting to ") + endpointText, std::nullopt);
  const Identity identity = activeConnectionID_.current();
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
    // The handshake gets no limit of its own: the connect time limit covers it, and says so.
    TarnikRelaySecurity::armClientSocket(*tls, *relayParameters_, std::nullopt);
    QObject::connect(tls, &QSslSocket::encrypted, this,
                     [this, identity] { handleSocketReady(identity); });
    socket = tls;
  } else {
    socket = new QTcpSocket(this);
  }
  connection_ = socket;
  if (activeTransport_ == OSCTransport::tcp) socket->setReadBufferSize(streamReadBufferSize);

  QObject::connect(socket, &QAbstractSocket::stateChanged, this,
                   [this, identity](QAbstractSocket::SocketState state) {
                     // Retries while waiting stay quiet: the waiting text says enough.
                     if (state == QAbstractSocket::HostLookupState &&
                         activeConnectionID_.isCurrent(identity) && !waitingDetail_) {
                       publishConnectionState(identity, false,
                                              QStringLiteral("Preparing connection"), std::nullopt);
                     }
                   });
  if (!relayParameters_) {
    // A UDP socket is connected within connectToHost(). Its ready state waits for the next
    // turn, as a TCP one does, so that a startListening() asked for right after the connect
    // has bound the reply port before the verification requests leave: a console that
    // answers to a fixed port answers within a millisecond.
    QObject::connect(
        socket, &QAbstractSocket::connected, this,
        [this, identity] { handleSocketReady(identity); }, Qt::QueuedConnection);
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
  if (!activeConnectionID_.isCurrent(identity) || !connection_) return;
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
    if (!self || !self->activeConnectionID_.isCurrent(identity)) return;
    if (!result) {
      self->failConnection(identity, QStringLiteral("OSC connection failed: ") + result.error());
      return;
    }
    self->resolvedTarget_ = *result;
    self->openSocket(identity);
  });
}

void OSCManager::handleSocketReady(Identity identity) {
  if (!activeConnectionID_.isCurrent(identity) || connectionReady_ || !connection_) return;
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
    QObject::connect(connection_, &QIODevice::readyRead, this,
                     [this, identity] { readConnection(identity); });
    readConnection(identity);
  }
  beginVerification(identity, activeEndpointDescription_);
}

void OSCManager::handleSocketError(Identity identity, QAbstractSocket::SocketError error) {
  if (!activeConnectionID_.isCurrent(identity) || !connection_) return;
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
    // datagram: the console may simply not listen yet. A temporary error is a read that
    // found nothing. Errors raised while a datagram is written belong to that send and are
    // counted there.
    if (error == QAbstractSocket::ConnectionRefusedError ||
        error == QAbstractSocket::TemporaryError || writingDatagram_) {
      return;
    }
    failConnection(identity, QStringLiteral("OSC UDP receive failed: ") + detail);
    return;
  }
  // Whatever arrived before the close is handed on before the connection ends.
  drainStream(identity);
  if (!activeConnectionID_.isCurrent(identity)) return;
  failConnection(identity, error == QAbstractSocket::RemoteHostClosedError
                               ? QStringLiteral("OSC TCP connection closed by the console")
                               : QStringLiteral("OSC TCP receive failed: ") + detail);
}

void OSCManager::handleSocketDisconnected(Identity identity) {
  // Our own teardowns detach from the socket first, so this is someone else closing it.
  if (!activeConnectionID_.isCurrent(identity)) return;
  if (connectionReady_ && activeTransport_ == OSCTransport::tcp) drainStream(identity);
  failConnection(identity, std::nullopt);
}

void OSCManager::scheduleRetry(Identity identity) {
  armTimer(retryTimer_, retryMilliseconds / 1000.0, [this, identity] {
    if (activeConnectionID_.isCurrent(identity) && !connectionReady_) openSocket(identity);
  });
}

void OSCManager::armConnectTimeout(Identity identity, const QString &endpointText) {
  armTimer(connectTimeoutTimer_, connectTimeout_, [this, identity, endpointText] {
    if (!activeConnectionID_.isCurrent(identity) || connectionReady_) return;
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
  if (!activeConnectionID_.isCurrent(identity)) return;
  publishTeardown(teardown(), QStringLiteral("Disconnected"), message, false);
}

void OSCManager::resetConnection(const QString &stateText, const std::optional<QString> &error) {
  publishTeardown(teardown(), stateText, error, true);
}

OSCManager::Identity OSCManager::teardown() {
  // What the old attempt read is still handed on, and then dropped by the identity check.
  flushReceived();
  activeConnectionID_.renew();
  listenerID_.renew();
  closeSocket(connection_);
  connection_ = nullptr;
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  connectionReady_ = false;
  receiveLoopStarted_ = false;
  connectionReadPending_ = false;
  listenerReadPending_ = false;
  expectedUDPSenderHost_.reset();
  verification_.reset();
  tcpFramer_.reset();
  traffic_.resetTiming();
  connectTimeoutTimer_.stop();
  verificationTimeoutTimer_.stop();
  retryTimer_.stop();
  rateTimer_.stop();
  deliveries_.clear();
  waitingDetail_.reset();
  resolvedTarget_.reset();
  relayParameters_.reset();
  return activeConnectionID_.current();
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
    logConnectionState(stateText, error);
    const QString notConnected = QStringLiteral("Not connected");
    const QString unavailable = QStringLiteral("Unavailable");
    publish(isConnected_, false, &OSCManager::isConnectedChanged);
    publish(isEosVerified_, false, &OSCManager::isEosVerifiedChanged);
    publish(connectionStateDescription_, stateText, &OSCManager::connectionStateDescriptionChanged);
    publish(lastError_, error, &OSCManager::lastErrorChanged);
    publish(lastEosResponse_, std::nullopt, &OSCManager::lastEosResponseChanged);
    publish(lastPingResponseUptime_, std::nullopt, &OSCManager::lastPingResponseUptimeChanged);
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
    OSCTrafficMeter::Counters &counters = traffic_.counters;
    publish(counters.attempted, 0, &OSCManager::attemptedMessageCountChanged);
    publish(counters.queued, 0, &OSCManager::queuedMessageCountChanged);
    publish(counters.failed, 0, &OSCManager::failedSendCountChanged);
    publish(counters.sent, 0, &OSCManager::sentMessageCountChanged);
    publish(counters.received, 0, &OSCManager::receivedMessageCountChanged);
    publish(counters.sentBytes, 0, &OSCManager::sentByteCountChanged);
    publish(counters.receivedBytes, 0, &OSCManager::receivedByteCountChanged);
  });
}

// ---------------------------------------------------------------- receive path

void OSCManager::readConnection(Identity identity) {
  // One read per turn: the next one comes after what this one published, so a flood from
  // the console never piles up more than one read's worth of publications, and reports
  // that come while a queued read waits leave it to that read.
  if (connectionReadPending_ || !activeConnectionID_.isCurrent(identity) || !connection_) return;
  const bool more = activeTransport_ == OSCTransport::tcp
                        ? readStreamChunk(identity)
                        : readDatagrams(*static_cast<QUdpSocket *>(connection_), identity, false);
  flushReceived();
  if (!more || !activeConnectionID_.isCurrent(identity)) return;
  connectionReadPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this, identity] {
        // An older attempt's read leaves the flag alone: the teardown cleared it already.
        if (!activeConnectionID_.isCurrent(identity)) return;
        connectionReadPending_ = false;
        readConnection(identity);
      },
      Qt::QueuedConnection);
}

bool OSCManager::readStreamChunk(Identity identity) {
  if (!activeConnectionID_.isCurrent(identity) || !connection_ ||
      connection_->bytesAvailable() <= 0)
    return false;
  // One buffer for every read: a fresh 64 KB block per read, freed right after, would make
  // the allocator sweep up all the small blocks the messages freed meanwhile.
  if (readBuffer_.size() != maximumReadSize) readBuffer_.resize(maximumReadSize);
  const qint64 read = connection_->read(readBuffer_.data(), maximumReadSize);
  if (read <= 0) return false;
  const qint64 arrival = monotonicNanoseconds();
  receivedBatch(identity).byteCount += read;
  const std::optional<OSCTCPFramerError> error =
      tcpFramer_.appendEach(QByteArrayView(readBuffer_).first(read), [&](QByteArrayView frame) {
        if (activeConnectionID_.isCurrent(identity)) handlePacket(frame, identity, arrival);
      });
  if (error) {
    failConnection(identity, QStringLiteral("Invalid OSC TCP framing: ") + error->text());
    return false;
  }
  return activeConnectionID_.isCurrent(identity) && connection_ &&
         connection_->bytesAvailable() > 0;
}

void OSCManager::drainStream(Identity identity) {
  while (readStreamChunk(identity)) {
  }
  flushReceived();
}

bool OSCManager::readDatagrams(QUdpSocket &socket, Identity identity, bool fromListener) {
  // Every read goes into a real buffer: a datagram that arrives between a look at what is
  // pending and the read that follows is taken, not swallowed. A refusal report from the
  // kernel comes as a failing read (handled as a socket error) and reading goes on; a read
  // that finds nothing ends the turn and lets Qt report the next datagram.
  if (readBuffer_.size() != maximumReadSize) readBuffer_.resize(maximumReadSize);
  const CallbackIdentity &owner = fromListener ? listenerID_ : activeConnectionID_;
  const Identity ownerIdentity = owner.current();
  for (int taken = 0; taken < datagramsPerTurn; ++taken) {
    QHostAddress sender;
    quint16 senderPort = 0;
    const qint64 read = fromListener ? socket.readDatagram(readBuffer_.data(), maximumReadSize,
                                                           &sender, &senderPort)
                                     : socket.readDatagram(readBuffer_.data(), maximumReadSize);
    if (!owner.isCurrent(ownerIdentity) || !activeConnectionID_.isCurrent(identity)) return false;
    if (read < 0) {
      if (socket.error() == QAbstractSocket::ConnectionRefusedError) continue;
      return false;
    }
    if (fromListener && !acceptUDPPeer(sender, senderPort)) continue;
    if (read == 0) continue;
    if (!received_) received_ = ReceivedBatch{identity, {}, 0};
    received_->byteCount += read;
    handlePacket(QByteArrayView(readBuffer_).first(read), identity, monotonicNanoseconds());
  }
  return true;
}

void OSCManager::handlePacket(QByteArrayView packet, Identity identity, qint64 arrival) {
  if (!packet.isEmpty() && packet.size() <= OSCPacket::maximumPacketSize) {
    // Nearly every packet is one message: decode it without the list that a bundle needs.
    if (!OSCPacket::isBundle(packet)) {
      if (std::optional<OSCMessage> message = OSCMessage::decode(packet)) {
        handleIncoming(std::move(*message), identity, arrival);
        return;
      }
    } else if (std::optional<QList<OSCMessage>> messages = OSCPacket::decode(packet)) {
      for (OSCMessage &message : *messages) handleIncoming(std::move(message), identity, arrival);
      return;
    }
  }
  qCDebug(tarnikLink) << "dropped a malformed OSC packet of" << packet.size() << "bytes";
  publishStatus(QStringLiteral("Received malformed OSC packet"));
}

void OSCManager::handleIncoming(OSCMessage message, Identity identity, qint64 arrival) {
  const double rate = traffic_.noteArrival(arrival);
  EosVerification::Outcome outcome = verification_.take(message, quint64(arrival));
  std::unique_ptr<EosProof> proof;
  if (outcome.proof) {
    verificationTimeoutTimer_.stop();
    if (outcome.proof->roundTripMilliseconds) traffic_.noteRoundTripSample(arrival);
    proof = std::make_unique<EosProof>(
        EosProof{std::move(*outcome.proof), referenceSecondsNow(), pingReplyClock_()});
  }
  receivedBatch(identity).messages.push_back(
      {std::move(message), rate, std::move(outcome.consoleIdentity), std::move(proof)});
}

OSCManager::ReceivedBatch &OSCManager::receivedBatch(Identity identity) {
  if (!received_) received_ = ReceivedBatch{identity, std::move(spareBatchStorage_), 0};
  return *received_;
}

void OSCManager::flushReceived() {
  if (!received_) return;
  auto batch = std::make_shared<ReceivedBatch>(std::move(*received_));
  received_.reset();
  publications_.enqueue(batch->identity, [this, batch] {
    // What the subscribers send in answer goes out without waiting for the socket's next
    // turn: the first request at once, so that the console works on it while the rest of
    // the batch is handled, the others together once the batch is done. A sync keeps a
    // window of requests in flight, and the console would otherwise sit idle.
    flushNextWrite_ = true;
    applyReceived(*batch);
    flushNextWrite_ = false;
    if (connection_ && connection_->bytesToWrite() > 0) connection_->flush();
    batch->messages.clear();
    if (batch->messages.capacity() > spareBatchStorage_.capacity())
      spareBatchStorage_ = std::move(batch->messages);
  });
}

void OSCManager::applyReceived(ReceivedBatch &batch) {
  // What one read brought changes together, under one announcement. The count and the
  // rate are right whenever a subscriber looks; their own signals come once for the read.
  OSCTrafficMeter::Counters &counters = traffic_.counters;
  announce();
  // A subscriber may end or replace the connection while it handles a message (the model
  // drops the link when the console loads another show): the rest of the read came over a
  // link that is gone, and must neither reach the model nor mark that link verified.
  const auto linkEnded = [&] { return !activeConnectionID_.isCurrent(batch.identity); };
  qsizetype delivered = 0;
  for (Incoming &incoming : batch.messages) {
    if (linkEnded()) break;
    ++delivered;
    ++counters.received;
    receivedMessageRate_ = incoming.rate;
    assign(lastReceivedMessage_, std::move(incoming.message),
           &OSCManager::lastReceivedMessageChanged);
    if (linkEnded()) break;
    const EosProof *eos = incoming.proof.get();
    const EosVerification::Proof *proof = eos ? &eos->proof : nullptr;
    if (proof && proof->roundTripMilliseconds) {
      publish(lastPingResponseUptime_, eos->arrivalUptime,
              &OSCManager::lastPingResponseUptimeChanged);
      publish(lastPingResponse_, eos->date, &OSCManager::lastPingResponseChanged);
      publish(roundTripMilliseconds_, *proof->roundTripMilliseconds,
              &OSCManager::roundTripMillisecondsChanged);
      publish(roundTripSampleAgeSeconds_, 0.0, &OSCManager::roundTripSampleAgeSecondsChanged);
      publish(roundTripSampleCount_, roundTripSampleCount_ + 1,
              &OSCManager::roundTripSampleCountChanged);
    }
    if (proof && proof->versions) {
      publish(verifiedSoftwareVersion_, proof->versions->first,
              &OSCManager::verifiedSoftwareVersionChanged);
      publish(verifiedFixtureLibraryVersion_, proof->versions->second,
              &OSCManager::verifiedFixtureLibraryVersionChanged);
    }
    if (const std::optional<QString> &identity = incoming.consoleIdentity;
        identity && !identity->isEmpty()) {
      // Every message of a verified console carries it: the batch's announcement covers it.
      assign(verifiedConsoleIdentity_, *identity, &OSCManager::verifiedConsoleIdentityChanged);
    }
    if (linkEnded()) break;
    if (proof && !isEosVerified_) {
      qCInfo(tarnikLink).noquote()
          << "Eos verified at" << activeEndpointDescription_ << "| software"
          << verifiedSoftwareVersion_.value_or(QStringLiteral("unknown")) << "| console"
          << verifiedConsoleIdentity_.value_or(QStringLiteral("unnamed"));
    }
    if (proof) {
      publish(isEosVerified_, true, &OSCManager::isEosVerifiedChanged);
      publish(lastEosResponse_, eos->date, &OSCManager::lastEosResponseChanged);
      // The endpoint text belongs to the attempt, which the check above has just confirmed.
      publish(connectionStateDescription_,
              QStringLiteral("Connected to Eos at ") + activeEndpointDescription_,
              &OSCManager::connectionStateDescriptionChanged);
      publish(lastError_, std::nullopt, &OSCManager::lastErrorChanged);
    }
  }
  if (delivered > 0) {
    emit receivedMessageCountChanged(counters.received);
    emit receivedMessageRateChanged(receivedMessageRate_);
  }
  assign(counters.receivedBytes, counters.receivedBytes + batch.byteCount,
         &OSCManager::receivedByteCountChanged);
}

void OSCManager::startListening(quint16 port) {
  if (port == 0) {
    publishStatus(QStringLiteral("Invalid OSC listen port ") + QString::number(port));
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [this, port, scheduled = scheduledWork_.current(), setting = transport] {
        if (!scheduledWork_.isCurrent(scheduled)) return;
        if (setting != OSCTransport::udp && activeTransport_ != OSCTransport::udp) return;
        if (listener_ && listenerPort_ == port) return;
        startUDPListener(port);
      },
      Qt::QueuedConnection);
}

// One bound socket with a table of senders: each sender counts as one peer, as if the
// listener handed out a connection per sender.
void OSCManager::startUDPListener(quint16 port) {
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  listenerReadPending_ = false;
  const Identity listenerIdentity = listenerID_.renew();

  auto *socket = new QUdpSocket(this);
  if (!socket->bind(QHostAddress::Any, port,
                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
    const QString detail = socket->errorString();
    delete socket;
    publishStatus(QStringLiteral("Could not start OSC UDP listener: ") + detail);
    return;
  }
  listener_ = socket;
  listenerPort_ = port;
  QObject::connect(socket, &QIODevice::readyRead, this,
                   [this, listenerIdentity] { readListener(listenerIdentity); });
  QObject::connect(
      socket, &QAbstractSocket::errorOccurred, this,
      [this, listenerIdentity](QAbstractSocket::SocketError error) {
        if (!listenerID_.isCurrent(listenerIdentity) ||
            error == QAbstractSocket::ConnectionRefusedError ||
            error == QAbstractSocket::TemporaryError) {
          return;
        }
        dropListener(QStringLiteral("OSC UDP listener failed: ") + listener_->errorString());
      });
}

void OSCManager::readListener(Identity listenerIdentity) {
  if (listenerReadPending_ || !listenerID_.isCurrent(listenerIdentity) || !listener_) return;
  const bool more = readDatagrams(*listener_, activeConnectionID_.current(), true);
  flushReceived();
  if (!more || !listenerID_.isCurrent(listenerIdentity)) return;
  listenerReadPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this, listenerIdentity] {
        if (!listenerID_.isCurrent(listenerIdentity)) return;
        listenerReadPending_ = false;
        readListener(listenerIdentity);
      },
      Qt::QueuedConnection);
}

bool OSCManager::acceptUDPPeer(const QHostAddress &address, quint16 port) {
  const QHostAddress sender = foldedHostAddress(address);
  for (const UDPPeer &peer : udpPeers_) {
    if (peer.port == port && peer.address == sender) return true;
  }
  if (udpPeers_.size() >= maximumUDPPeers) {
    publishStatus(QStringLiteral("OSC UDP listener rejected an excess peer"));
    return false;
  }
  if (expectedUDPSenderHost_ && !isSameHost(sender, *expectedUDPSenderHost_)) return false;
  udpPeers_.append({sender, port});
  return true;
}

void OSCManager::dropListener(const QString &status) {
  // Dropped rather than kept closed, so that listening on the same port starts it anew.
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  listenerReadPending_ = false;
  listenerID_.renew();
  publishStatus(status);
}

// ---------------------------------------------------------------- send path and counters

bool OSCManager::send(const OSCMessage &message) {
  return onOwnThread([this, &message] { return sendOnQueue(message, std::nullopt); });
}

bool OSCManager::sendOnQueue(const OSCMessage &message, const std::optional<QString> &pingToken) {
  const Identity identity = activeConnectionID_.current();
  if (!connectionReady_ || !connection_) {
    refuseSend(identity, QStringLiteral("OSC send rejected because the connection is not ready"));
    return false;
  }
  const QByteArray packet = message.encoded();
  if (packet.isEmpty() || packet.size() > OSCPacket::maximumPacketSize) {
    refuseSend(identity, QStringLiteral("OSC send rejected because the packet is too large"));
    return false;
  }
  QByteArray data = packet;
  if (activeTransport_ == OSCTransport::tcp) {
    auto framed = OSCTCPFramer::frame(packet, activeTCPFraming_);
    if (!framed) {
      if (pingToken) verification_.forgetPing(*pingToken);
      refuseSend(identity, QStringLiteral("OSC send rejected because TCP framing failed: ") +
                               framed.error().text());
      return false;
    }
    data = std::move(*framed);
  }
  countAttempt(identity, &OSCTrafficMeter::Counters::queued,
               &OSCManager::queuedMessageCountChanged);
  handOver(data, identity, pingToken);
  return true;
}

void OSCManager::refuseSend(Identity identity, const QString &text) {
  countAttempt(identity, &OSCTrafficMeter::Counters::failed, &OSCManager::failedSendCountChanged);
  publishStatus(text);
}

void OSCManager::countAttempt(Identity identity, qint64 OSCTrafficMeter::Counters::*outcome,
                              void (OSCManager::*changed)(qint64)) {
  // A send and its outcome change together, under one announcement: a sync sends thousands.
  publishFor(identity, [this, outcome, changed] {
    OSCTrafficMeter::Counters &counters = traffic_.counters;
    announce();
    assign(counters.attempted, counters.attempted + 1, &OSCManager::attemptedMessageCountChanged);
    assign(counters.*outcome, counters.*outcome + 1, changed);
  });
}

void OSCManager::handOver(const QByteArray &data, Identity identity,
                          const std::optional<QString> &pingToken) {
  const Delivery delivery{data.size(), data.size(), pingToken};
  if (activeTransport_ == OSCTransport::udp) {
    writingDatagram_ = true;
    qint64 written = connection_->write(data);
    // The kernel reports an ICMP refusal of an earlier datagram on the next write, which
    // then sends nothing: this datagram gets one more try.
    if (written < 0) written = connection_->write(data);
    writingDatagram_ = false;
    completeDelivery(
        identity, delivery,
        written == data.size() ? std::nullopt : std::optional(connection_->errorString()));
    return;
  }
  // A stream socket buffers the bytes; they count as sent once the socket has written them.
  deliveries_.push_back(delivery);
  if (connection_->write(data) < 0) {
    deliveries_.pop_back();
    completeDelivery(identity, delivery, connection_->errorString());
    return;
  }
  if (std::exchange(flushNextWrite_, false) && connection_) connection_->flush();
}

void OSCManager::completeWrites(qint64 bytes, Identity identity) {
  if (!activeConnectionID_.isCurrent(identity)) return;
  while (bytes > 0 && !deliveries_.empty()) {
    Delivery &oldest = deliveries_.front();
    const qint64 taken = std::min(bytes, oldest.unwritten);
    oldest.unwritten -= taken;
    bytes -= taken;
    if (oldest.unwritten == 0) {
      const Delivery done = oldest;
      deliveries_.pop_front();
      completeDelivery(identity, done, std::nullopt);
    }
  }
}

void OSCManager::completeDelivery(Identity identity, const Delivery &delivery,
                                  const std::optional<QString> &error) {
  if (!activeConnectionID_.isCurrent(identity)) return;
  if (!error) {
    publishFor(identity, [this, byteCount = delivery.byteCount] {
      OSCTrafficMeter::Counters &counters = traffic_.counters;
      announce();
      assign(counters.sent, counters.sent + 1, &OSCManager::sentMessageCountChanged);
      assign(counters.sentBytes, counters.sentBytes + byteCount, &OSCManager::sentByteCountChanged);
    });
    return;
  }
  if (delivery.pingToken) verification_.forgetPing(*delivery.pingToken);
  countFor(identity, &OSCTrafficMeter::Counters::failed, 1, &OSCManager::failedSendCountChanged);
  publishStatus(QStringLiteral("OSC send failed: ") + *error);
}

void OSCManager::countFor(Identity identity, qint64 OSCTrafficMeter::Counters::*counter,
                          qint64 amount, void (OSCManager::*changed)(qint64)) {
  publishFor(identity, [this, counter, amount, changed] {
    qint64 &value = traffic_.counters.*counter;
    publish(value, value + amount, changed);
  });
}

void OSCManager::startRateTimer(Identity identity) {
  rateTimer_.stop();
  QObject::disconnect(&rateTimer_, &QTimer::timeout, this, nullptr);
  QObject::connect(&rateTimer_, &QTimer::timeout, this, [this, identity] {
    if (!activeConnectionID_.isCurrent(identity)) return;
    const qint64 now = monotonicNanoseconds();
    const double rate = traffic_.rate(now);
    const std::optional<double> sampleAge = traffic_.roundTripSampleAge(now);
    publishFor(identity, [this, rate, sampleAge] {
      publish(receivedMessageRate_, rate, &OSCManager::receivedMessageRateChanged);
      publish(roundTripSampleAgeSeconds_, sampleAge, &OSCManager::roundTripSampleAgeSecondsChanged);
    });
  });
  rateTimer_.start(rateTickMilliseconds);
}

// ---------------------------------------------------------------- ping and verification

bool OSCManager::sendPing() {
  return onOwnThread([this] { return sendPingOnQueue(); });
}

bool OSCManager::sendPingOnQueue() {
  const EosVerification::Ping ping = verification_.startPing(quint64(monotonicNanoseconds()));
  const bool handedOver = sendOnQueue(ping.message, ping.token);
  if (!handedOver) verification_.forgetPing(ping.token);
  return handedOver;
}

void OSCManager::beginVerification(Identity identity, const QString &endpointText) {
  if (!activeConnectionID_.isCurrent(identity) || !connectionReady_) return;
  sendOnQueue(EosVerification::versionRequest(), std::nullopt);
  sendPingOnQueue();
  sendOnQueue(EosVerification::processorsRequest(), std::nullopt);
  armTimer(verificationTimeoutTimer_, verificationTimeout_,
           [this, identity, endpointText] { verificationTimedOut(identity, endpointText); });
}

void OSCManager::verificationTimedOut(Identity identity, const QString &endpointText) {
  if (!activeConnectionID_.isCurrent(identity) || !connectionReady_ || verification_.isVerified()) {
    return;
  }
  // The socket stays open: a late answer still verifies the console.
  publishConnectionState(
      identity, true, QStringLiteral("Socket open — Eos verification timed out at ") + endpointText,
      QStringLiteral(
          "Eos verification timed out: the network socket is ready, but Eos did not answer "
          "the version or nonce-ping probe within ") +
          secondsText(verificationTimeout_) +
          QStringLiteral(
              ". Check the OSC port, TCP framing, and the private-IP route to the console."));
}

// ---------------------------------------------------------------- status texts

void OSCManager::transportDescription(const QString &endpointText, OSCTransport transport,
                                      OSCTCPFraming framing, Identity identity) {
  const QString transportText = transport == OSCTransport::udp
                                    ? QStringLiteral("UDP")
                                    : QStringLiteral("TCP • ") + displayText(framing);
  publishFor(identity, [this, endpointText, transportText, framing] {
    publish(effectiveEndpointDescription_, endpointText,
            &OSCManager::effectiveEndpointDescriptionChanged);
    publish(effectiveTransportDescription_, transportText,
            &OSCManager::effectiveTransportDescriptionChanged);
    publish(effectiveTCPFraming_, framing, &OSCManager::effectiveTCPFramingChanged);
  });
}

void OSCManager::pathDescription(const QAbstractSocket &socket, Identity identity) {
  std::optional<OSCNetworkPath> path = OSCNetworkPath::describe(socket.localAddress());
  if (!path) return;
  publishFor(identity, [this, path = std::move(*path)] {
    publish(networkPathDescription_, path.pathText, &OSCManager::networkPathDescriptionChanged);
    publish(localEndpointDescription_, path.localText,
            &OSCManager::localEndpointDescriptionChanged);
  });
}

void OSCManager::waitingDescription(const QString &detail, Identity identity) {
  connectionReady_ = false;
  publishConnectionState(identity, false, QStringLiteral("Waiting to connect — ") + detail,
                         std::nullopt);
}

void OSCManager::publishConnectionState(Identity identity, bool connected, const QString &stateText,
                                        const std::optional<QString> &error) {
  publishFor(identity, [this, connected, stateText, error] {
    logConnectionState(stateText, error);
    publish(isConnected_, connected, &OSCManager::isConnectedChanged);
    publish(connectionStateDescription_, stateText, &OSCManager::connectionStateDescriptionChanged);
    publish(lastError_, error, &OSCManager::lastErrorChanged);
  });
}

void OSCManager::publishStatus(const QString &text) {
  onOwnThread([this, &text] {
    publishFor(activeConnectionID_.current(),
               [this, text] { publish(lastError_, text, &OSCManager::lastErrorChanged); });
  });
}

void OSCManager::publishFor(Identity identity, std::function<void()> change) {
  // Messages read before this change was asked for are published before it.
  flushReceived();
  publications_.enqueue(identity, std::move(change));
}

// ---------------------------------------------------------------- small text routines

std::optional<QString> OSCManager::normalizedHost(const QString &host) {
  if (isIPv4Literal(host)) return host.toLower();
  QHostAddress address;
  if (host.contains(u':') && address.setAddress(host) &&
      address.protocol() == QAbstractSocket::IPv6Protocol) {
    return host.toLower();
  }
  return std::nullopt;
}

std::optional<QString> OSCManager::normalizedHost(const OSCEndpoint &endpoint) {
  if (const OSCEndpoint::HostPort *target = endpoint.asHostPort())
    return normalizedHost(target->host);
  return std::nullopt;
}

QString OSCManager::secondsText(double seconds) {
  if (std::isfinite(seconds) && std::abs(seconds) < 9e15 && std::round(seconds) == seconds) {
    return QString::number(qint64(seconds)) + QStringLiteral(" seconds");
  }
  return formatFixed(seconds, 1) + QStringLiteral(" seconds");
}

qint64 OSCManager::monotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace tarnik
