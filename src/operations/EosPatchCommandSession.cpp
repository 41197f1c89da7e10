#include "operations/EosPatchCommandSession.h"

#include "foundation/TextRules.h"
#include "link/OSCManager.h"
#include "model/ShowIdentity.h"
#include "operations/EosCommandLine.h"
#include "operations/EosOSCAddress.h"

namespace tarnik {

namespace {

const QString commandNotSentText = QStringLiteral("The patch command was not sent.");

// This session reads replies leniently: extra arguments are let be, and a reply of another
// shape is ignored rather than ending the write.
const QString *firstString(const OSCMessage &message) {
  return message.arguments.isEmpty() ? nullptr : std::get_if<QString>(&message.arguments[0].value);
}

EosIsolatedSession::PreparationRules preparationRules() {
  const QString clearText =
      QStringLiteral("Could not clear the isolated patch user's prior command.");
  EosIsolatedSession::PreparationRules rules;
  rules.prepareFailedText = QStringLiteral("Could not prepare the isolated patch user.");
  rules.allocateRefusedText =
      QStringLiteral("The console session changed before allocating the patch user.");
  rules.allocateFailedText = QStringLiteral("Could not allocate the isolated patch user.");
  rules.markerFailedText = commandNotSentText;
  rules.clearRefusedText = clearText;
  rules.clearFailedText = clearText;
  rules.barrierRefusedText = QStringLiteral("The console session changed before patching.");
  rules.lenientReplies = true;
  // A ping reply proves the console's state only while it is fresh.
  rules.pingFreshness = 5.0;
  // The deadline armed at the start still bounds the bootstrap.
  rules.armAfterBootstrapPing = false;
  rules.gateBeforeEachRequest = false;
  return rules;
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
          preparationRules(), parent) {}

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
  beginRun(std::move(gate));
  commands_ = std::move(commands);
  labels_ = std::move(labels);
  completion_ = std::move(completion);
  willSendFirstMutation_ = std::move(willSendFirstMutation);
  verifiedShow_ = false;
  lastAcknowledgedLine_.clear();
  commandIndex_ = 0;
  phase_ = Phase::preparing;
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
  willSendFirstMutation_ = nullptr;
  Completion completion = std::exchange(completion_, nullptr);
  disconnectTransport();
  // Last: the owner may release the session from inside its completion.
  if (completion) completion(std::move(result));
}

// Every typed line (the marker, "Patch Enter" and each patch line) re-arms the deadline.
bool EosPatchCommandSession::sendCommandLine(const QString &line) {
  if (!gateHolds() ||
      !transport().send({EosOSCAddress::newCommand, {OSCArgument::fromString(line)}})) {
    finish(commandNotSentText);
    return false;
  }
  armDeadline();
  return true;
}

void EosPatchCommandSession::userReady() {
  phase_ = Phase::context;
  sendCommandLine(QStringLiteral("Patch Enter"));
}

void EosPatchCommandSession::connectionLost() {
  finish(QStringLiteral("Patch connection was lost; no commands will be replayed."));
}

void EosPatchCommandSession::deadlinePassed() {
  finish(
      QStringLiteral("Patch command confirmation timed out. Sync to inspect any partial changes."));
}

void EosPatchCommandSession::messageReceived(const OSCMessage &message) {
  if (isShowEvent(message.address)) {
    finish(QStringLiteral("The console show changed while patching."));
  } else if (message.address == EosOSCAddress::showPathReply) {
    handleShowPath(message);
  } else if (virtualUser() &&
             EosCommandLine::commandAddressUser(message.address) == virtualUser()) {
    handleEcho(message);
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
  showMatched();
}

void EosPatchCommandSession::handleEcho(const OSCMessage &message) {
  const std::optional<EosCommandLine::Echo> echo = readEcho(message);
  switch (phase_) {
    case Phase::context:
    case Phase::command:
    case Phase::labels:
      if (echo) acknowledgeLine(echo->text, echo->status);
      return;
    default:
      return;
  }
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
  if (!mayTouchConsole() || !verifiedShow_ || !virtualUser()) {
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
    if (!gateHolds() || !transport().send({EosOSCAddress::patchLabel(label.channel),
                                           {OSCArgument::fromString(label.text)}})) {
      finish(QStringLiteral("Patch labels were only partially sent. Sync to inspect the result."));
      return;
    }
  }
  phase_ = Phase::labels;
  if (!transport().send({EosOSCAddress::showPathRequest, {}})) {
    finish(QStringLiteral("Could not verify that patch labels reached Eos."));
    return;
  }
  armDeadline();
}

}  // namespace tarnik
