#include "app/ConnectionTester.h"

#include "app/ConnectionForm.h"
#include "foundation/TextRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

ConnectionTester::ConnectionTester(std::shared_ptr<AppTiming> timing, ManagerFactory makeManager,
                                   QObject *parent)
    : ObservableObject(parent),
      timing_(std::move(timing)),
      makeManager_(makeManager ? std::move(makeManager) : ManagerFactory([] {
        return std::make_unique<OSCManager>(8.0, 5.0);
      })) {}

void ConnectionTester::reset() {
  // A fresh id turns every late callback of the old test into a no-op.
  testID_ = QUuid::createUuid();
  releaseManager();
  publish(isTestingConnection_, false, &ConnectionTester::isTestingConnectionChanged);
  publish(testConnectionStatus_, u"Not tested"_s, &ConnectionTester::testConnectionStatusChanged);
  publish(testConnectionIdentity_, std::nullopt, &ConnectionTester::testConnectionIdentityChanged);
  publish(testConnectionVersion_, std::nullopt, &ConnectionTester::testConnectionVersionChanged);
}

void ConnectionTester::reportStatus(const QString &text) {
  publish(testConnectionStatus_, text, &ConnectionTester::testConnectionStatusChanged);
}

void ConnectionTester::releaseManager() {
  timeout_.cancel();
  if (!manager_) return;
  QObject::disconnect(manager_.get(), nullptr, this, nullptr);
  manager_->disconnect();
  // The test may end from inside one of the manager's own announcements.
  manager_.release()->deleteLater();
}

void ConnectionTester::start(const ConsoleConnectionProfile &profile,
                             const std::optional<QString> &relayKey) {
  // A test still running ends here; its late callbacks find the new id.
  releaseManager();
  manager_ = makeManager_();
  testID_ = QUuid::createUuid();
  const QUuid testID = testID_;
  OSCManager *manager = manager_.get();
  publish(isTestingConnection_, true, &ConnectionTester::isTestingConnectionChanged);
  publish(testConnectionStatus_,
          u"Testing "_s + ConnectionForm::connectionSummary(profile) + u"…"_s,
          &ConnectionTester::testConnectionStatusChanged);

  manager->transport = profile.transport;
  manager->tcpFraming = profile.tcpFraming;
  manager->relayPairingKey.reset();
  if (profile.usesMacRelay.value_or(false)) manager->relayPairingKey = relayKey;

  // Announcements come before the new values are stored, so the evaluation is queued.
  QObject::connect(manager, &ObservableObject::objectWillChange, this, [this, testID, profile] {
    QMetaObject::invokeMethod(
        this, [this, testID, profile] { evaluate(testID, profile); }, Qt::QueuedConnection);
  });
  timeout_ = timing_->schedule(deadline, [this, testID, profile] { timedOut(testID, profile); });

  if (profile.relayService) {
    manager->connect(OSCEndpoint::service(profile.relayService->name, profile.relayService->type,
                                          profile.relayService->domain));
  } else {
    manager->connect(profile.host, profile.destinationPort);
  }
  if (profile.transport == OSCTransport::udp) manager->startListening(profile.udpListenPort);
}

void ConnectionTester::evaluate(const QUuid &testID, const ConsoleConnectionProfile &profile) {
  if (testID != testID_ || !isTestingConnection_ || !manager_) return;
  const OSCManager &manager = *manager_;
  publish(testConnectionIdentity_, manager.verifiedConsoleIdentity(),
          &ConnectionTester::testConnectionIdentityChanged);
  publish(testConnectionVersion_, manager.verifiedSoftwareVersion(),
          &ConnectionTester::testConnectionVersionChanged);
  if (manager.verifiedSoftwareVersion() && manager.lastPingResponse()) {
    const QString version = *manager.verifiedSoftwareVersion();
    publish(isTestingConnection_, false, &ConnectionTester::isTestingConnectionChanged);
    publish(testConnectionStatus_,
            u"Verified Eos "_s + version + u" · "_s + ConnectionForm::connectionSummary(profile),
            &ConnectionTester::testConnectionStatusChanged);
    releaseManager();
    return;
  }
  if (manager.lastError()) {
    publish(testConnectionStatus_, u"Testing: "_s + *manager.lastError(),
            &ConnectionTester::testConnectionStatusChanged);
  }
}

void ConnectionTester::timedOut(const QUuid &testID, const ConsoleConnectionProfile &profile) {
  if (testID != testID_ || !isTestingConnection_ || !manager_) return;
  const OSCManager &manager = *manager_;
  const QString reason = manager.lastError().value_or(manager.connectionStateDescription());
  publish(isTestingConnection_, false, &ConnectionTester::isTestingConnectionChanged);
  publish(testConnectionStatus_,
          u"No verified Eos handshake within 10 seconds at "_s +
              ConnectionForm::connectionSummary(profile) + u". "_s + endedSentence(reason) +
              u" A route to the console is required, including over cellular/VPN."_s,
          &ConnectionTester::testConnectionStatusChanged);
  releaseManager();
}

}  // namespace tarnik
