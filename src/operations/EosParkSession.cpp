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

OSCMessage newCommand(const QString &line) {
  return {EosOSCAddress::newCommand, {OSCArgument::fromString(line)}};
}

EosIsolatedSession::PreparationRules preparationRules() {
  const QString clearText =
      QStringLiteral("Could not clear the isolated park user's prior command.");
  const QString allocateText = QStringLiteral("Could not allocate the isolated park user.");
  EosIsolatedSession::PreparationRules rules;
  rules.prepareFailedText = QStringLiteral("Could not prepare the isolated park user.");
  rules.allocateRefusedText = allocateText;
  rules.allocateFailedText = allocateText;
  rules.markerFailedText = commandNotSentText;
  rules.clearRefusedText = clearText;
  rules.clearFailedText = clearText;
  rules.barrierRefusedText = sessionChangedText;
  rules.malformedUserText = QStringLiteral("Eos returned a malformed allocated park user.");
  return rules;
}

}  // namespace

EosParkSession::EosParkSession(Options options, QObject *parent)
    : EosIsolatedSession(std::move(options), preparationRules(), parent) {}

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
  completion_ = std::move(completion);
  queryStage_.reset();
  queryReportedEmpty_ = false;
  pendingParkedChannels_.reset();
  acceptedClosedFeedback_.clear();
  currentPhaseFeedback_.clear();
  beginRun(std::move(gate));
  phase_ = Phase::preparing;
  armDeadline();
  connectTransport(endpoint, framing);
  return std::nullopt;
}

void EosParkSession::finish(Result result) {
  if (phase_ == Phase::idle || phase_ == Phase::finished) return;
  phase_ = Phase::finished;
  endRun();
  action_.reset();
  queryStage_.reset();
  pendingParkedChannels_.reset();
  Completion completion = std::exchange(completion_, nullptr);
  disconnectTransport();
  // Last: the owner may release the session from inside its completion.
  if (completion) completion(std::move(result));
}

bool EosParkSession::sendStep(const OSCMessage &message, const QString &failureText) {
  if (!mayTouchConsole() || !transport().send(message)) {
    finish(failureText);
    return false;
  }
  armDeadline();
  return true;
}

void EosParkSession::userReady() {
  currentPhaseFeedback_.clear();
  phase_ = Phase::awaitingLive;
  sendStep(newCommand(QStringLiteral("Live Enter")), commandNotSentText);
}

void EosParkSession::connectionLost() {
  finish(QStringLiteral("The isolated park connection was lost; no command will be replayed."));
}

void EosParkSession::deadlinePassed() {
  finish(QStringLiteral("Park command confirmation timed out."));
}

void EosParkSession::messageReceived(const OSCMessage &message) {
  if (isShowEvent(message.address)) {
    finish(showChangedText);
  } else if (message.address == EosOSCAddress::showPathReply) {
    handleShowPath(message);
  } else if (message.address == EosOSCAddress::channelsReply) {
    handleChannels(message);
  } else if (virtualUser() &&
             EosCommandLine::commandAddressUser(message.address) == virtualUser()) {
    handleEcho(message);
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
  if (phase_ == Phase::preparing) {
    showMatched();
  } else if (phase_ == Phase::awaitingPostQueryShow) {
    if (!gateHolds()) {
      finish(sessionChangedText);
    } else if (pendingParkedChannels_) {
      finish(Result(*pendingParkedChannels_));
    } else {
      finish(QStringLiteral("The parked-channel result was lost."));
    }
  }
}

void EosParkSession::handleEcho(const OSCMessage &message) {
  const auto echo = readEcho(message);
  switch (phase_) {
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
          sendStep({EosOSCAddress::channelsRequest, {}},
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
  sendStep({EosOSCAddress::showPathRequest, {}},
           QStringLiteral("Could not revalidate the show after the park query."));
}

}  // namespace tarnik
