#include "operations/EosIsolatedSession.h"

#include "link/OSCManager.h"
#include "operations/SystemLevelCommandScheduler.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <cmath>

namespace tarnik {

namespace {

void queueOnEventLoop(std::function<void()> work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

}  // namespace

EosIsolatedSession::EosIsolatedSession(Options options, QObject *parent)
    : QObject(parent),
      transport_(options.transport ? std::move(options.transport)
                                   : std::make_unique<OSCManager>(8.0, 5.0)),
      timeoutScheduler_(options.timeoutScheduler ? std::move(options.timeoutScheduler)
                                                 : std::make_shared<SystemLevelCommandScheduler>()),
      deferConnectionPreparation_(options.deferConnectionPreparation
                                      ? std::move(options.deferConnectionPreparation)
                                      : DeferConnectionPreparation(queueOnEventLoop)),
      timeout_(options.timeout),
      pingClock_(options.pingClock ? std::move(options.pingClock) : UptimeSource(systemUptime)) {
  // A session without a time limit could wait for ever on a console that went quiet.
  if (!(timeout_ > 0)) qFatal("An isolated Eos session needs a step time limit above 0 seconds");
  // Ping proofs compare the session's clock with the transport's stamps: one clock for both.
  transport_->setPingReplyClock(pingClock_);
  lastConnected_ = transport_->isConnected();
  // The transport is owned, so its signals cannot outlive the session.
  connect(transport_.get(), &OSCManager::isConnectedChanged, this,
          &EosIsolatedSession::connectionChanged);
  connect(transport_.get(), &OSCManager::lastReceivedMessageChanged, this,
          [this](const std::optional<OSCMessage> &message) {
            if (message && isRunning()) messageReceived(*message);
          });
  connect(transport_.get(), &OSCManager::lastPingResponseUptimeChanged, this,
          [this](std::optional<double> answeredAt) {
            if (answeredAt && isRunning()) pingAnswered(*answeredAt);
          });
}

EosIsolatedSession::~EosIsolatedSession() {
  // Whatever the transport says while it closes is no longer this session's business.
  QObject::disconnect(transport_.get(), nullptr, this, nullptr);
}

void EosIsolatedSession::beginRun() {
  operationID_ = QUuid::createUuid();
  hasConnected_ = false;
}

void EosIsolatedSession::connectTransport(const OSCEndpoint &endpoint, OSCTCPFraming framing) {
  transport_->transport = OSCTransport::tcp;
  transport_->tcpFraming = framing;
  transport_->connect(endpoint);
}

void EosIsolatedSession::endRun() {
  operationID_.reset();
  hasConnected_ = false;
  cancelDeadline();
}

void EosIsolatedSession::disconnectTransport() { transport_->disconnect(); }

void EosIsolatedSession::armDeadline() {
  deadline_.reset();
  deadline_ = scheduleInRun(timeout_, [this] { deadlinePassed(); });
}

void EosIsolatedSession::cancelDeadline() {
  if (deadline_) deadline_->cancel();
  deadline_.reset();
}

std::unique_ptr<LevelCommandScheduledAction> EosIsolatedSession::scheduleInRun(
    double delaySeconds, std::function<void()> action) {
  if (!operationID_) return nullptr;
  return timeoutScheduler_->schedule(
      delaySeconds, [session = QPointer(this), run = *operationID_, action = std::move(action)] {
        if (session && session->operationID_ == run) action();
      });
}

bool EosIsolatedSession::mayTouchConsole(const Gate &gate) const {
  return gate && gate() && transport_->isConnected();
}

double EosIsolatedSession::sendPing() {
  const double sentAt = pingClockNow();
  transport_->sendPing();
  return sentAt;
}

bool EosIsolatedSession::isShowEvent(const QString &address) {
  return address == u"/eos/out/event/show/loaded" || address == u"/eos/out/event/show/cleared" ||
         address == u"/eos/out/event/show/saved";
}

bool EosIsolatedSession::answersPing(double answeredAt, std::optional<double> sentAt,
                                     double tolerance) {
  return sentAt && answeredAt >= *sentAt - tolerance;
}

void EosIsolatedSession::connectionChanged(bool connected) {
  if (connected == lastConnected_) return;
  lastConnected_ = connected;
  if (!isRunning()) return;
  if (!connected) {
    connectionLost();
    return;
  }
  hasConnected_ = true;
  deferConnectionPreparation_([session = QPointer(this), run = *operationID_] {
    if (session && session->operationID_ == run) session->connectionEstablished();
  });
}

}  // namespace tarnik
