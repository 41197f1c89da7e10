#pragma once

#include "foundation/CallbackIdentity.h"
#include "foundation/OSCTransportKinds.h"
#include "foundation/ObservableObject.h"
#include "foundation/PublicationQueue.h"
#include "foundation/UptimeClock.h"
#include "link/EosVerification.h"
#include "link/OSCEndpoint.h"
#include "link/OSCMessage.h"
#include "link/OSCServiceDiscovery.h"
#include "link/OSCTCPFramer.h"
#include "link/OSCTrafficMeter.h"
#include "link/TarnikRelaySecurity.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

class QUdpSocket;

namespace tarnik {

// The one connection to an Eos console, by UDP, by TCP (packet-length or SLIP framing) or
// through a Mac relay over TLS with a pre-shared key. It proves that the peer is Eos,
// pings it, counts the traffic and explains itself in published texts.
//
// Everything runs on the thread that owns the manager (the GUI thread): socket work is
// asynchronous there, and every published value changes one event-loop turn after the
// work that caused it, in order, and only while the connection attempt it belongs to is
// still the current one.
class OSCManager final : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
  Q_PROPERTY(bool isEosVerified READ isEosVerified NOTIFY isEosVerifiedChanged)
  Q_PROPERTY(std::optional<tarnik::OSCMessage> lastReceivedMessage READ lastReceivedMessage NOTIFY
                 lastReceivedMessageChanged)
  Q_PROPERTY(
      std::optional<double> lastEosResponse READ lastEosResponse NOTIFY lastEosResponseChanged)
  Q_PROPERTY(
      std::optional<double> lastPingResponse READ lastPingResponse NOTIFY lastPingResponseChanged)
  Q_PROPERTY(std::optional<double> lastPingResponseUptime READ lastPingResponseUptime NOTIFY
                 lastPingResponseUptimeChanged)
  Q_PROPERTY(std::optional<QString> verifiedSoftwareVersion READ verifiedSoftwareVersion NOTIFY
                 verifiedSoftwareVersionChanged)
  Q_PROPERTY(std::optional<QString> verifiedFixtureLibraryVersion READ verifiedFixtureLibraryVersion
                 NOTIFY verifiedFixtureLibraryVersionChanged)
  Q_PROPERTY(std::optional<QString> verifiedConsoleIdentity READ verifiedConsoleIdentity NOTIFY
                 verifiedConsoleIdentityChanged)
  Q_PROPERTY(std::optional<double> roundTripMilliseconds READ roundTripMilliseconds NOTIFY
                 roundTripMillisecondsChanged)
  Q_PROPERTY(double receivedMessageRate READ receivedMessageRate NOTIFY receivedMessageRateChanged)
  Q_PROPERTY(
      qint64 attemptedMessageCount READ attemptedMessageCount NOTIFY attemptedMessageCountChanged)
  Q_PROPERTY(qint64 queuedMessageCount READ queuedMessageCount NOTIFY queuedMessageCountChanged)
  Q_PROPERTY(qint64 failedSendCount READ failedSendCount NOTIFY failedSendCountChanged)
  Q_PROPERTY(qint64 sentMessageCount READ sentMessageCount NOTIFY sentMessageCountChanged)
  Q_PROPERTY(
      qint64 receivedMessageCount READ receivedMessageCount NOTIFY receivedMessageCountChanged)
  Q_PROPERTY(qint64 sentByteCount READ sentByteCount NOTIFY sentByteCountChanged)
  Q_PROPERTY(qint64 receivedByteCount READ receivedByteCount NOTIFY receivedByteCountChanged)
  Q_PROPERTY(std::optional<double> roundTripSampleAgeSeconds READ roundTripSampleAgeSeconds NOTIFY
                 roundTripSampleAgeSecondsChanged)
  Q_PROPERTY(
      qint64 roundTripSampleCount READ roundTripSampleCount NOTIFY roundTripSampleCountChanged)
  Q_PROPERTY(std::optional<QString> lastError READ lastError NOTIFY lastErrorChanged)
  Q_PROPERTY(QString connectionStateDescription READ connectionStateDescription NOTIFY
                 connectionStateDescriptionChanged)
  Q_PROPERTY(QString effectiveEndpointDescription READ effectiveEndpointDescription NOTIFY
                 effectiveEndpointDescriptionChanged)
  Q_PROPERTY(QString effectiveTransportDescription READ effectiveTransportDescription NOTIFY
                 effectiveTransportDescriptionChanged)
  Q_PROPERTY(tarnik::OSCTCPFraming effectiveTCPFraming READ effectiveTCPFraming NOTIFY
                 effectiveTCPFramingChanged)
  Q_PROPERTY(QString networkPathDescription READ networkPathDescription NOTIFY
                 networkPathDescriptionChanged)
  Q_PROPERTY(QString localEndpointDescription READ localEndpointDescription NOTIFY
                 localEndpointDescriptionChanged)
  Q_PROPERTY(QList<tarnik::OSCEndpoint> discoveredServices READ discoveredServices NOTIFY
                 discoveredServicesChanged)
  Q_PROPERTY(std::optional<QString> discoveryError READ discoveryError NOTIFY discoveryErrorChanged)

 public:
  static constexpr qint64 maximumReadSize = 65'536;
  static constexpr qsizetype maximumUDPPeers = 16;
  static constexpr double minimumTimeLimit = 0.1;

  // Time limits in seconds; anything not above 0.1 (NaN included) becomes 0.1. Opens nothing.
  OSCManager(double connectTimeout, double verificationTimeout, QObject *parent = nullptr);
  // Closes whatever is open, silently: a released manager leaves no socket or timer behind.
  ~OSCManager() override;

  // Settings copied by the next connect; a change affects only the connects after it.
  OSCTransport transport = OSCTransport::tcp;
  OSCTCPFraming tcpFraming = OSCTCPFraming::packetLength;
  std::optional<QString> relayPairingKey;

  // Both connects tear down the current attempt and start a new one on the next event-loop
  // turn; progress and failure show only in the published values.
  void connect(const QString &host, quint16 port);
  void connect(const OSCEndpoint &endpoint);
  void disconnect();
  // On UDP, also takes the console's replies that arrive on this local port.
  void startListening(quint16 port);
  // True when the message was handed to the connection.
  bool send(const OSCMessage &message);
  bool sendPing();

  // Service endpoints resolve through Avahi unless another resolver is set.
  void setServiceResolver(std::shared_ptr<OSCServiceResolver> resolver);

  // The clock lastPingResponseUptime reads (systemUptime() unless set). Whoever ages the
  // replies hands its own clock here, so that an age is always measured on the clock that
  // stamped it, virtual time in tests included.
  void setPingReplyClock(UptimeSource clock);

  // Browses for "_osc._udp" services, independently of the connection; a second call
  // replaces the browser. Callable from any thread; the work runs on the next turn.
  void startDiscovery();

  double connectTimeout() const { return connectTimeout_; }
  double verificationTimeout() const { return verificationTimeout_; }

  bool isConnected() const { return isConnected_; }
  bool isEosVerified() const { return isEosVerified_; }
  const std::optional<OSCMessage> &lastReceivedMessage() const { return lastReceivedMessage_; }
  // Dates in seconds since 2001-01-01 00:00:00 UTC.
  std::optional<double> lastEosResponse() const { return lastEosResponse_; }
  std::optional<double> lastPingResponse() const { return lastPingResponse_; }
  // When the echo of a ping arrived, in seconds of the ping reply clock; it changes with
  // lastPingResponse, and is already set when that one announces itself.
  std::optional<double> lastPingResponseUptime() const { return lastPingResponseUptime_; }
  const std::optional<QString> &verifiedSoftwareVersion() const { return verifiedSoftwareVersion_; }
  const std::optional<QString> &verifiedFixtureLibraryVersion() const {
    return verifiedFixtureLibraryVersion_;
  }
  const std::optional<QString> &verifiedConsoleIdentity() const { return verifiedConsoleIdentity_; }
  std::optional<double> roundTripMilliseconds() const { return roundTripMilliseconds_; }
  double receivedMessageRate() const { return receivedMessageRate_; }
  qint64 attemptedMessageCount() const { return traffic_.counters.attempted; }
  qint64 queuedMessageCount() const { return traffic_.counters.queued; }
  qint64 failedSendCount() const { return traffic_.counters.failed; }
  qint64 sentMessageCount() const { return traffic_.counters.sent; }
  qint64 receivedMessageCount() const { return traffic_.counters.received; }
  qint64 sentByteCount() const { return traffic_.counters.sentBytes; }
  qint64 receivedByteCount() const { return traffic_.counters.receivedBytes; }
  std::optional<double> roundTripSampleAgeSeconds() const { return roundTripSampleAgeSeconds_; }
  qint64 roundTripSampleCount() const { return roundTripSampleCount_; }
  const std::optional<QString> &lastError() const { return lastError_; }
  const QString &connectionStateDescription() const { return connectionStateDescription_; }
  const QString &effectiveEndpointDescription() const { return effectiveEndpointDescription_; }
  const QString &effectiveTransportDescription() const { return effectiveTransportDescription_; }
  OSCTCPFraming effectiveTCPFraming() const { return effectiveTCPFraming_; }
  const QString &networkPathDescription() const { return networkPathDescription_; }
  const QString &localEndpointDescription() const { return localEndpointDescription_; }
  // The services the current browser reports, as a whole, in the browser's order.
  const QList<OSCEndpoint> &discoveredServices() const { return discoveredServices_; }
  // The browser's failure ("OSC discovery failed: " and its description), published before
  // it also becomes lastError, so that an observer can tell it from a connection's error.
  const std::optional<QString> &discoveryError() const { return discoveryError_; }

  // The host as lower-case text when it is an IPv4 or IPv6 address literal, else nothing.
  static std::optional<QString> normalizedHost(const QString &host);
  static std::optional<QString> normalizedHost(const OSCEndpoint &endpoint);
  // Two or more dot-separated base-10 integers, each with an optional sign.
  static bool isDottedNumeric(QStringView text) { return EosVerification::isDottedNumeric(text); }
  static QStringList argumentDescriptions(const QList<OSCArgument> &arguments) {
    return EosVerification::argumentDescriptions(arguments);
  }
  // "8 seconds" for a whole number, "1.5 seconds" otherwise.
  static QString secondsText(double seconds);

 signals:
  void isConnectedChanged(bool value);
  void isEosVerifiedChanged(bool value);
  void lastReceivedMessageChanged(const std::optional<tarnik::OSCMessage> &value);
  void lastEosResponseChanged(std::optional<double> value);
  void lastPingResponseChanged(std::optional<double> value);
  void lastPingResponseUptimeChanged(std::optional<double> value);
  void verifiedSoftwareVersionChanged(const std::optional<QString> &value);
  void verifiedFixtureLibraryVersionChanged(const std::optional<QString> &value);
  void verifiedConsoleIdentityChanged(const std::optional<QString> &value);
  void roundTripMillisecondsChanged(std::optional<double> value);
  void receivedMessageRateChanged(double value);
  void attemptedMessageCountChanged(qint64 value);
  void queuedMessageCountChanged(qint64 value);
  void failedSendCountChanged(qint64 value);
  void sentMessageCountChanged(qint64 value);
  void receivedMessageCountChanged(qint64 value);
  void sentByteCountChanged(qint64 value);
  void receivedByteCountChanged(qint64 value);
  void roundTripSampleAgeSecondsChanged(std::optional<double> value);
  void roundTripSampleCountChanged(qint64 value);
  void lastErrorChanged(const std::optional<QString> &value);
  void connectionStateDescriptionChanged(const QString &value);
  void effectiveEndpointDescriptionChanged(const QString &value);
  void effectiveTransportDescriptionChanged(const QString &value);
  void effectiveTCPFramingChanged(tarnik::OSCTCPFraming value);
  void networkPathDescriptionChanged(const QString &value);
  void localEndpointDescriptionChanged(const QString &value);
  void discoveredServicesChanged(const QList<tarnik::OSCEndpoint> &value);
  void discoveryErrorChanged(const std::optional<QString> &value);

 private:
  // A connection attempt, a listener or a scheduled connect; see CallbackIdentity.
  using Identity = CallbackIdentity::Value;

  struct Delivery {
    qint64 unwritten = 0;
    qint64 byteCount = 0;
    std::optional<QString> pingToken;
  };

  struct UDPPeer {
    QHostAddress address;
    quint16 port = 0;
  };

  // What a message that proves the peer is Eos adds to its publication.
  struct EosProof {
    EosVerification::Proof proof;
    double date = 0;           // wall clock
    double arrivalUptime = 0;  // seconds of the ping reply clock
  };
  // One received message as it will be published; small, because every message makes one.
  struct Incoming {
    OSCMessage message;
    double rate = 0;
    std::optional<QString> consoleIdentity;
    std::unique_ptr<EosProof> proof;
  };
  // What one read brought, published as one change: subscribers still see every message
  // on its own, in order, but the identity check and the counter signals come once per
  // read rather than once per message.
  struct ReceivedBatch {
    Identity identity = 0;
    std::vector<Incoming> messages;
    qint64 byteCount = 0;
  };

  // Lifecycle
  void scheduleConnection(const OSCEndpoint &endpoint, const QString &endpointText);
  void startConnection(const OSCEndpoint &endpoint, const QString &endpointText,
                       OSCTransport transport, OSCTCPFraming framing,
                       const std::optional<QString> &pairingKey);
  void createSocket(Identity identity);
  void openSocket(Identity identity);
  void resolveService(const OSCEndpoint::Service &service, Identity identity);
  void handleSocketReady(Identity identity);
  void handleSocketError(Identity identity, QAbstractSocket::SocketError error);
  void handleSocketDisconnected(Identity identity);
  void scheduleRetry(Identity identity);
  void armConnectTimeout(Identity identity, const QString &endpointText);
  void failConnection(Identity identity, const std::optional<QString> &message);
  void resetConnection(const QString &stateText, const std::optional<QString> &error);
  Identity teardown();
  void publishTeardown(Identity identity, const QString &stateText,
                       const std::optional<QString> &error, bool clearTraffic);
  void closeSocket(QAbstractSocket *socket);
  void armTimer(QTimer &timer, double seconds, std::function<void()> action);

  // Receive path and UDP reply listener
  void readConnection(Identity identity);
  bool readStreamChunk(Identity identity);
  void drainStream(Identity identity);
  bool readDatagrams(QUdpSocket &socket, Identity identity, bool fromListener);
  // arrival: when the bytes were read, on the monotonic clock.
  void handlePacket(QByteArrayView packet, Identity identity, qint64 arrival);
  void handleIncoming(OSCMessage message, Identity identity, qint64 arrival);
  ReceivedBatch &receivedBatch(Identity identity);
  void flushReceived();
  void applyReceived(ReceivedBatch &batch);
  void startUDPListener(quint16 port);
  void readListener(Identity listenerIdentity);
  bool acceptUDPPeer(const QHostAddress &address, quint16 port);
  void dropListener(const QString &status);

  // Send path
  bool sendOnQueue(const OSCMessage &message, const std::optional<QString> &pingToken);
  void refuseSend(Identity identity, const QString &text);
  // Counts the attempt and its outcome (queued or failed) in one publication.
  void countAttempt(Identity identity, qint64 OSCTrafficMeter::Counters::*outcome,
                    void (OSCManager::*changed)(qint64));
  void handOver(const QByteArray &data, Identity identity, const std::optional<QString> &pingToken);
  void completeWrites(qint64 bytes, Identity identity);
  void completeDelivery(Identity identity, const Delivery &delivery,
                        const std::optional<QString> &error);
  void countFor(Identity identity, qint64 OSCTrafficMeter::Counters::*counter, qint64 amount,
                void (OSCManager::*changed)(qint64));
  void startRateTimer(Identity identity);

  // Ping and verification
  bool sendPingOnQueue();
  void beginVerification(Identity identity, const QString &endpointText);
  void verificationTimedOut(Identity identity, const QString &endpointText);

  // Status texts
  void transportDescription(const QString &endpointText, OSCTransport transport,
                            OSCTCPFraming framing, Identity identity);
  void pathDescription(const QAbstractSocket &socket, Identity identity);
  void waitingDescription(const QString &detail, Identity identity);
  void publishConnectionState(Identity identity, bool connected, const QString &stateText,
                              const std::optional<QString> &error);
  void publishStatus(const QString &text);

  // Runs the change one event-loop turn later, in order behind everything asked for
  // before it (received messages included), only if the identity is still current then.
  void publishFor(Identity identity, std::function<void()> change);
  // Runs the work on the manager's thread and waits for it when called from another one.
  template <class Work>
  auto onOwnThread(Work &&work);

  static qint64 monotonicNanoseconds();

  // The console connection of the current attempt.
  QAbstractSocket *connection_ = nullptr;
  QUdpSocket *listener_ = nullptr;
  quint16 listenerPort_ = 0;
  CallbackIdentity activeConnectionID_;
  CallbackIdentity listenerID_;
  // Work scheduled by connect and startListening runs only while this has not moved on:
  // disconnect() moves it, so an earlier connect cannot reopen what it closed.
  CallbackIdentity scheduledWork_;
  OSCTransport activeTransport_ = OSCTransport::tcp;
  OSCTCPFraming activeTCPFraming_ = OSCTCPFraming::packetLength;
  QString activeEndpointDescription_ = QStringLiteral("Not connected");
  OSCEndpoint activeEndpoint_;
  std::optional<OSCEndpoint::HostPort> resolvedTarget_;
  std::optional<TarnikRelaySecurity::Parameters> relayParameters_;
  bool connectionReady_ = false;
  bool receiveLoopStarted_ = false;
  // A queued read is waiting for its turn; further read reports wait for it.
  bool connectionReadPending_ = false;
  bool listenerReadPending_ = false;
  std::optional<QString> waitingDetail_;
  bool writingDatagram_ = false;
  bool flushNextWrite_ = false;  // while a received batch is applied, until its first send
  OSCTCPFramer tcpFramer_{OSCTCPFraming::packetLength};
  QByteArray readBuffer_;  // allocated on the first read
  std::optional<ReceivedBatch> received_;
  // The storage of the last batch published, kept for the next one: a read of a thousand
  // messages would otherwise grow a fresh list step by step every time.
  std::vector<Incoming> spareBatchStorage_;
  QList<UDPPeer> udpPeers_;
  std::optional<QHostAddress> expectedUDPSenderHost_;
  EosVerification verification_;
  OSCTrafficMeter traffic_;
  QTimer rateTimer_;
  QTimer connectTimeoutTimer_;
  QTimer verificationTimeoutTimer_;
  QTimer retryTimer_;
  std::deque<Delivery> deliveries_;  // written to a stream socket, oldest first
  const double connectTimeout_;
  const double verificationTimeout_;
  std::shared_ptr<OSCServiceResolver> serviceResolver_;
  UptimeSource pingReplyClock_ = systemUptime;
  OSCServiceDiscovery discovery_;
  PublicationQueue publications_{*this, activeConnectionID_};

  bool isConnected_ = false;
  bool isEosVerified_ = false;
  std::optional<OSCMessage> lastReceivedMessage_;
  std::optional<double> lastEosResponse_;
  std::optional<double> lastPingResponse_;
  std::optional<double> lastPingResponseUptime_;
  std::optional<QString> verifiedSoftwareVersion_;
  std::optional<QString> verifiedFixtureLibraryVersion_;
  std::optional<QString> verifiedConsoleIdentity_;
  std::optional<double> roundTripMilliseconds_;
  double receivedMessageRate_ = 0;
  std::optional<double> roundTripSampleAgeSeconds_;
  qint64 roundTripSampleCount_ = 0;
  std::optional<QString> lastError_;
  QString connectionStateDescription_ = QStringLiteral("Disconnected");
  QString effectiveEndpointDescription_ = QStringLiteral("Not connected");
  QString effectiveTransportDescription_ = QStringLiteral("Not connected");
  OSCTCPFraming effectiveTCPFraming_ = OSCTCPFraming::packetLength;
  QString networkPathDescription_ = QStringLiteral("Unavailable");
  QString localEndpointDescription_ = QStringLiteral("Unavailable");
  QList<OSCEndpoint> discoveredServices_;
  std::optional<QString> discoveryError_;
};

template <class Work>
auto OSCManager::onOwnThread(Work &&work) {
  using Result = std::invoke_result_t<Work &>;
  if (QThread::currentThread() == thread()) return work();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(
        this, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

}  // namespace tarnik
