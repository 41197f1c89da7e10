#include "operations/EosParkSession.h"

#include "link/OSCManager.h"
#include "model/ShowIdentity.h"
#include "operations/EosCommandLine.h"
#include "operations/EosOSCAddress.h"

namespace tarnik {

namespace {

const QString showChangedText = QStringLiteral("The console show changed during the park query.");
const QString sessionChangedText = QStringLiteral("The main console session changed.");
const QString commandNotSentText = QStringLiteral("The isolated park command was not sent.");
const QString ambiguousListText = QStringLiteral("Eos returned an ambiguous parked-channel list.");

const QString newCommandAddress = QStringLiteral("/eos/newcmd");
const QString showPathAddress = QStringLiteral("/eos/get/show/path");

OSCMessage newCommand(const QString &line) {
  return {newCommandAddress, {OSCArgument::fromString(line)}};
}

std::optional<qint32> onlyInt(const OSCMessage &message) {
  if (message.arguments.size() != 1) return std::nullopt;
  const auto *number = std::get_if<qint32>(&message.arguments[0].value);
  return number ? std::optional(*number) : std::nullopt;
}

}  // namespace

EosParkSession::EosParkSession(Options options, QObject *parent)
    : EosIsolatedSession(std::move(options), parent) {}

std::optional<QString> EosParkSession::start(QString expectedShow, std::optional<Action> action,
                                             Gate gate, Completion completion,
                                             const OSCEndpoint &endpoint, OSCTCPFraming framing) {
  if (phase_ != Phase::idle && phase_ != Phase::finished)
    return QStringLiteral("A park observer session is already active.");
  if (expectedShow.isEmpty() || (action && !EosOSCAddress::isChannel(action->channel)) || !gate ||
      !gate())
    return QStringLiteral("The park observer session is unavailable.");
  expectedShow_ = std::move(expectedShow);
  action_ = action;
  gate_ = std::move(gate);
  completion_ = std::move(completion);
  virtualUser_.reset();
  baselineUserObserved_ = initialShowMatched_ = matchedPing_ = false;
  pingSentAt_.reset();
  barrier_.reset();
  queryStage_.reset();
  queryReportedEmpty_ = false;
  pendingParkedChannels_.reset();
  acceptedClosedFeedback_.clear();
  currentPhaseFeedback_.clear();
  beginRun();
  phase_ = Phase::connecting;
  armDeadline();
  connectTransport(endpoint, framing);
  return std::nullopt;
}

void EosParkSession::finish(Result result) {
  if (phase_ == Phase::idle || phase_ == Phase::finished) return;
  phase_ = Phase::finished;
  endRun();
  action_.reset();
  gate_ = nullptr;
  barrier_.reset();
  queryStage_.reset();
  pendingParkedChannels_.reset();
  Completion completion = std::exchange(completion_, nullptr);
  disconnectTransport();
  // Last: the owner may release the session from inside its completion.
  if (completion) completion(std::move(result));
}

bool EosParkSession::sendStep(const OSCMessage &message, const QString &failureText) {
  if (!mayTouchConsole(gate_) || !transport().send(message)) {
    finish(failureText);
    return false;
  }
  armDeadline();
  return true;
}

void EosParkSession::connectionEstablished() {
  if (phase_ == Phase::idle || phase_ == Phase::finished) return;
  if (phase_ != Phase::connecting || !mayTouchConsole(gate_)) {
    finish(sessionChangedText);
    return;
  }
  const QString prepareText = QStringLiteral("Could not prepare the isolated park user.");
  if (!sendStep({QStringLiteral("/eos/subscribe"), {OSCArgument::fromInt(1)}}, prepareText) ||
      !sendStep({showPathAddress, {}}, prepareText))
    return;
  pingSentAt_ = sendPing();
  armDeadline();
}

void EosParkSession::connectionLost() {
  if (hasConnected() || phase_ != Phase::connecting)
    finish(QStringLiteral("The isolated park connection was lost; no command will be replayed."));
}

void EosParkSession::deadlinePassed() {
  finish(QStringLiteral("Park command confirmation timed out."));
}

void EosParkSession::messageReceived(const OSCMessage &message) {
  if (isShowEvent(message.address)) {
    finish(showChangedText);
  } else if (message.address == u"/eos/out/get/show/path") {
    handleShowPath(message);
  } else if (message.address == u"/eos/out/user") {
    handleUser(message);
  } else if (message.address == u"/eos/out/get/chans") {
    handleChannels(message);
  } else if (virtualUser_ && EosCommandLine::commandAddressUser(message.address) == virtualUser_) {
    handleEcho(message);
  }
}

void EosParkSession::pingAnswered(double answeredAt) {
  if (phase_ == Phase::connecting && answersPing(answeredAt, pingSentAt_)) {
    matchedPing_ = true;
    requestUserWhenReady();
  } else if (phase_ == Phase::awaitingClearBarrier && barrier_.pingAnswered(answeredAt)) {
    checkClearBarrier();
  }
}

void EosParkSession::handleShowPath(const OSCMessage &message) {
  const auto *path =
      message.arguments.size() == 1 ? std::get_if<QString>(&message.arguments[0].value) : nullptr;
  if (!path) {
    finish(QStringLiteral("Eos returned malformed show identity feedback."));
    return;
  }
  if (!isSameShow(*path, expectedShow_)) {
    finish(showChangedText);
    return;
  }
  if (phase_ == Phase::connecting) {
    initialShowMatched_ = true;
    requestUserWhenReady();
  } else if (phase_ == Phase::awaitingPostQueryShow) {
    if (!gate_ || !gate_()) {
      finish(sessionChangedText);
    } else if (pendingParkedChannels_) {
      finish(Result(*pendingParkedChannels_));
    } else {
      finish(QStringLiteral("The parked-channel result was lost."));
    }
  }
}

void EosParkSession::handleUser(const OSCMessage &message) {
  const auto user = onlyInt(message);
  if (phase_ == Phase::connecting) {
    if (!user) return;
    baselineUserObserved_ = true;
    requestUserWhenReady();
  } else if (phase_ == Phase::awaitingAutoUser) {
    if (!user || *user < 0) {
      finish(QStringLiteral("Eos returned a malformed allocated park user."));
      return;
    }
    virtualUser_ = *user;
    phase_ = Phase::awaitingMarker;
    sendStep(newCommand(barrier_.beginMarker()), commandNotSentText);
  }
}

// The user is asked for only once the console has answered the ping, shown the expected
// show and reported a baseline user, in whatever order those arrive.
void EosParkSession::requestUserWhenReady() {
  if (phase_ != Phase::connecting || !baselineUserObserved_ || !initialShowMatched_ ||
      !matchedPing_)
    return;
  phase_ = Phase::awaitingAutoUser;
  sendStep({QStringLiteral("/eos/user/auto"), {}},
           QStringLiteral("Could not allocate the isolated park user."));
}

void EosParkSession::handleEcho(const OSCMessage &message) {
  const auto echo = EosCommandLine::commandLineArguments(message);
  switch (phase_) {
    case Phase::awaitingMarker:
      if (echo && barrier_.takeMarkerEcho(EosCommandLine::normalize(echo->text), echo->status))
        startClearStep();
      return;
    case Phase::awaitingClearBarrier:
      barrier_.lineSeen(echo && EosCommandLine::isEmptyEcho(echo->text, echo->status));
      checkClearBarrier();
      return;
    case Phase::awaitingLive:
    case Phase::awaitingAction:
    case Phase::awaitingQuery:
    case Phase::awaitingChannels:
    case Phase::awaitingPostQueryShow:
      if (!echo) {
        finish(QStringLiteral("Eos returned malformed park command feedback."));
        return;
      }
      handleOperationEcho(EosCommandLine::normalize(echo->text), echo->status);
      return;
    default:
      return;
  }
}

void EosParkSession::startClearStep() {
  if (phase_ != Phase::awaitingMarker || !virtualUser_) return;
  phase_ = Phase::awaitingClearBarrier;
  if (!mayTouchConsole(gate_) || !transport().send({QStringLiteral("/eos/key/clear_cmd"), {}})) {
    finish(QStringLiteral("Could not clear the isolated park user's prior command."));
    return;
  }
  barrier_.beginClear(sendPing());
  armDeadline();
  checkClearBarrier();
}

void EosParkSession::checkClearBarrier() {
  if (phase_ != Phase::awaitingClearBarrier) return;
  if (!mayTouchConsole(gate_)) {
    finish(sessionChangedText);
    return;
  }
  if (!barrier_.isCleared() || !virtualUser_) return;
  currentPhaseFeedback_.clear();
  phase_ = Phase::awaitingLive;
  sendStep(newCommand(QStringLiteral("Live Enter")), commandNotSentText);
}

void EosParkSession::handleOperationEcho(const QString &normalized, qint32 status) {
  // An unfinished line is still being typed.
  if (!normalized.endsWith(u'#')) return;
  const QString key = QString::number(status) + u':' + normalized;
  const bool isLive = normalized.toUpper().startsWith(QLatin1String("LIVE:"));
  switch (phase_) {
    case Phase::awaitingLive:
      if (status == 0 && isLive && normalized.contains(QLatin1String(" Live #"))) {
        if (recordFeedback(key)) sendQuery(QueryStage::preAction);
        return;
      }
      break;
    case Phase::awaitingAction:
      if (action_ && status == 0 && isLive &&
          normalized.contains(QStringLiteral("Chan %1 @ Park").arg(action_->channel))) {
        if (recordFeedback(key)) sendQuery(QueryStage::postAction);
        return;
      }
      break;
    case Phase::awaitingQuery:
      if (isLive && normalized.contains(QLatin1String("Query Park"))) {
        if (status == 0) {
          queryReportedEmpty_ = false;
        } else if (status == 1 && normalized.contains(QLatin1String("Channel List is Empty#"))) {
          queryReportedEmpty_ = true;
        } else {
          finish(QStringLiteral("Eos rejected the park operation: ") + normalized);
          return;
        }
        if (recordFeedback(key)) {
          phase_ = Phase::awaitingChannels;
          sendStep({QStringLiteral("/eos/get/chans"), {}},
                   QStringLiteral("Could not read the isolated user's queried channels."));
        }
        return;
      }
      break;
    default:
      return;
  }
  // The console repeating a line it showed earlier in this run is harmless.
  if (acceptedClosedFeedback_.contains(key)) return;
  finish(QStringLiteral("Eos rejected the park operation: ") + normalized);
}

bool EosParkSession::recordFeedback(const QString &key) {
  if (!currentPhaseFeedback_.insert(key).second) return false;
  acceptedClosedFeedback_.insert(key);
  return true;
}

void EosParkSession::sendQuery(QueryStage stage) {
  queryStage_ = stage;
  queryReportedEmpty_ = false;
  currentPhaseFeedback_.clear();
  phase_ = Phase::awaitingQuery;
  sendStep(newCommand(QStringLiteral("Query Park Enter")), commandNotSentText);
}

void EosParkSession::handleChannels(const OSCMessage &message) {
  if (phase_ != Phase::awaitingChannels || !queryStage_) return;
  const auto channels = parkedChannelSet(message);
  // The list must agree with what the query's echo said about it being empty.
  if (!channels || !channels->empty() == queryReportedEmpty_) {
    finish(ambiguousListText);
    return;
  }
  if (*queryStage_ == QueryStage::postAction) {
    if (!action_ || !requestHolds(*channels)) {
      finish(QStringLiteral("Eos did not confirm the requested park state."));
      return;
    }
    revalidate(*channels);
    return;
  }
  if (!action_ || requestHolds(*channels)) {
    revalidate(*channels);
    return;
  }
  currentPhaseFeedback_.clear();
  phase_ = Phase::awaitingAction;
  sendStep(newCommand(parkCommandText(action_->channel, action_->action)), commandNotSentText);
}

bool EosParkSession::requestHolds(const std::set<int> &channels) const {
  const bool parked = channels.contains(action_->channel);
  return parked == (action_->action == FixtureParkAction::park);
}

void EosParkSession::revalidate(std::set<int> channels) {
  pendingParkedChannels_ = std::move(channels);
  phase_ = Phase::awaitingPostQueryShow;
  sendStep({showPathAddress, {}},
           QStringLiteral("Could not revalidate the show after the park query."));
}

}  // namespace tarnik
