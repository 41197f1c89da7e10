#include "operations/MoverController.h"

#include "foundation/TextRules.h"
#include "operations/EosOSCAddress.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cmath>

namespace tarnik {

namespace {

const QString disconnectedText = QStringLiteral("Disconnected; movement disarmed.");
const QString sendFailedText = QStringLiteral("OSC send failed; reconnect and arm to resume.");

bool isExactlyInt(const QList<OSCArgument> &arguments, qint32 expected) {
  if (arguments.size() != 1) return false;
  const auto *value = std::get_if<qint32>(&arguments.first().value);
  return value && *value == expected;
}

const QString *onlyString(const QList<OSCArgument> &arguments) {
  return arguments.size() == 1 ? std::get_if<QString>(&arguments.first().value) : nullptr;
}

bool isWithin(const std::optional<double> &since, double now, double lifetime) {
  return since && *since <= now && now - *since <= lifetime;
}

}  // namespace

MoverController::MoverController(std::unique_ptr<MoverOSCTransport> transport,
                                 std::unique_ptr<GamePadSource> pads, bool startsMonitoring,
                                 UptimeSource now, QObject *parent)
    : ObservableObject(parent),
      transport_(std::move(transport)),
      pads_(std::move(pads)),
      now_(std::move(now)) {
  // Observations are aged on this controller's clock, so the transport stamps them on it.
  transport_->clock = now_;
  // The transport is owned, so its callbacks never outlive the controller.
  transport_->onState = [this](bool connected, bool verified) {
    handleTransportState(connected, verified);
  };
  transport_->onMessage = [this](const OSCMessage &message) {
    handleMessage(message, std::nullopt);
  };
  transport_->onContext = [this](const MoverContextObservation &observation) {
    handleContext(observation);
  };
  transport_->onError = [this](const QString &error) { stopSession(error); };
  if (!startsMonitoring) return;

  timer_.setTimerType(Qt::PreciseTimer);
  // QTimer counts whole milliseconds: 33 ms stays under the gate's 1/30 s cap, so a full
  // push sends 0.396 a tick and never more than 0.4.
  timer_.setInterval(std::chrono::milliseconds(1000 / 30));
  QObject::connect(&timer_, &QTimer::timeout, this, &MoverController::pollController);
  timer_.start();
  const bool hasGuiApplication = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
  active_ = hasGuiApplication && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

MoverController::~MoverController() {
  transport_->onState = nullptr;
  transport_->onMessage = nullptr;
  transport_->onContext = nullptr;
  transport_->onError = nullptr;
}

void MoverController::connect(const OSCEndpoint &endpoint, OSCTCPFraming framing, int user) {
  stopSession(disconnectedText);
  if (user < 1 || user > 99) {
    publish(status_, QStringLiteral("Enter a board user from 1 through 99."),
            &MoverController::statusChanged);
    return;
  }
  publish(user_, user, &MoverController::userChanged);
  sessionActive_ = true;
  publish(status_, QStringLiteral("Connecting dedicated controller session; movement disarmed."),
          &MoverController::statusChanged);
  transport_->connect(endpoint, framing);
}

void MoverController::stopSession(const QString &reason) {
  sessionActive_ = false;
  publish(connected_, false, &MoverController::connectedChanged);
  bootstrapped_ = false;
  userConfirmed_ = false;
  publish(selection_, QString(), &MoverController::selectionChanged);
  selectionAt_.reset();
  liveAt_.reset();
  commandLine_.reset();
  requestedSelectionAt_.reset();
  lastQueryAt_.reset();
  lastContextRequestAt_.reset();
  pendingContextRequest_.reset();
  publish(commandContext_, QStringLiteral("Unknown"), &MoverController::commandContextChanged);
  gate_.updateConditions(controllerConnected_, active_, false);
  gate_.disarm(reason);
  transport_->disconnect();
  publishGate();
}

void MoverController::arm() {
  refreshGate();
  gate_.arm(now_());
  publishGate();
}

void MoverController::disarm() {
  gate_.disarm(QStringLiteral("Movement disarmed."));
  publishGate();
}

void MoverController::setApplicationActive(bool active) {
  active_ = active;
  if (active) {
    refreshGate();
    publishGate();
  } else {
    stopSession(QStringLiteral("App lost focus; reconnect and arm to resume."));
  }
}

void MoverController::systemWillSleep() { stopSession(disconnectedText); }

void MoverController::handleTransportState(bool connected, bool verified) {
  if (!sessionActive_) return;
  if (!connected) {
    if (bootstrapped_) {
      stopSession(QStringLiteral("Controller connection lost; reconnect and arm to resume."));
    }
    return;
  }
  if (bootstrapped_) {
    if (verified) {
      publish(connected_, true, &MoverController::connectedChanged);
    } else {
      stopSession(QStringLiteral("Eos identity verification lost; reconnect and arm to resume."));
    }
    return;
  }
  publish(connected_, verified, &MoverController::connectedChanged);
  if (!verified) return;
  bootstrapped_ = true;
  if (send({EosOSCAddress::user, {OSCArgument::fromInt(user_)}}) &&
      send({EosOSCAddress::subscribe, {OSCArgument::fromInt(1)}})) {
    requestSelection();
    requestContext();
    refreshGate();
    publishGate();
  }
}

void MoverController::pollController() {
  QList<GamePad> xboxPads;
  for (const GamePad &pad : pads_->poll()) {
    if (pad.isXbox) xboxPads.append(pad);
  }
  const GamePad *chosen = xboxPads.size() == 1 ? &xboxPads.first() : nullptr;
  const std::optional<qint64> chosenID = chosen ? std::optional<qint64>(chosen->id) : std::nullopt;
  if (chosenID != selectedController_) {
    selectedController_ = chosenID;
    gate_.disarm(QStringLiteral("Controller changed; release controls and arm again."));
  }
  QString name;
  if (chosen && !chosen->name.isEmpty()) {
    name = chosen->name;
  } else {
    name = xboxPads.size() < 2 ? QStringLiteral("No Xbox controller connected")
                               : QStringLiteral("Connect exactly one Xbox controller");
  }
  publish(controllerName_, name, &MoverController::controllerNameChanged);
  if (!chosen) {
    handleInput({}, false);
    return;
  }
  handleInput({double(chosen->leftStickX), double(chosen->leftStickY), double(chosen->leftTrigger),
               chosen->rightShoulder, chosen->buttonB || chosen->buttonStart},
              true);
}

void MoverController::handleInput(const MoverControllerInput &input, bool controllerConnected) {
  publish(controllerConnected_, controllerConnected, &MoverController::controllerConnectedChanged);
  refreshGate();
  if (connected_ && (!lastQueryAt_ || now_() - *lastQueryAt_ >= selectionRequestInterval)) {
    requestSelection();
  }
  if (connected_ &&
      (!lastContextRequestAt_ || now_() - *lastContextRequestAt_ >= contextRequestInterval)) {
    requestContext();
  }
  const QList<OSCMessage> messages = gate_.process(input, user_, now_());
  for (const OSCMessage &message : messages) {
    if (!boardFeedbackIsFresh()) {
      gate_.disarm(QStringLiteral("Board feedback expired; movement disarmed."));
      break;
    }
    // A failed send ends the session, which publishes the gate itself.
    if (!send(message)) return;
  }
  publishGate();
}

void MoverController::requestSelection() {
  if (!connected_) return;
  const double t = now_();
  if (requestedSelectionAt_ && t - *requestedSelectionAt_ <= feedbackLifetime) return;
  requestedSelectionAt_ = t;
  lastQueryAt_ = t;
  send({EosOSCAddress::channelsRequest, {}});
}

void MoverController::requestContext() {
  if (!connected_) return;
  if (pendingContextRequest_) {
    if (now_() - pendingContextRequest_->startedAt <= contextRequestLifetime) return;
    pendingContextRequest_.reset();
    transport_->cancelProbe();
  }
  const QUuid id = QUuid::createUuid();
  pendingContextRequest_ = ContextRequest{id, now_()};
  if (transport_->startProbe(id, user_)) {
    lastContextRequestAt_ = now_();
  } else {
    pendingContextRequest_.reset();
  }
}

void MoverController::invalidateContext(bool requery) {
  pendingContextRequest_.reset();
  transport_->cancelProbe();
  if (requery && connected_) {
    lastContextRequestAt_.reset();
    requestContext();
  }
}

void MoverController::handleContext(const MoverContextObservation &observation) {
  if (!pendingContextRequest_ || pendingContextRequest_->id != observation.requestID) return;
  const double t = now_();
  const double startedAt = pendingContextRequest_->startedAt;
  if (!isWithin(startedAt, t, contextRequestLifetime)) return;
  const double seen = observation.observedAt;
  if (!std::isfinite(seen) || seen < startedAt || !isWithin(seen, t, feedbackLifetime)) return;
  pendingContextRequest_.reset();
  handleMessage(observation.message, seen);
}

void MoverController::handleMessage(const OSCMessage &message, std::optional<double> observedAt) {
  if (!sessionActive_ || !bootstrapped_ || !connected_) return;
  const bool requery = !observedAt;
  const double t = observedAt.value_or(now_());
  if (message.address == EosOSCAddress::userReply) {
    if (!isExactlyInt(message.arguments, user_)) {
      stopSession(
          QStringLiteral("OSC user changed or was not confirmed; reconnect to the board user."));
      return;
    }
    userConfirmed_ = true;
    requestSelection();
  } else if (message.address == EosOSCAddress::userCommandLine(user_)) {
    if (!userConfirmed_) return;
    handleCommandLine(message, t, requery);
  } else if (message.address == EosOSCAddress::activeChannelReply) {
    if (userConfirmed_) handleActiveChannels(message, requery);
  } else if (message.address == EosOSCAddress::channelsReply) {
    if (!userConfirmed_ || !requestedSelectionAt_ || *requestedSelectionAt_ > t ||
        t > *requestedSelectionAt_ + feedbackLifetime) {
      return;
    }
    handleSelectionReply(message, t, requery);
  }
  if (!sessionActive_) return;
  refreshGate();
  publishGate();
}

void MoverController::handleCommandLine(const OSCMessage &message, double at, bool requery) {
  const QList<OSCArgument> &arguments = message.arguments;
  const QString *line = arguments.size() == 2 ? std::get_if<QString>(&arguments[0].value) : nullptr;
  const auto *lineStatus =
      arguments.size() == 2 ? std::get_if<qint32>(&arguments[1].value) : nullptr;
  if (!line || !lineStatus || *lineStatus != 0 ||
      !trimmedText(*line).startsWith(QLatin1String("LIVE:"))) {
    liveAt_.reset();
    invalidateContext(requery);
    publish(commandContext_, QStringLiteral("Not confirmed Live"),
            &MoverController::commandContextChanged);
    gate_.disarm(QStringLiteral("Board user is in Blind, Patch, or an unknown command context."));
    return;
  }
  publish(commandContext_, QStringLiteral("Live"), &MoverController::commandContextChanged);
  if (commandLine_ && *commandLine_ != *line) {
    invalidateContext(requery);
    gate_.disarm(QStringLiteral("Board command changed; confirm selection and arm again."));
    selectionAt_.reset();
    requestedSelectionAt_.reset();
    requestSelection();
  }
  commandLine_ = *line;
  liveAt_ = at;
}

void MoverController::handleActiveChannels(const OSCMessage &message, bool requery) {
  QString candidate;
  if (const QString *text = onlyString(message.arguments)) {
    const qsizetype bracket = text->indexOf(QLatin1String(" ["));
    if (const auto accepted = parseSelectionList(bracket < 0 ? *text : text->left(bracket))) {
      candidate = *accepted;
    }
  }
  if (candidate == selection_) return;
  invalidateContext(requery);
  gate_.disarm(
      QStringLiteral("Board selection feedback changed; confirm selection and arm again."));
  selectionAt_.reset();
  requestedSelectionAt_.reset();
  requestSelection();
}

void MoverController::handleSelectionReply(const OSCMessage &message, double at, bool requery) {
  requestedSelectionAt_.reset();
  const QString *text = onlyString(message.arguments);
  if (const auto accepted = text ? parseSelectionList(*text) : std::nullopt) {
    if (*accepted != selection_) {
      invalidateContext(requery);
      gate_.disarm(QStringLiteral("Board selection changed; release controls and arm again."));
    }
    publish(selection_, *accepted, &MoverController::selectionChanged);
    selectionAt_ = at;
    return;
  }
  if (!selection_.isEmpty() || selectionAt_) invalidateContext(requery);
  publish(selection_, QString(), &MoverController::selectionChanged);
  selectionAt_.reset();
  gate_.disarm(
      QStringLiteral("Select mover channels on the board; no valid selection is confirmed."));
}

bool MoverController::boardFeedbackIsFresh() const {
  const double t = now_();
  return sessionActive_ && connected_ && userConfirmed_ && !selection_.isEmpty() &&
         isWithin(liveAt_, t, feedbackLifetime) && isWithin(selectionAt_, t, feedbackLifetime);
}

void MoverController::refreshGate() {
  if (liveAt_ && now_() - *liveAt_ > feedbackLifetime) {
    publish(commandContext_, QStringLiteral("Live feedback stale"),
            &MoverController::commandContextChanged);
  }
  gate_.updateConditions(controllerConnected_, active_, boardFeedbackIsFresh());
}

void MoverController::publishGate() {
  announce();
  assign(isArmed_, gate_.isArmed, &MoverController::isArmedChanged);
  assign(canArm_, gate_.canArm, &MoverController::canArmChanged);
  assign(status_, gate_.status, &MoverController::statusChanged);
}

bool MoverController::send(const OSCMessage &message) {
  if (sessionActive_ && connected_ && transport_->send(message)) return true;
  stopSession(sendFailedText);
  return false;
}

std::optional<QString> MoverController::parseSelectionList(const QString &text) {
  static const QString number = QStringLiteral(R"([1-9][0-9]{0,5}(?:\.[0-9]{1,5})?)");
  static const QRegularExpression list(
      QRegularExpression::anchoredPattern(number + R"((?:\s*-\s*)" + number +
                                          R"()?(?:(?:\s*,\s*|\s+))" + number + R"((?:\s*-\s*)" +
                                          number + R"()?)*)"),
      QRegularExpression::UseUnicodePropertiesOption);
  const QString trimmed = trimmedText(text);
  if (trimmed.isEmpty() || characterCount(trimmed) > 4096) return std::nullopt;
  if (!list.match(trimmed).hasMatch()) return std::nullopt;
  return trimmed;
}

}  // namespace tarnik
