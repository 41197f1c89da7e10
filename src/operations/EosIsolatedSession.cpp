#include "operations/EosIsolatedSession.h"

#include "link/OSCManager.h"
#include "operations/EosOSCAddress.h"
#include "operations/SystemLevelCommandScheduler.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

const QString sessionChangedText = QStringLiteral("The main console session changed.");

// The transport dates a reply when it reads it, the session reads the clock when it handles
// it: a reply that looks up to a second newer than now still counts as fresh.
constexpr double pingDatedAheadSeconds = 1.0;

void queueOnEventLoop(std::function<void()> work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

const QString *firstString(const OSCMessage &message) {
  return message.arguments.isEmpty() ? nullptr : std::get_if<QString>(&message.arguments[0].value);
}

// Lenient: the line, then its status as an int or a bool (true counts as 1), and anything
// after them let be.
std::optional<EosCommandLine::Echo> lenientEcho(const OSCMessage &message) {
  if (message.arguments.size() < 2) return std::nullopt;
  const QString *text = firstString(message);
  if (!text) return std::nullopt;
  const auto &status = message.arguments[1].value;
  if (const auto *number = std::get_if<qint32>(&status))
    return EosCommandLine::Echo{*text, *number};
  if (const auto *flag = std::get_if<bool>(&status)) return EosCommandLine::Echo{*text, *flag};
  return std::nullopt;
}

}  // namespace

EosIsolatedSession::EosIsolatedSession(Options options, PreparationRules rules, QObject *parent)
    : QObject(parent),
      transport_(options.transport ? std::move(options.transport)
                                   : std::make_unique<OSCManager>(8.0, 5.0)),
      timeoutScheduler_(options.timeoutScheduler ? std::move(options.timeoutScheduler)
                                                 : std::make_shared<SystemLevelCommandScheduler>()),
      deferConnectionPreparation_(options.deferConnectionPreparation
                                      ? std::move(options.deferConnectionPreparation)
                                      : DeferConnectionPreparation(queueOnEventLoop)),
      timeout_(options.timeout),
      pingClock_(options.pingClock ? std::move(options.pingClock) : UptimeSource(systemUptime)),
      rules_(std::move(rules)) {
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
            if (message && isRunning() && !takePreparationMessage(*message))
              messageReceived(*message);
          });
  connect(transport_.get(), &OSCManager::lastPingResponseUptimeChanged, this,
          [this](std::optional<double> answeredAt) {
            if (!answeredAt || !isRunning()) return;
            if (step_ == PreparationStep::ready)
              pingAnswered(*answeredAt);
            else
              preparationPingAnswered(*answeredAt);
          });
}

EosIsolatedSession::~EosIsolatedSession() {
  // Whatever the transport says while it closes is no longer this session's business.
  QObject::disconnect(transport_.get(), nullptr, this, nullptr);
}

void EosIsolatedSession::beginRun(Gate gate) {
  operationID_ = QUuid::createUuid();
  hasConnected_ = false;
  gate_ = std::move(gate);
  step_ = PreparationStep::connecting;
  virtualUser_.reset();
  baselineUserObserved_ = initialShowMatched_ = matchedPing_ = false;
  pingSentAt_.reset();
  barrier_.reset();
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
  gate_ = nullptr;
  step_ = PreparationStep::idle;
  barrier_.reset();
  if (rules_.forgetUserAtEnd) virtualUser_.reset();
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

bool EosIsolatedSession::mayTouchConsole() const {
  return gateHolds() && transport_->isConnected();
}

double EosIsolatedSession::sendPing() {
  const double sentAt = pingClockNow();
  transport_->sendPing();
  return sentAt;
}

bool EosIsolatedSession::isShowEvent(const QString &address) {
  return address == EosOSCAddress::showLoaded || address == EosOSCAddress::showCleared ||
         address == EosOSCAddress::showSaved;
}

std::optional<EosCommandLine::Echo> EosIsolatedSession::readEcho(const OSCMessage &message) const {
  return rules_.lenientReplies ? lenientEcho(message)
                               : EosCommandLine::commandLineArguments(message);
}

std::optional<int> EosIsolatedSession::readUser(const OSCMessage &message) const {
  const qsizetype shape = rules_.lenientReplies ? std::min<qsizetype>(message.arguments.size(), 1)
                                                : message.arguments.size();
  const auto *user = shape == 1 ? std::get_if<qint32>(&message.arguments[0].value) : nullptr;
  if (!user || (rules_.lenientReplies && *user < 0)) return std::nullopt;
  return *user;
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
    if (hasConnected_ || step_ != PreparationStep::connecting) connectionLost();
    return;
  }
  hasConnected_ = true;
  deferConnectionPreparation_([session = QPointer(this), run = *operationID_] {
    if (session && session->operationID_ == run) session->prepareConnection();
  });
}

void EosIsolatedSession::prepareConnection() {
  if (step_ != PreparationStep::connecting || !mayTouchConsole()) {
    endWithFailure(sessionChangedText);
    return;
  }
  if (!sendPreparation({EosOSCAddress::subscribe, {OSCArgument::fromInt(1)}},
                       rules_.prepareFailedText, rules_.gateBeforeEachRequest) ||
      !sendPreparation({EosOSCAddress::showPathRequest, {}}, rules_.prepareFailedText,
                       rules_.gateBeforeEachRequest))
    return;
  pingSentAt_ = sendPing();
  if (rules_.armAfterBootstrapPing) armDeadline();
}

bool EosIsolatedSession::sendPreparation(const OSCMessage &message, const QString &failureText,
                                         bool askGate) {
  if ((!askGate || gateHolds()) && transport_->isConnected() && transport_->send(message))
    return true;
  endWithFailure(failureText);
  return false;
}

bool EosIsolatedSession::takePreparationMessage(const OSCMessage &message) {
  // A user report answers only the preparation, in every phase.
  if (message.address == EosOSCAddress::userReply) {
    handleUser(message);
    return true;
  }
  if ((step_ != PreparationStep::awaitingMarker &&
       step_ != PreparationStep::awaitingClearBarrier) ||
      !virtualUser_ || rules_.echoUser(message.address) != virtualUser_)
    return false;
  handlePreparationEcho(message);
  return true;
}

bool EosIsolatedSession::countsAsPing(double answeredAt) const {
  if (!rules_.pingFreshness) return true;
  const double age = pingClockNow() - answeredAt;
  return age >= -pingDatedAheadSeconds && age < *rules_.pingFreshness;
}

void EosIsolatedSession::preparationPingAnswered(double answeredAt) {
  if (!countsAsPing(answeredAt)) return;
  if (step_ == PreparationStep::connecting &&
      answersPing(answeredAt, pingSentAt_, rules_.pingTolerance)) {
    matchedPing_ = true;
    requestUserWhenReady();
  } else if (step_ == PreparationStep::awaitingClearBarrier &&
             barrier_.pingAnswered(answeredAt, rules_.pingTolerance)) {
    checkClearBarrier();
  }
}

void EosIsolatedSession::showMatched() {
  if (step_ != PreparationStep::connecting) return;
  initialShowMatched_ = true;
  requestUserWhenReady();
}

void EosIsolatedSession::handleUser(const OSCMessage &message) {
  const std::optional<int> user = readUser(message);
  if (step_ == PreparationStep::connecting) {
    if (!user) return;
    baselineUserObserved_ = true;
    requestUserWhenReady();
  } else if (step_ == PreparationStep::awaitingAutoUser) {
    if (!user || *user < 0) {
      if (rules_.malformedUserText) endWithFailure(*rules_.malformedUserText);
      return;
    }
    virtualUser_ = *user;
    step_ = PreparationStep::awaitingMarker;
    if (sendPreparation(
            {EosOSCAddress::newCommand, {OSCArgument::fromString(barrier_.beginMarker())}},
            rules_.markerFailedText))
      armDeadline();
  }
}

// The user is asked for only once the console has answered the ping, shown the expected
// show and reported a baseline user, in whatever order those arrive.
void EosIsolatedSession::requestUserWhenReady() {
  if (step_ != PreparationStep::connecting || !baselineUserObserved_ || !initialShowMatched_ ||
      !matchedPing_)
    return;
  if (!gateHolds()) {
    endWithFailure(rules_.allocateRefusedText);
    return;
  }
  step_ = PreparationStep::awaitingAutoUser;
  if (sendPreparation({EosOSCAddress::userAuto, {}}, rules_.allocateFailedText,
                      rules_.gateBeforeEachRequest))
    armDeadline();
}

void EosIsolatedSession::handlePreparationEcho(const OSCMessage &message) {
  const std::optional<EosCommandLine::Echo> echo = readEcho(message);
  if (!echo && rules_.malformedEchoText) {
    endWithFailure(*rules_.malformedEchoText);
    return;
  }
  const QString text = echo ? EosCommandLine::normalize(echo->text) : QString();
  if (step_ == PreparationStep::awaitingMarker) {
    if (echo && barrier_.takeMarkerEcho(text, echo->status)) startClearStep();
    return;
  }
  if (echo && echo->status != 0 && rules_.clearRejectedPrefix) {
    endWithFailure(*rules_.clearRejectedPrefix + text);
    return;
  }
  // The latest echo decides: an empty line followed by a typed one is not empty.
  const bool empty = echo && echo->status == 0 && rules_.isEmptyLine(text);
  barrier_.lineSeen(empty);
  if (empty || rules_.checkBarrierAtEveryStep) checkClearBarrier();
}

void EosIsolatedSession::startClearStep() {
  if (step_ != PreparationStep::awaitingMarker || !virtualUser_) return;
  if (!mayTouchConsole()) {
    endWithFailure(rules_.clearRefusedText);
    return;
  }
  step_ = PreparationStep::awaitingClearBarrier;
  if (!sendPreparation({EosOSCAddress::clearCommandKey, {}}, rules_.clearFailedText)) return;
  barrier_.beginClear(sendPing());
  armDeadline();
  if (rules_.checkBarrierAtEveryStep) checkClearBarrier();
}

void EosIsolatedSession::checkClearBarrier() {
  if (step_ != PreparationStep::awaitingClearBarrier) return;
  if (!mayTouchConsole()) {
    endWithFailure(rules_.barrierRefusedText);
    return;
  }
  if (!barrier_.isCleared() || !virtualUser_) return;
  barrier_.reset();
  step_ = PreparationStep::ready;
  userReady();
}

}  // namespace tarnik
