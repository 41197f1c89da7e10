#pragma once

#include "operations/FixtureControlState.h"

#include <QString>

#include <optional>

namespace tarnik {

// What the park card shows for the park state the store holds (none: the store knows
// nothing of the channel): its title, its detail and the one control it offers.
struct FixtureParkPresentation {
  enum class Control { none, action, check };
  QString title;
  QString detail;
  Control control = Control::none;
  FixtureParkAction action = FixtureParkAction::park;  // for Control::action

  friend bool operator==(const FixtureParkPresentation &,
                         const FixtureParkPresentation &) = default;
};

FixtureParkPresentation fixtureParkPresentation(const std::optional<FixtureParkState> &state);

// "Park" or "Unpark": the action button's and the confirm button's label.
QString parkActionLabel(FixtureParkAction action);
// What pressing the action button will send, for assistive technology.
QString parkActionHint(FixtureParkAction action, qint64 channelNumber);
// Why a confirmed park or unpark was not sent, from what the card sees once the store
// refused it: the park state it was confirmed from, or the permission to control.
QString parkActionNotSentText(FixtureParkAction action,
                              const std::optional<FixtureParkState> &stateNow, bool canControl);
// "Park Channel 12?"; "Confirm park action" when no action is held.
QString parkConfirmationTitle(const std::optional<FixtureParkAction> &action, qint64 channelNumber);

}  // namespace tarnik
