#include "foundation/ReferenceDate.h"
#include "foundation/TextRules.h"
#include "foundation/UuidText.h"
#include "link/OSCManager.h"

#include <QUuid>

namespace tarnik {

namespace {

const QString pingAddress = QStringLiteral("/eos/ping");
const QString pingReplyAddress = QStringLiteral("/eos/out/ping");
const QString versionAddress = QStringLiteral("/eos/get/version");
const QString versionReplyAddress = QStringLiteral("/eos/out/get/version");
const QString processorsAddress = QStringLiteral("/eos/get/processors");
const QString processorsReplyAddress = QStringLiteral("/eos/out/get/processors");

const QString *stringArgument(const OSCMessage &message, qsizetype index) {
  if (message.arguments.size() <= index) return nullptr;
  return std::get_if<QString>(&message.arguments[index].value);
}

}  // namespace

bool OSCManager::sendPing() {
  return onOwnThread([this] { return sendPingOnQueue(); });
}

bool OSCManager::sendPingOnQueue() {
  const QString token = uuidText(QUuid::createUuid());
  pingTracker_.registerPing(token, quint64(monotonicNanoseconds()));
  const bool handedOver = sendOnQueue({pingAddress, {OSCArgument::fromString(token)}}, token);
  if (!handedOver) pingTracker_.remove(token);
  return handedOver;
}

void OSCManager::beginVerification(Identity identity, const QString &endpointText) {
  if (identity != activeConnectionID_ || !connectionReady_) return;
  sendOnQueue({versionAddress, {}}, std::nullopt);
  sendPingOnQueue();
  sendOnQueue({processorsAddress, {}}, std::nullopt);
  armTimer(verificationTimeoutTimer_, verificationTimeout_,
           [this, identity, endpointText] { verificationTimedOut(identity, endpointText); });
}

void OSCManager::verificationTimedOut(Identity identity, const QString &endpointText) {
  if (identity != activeConnectionID_ || !connectionReady_ || eosVerifiedOnQueue_) return;
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

void OSCManager::handleIncoming(OSCMessage message, Identity identity, qint64 now) {
  receivedTimestamps_.push_back(now);
  pruneReceivedTimestamps(now);
  while (qsizetype(receivedTimestamps_.size()) > maximumArrivalTimes)
    receivedTimestamps_.pop_front();

  std::optional<double> roundTrip;
  std::optional<std::pair<QString, QString>> versions;
  if (message.address == pingReplyAddress) {
    if (const QString *token = stringArgument(message, 0)) {
      roundTrip = pingTracker_.match(*token, quint64(now));
      if (roundTrip) roundTripSampleTimestamp_ = now;
    }
  } else if (message.address == versionReplyAddress) {
    const QString *software = stringArgument(message, 0);
    const QString *library = stringArgument(message, 1);
    if (software && library) {
      const QString softwareText = trimmedText(*software);
      const QString libraryText = trimmedText(*library);
      if (isDottedNumeric(softwareText) && isDottedNumeric(libraryText))
        versions = {softwareText, libraryText};
    }
  } else if (message.address == processorsReplyAddress) {
    QStringList pieces = argumentDescriptions(message.arguments);
    pieces.removeAll(QString());
    const QString identityText = pieces.join(QStringLiteral(" • "));
    if (!identityText.isEmpty()) pendingProcessorIdentity_ = identityText;
  }

  IncomingPublication incoming;
  if (roundTrip || versions) {
    eosVerifiedOnQueue_ = true;
    verificationTimeoutTimer_.stop();
    incoming.proof =
        std::make_unique<EosProof>(EosProof{roundTrip, std::move(versions), referenceSecondsNow()});
  }
  if (eosVerifiedOnQueue_) incoming.consoleIdentity = pendingProcessorIdentity_;
  incoming.rate = double(receivedTimestamps_.size());
  incoming.message = std::move(message);
  publishIncoming(identity, std::move(incoming));
}

void OSCManager::applyIncoming(IncomingPublication &incoming) {
  // Every message changes these three together: one announcement covers them.
  announce();
  assign(lastReceivedMessage_, std::move(incoming.message),
         &OSCManager::lastReceivedMessageChanged);
  assign(receivedMessageCount_, receivedMessageCount_ + 1,
         &OSCManager::receivedMessageCountChanged);
  assign(receivedMessageRate_, incoming.rate, &OSCManager::receivedMessageRateChanged);
  const EosProof *proof = incoming.proof.get();
  if (proof && proof->roundTrip) {
    publish(lastPingResponse_, proof->date, &OSCManager::lastPingResponseChanged);
    publish(roundTripMilliseconds_, *proof->roundTrip, &OSCManager::roundTripMillisecondsChanged);
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
  if (incoming.consoleIdentity && !incoming.consoleIdentity->isEmpty()) {
    publish(verifiedConsoleIdentity_, std::move(*incoming.consoleIdentity),
            &OSCManager::verifiedConsoleIdentityChanged);
  }
  if (proof) {
    publish(isEosVerified_, true, &OSCManager::isEosVerifiedChanged);
    publish(lastEosResponse_, proof->date, &OSCManager::lastEosResponseChanged);
    // The endpoint text belongs to the attempt, which the identity check has just confirmed.
    publish(connectionStateDescription_,
            QStringLiteral("Connected to Eos at ") + activeEndpointDescription_,
            &OSCManager::connectionStateDescriptionChanged);
    publish(lastError_, std::nullopt, &OSCManager::lastErrorChanged);
  }
}

}  // namespace tarnik
