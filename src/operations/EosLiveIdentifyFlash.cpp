// The Live control session's identify flash: typed, proven by its echo, held, released with
// the flash key and proven released. While the flash is owned nothing else may use the
// session's command line.

#include "link/OSCManager.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosLiveEchoLines.h"
#include "operations/EosOSCAddress.h"

#include <cmath>

namespace tarnik {

bool EosLiveControlSession::identify(int channel, double duration) {
  if (!EosOSCAddress::isChannel(channel) || !std::isfinite(duration) || duration < 0.1 ||
      duration > 30.0 || phase_ != Phase::ready || colorRead_.stage != ColorRead::Stage::idle)
    return false;
  switch (flash_.stage) {
    case FlashState::Stage::awaitingAcknowledgement:
    case FlashState::Stage::awaitingRelease:
      return false;
    case FlashState::Stage::active:
      releaseIdentify();
      return false;
    case FlashState::Stage::idle:
      break;
  }
  if (!requireConsole()) return false;
  flash_ = {FlashState::Stage::awaitingAcknowledgement, channel, duration};
  armFlashDeadline(QStringLiteral("acknowledgement"));
  if (transport().send({EosOSCAddress::newCommand,
                        {OSCArgument::fromString(QStringLiteral("Chan %1 Flash").arg(channel))}}))
    return true;
  finish(QStringLiteral("The isolated Live identify command was not sent."));
  return false;
}

bool EosLiveControlSession::releaseIdentify() {
  if (flash_.stage != FlashState::Stage::active) return false;
  if (phase_ != Phase::ready) {
    finish(QStringLiteral("The main console session changed."));
    return false;
  }
  if (!requireConsole()) return false;
  flashReleaseTimer_.reset();
  flash_.stage = FlashState::Stage::awaitingRelease;
  armFlashDeadline(QStringLiteral("release"));
  if (transport().send({EosOSCAddress::flashKey, {}})) return true;
  finish(QStringLiteral("The isolated Live identify release was not sent."));
  return false;
}

void EosLiveControlSession::releaseFlashOnReset() {
  if (flash_.stage != FlashState::Stage::active || phase_ != Phase::ready || !mayTouchConsole())
    return;
  flashReleaseTimer_.reset();
  transport().send({EosOSCAddress::flashKey, {}});
}

void EosLiveControlSession::armFlashDeadline(const QString &step) {
  flashDeadline_.reset();
  flashDeadline_ = scheduleInRun(timeout(), [this, channel = flash_.channel, step] {
    if ((flash_.stage == FlashState::Stage::awaitingAcknowledgement ||
         flash_.stage == FlashState::Stage::awaitingRelease) &&
        flash_.channel == channel)
      finish(QStringLiteral("Private Flash ") + step + QStringLiteral(" timed out."));
  });
}

void EosLiveControlSession::handleOperationEcho(const QString &text) {
  if (handleColorSelectionEcho(text)) return;
  handleFlashEcho(text);
}

void EosLiveControlSession::handleFlashEcho(const QString &text) {
  const int channel = flash_.channel;
  switch (flash_.stage) {
    case FlashState::Stage::awaitingAcknowledgement:
      if (!EosLiveEchoLines::isFlashLine(text, channel)) {
        finish(QStringLiteral("Eos returned mismatched private Flash feedback: ") + text);
        return;
      }
      flashDeadline_.reset();
      flash_.stage = FlashState::Stage::active;
      // The hold counts from the proven flash, not from the command.
      flashReleaseTimer_ = scheduleInRun(flash_.duration, [this, channel] {
        if (flash_.stage == FlashState::Stage::active && flash_.channel == channel)
          releaseIdentify();
      });
      return;
    case FlashState::Stage::active:
      if (!EosLiveEchoLines::isFlashLine(text, channel))
        finish(QStringLiteral("The isolated control user replaced its owned Flash: ") + text);
      return;
    case FlashState::Stage::awaitingRelease:
      if (!EosLiveEchoLines::isSelectionLine(text, channel)) {
        finish(QStringLiteral("Eos returned mismatched private Flash release feedback: ") + text);
        return;
      }
      flashDeadline_.reset();
      flash_ = {};
      if (onIdentifyReleased) onIdentifyReleased(channel);
      return;
    case FlashState::Stage::idle:
      return;
  }
}

}  // namespace tarnik
