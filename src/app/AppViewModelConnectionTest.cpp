#include "app/AppViewModel.h"
#include "foundation/TextRules.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::resetConnectionTest() {
  // A fresh id turns every late callback of the old test into a no-op.
  connectionTestID_ = QUuid::createUuid();
  releaseConnectionTestManager();
  publish(isTestingConnection_, false, &AppViewModel::isTestingConnectionChanged);
  publish(testConnectionStatus_, u"Not tested"_s, &AppViewModel::testConnectionStatusChanged);
  publish(testConnectionIdentity_, std::nullopt, &AppViewModel::testConnectionIdentityChanged);
  publish(testConnectionVersion_, std::nullopt, &AppViewModel::testConnectionVersionChanged);
}

void AppViewModel::releaseConnectionTestManager() {
  connectionTestTimeout_.cancel();
  if (!connectionTestManager_) return;
  QObject::disconnect(connectionTestManager_.get(), nullptr, this, nullptr);
  connectionTestManager_->disconnect();
  // The test may end from inside one of the manager's own announcements.
  connectionTestManager_.release()->deleteLater();
}

void AppViewModel::testConnection() {
  resetConnectionTest();
  const std::optional<ConsoleConnectionProfile> profile = makeConnectionSettings();
  if (!profile) {
    publish(testConnectionStatus_,
            connectionSettingsIssue().value_or(u"Invalid connection settings"_s),
            &AppViewModel::testConnectionStatusChanged);
    return;
  }
  // A UDP test listens on its listen port, which the active UDP session already holds.
  if (wantsConnection_ && activeConnectionSettings_ &&
      activeConnectionSettings_->transport == OSCTransport::udp &&
      profile->transport == OSCTransport::udp &&
      activeConnectionSettings_->udpListenPort == profile->udpListenPort) {
    publish(testConnectionStatus_,
            u"Disconnect the active UDP session before testing this listen port. TCP tests use "
            u"an independent socket."_s,
            &AppViewModel::testConnectionStatusChanged);
    return;
  }

  connectionTestManager_ = makeConnectionTestManager_();
  connectionTestID_ = QUuid::createUuid();
  const QUuid testID = connectionTestID_;
  OSCManager *manager = connectionTestManager_.get();
  publish(isTestingConnection_, true, &AppViewModel::isTestingConnectionChanged);
  publish(testConnectionStatus_, u"Testing "_s + connectionSummary(*profile) + u"…"_s,
          &AppViewModel::testConnectionStatusChanged);

  manager->transport = profile->transport;
  manager->tcpFraming = profile->tcpFraming;
  manager->relayPairingKey.reset();
  if (profile->usesMacRelay.value_or(false)) {
    manager->relayPairingKey = trimmedText(relayPairingCode());
  }

  // Announcements come before the new values are stored, so the evaluation is queued.
  QObject::connect(manager, &ObservableObject::objectWillChange, this, [this, testID, profile] {
    QMetaObject::invokeMethod(
        this, [this, testID, profile] { evaluateConnectionTest(testID, *profile); },
        Qt::QueuedConnection);
  });
  connectionTestTimeout_ = timing_->schedule(connectionTestDeadline, [this, testID, profile] {
    connectionTestTimedOut(testID, *profile);
  });

  if (profile->relayService) {
    manager->connect(OSCEndpoint::service(profile->relayService->name, profile->relayService->type,
                                          profile->relayService->domain));
  } else {
    manager->connect(profile->host, profile->destinationPort);
  }
  if (profile->transport == OSCTransport::udp) manager->startListening(profile->udpListenPort);
}

void AppViewModel::evaluateConnectionTest(const QUuid &testID,
                                          const ConsoleConnectionProfile &profile) {
  if (testID != connectionTestID_ || !isTestingConnection_ || !connectionTestManager_) return;
  const OSCManager &manager = *connectionTestManager_;
  publish(testConnectionIdentity_, manager.verifiedConsoleIdentity(),
          &AppViewModel::testConnectionIdentityChanged);
  publish(testConnectionVersion_, manager.verifiedSoftwareVersion(),
          &AppViewModel::testConnectionVersionChanged);
  if (manager.verifiedSoftwareVersion() && manager.lastPingResponse()) {
    const QString version = *manager.verifiedSoftwareVersion();
    publish(isTestingConnection_, false, &AppViewModel::isTestingConnectionChanged);
    publish(testConnectionStatus_,
            u"Verified Eos "_s + version + u" · "_s + connectionSummary(profile),
            &AppViewModel::testConnectionStatusChanged);
    releaseConnectionTestManager();
    return;
  }
  if (manager.lastError()) {
    publish(testConnectionStatus_, u"Testing: "_s + *manager.lastError(),
            &AppViewModel::testConnectionStatusChanged);
  }
}

void AppViewModel::connectionTestTimedOut(const QUuid &testID,
                                          const ConsoleConnectionProfile &profile) {
  if (testID != connectionTestID_ || !isTestingConnection_ || !connectionTestManager_) return;
  const OSCManager &manager = *connectionTestManager_;
  const QString reason = manager.lastError().value_or(manager.connectionStateDescription());
  publish(isTestingConnection_, false, &AppViewModel::isTestingConnectionChanged);
  publish(testConnectionStatus_,
          u"No verified Eos handshake within 10 seconds at "_s + connectionSummary(profile) +
              u". "_s + endedSentence(reason) +
              u" A route to the console is required, including over cellular/VPN."_s,
          &AppViewModel::testConnectionStatusChanged);
  releaseConnectionTestManager();
}

}  // namespace tarnik
