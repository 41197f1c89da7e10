// The Live control session's bootstrap, its ready-time traffic and its end.

#include "operations/EosLiveControlSession.h"

#include "link/OSCManager.h"
#include "model/ShowIdentity.h"
#include "operations/EosCommandLine.h"
#include "operations/EosLiveEchoLines.h"
#include "operations/EosOSCAddress.h"

namespace tarnik {

namespace {

const QString sessionChangedText = QStringLiteral("The main console session changed.");
const QString prepareFailedText = QStringLiteral("Could not prepare the isolated Live user.");
const QString malformedEchoText = QStringLiteral("Eos returned malformed Live command feedback.");
const QString rejectedPrefix = QStringLiteral("Eos rejected the isolated Live context: ");

// A ping reply a millisecond older than its ping still counts: both are read from the same
// clock, but not at the same instant as the bytes moved.
constexpr double pingTolerance = 0.001;

EosIsolatedSession::PreparationRules preparationRules() {
  EosIsolatedSession::PreparationRules rules;
  rules.prepareFailedText = prepareFailedText;
  rules.allocateRefusedText = prepareFailedText;
  rules.allocateFailedText = prepareFailedText;
  rules.markerFailedText = prepareFailedText;
  rules.clearRefusedText = sessionChangedText;
  rules.clearFailedText = prepareFailedText;
  rules.barrierRefusedText = sessionChangedText;
  rules.malformedUserText = QStringLiteral("Eos returned a malformed allocated Live user.");
  rules.malformedEchoText = malformedEchoText;
  rules.clearRejectedPrefix = rejectedPrefix;
  rules.isEmptyLine = EosLiveEchoLines::isEmptyBootstrapLine;
  rules.echoUser = EosOSCAddress::parseUser;
  rules.pingTolerance = pingTolerance;
  rules.checkBarrierAtEveryStep = false;
  rules.forgetUserAtEnd = true;
  return rules;
}

}  // namespace

EosLiveControlSession::EosLiveControlSession(Options options, QObject *parent)
    : EosIsolatedSession(std::move(options), preparationRules(), parent) {}

EosLiveControlSession::~EosLiveControlSession() = default;

std::optional<QString> EosLiveControlSession::start(
    const QString &expectedShow, Gate gate, std::function<void()> onReady,
    std::function<void(const OSCMessage &)> onMessage,
    std::function<void(const QString &)> onFailure, const OSCEndpoint &endpoint,
    OSCTCPFraming framing) {
  if (isActive()) return QStringLiteral("A Live control session is already active.");
  const QString show = showIdentity(expectedShow);
  if (show.isEmpty() || !gate || !gate())
    return QStringLiteral("The Live control session is unavailable.");
  expectedShow_ = show;
  onReady_ = std::move(onReady);
  onMessage_ = std::move(onMessage);
  onFailure_ = std::move(onFailure);
  flash_ = {};
  flashDeadline_.reset();
  flashReleaseTimer_.reset();
  colorReadDeadline_.reset();
  colorRead_ = {};
  beginRun(std::move(gate));
  phase_ = Phase::preparing;
  armDeadline();
  connectTransport(endpoint, framing);
  return std::nullopt;
}

void EosLiveControlSession::finish(const std::optional<QString> &failureText) {
  if (!isActive()) return;
  phase_ = Phase::finished;
  endRun();
  flashDeadline_.reset();
  flashReleaseTimer_.reset();
  colorReadDeadline_.reset();
  flash_ = {};
  colorRead_ = {};
  onReady_ = nullptr;
  onMessage_ = nullptr;
  onIdentifyReleased = nullptr;
  onColorReadback = nullptr;
  onShowInvalidated = nullptr;
  auto onFailure = std::exchange(onFailure_, nullptr);
  disconnectTransport();
  // Last: the owner may release the session from inside its callback.
  if (failureText && onFailure) onFailure(*failureText);
}

bool EosLiveControlSession::requireConsole() {
  if (mayTouchConsole()) return true;
  finish(sessionChangedText);
  return false;
}

bool EosLiveControlSession::sendBootstrap(const OSCMessage &message) {
  if (mayTouchConsole() && transport().send(message)) return true;
  finish(prepareFailedText);
  return false;
}

void EosLiveControlSession::userReady() {
  phase_ = Phase::awaitingLive;
  if (sendBootstrap({EosOSCAddress::newCommand, {OSCArgument::fromString("Live Enter")}}))
    armDeadline();
}

void EosLiveControlSession::connectionLost() {
  finish(QStringLiteral("The isolated Live connection was lost; no control will be replayed."));
}

void EosLiveControlSession::deadlinePassed() {
  if (phase_ == Phase::preparing) {
    switch (preparationStep()) {
      case PreparationStep::connecting:
        return finish(QStringLiteral("Eos did not complete the Live connection handshake."));
      case PreparationStep::awaitingAutoUser:
        return finish(QStringLiteral("Eos did not allocate a Live control user."));
      case PreparationStep::awaitingMarker:
        return finish(QStringLiteral("Eos did not confirm isolated Live preparation."));
      case PreparationStep::awaitingClearBarrier:
        return finish(QStringLiteral("Eos did not acknowledge Live control preparation."));
      default:
        return;
    }
  }
  switch (phase_) {
    case Phase::awaitingLive:
      return finish(QStringLiteral("Eos did not confirm Live mode."));
    case Phase::awaitingShowBarrier:
      return finish(QStringLiteral("Eos did not confirm the Live control show."));
    default:
      return;
  }
}

void EosLiveControlSession::pingAnswered(double answeredAt) {
  if (phase_ == Phase::ready) colorClearPingAnswered(answeredAt);
}

void EosLiveControlSession::messageReceived(const OSCMessage &message) {
  if (!isActive()) return;
  if (isShowEvent(message.address)) return invalidateShow();
  if (message.address == EosOSCAddress::showPathReply) return handleShowPath(message);
  if (const auto user = EosOSCAddress::parseUser(message.address))
    return handleCommandLine(message, *user);
  if (phase_ == Phase::ready) handleReadyMessage(message);
}

void EosLiveControlSession::invalidateShow() {
  const QString text = QStringLiteral("The console show changed during the Live control session.");
  if (auto invalidated = onShowInvalidated) {
    finish();
    invalidated(text);
  } else {
    finish(text);
  }
}

void EosLiveControlSession::handleShowPath(const OSCMessage &message) {
  const auto *path =
      message.arguments.size() == 1 ? std::get_if<QString>(&message.arguments[0].value) : nullptr;
  if (!path || !isSameShow(*path, expectedShow_)) return invalidateShow();
  switch (phase_) {
    case Phase::preparing:
      return showMatched();
    case Phase::awaitingShowBarrier:
      if (!requireConsole()) return;
      phase_ = Phase::ready;
      cancelDeadline();
      if (onReady_) onReady_();
      return;
    case Phase::ready:
      if (colorRead_.stage == ColorRead::Stage::awaitingShowBarrier) completeColorRead();
      return;
    default:
      return;
  }
}

void EosLiveControlSession::handleCommandLine(const OSCMessage &message, int user) {
  if (user != virtualUser()) return;
  const auto echo = readEcho(message);
  if (!echo) {
    finish(malformedEchoText);
    return;
  }
  const QString text = EosCommandLine::normalize(echo->text);
  const auto rejected = [&] { finish(rejectedPrefix + text); };
  switch (phase_) {
    case Phase::awaitingLive:
      if (echo->status != 0) return rejected();
      return handleLiveConfirmation(text);
    case Phase::awaitingShowBarrier:
      if (echo->status != 0) return rejected();
      return;
    case Phase::ready:
      return handleReadyEcho(text, echo->status);
    default:
      return;
  }
}

void EosLiveControlSession::handleLiveConfirmation(const QString &text) {
  // An unfinished line is still being typed.
  if (!text.endsWith(u'#')) return;
  if (!text.startsWith(QLatin1String("LIVE:")) || !text.contains(QLatin1String(" Live #"))) {
    finish(rejectedPrefix + text);
    return;
  }
  phase_ = Phase::awaitingShowBarrier;
  if (sendBootstrap({EosOSCAddress::showPathRequest, {}})) armDeadline();
}

void EosLiveControlSession::handleReadyEcho(const QString &text, qint32 status) {
  if (takeColorMarkerEcho(text, status)) return;
  if (!requireConsole()) return;
  if (status != 0) {
    finish(rejectedPrefix + text);
    return;
  }
  const bool empty = EosLiveEchoLines::isEmptyLiveLine(text);
  colorClearLineSeen(empty);
  if (empty || !isActive()) return;
  if (!text.startsWith(QLatin1String("LIVE:"))) {
    finish(QStringLiteral("The isolated control user left Live: ") + text);
    return;
  }
  if (text.endsWith(u'#')) handleOperationEcho(text);
}

void EosLiveControlSession::handleReadyMessage(const OSCMessage &message) {
  if (!requireConsole()) return;
  if (message.address == EosOSCAddress::activeChannelReply) return handleActiveChannel(message);
  if (message.address == EosOSCAddress::hueSaturationReply) return handleHueSaturation(message);
  if (EosOSCAddress::parseParamsReply(message, EosOSCAddress::ParamsForm::reply) && onMessage_)
    onMessage_(message);
}

bool EosLiveControlSession::sendWrite(const OSCMessage &message) {
  if (phase_ != Phase::ready) return false;
  if (!requireConsole()) return false;
  if (transport().send(message)) return true;
  finish(QStringLiteral("The isolated Live control message was not sent."));
  return false;
}

bool EosLiveControlSession::send(const OSCMessage &message) { return sendWrite(message); }

bool EosLiveControlSession::sendQuery(const OSCMessage &message) {
  if (!EosOSCAddress::parseParamsReply(message, EosOSCAddress::ParamsForm::query)) return false;
  return sendWrite(message);
}

}  // namespace tarnik
