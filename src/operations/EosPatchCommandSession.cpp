#include "operations/EosPatchCommandSession.h"

#include "foundation/TextRules.h"
#include "link/OSCManager.h"
#include "model/ShowIdentity.h"
#include "operations/EosCommandLine.h"

namespace tarnik {

namespace {

// A ping reply proves the console's state only while it is fresh.
constexpr double pingFreshnessSeconds = 5.0;
// The transport dates a reply when it reads it, the session reads the clock when it handles
// it: a reply that looks up to a second newer than now still counts.
constexpr double pingDatedAheadSeconds = 1.0;

const QString sessionChangedText = QStringLiteral("The main console session changed.");
const QString commandNotSentText = QStringLiteral("The patch command was not sent.");
const QString showPathAddress = QStringLiteral("/eos/get/show/path");

// This session reads replies leniently: extra arguments are let be, and a reply of another
// shape is ignored rather than ending the write.
const QString *firstString(const OSCMessage &message) {
  return message.arguments.isEmpty() ? nullptr : std::get_if<QString>(&message.arguments[0].value);
}

std::optional<int> firstUser(const OSCMessage &message) {
  const auto *user =
      message.arguments.isEmpty() ? nullptr : std::get_if<qint32>(&message.arguments[0].value);
  if (!user || *user < 0) return std::nullopt;
  return *user;
}

// A command-line echo: the line, then its status as an int or a bool (true counts as 1).
std::optional<EosCommandLine::Echo> patchEcho(const OSCMessage &message) {
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

EosPatchCommandSession::EosPatchCommandSession(Options options, QObject *parent)
    : EosIsolatedSession(
          [&options] {
            EosIsolatedSession::Options made;
            made.transport = std::move(options.transport);
            made.timeoutScheduler = std::move(options.timeoutScheduler);
            made.pingClock = std::move(options.pingClock);
            made.deferConnectionPreparation = std::move(options.deferConnectionPreparation);
            made.timeout = stepTimeLimit;
            return made;
          }(),
          parent) {}

void EosPatchCommandSession::start(QString expectedShow, QStringList commands, QList<Label> labels,
                                   Gate gate, WillSendFirstMutation willSendFirstMutation,
                                   Completion completion, const OSCEndpoint &endpoint,
                                   OSCTCPFraming framing, std::optional<QString> relayKey) {
  const auto refuse = [&completion](const QString &text) {
    if (completion) completion(std::unexpected(Failure{text}));
  };
  if (isActive()) return refuse(QStringLiteral("A patch operation is already active."));
  if (expectedShow.isEmpty() || commands.isEmpty() || commands.size() > maximumCommandCount ||
      !gate || !gate())
    return refuse(QStringLiteral("The patch session is unavailable."));
  expectedShow_ = std::move(expectedShow);
  beginRun();
  commands_ = std::move(commands);
  labels_ = std::move(labels);
  gate_ = std::move(gate);
  completion_ = std::move(completion);
  willSendFirstMutation_ = std::move(willSendFirstMutation);
  verifiedShow_ = matchedPing_ = false;
  virtualUser_.reset();
  pingSentAt_.reset();
  barrier_.reset();
  receivedBaselineUser_ = false;
  lastAcknowledgedLine_.clear();
  commandIndex_ = 0;
  phase_ = Phase::connecting;
  armDeadline();
  transport().relayPairingKey = std::move(relayKey);
  connectTransport(endpoint, framing);
}

void EosPatchCommandSession::finish(Result result) {
  if (!isActive()) return;
  phase_ = Phase::finished;
  endRun();
  commands_.clear();
  labels_.clear();
  gate_ = nullptr;
  willSendFirstMutation_ = nullptr;
  barrier_.reset();
  Completion completion = std::exchange(completion_, nullptr);
  disconnectTransport();
  // Last: the owner may release the session from inside its completion.
  if (completion) completion(std::move(result));
}

// Every typed line (the marker, "Patch Enter" and each patch line) re-arms the deadline.
bool EosPatchCommandSession::sendCommandLine(const QString &line) {
  if (!gateHolds() ||
      !transport().send({QStringLiteral("/eos/newcmd"), {OSCArgument::fromString(line)}})) {
    finish(commandNotSentText);
    return false;
  }
  armDeadline();
  return true;
}

bool EosPatchCommandSession::isFreshPing(double answeredAt) const {
  const double age = pingClockNow() - answeredAt;
  return age >= -pingDatedAheadSeconds && age < pingFreshnessSeconds;
}

void EosPatchCommandSession::connectionEstablished() {
  if (!isActive()) return;
  if (phase_ != Phase::connecting || !transport().isConnected() || !gateHolds()) {
    finish(sessionChangedText);
    return;
  }
  if (!transport().send({QStringLiteral("/eos/subscribe"), {OSCArgument::fromInt(1)}}) ||
      !transport().send({showPathAddress, {}})) {
    finish(QStringLiteral("Could not prepare the isolated patch user."));
    return;
  }
  // The deadline armed at the start still bounds the bootstrap: it is not re-armed here.
  pingSentAt_ = sendPing();
}

void EosPatchCommandSession::connectionLost() {
  if (hasConnected() || phase_ != Phase::connecting)
    finish(QStringLiteral("Patch connection was lost; no commands will be replayed."));
}

void EosPatchCommandSession::deadlinePassed() {
  finish(
      QStringLiteral("Patch command confirmation timed out. Sync to inspect any partial changes."));
}

void EosPatchCommandSession::messageReceived(const OSCMessage &message) {
  if (isShowEvent(message.address)) {
    finish(QStringLiteral("The console show changed while patching."));
  } else if (message.address == u"/eos/out/get/show/path") {
    handleShowPath(message);
  } else if (message.address == u"/eos/out/user") {
    handleUser(message);
  } else if (virtualUser_ && EosCommandLine::commandAddressUser(message.address) == virtualUser_) {
    handleEcho(message);
  }
}

void EosPatchCommandSession::pingAnswered(double answeredAt) {
  if (!isFreshPing(answeredAt)) return;
  if (phase_ == Phase::connecting && answersPing(answeredAt, pingSentAt_)) {
    matchedPing_ = true;
    allocateUserWhenReady();
  } else if (phase_ == Phase::clearBarrier && barrier_.pingAnswered(answeredAt)) {
    checkClearBarrier();
  }
}

void EosPatchCommandSession::handleShowPath(const OSCMessage &message) {
  const QString *path = firstString(message);
  if (!path) return;
  if (!isSameShow(*path, expectedShow_)) {
    finish(QStringLiteral("The console show changed before patching."));
    return;
  }
  // The show asked for after the labels is the write's last proof.
  if (phase_ == Phase::labels) {
    finish(Result());
    return;
  }
  verifiedShow_ = true;
  allocateUserWhenReady();
}

void EosPatchCommandSession::handleUser(const OSCMessage &message) {
  const std::optional<int> user = firstUser(message);
  if (!user) return;
  if (phase_ == Phase::connecting) {
    receivedBaselineUser_ = true;
    allocateUserWhenReady();
  } else if (phase_ == Phase::allocatingUser) {
    virtualUser_ = *user;
    phase_ = Phase::marker;
    sendCommandLine(barrier_.beginMarker());
  }
}

// The user is asked for once the show, the ping and a baseline user have all arrived, in
// whatever order.
void EosPatchCommandSession::allocateUserWhenReady() {
  if (phase_ != Phase::connecting || !verifiedShow_ || !matchedPing_ || !receivedBaselineUser_)
    return;
  if (!gateHolds()) {
    finish(QStringLiteral("The console session changed before allocating the patch user."));
    return;
  }
  phase_ = Phase::allocatingUser;
  if (!transport().send({QStringLiteral("/eos/user/auto"), {}})) {
    finish(QStringLiteral("Could not allocate the isolated patch user."));
    return;
  }
  armDeadline();
}

void EosPatchCommandSession::handleEcho(const OSCMessage &message) {
  const std::optional<EosCommandLine::Echo> echo = patchEcho(message);
  switch (phase_) {
    case Phase::marker:
      if (echo && barrier_.takeMarkerEcho(EosCommandLine::normalize(echo->text), echo->status))
        startClearStep();
      return;
    case Phase::clearBarrier:
      // An empty Live or Patch line, status 0.
      barrier_.lineSeen(echo && EosCommandLine::isEmptyEcho(echo->text, echo->status));
      checkClearBarrier();
      return;
    case Phase::context:
    case Phase::command:
    case Phase::labels:
      if (echo) acknowledgeLine(echo->text, echo->status);
      return;
    default:
      return;
  }
}

void EosPatchCommandSession::startClearStep() {
  if (phase_ != Phase::marker || !virtualUser_) return;
  phase_ = Phase::clearBarrier;
  if (!gateHolds() || !transport().isConnected() || !verifiedShow_ ||
      !transport().send({QStringLiteral("/eos/key/clear_cmd"), {}})) {
    finish(QStringLiteral("Could not clear the isolated patch user's prior command."));
    return;
  }
  barrier_.beginClear(sendPing());
  armDeadline();
  checkClearBarrier();
}

void EosPatchCommandSession::checkClearBarrier() {
  if (phase_ != Phase::clearBarrier) return;
  if (!gateHolds() || !transport().isConnected() || !verifiedShow_) {
    finish(QStringLiteral("The console session changed before patching."));
    return;
  }
  if (!barrier_.isCleared() || !virtualUser_) return;
  phase_ = Phase::context;
  sendCommandLine(QStringLiteral("Patch Enter"));
}

// Any new finished Patch line acknowledges the line in flight; a repeat of the last one
// does not. The read-back after the write proves what the lines did.
void EosPatchCommandSession::acknowledgeLine(const QString &text, qint32 status) {
  if (status != 0) {
    finish(QStringLiteral("Eos rejected the patch: ") + text);
    return;
  }
  const QString line = trimmedText(text);
  if (!line.startsWith(u"Patch Channel:") || !line.endsWith(u'#') ||
      line == lastAcknowledgedLine_ || phase_ == Phase::labels)
    return;
  lastAcknowledgedLine_ = line;
  advance(phase_ == Phase::context ? 0 : commandIndex_ + 1);
}

void EosPatchCommandSession::advance(qsizetype index) {
  if (!gateHolds() || !transport().isConnected() || !verifiedShow_ || !virtualUser_) {
    finish(QStringLiteral("The console session changed; remaining patch commands were canceled."));
    return;
  }
  if (index >= commands_.size()) {
    sendLabels();
    return;
  }
  if (index == 0 && !(willSendFirstMutation_ && willSendFirstMutation_())) {
    finish(QStringLiteral("The patch changed after preflight. Review it before trying again."));
    return;
  }
  phase_ = Phase::command;
  commandIndex_ = index;
  sendCommandLine(commands_[index]);
}

// Labels go out without waiting for replies (and without re-arming the deadline); the show
// path asked for after them comes back only once the console has read them.
void EosPatchCommandSession::sendLabels() {
  const QList<Label> labels = labels_;
  for (const Label &label : labels) {
    if (!gateHolds() ||
        !transport().send({QStringLiteral("/eos/set/patch/%1/label").arg(label.channel),
                           {OSCArgument::fromString(label.text)}})) {
      finish(QStringLiteral("Patch labels were only partially sent. Sync to inspect the result."));
      return;
    }
  }
  phase_ = Phase::labels;
  if (!transport().send({showPathAddress, {}})) {
    finish(QStringLiteral("Could not verify that patch labels reached Eos."));
    return;
  }
  armDeadline();
}

}  // namespace tarnik
