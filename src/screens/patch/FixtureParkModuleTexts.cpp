#include "screens/patch/FixtureParkModuleTexts.h"

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureParkPresentation fixtureParkPresentation(const std::optional<FixtureParkState> &state) {
  using Control = FixtureParkPresentation::Control;
  using Kind = FixtureParkState::Kind;
  const QString unavailable = u"Eos has not provided authoritative park state for this channel."_s;
  const QString preparing = u"Tarnik is preparing an isolated Eos park check."_s;
  const QString unconfirmed =
      u"The isolated check started, but Eos has not confirmed the resulting state."_s;
  const QString readback = u"Authoritative Eos park readback"_s;
  if (!state) return {u"Unavailable"_s, unavailable, Control::check};
  const bool parking = state->action == FixtureParkAction::park;
  switch (state->kind) {
    case Kind::pending:
      return {parking ? u"Preparing park request…"_s : u"Preparing unpark request…"_s, preparing,
              Control::none};
    case Kind::sentUnverified:
      return {parking ? u"Park requested — awaiting Eos"_s : u"Unpark requested — awaiting Eos"_s,
              unconfirmed, Control::check};
    case Kind::unknown:
      return {u"Unavailable"_s, unavailable, Control::check};
    case Kind::parked:
      return {u"Parked"_s, readback, Control::action, FixtureParkAction::unpark};
    case Kind::unparked:
      return {u"Not parked"_s, readback, Control::action, FixtureParkAction::park};
  }
  return {u"Unavailable"_s, unavailable, Control::check};
}

QString parkActionLabel(FixtureParkAction action) {
  return action == FixtureParkAction::park ? u"Park"_s : u"Unpark"_s;
}

QString parkActionHint(FixtureParkAction action, qint64 channelNumber) {
  const QString channel = QString::number(channelNumber);
  return action == FixtureParkAction::park
             ? u"Sends a park command for Channel "_s + channel + u"."_s
             : u"Sends Eos's confirmed unpark command for Channel "_s + channel + u"."_s;
}

QString parkActionNotSentText(FixtureParkAction action,
                              const std::optional<FixtureParkState> &stateNow, bool canControl) {
  const FixtureParkState confirmedFrom =
      action == FixtureParkAction::park ? FixtureParkState::unparked() : FixtureParkState::parked();
  const QString notSent = parkActionLabel(action) + u" was not sent: "_s;
  if (stateNow != confirmedFrom)
    return notSent +
           u"the confirmed park state was cleared before it could go. Check the park state, "
           u"then try again."_s;
  if (!canControl) return notSent + u"Live fixture control is not available right now."_s;
  return notSent + u"Eos is not ready for a park request right now. Try again in a moment."_s;
}

QString parkConfirmationTitle(const std::optional<FixtureParkAction> &action,
                              qint64 channelNumber) {
  if (!action) return u"Confirm park action"_s;
  return parkActionLabel(*action) + u" Channel "_s + QString::number(channelNumber) + u"?"_s;
}

}  // namespace tarnik
