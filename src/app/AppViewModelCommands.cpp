#include "app/AppViewModel.h"
#include "app/CueReplyFields.h"
#include "foundation/TextRules.h"
#include "model/ShowIdentity.h"
#include "operations/EosOSCAddress.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

// The user's actions that become console commands; each passes the control gate, whose
// rejection is never silent. Commands are sent once and not awaited: their effect
// comes back through the console's feedback and change notifications.

namespace tarnik {

namespace {

constexpr int cueLabelLimit = 256;        // user-perceived characters
constexpr double identifyDuration = 3.0;  // seconds

// Whole-text patterns are anchored at both ends: a plain "$" also matches before a final
// line break, which would let it through into an OSC address.
bool matchesWhole(const QString &pattern, const QString &text) {
  return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

// A record time is a plain, finite, non-negative decimal ("3", "2.5", "3.", ".5"): the
// console's command line takes nothing else, and "nan" or "1e3" must never reach it.
bool isRecordTime(const QString &text) {
  return matchesWhole(u"[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+"_s, text);
}

}  // namespace

bool AppViewModel::sendCommand(const QString &address, const QList<OSCArgument> &arguments,
                               const QString &text) {
  if (!releaseOwnedFlash(text) || !gate_->ensureControlAllowed(text, true)) return false;
  if (!oscManager_->send(OSCMessage{address, arguments})) {
    reportCommandRejected(text, u"transport rejected the send"_s);
    return false;
  }
  gate_->commandSent(text);
  return true;
}

std::optional<QString> AppViewModel::validatedCueLabel(const QString &label) {
  const QString trimmed = trimmedText(label);
  if (characterCount(trimmed) > cueLabelLimit || containsControlCharacter(trimmed))
    return std::nullopt;
  return trimmed;
}

void AppViewModel::recordCue(const QString &cueNumber, const QString &label, const QString &time) {
  const QString number = trimmedText(cueNumber);
  if (!isCueNumber(number)) return reportCommandRejected(u"Record cue"_s, u"invalid cue number"_s);
  const QString action = u"Record Cue "_s + number;
  const QString trimmedTime = trimmedText(time);
  if (!trimmedTime.isEmpty() && !isRecordTime(trimmedTime))
    return reportCommandRejected(action, u"invalid time"_s);
  const std::optional<QString> usableLabel = validatedCueLabel(label);
  if (!usableLabel) return reportCommandRejected(action, u"invalid label"_s);

  const QString record =
      action + (trimmedTime.isEmpty() ? QString() : u" Time "_s + trimmedTime) + u" Enter"_s;
  if (!sendCommand(EosOSCAddress::command, {OSCArgument::fromString(record)}, record)) return;
  if (!usableLabel->isEmpty()) {
    QString quoted = *usableLabel;
    quoted.replace(u'"', u'\'');
    const QString labelLine = u"Cue "_s + number + u" Label \""_s + quoted + u"\" Enter"_s;
    sendCommand(EosOSCAddress::command, {OSCArgument::fromString(labelLine)}, labelLine);
  }
  mirror_->scheduleRefresh();
}

void AppViewModel::setCueScene(const QString &cueNumber, const QString &label, int cueList) {
  if (cueList != 1) return reportCommandRejected(u"Set scene"_s, u"only cue list 1 is supported"_s);
  const QString number = trimmedText(cueNumber);
  const std::optional<QString> usableLabel = validatedCueLabel(label);
  if (!isCueNumber(number) || !usableLabel || usableLabel->isEmpty())
    return reportCommandRejected(u"Set scene"_s, u"invalid cue or label"_s);
  sendCommand(EosOSCAddress::cueScene(number), {OSCArgument::fromString(*usableLabel)},
              u"Cue "_s + number + u" Scene "_s + *usableLabel);
  mirror_->scheduleRefresh();
}

void AppViewModel::removeCueScene(const QString &cueNumber, int cueList) {
  if (cueList != 1)
    return reportCommandRejected(u"Remove scene"_s, u"only cue list 1 is supported"_s);
  const QString number = trimmedText(cueNumber);
  if (!isCueNumber(number))
    return reportCommandRejected(u"Remove scene"_s, u"invalid cue number"_s);
  sendCommand(EosOSCAddress::cueScene(number), {OSCArgument::fromString(QString())},
              u"Cue "_s + number + u" Scene removed"_s);
  mirror_->scheduleRefresh();
}

void AppViewModel::fireCue(const Cue &cue, int cueList) {
  // The stored number is taken as it is: anything that is not a cue number is refused
  // rather than repaired.
  if (cueList != 1 || !isCueNumber(cue.number))
    return reportCommandRejected(u"Fire cue"_s, u"invalid cue or cue list"_s);
  sendCommand(EosOSCAddress::cueFire(cue.number), {}, u"Go to Cue "_s + cue.number);
}

void AppViewModel::sendKey(const QString &keyName) {
  const QString name = trimmedText(keyName);
  if (!matchesWhole(u"[A-Za-z0-9_+-]+"_s, name))
    return reportCommandRejected(u"Send key"_s, u"invalid key"_s);
  const QString action = u"Key "_s + name;
  // Keys need no completed sync: the keypad works as soon as the console answers.
  if (!releaseOwnedFlash(action) || !gate_->ensureControlAllowed(action, false)) return;
  if (!oscManager_->send(OSCMessage{EosOSCAddress::keyPrefix + name, {}})) {
    return reportCommandRejected(action, u"transport rejected the send"_s);
  }
  gate_->commandSent(action);
}

// Identify is sent by fixture control, yet counts among the commands the model sent.
void AppViewModel::identifyFixture(const Channel &channel) {
  if (!isFixtureControlReady() || patchWrite_->isPending()) return;
  if (!gate_->ensureControlAllowed(u"Identify fixture"_s, true)) return;
  if (!fixtureControl_->identify(int(channel.number), identifyDuration)) return;
  mirror_->noteChangeSent();
  recordCommandHistory(u"Identify channel "_s + QString::number(channel.number), u"Sent"_s);
}

}  // namespace tarnik
