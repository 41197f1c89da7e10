#pragma once

#include "operations/ColorCommandThrottler.h"
#include "operations/FixtureControlState.h"
#include "screens/patch/LastSeenValue.h"

#include <QPointer>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

namespace tarnik {

class FixtureControlStore;

// The colour card's logic, apart from its widgets: the hue and saturation the wheel and the
// sliders show, whether an adjustment runs or awaits the console's readback, and the
// rate-limited sends behind it. It lets the user change colour only while the card is
// active: control allowed and a native colour known that is being read or was read. The
// user's colour is never overwritten mid-adjustment; once committed it stays until the
// console's readback arrives, then the controls show the console's colour.
class FixtureColorController {
 public:
  // What the card says under the wheel when the native colour is not known.
  struct Notice {
    QString text;
    bool offersRead = false;  // "Read Color from Eos"
  };

  // Without a throttler the controller makes one of 10 sends a second on the system clock.
  FixtureColorController(FixtureControlStore &store, FixtureControlState state, bool canControl,
                         std::unique_ptr<ColorCommandThrottler> commands = nullptr);

  // The container's newest state for the channel and control flag; runs the card's reactions
  // to what changed since the last call (the first call only sets the baseline).
  void setInputs(FixtureControlState state, bool canControl);

  const FixtureControlState &state() const { return state_; }
  bool isActive() const;
  FixtureColorValue color() const { return color_; }
  void setColor(FixtureColorValue color) { color_ = color; }
  bool isEditing() const { return isEditing_; }
  bool isAwaitingColorConfirmation() const { return isAwaitingColorConfirmation_; }
  QString statusText() const;
  std::optional<Notice> notice() const;

  void begin();
  void submit(FixtureColorValue color);
  void commit(FixtureColorValue color);
  // One keyboard or accessible step of a slider: begun, the new colour sent, committed.
  void step(FixtureColorValue color);
  void cancel();
  void resync();
  // "Read Color from Eos".
  void readColor();

 private:
  void follow();

  QPointer<FixtureControlStore> store_;
  FixtureControlState state_;
  bool canControl_;
  std::unique_ptr<ColorCommandThrottler> commands_;
  FixtureColorValue color_;
  bool isEditing_ = false;
  bool isAwaitingColorConfirmation_ = false;

  LastSeenValue<std::optional<FixtureColorValue>> nativeColor_;
  LastSeenValue<FixtureControlReadState> colorReadState_;
  LastSeenValue<bool> isActive_;
  LastSeenValue<std::optional<QUuid>> sessionID_;
  LastSeenValue<std::optional<QString>> showIdentity_;
};

}  // namespace tarnik
