#include "operations/MoverDedicatedOSCTransport.h"

#include "foundation/UuidText.h"
#include "link/OSCManager.h"
#include "operations/EosOSCAddress.h"

namespace tarnik {

MoverDedicatedOSCTransport::MoverDedicatedOSCTransport(QObject *parent) : QObject(parent) {
  probeLimit_.setSingleShot(true);
  probeLimit_.setInterval(std::chrono::milliseconds(qint64(probeTimeLimit * 1000)));
  QObject::connect(&probeLimit_, &QTimer::timeout, this, [this] { cancelProbe(); });
}

MoverDedicatedOSCTransport::~MoverDedicatedOSCTransport() {
  cancelProbe();
  release(manager_, subscriptions_);
}

QString MoverDedicatedOSCTransport::probeToken(const QUuid &requestID) {
  return QStringLiteral("tarnik-mover-observer-") + uuidText(requestID);
}

OSCManager *MoverDedicatedOSCTransport::makeManager(double connectTimeout,
                                                    double verificationTimeout) const {
  auto *manager = new OSCManager(connectTimeout, verificationTimeout);
  manager->transport = OSCTransport::tcp;
  manager->tcpFraming = framing_;
  manager->relayPairingKey.reset();
  return manager;
}

// Both sessions are often released from inside one of their own signals, so the manager
// goes with deleteLater() once its subscriptions are cut.
void MoverDedicatedOSCTransport::release(QPointer<OSCManager> &manager,
                                         QList<QMetaObject::Connection> &connections) {
  for (const QMetaObject::Connection &connection : connections) QObject::disconnect(connection);
  connections.clear();
  if (manager) {
    manager->disconnect();
    manager->deleteLater();
  }
  manager.clear();
}

void MoverDedicatedOSCTransport::connect(const OSCEndpoint &endpoint, OSCTCPFraming framing) {
  disconnect();
  endpoint_ = endpoint;
  framing_ = framing;
  OSCManager *manager = makeManager(mainConnectTimeout, mainVerificationTimeout);
  manager_ = manager;

  const auto reportState = [this, manager] {
    if (onState) onState(manager->isConnected(), manager->isEosVerified());
  };
  subscriptions_ = {
      QObject::connect(manager, &OSCManager::isConnectedChanged, this, reportState),
      QObject::connect(manager, &OSCManager::isEosVerifiedChanged, this, reportState),
      QObject::connect(manager, &OSCManager::lastReceivedMessageChanged, this,
                       [this](const std::optional<OSCMessage> &message) {
                         if (message && onMessage) onMessage(*message);
                       }),
      QObject::connect(manager, &OSCManager::lastErrorChanged, this,
                       [this](const std::optional<QString> &error) {
                         if (error && onError) onError(*error);
                       }),
  };
  // A signal does not replay the value it last carried.
  reportState();
  if (manager_ == manager) manager->connect(endpoint);
}

void MoverDedicatedOSCTransport::disconnect() {
  cancelProbe();
  release(manager_, subscriptions_);
  endpoint_.reset();
}

bool MoverDedicatedOSCTransport::send(const OSCMessage &message) {
  return manager_ && manager_->send(message);
}

bool MoverDedicatedOSCTransport::startProbe(const QUuid &requestID, int user) {
  if (probeManager_ || !endpoint_) return false;
  probeID_ = requestID;
  probeUser_ = user;
  probeToken_ = probeToken(requestID);
  probeConnected_ = false;
  probeVerified_ = false;
  probePingMatched_ = false;
  probeCommand_.reset();
  probeCommandObservedAt_.reset();

  OSCManager *probe = makeManager(probeTimeLimit, probeTimeLimit);
  probeManager_ = probe;
  // Every handler first checks that the probe it was made for is still the one running.
  const auto current = [this, requestID] { return probeID_ == requestID; };
  probeSubscriptions_ = {
      QObject::connect(
          probe, &OSCManager::isConnectedChanged, this,
          [this, probe, current](bool connected) {
            if (!current() || connected == probeConnected_) return;
            probeConnected_ = connected;
            if (connected) {
              probe->send({EosOSCAddress::ping, {OSCArgument::fromString(probeToken_)}});
            }
          }),
      QObject::connect(probe, &OSCManager::isEosVerifiedChanged, this,
                       [this, current](bool verified) {
                         if (!current()) return;
                         probeVerified_ = verified;
                         evaluateProbe();
                       }),
      QObject::connect(probe, &OSCManager::lastReceivedMessageChanged, this,
                       [this, current](const std::optional<OSCMessage> &message) {
                         if (current() && message) handleProbeMessage(*message);
                       }),
      QObject::connect(probe, &OSCManager::lastErrorChanged, this,
                       [this, current](const std::optional<QString> &error) {
                         if (current() && error) cancelProbe();
                       }),
  };
  probe->connect(*endpoint_);
  probeLimit_.start();
  return true;
}

void MoverDedicatedOSCTransport::handleProbeMessage(const OSCMessage &message) {
  if (message.address == EosOSCAddress::userCommandLine(probeUser_)) {
    probeCommand_ = message;
    probeCommandObservedAt_ = clock();
  } else if (message.address == EosOSCAddress::pingReply && message.arguments.size() == 1) {
    const auto *token = std::get_if<QString>(&message.arguments.first().value);
    if (token && *token == probeToken_) probePingMatched_ = true;
  }
  evaluateProbe();
}

void MoverDedicatedOSCTransport::evaluateProbe() {
  if (!probeID_ || !probeVerified_ || !probePingMatched_ || !probeCommand_ ||
      !probeCommandObservedAt_) {
    return;
  }
  const MoverContextObservation observation{*probeID_, *probeCommand_, *probeCommandObservedAt_};
  cancelProbe();
  if (onContext) onContext(observation);
}

void MoverDedicatedOSCTransport::cancelProbe() {
  probeID_.reset();
  probeLimit_.stop();
  release(probeManager_, probeSubscriptions_);
  probeCommand_.reset();
  probeCommandObservedAt_.reset();
}

}  // namespace tarnik
