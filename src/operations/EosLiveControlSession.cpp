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
const QString showPathReplyAddress = QStringLiteral("/eos/out/get/show/path");

}  // namespace

EosLiveControlSession::EosLiveControlSession(Options options, QObject *parent)
    : EosIsolatedSession(std::move(options), parent) {}

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
  gate_ = std::move(gate);
  onReady_ = std::move(onReady);
  onMessage_ = std::move(onMessage);
  onFailure_ = std::move(onFailure);
  virtualUser_.reset();
  baselineUserObserved_ = initialShowMatched_ = matchedPing_ = false;
  pingSentAt_.reset();
  bootstrapBarrier_.reset();
  flash_ = {};
  flashDeadline_.reset();
  flashReleaseTimer_.reset();
  colorReadDeadline_.reset();
  colorRead_ = {};
  beginRun();
  phase_ = Phase::connecting;
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
  bootstrapBarrier_.reset();
  gate_ = nullptr;
  virtualUser_.reset();
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
  finish(QStringLiteral("Could not prepare the isolated Live user."));
  return false;
}

void EosLiveControlSession::connectionEstablished() {
  if (!isActive()) return;
  if (phase_ != Phase::connecting) {
    finish(sessionChangedText);
    return;
  }
  if (!requireConsole()) return;
  if (!sendBootstrap({QStringLiteral("/eos/subscribe"), {OSCArgument::fromInt(1)}}) ||
      !sendBootstrap({QStringLiteral("/eos/get/show/path"), {}}))
    return;
  pingSentAt_ = sendPing();
  armDeadline();
}

void EosLiveControlSession::connectionLost() {
  if (hasConnected() || phase_ != Phase::connecting)
    finish(QStringLiteral("The isolated Live connection was lost; no control will be replayed."));
}

void EosLiveControlSession::deadlinePassed() {
  switch (phase_) {
    case Phase::connecting:
      return finish(QStringLiteral("Eos did not complete the Live connection handshake."));
    case Phase::awaitingAutoUser:
      return finish(QStringLiteral("Eos did not allocate a Live control user."));
    case Phase::awaitingMarker:
      return finish(QStringLiteral("Eos did not confirm isolated Live preparation."));
    case Phase::awaitingClearBarrier:
      return finish(QStringLiteral("Eos did not acknowledge Live control preparation."));
    case Phase::awaitingLive:
      return finish(QStringLiteral("Eos did not confirm Live mode."));
    case Phase::awaitingShowBarrier:
      return finish(QStringLiteral("Eos did not confirm the Live control show."));
    default:
      return;
  }
}

void EosLiveControlSession::pingAnswered(double answeredAt) {
  if (phase_ == Phase::connecting && answersPing(answeredAt, pingSentAt_, pingTolerance)) {
    matchedPing_ = true;
    requestUserWhenReady();
  } else if (phase_ == Phase::awaitingClearBarrier &&
             bootstrapBarrier_.pingAnswered(answeredAt, pingTolerance)) {
    checkClearBarrier();
  } else if (phase_ == Phase::ready) {
    colorClearPingAnswered(answeredAt);
  }
}

void EosLiveControlSession::messageReceived(const OSCMessage &message) {
  if (!isActive()) return;
  if (isShowEvent(message.address)) return invalidateShow();
  if (message.address == showPathReplyAddress) return handleShowPath(message);
  if (message.address == u"/eos/out/user") return handleUser(message);
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
    case Phase::connecting:
      initialShowMatched_ = true;
      return requestUserWhenReady();
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

void EosLiveControlSession::handleUser(const OSCMessage &message) {
  const auto *user =
      message.arguments.size() == 1 ? std::get_if<qint32>(&message.arguments[0].value) : nullptr;
  if (phase_ == Phase::connecting) {
    if (!user) return;
    baselineUserObserved_ = true;
    requestUserWhenReady();
  } else if (phase_ == Phase::awaitingAutoUser) {
    if (!user || *user < 0) {
      finish(QStringLiteral("Eos returned a malformed allocated Live user."));
      return;
    }
    virtualUser_ = *user;
    phase_ = Phase::awaitingMarker;
    if (sendBootstrap({QStringLiteral("/eos/newcmd"),
                       {OSCArgument::fromString(bootstrapBarrier_.beginMarker())}}))
      armDeadline();
  }
}

void EosLiveControlSession::requestUserWhenReady() {
  if (phase_ != Phase::connecting || !baselineUserObserved_ || !initialShowMatched_ ||
      !matchedPing_)
    return;
  phase_ = Phase::awaitingAutoUser;
  if (sendBootstrap({QStringLiteral("/eos/user/auto"), {}})) armDeadline();
}

void EosLiveControlSession::handleCommandLine(const OSCMessage &message, int user) {
  if (!virtualUser_ || user != *virtualUser_) return;
  const auto echo = EosCommandLine::commandLineArguments(message);
  if (!echo) {
    finish(QStringLiteral("Eos returned malformed Live command feedback."));
    return;
  }
  const QString text = EosCommandLine::normalize(echo->text);
  const auto rejected = [&] {
    finish(QStringLiteral("Eos rejected the isolated Live context: ") + text);
  };
  switch (phase_) {
    case Phase::awaitingMarker:
      if (bootstrapBarrier_.takeMarkerEcho(text, echo->status)) startClearStep();
      return;
    case Phase::awaitingClearBarrier: {
      if (echo->status != 0) return rejected();
      const bool empty = EosLiveEchoLines::isEmptyBootstrapLine(text);
      bootstrapBarrier_.lineSeen(empty);
      if (empty) checkClearBarrier();
      return;
    }
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

void EosLiveControlSession::startClearStep() {
  if (!requireConsole()) return;
  phase_ = Phase::awaitingClearBarrier;
  if (!sendBootstrap({QStringLiteral("/eos/key/clear_cmd"), {}})) return;
  bootstrapBarrier_.beginClear(sendPing());
  armDeadline();
}

void EosLiveControlSession::checkClearBarrier() {
  if (!requireConsole()) return;
  if (!bootstrapBarrier_.isCleared()) return;
  bootstrapBarrier_.reset();
  phase_ = Phase::awaitingLive;
  if (sendBootstrap({QStringLiteral("/eos/newcmd"), {OSCArgument::fromString("Live Enter")}}))
    armDeadline();
}

void EosLiveControlSession::handleLiveConfirmation(const QString &text) {
  // An unfinished line is still being typed.
  if (!text.endsWith(u'#')) return;
  if (!text.startsWith(QLatin1String("LIVE:")) || !text.contains(QLatin1String(" Live #"))) {
    finish(QStringLiteral("Eos rejected the isolated Live context: ") + text);
    return;
  }
  phase_ = Phase::awaitingShowBarrier;
  if (sendBootstrap({QStringLiteral("/eos/get/show/path"), {}})) armDeadline();
}

void EosLiveControlSession::handleReadyEcho(const QString &text, qint32 status) {
  if (takeColorMarkerEcho(text, status)) return;
  if (!requireConsole()) return;
  if (status != 0) {
    finish(QStringLiteral("Eos rejected the isolated Live context: ") + text);
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
  if (message.address == u"/eos/out/active/chan") return handleActiveChannel(message);
  if (message.address == u"/eos/out/color/hs") return handleHueSaturation(message);
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
