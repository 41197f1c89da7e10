// The Live control session's native colour read: a barrier, a cleared and proven-empty
// line, the channel selected, its echo, active channel and colour each checked against the
// channel, and the show checked again, all within one deadline. Every mismatch ends the
// whole session.

#include "link/OSCManager.h"
#include "operations/EosCommandLine.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosLiveEchoLines.h"
#include "operations/EosOSCAddress.h"

#include <tuple>

namespace tarnik {

bool EosLiveControlSession::readColor(int channel) {
  if (!EosOSCAddress::isChannel(channel) || phase_ != Phase::ready ||
      flash_.stage != FlashState::Stage::idle || colorRead_.stage != ColorStage::idle)
    return false;
  if (!requireConsole()) return false;
  colorRead_ = {};
  colorRead_.stage = ColorStage::awaitingMarker;
  colorRead_.channel = channel;
  colorRead_.requestID = QUuid::createUuid();
  const QString marker = colorRead_.barrier.beginMarker();
  colorReadDeadline_ = scheduleInRun(timeout(), [this, request = colorRead_.requestID] {
    if (colorRead_.stage != ColorStage::idle && colorRead_.requestID == request)
      finish(QStringLiteral("Native color readback timed out."));
  });
  if (transport().send({EosOSCAddress::newCommand, {OSCArgument::fromString(marker)}})) return true;
  finish(QStringLiteral("The isolated Live color read could not mark its private selection."));
  return false;
}

bool EosLiveControlSession::takeColorMarkerEcho(const QString &text, qint32 status) {
  if (colorRead_.stage != ColorStage::awaitingMarker || !text.startsWith(QLatin1String("LIVE:")) ||
      !colorRead_.barrier.takeMarkerEcho(text, status))
    return false;
  if (!requireConsole()) return true;
  colorRead_.stage = ColorStage::awaitingClearBarrier;
  if (!transport().send({EosOSCAddress::clearCommandKey, {}})) {
    finish(QStringLiteral("The isolated Live color read could not clear its private selection."));
    return true;
  }
  colorRead_.barrier.beginClear(sendPing());
  return true;
}

void EosLiveControlSession::colorClearLineSeen(bool empty) {
  if (colorRead_.stage != ColorStage::awaitingClearBarrier) return;
  colorRead_.barrier.lineSeen(empty);
  if (empty) checkColorClearBarrier();
}

void EosLiveControlSession::colorClearPingAnswered(double answeredAt) {
  if (colorRead_.stage != ColorStage::awaitingClearBarrier ||
      !colorRead_.barrier.pingAnswered(answeredAt, pingTolerance()))
    return;
  checkColorClearBarrier();
}

void EosLiveControlSession::checkColorClearBarrier() {
  if (colorRead_.stage != ColorStage::awaitingClearBarrier || !colorRead_.barrier.isCleared())
    return;
  if (!requireConsole()) return;
  colorRead_.stage = ColorStage::awaitingSelectionAcknowledgement;
  if (!transport().send(
          {EosOSCAddress::newCommand,
           {OSCArgument::fromString(QStringLiteral("Chan %1 Enter").arg(colorRead_.channel))}}))
    finish(QStringLiteral("The isolated Live color selection was not sent."));
}

bool EosLiveControlSession::handleColorSelectionEcho(const QString &text) {
  const bool selected = EosLiveEchoLines::isSelectionLine(text, colorRead_.channel);
  switch (colorRead_.stage) {
    case ColorStage::awaitingSelectionAcknowledgement:
      if (selected) {
        colorRead_.stage = ColorStage::awaitingActiveChannel;
      } else {
        finish(QStringLiteral("Eos returned mismatched private color-selection feedback: ") + text);
      }
      return true;
    case ColorStage::awaitingActiveChannel:
    case ColorStage::awaitingHueSaturation:
    case ColorStage::awaitingShowBarrier:
      if (!selected)
        finish(QStringLiteral("The isolated control user replaced its color selection: ") + text);
      return true;
    default:
      return false;
  }
}

void EosLiveControlSession::handleActiveChannel(const OSCMessage &message) {
  const ColorStage stage = colorRead_.stage;
  if (stage != ColorStage::awaitingActiveChannel && stage != ColorStage::awaitingHueSaturation &&
      stage != ColorStage::awaitingShowBarrier)
    return;
  const auto *report =
      message.arguments.size() == 1 ? std::get_if<QString>(&message.arguments[0].value) : nullptr;
  // Written exactly as the channel prints: a leading zero is another text.
  const bool matches = report && EosCommandLine::normalize(*report).section(u' ', 0, 0) ==
                                     QString::number(colorRead_.channel);
  if (stage == ColorStage::awaitingActiveChannel) {
    if (matches) {
      colorRead_.stage = ColorStage::awaitingHueSaturation;
    } else {
      finish(QStringLiteral("Eos returned a mismatched private active channel."));
    }
  } else if (!matches) {
    finish(QStringLiteral("The isolated control user's active channel changed."));
  }
}

void EosLiveControlSession::handleHueSaturation(const OSCMessage &message) {
  if (colorRead_.stage != ColorStage::awaitingHueSaturation) return;
  const auto colour = EosOSCAddress::hueSaturation(message.arguments);
  if (!colour) {
    finish(QStringLiteral("Eos returned malformed private color feedback."));
    return;
  }
  colorRead_.stage = ColorStage::awaitingShowBarrier;
  std::tie(colorRead_.hue, colorRead_.saturation) = *colour;
  sendBootstrap({EosOSCAddress::showPathRequest, {}});
}

void EosLiveControlSession::completeColorRead() {
  if (!requireConsole()) return;
  colorReadDeadline_.reset();
  const ColorRead done = std::exchange(colorRead_, {});
  if (onColorReadback) onColorReadback(done.channel, done.hue, done.saturation);
}

}  // namespace tarnik
