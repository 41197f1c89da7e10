#pragma once

#include "screens/live/KeypadPalette.h"

#include <QString>

namespace tarnik {

// How a key face is drawn, decided apart from the painting: its fill and the white of its
// title, both dimmed while the key is unavailable in viewer mode.
struct KeyFaceLook {
  KeypadColor fill = KeypadColor::keyFace;
  double fillOpacity = 1;
  double titleOpacity = 1;
  friend bool operator==(const KeyFaceLook &, const KeyFaceLook &) = default;
};

// A function-row or main-pad key.
KeyFaceLook eosKeyFaceLook(KeypadColor color, bool isDisabled);
// A soft-panel key; its number badge keeps its own colour (softKeyBadgeOpacity): white, dimmer
// than the title yet at 4.5:1 on the selected face.
KeyFaceLook softKeyFaceLook(bool isSelected, bool isDisabled);
inline constexpr double softKeyBadgeOpacity = 0.6;

// What a screen reader says for a key: the face text on one line, exactly as the console or
// the table has it, never translated.
QString keyAccessibleName(const QString &title);
// What a press of the key does, in the user's language.
QString keyAccessibleHint(bool viewer);
// The soft key's corner number in the user's language.
QString softKeyBadgeText(int number);

}  // namespace tarnik
