#include "screens/kit/Style.h"
#include "screens/live/KeyFaceLook.h"
#include "screens/live/KeyFacePainter.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

// The keypad's own palette carries the key titles and the command line's text: each enabled key
// face, the numbered soft keys' digits and each command-line text read at 4.5:1.
TEST(KeypadContrast, KeyTitlesAndTheCommandLineReadOnTheirFaces) {
  const QColor panel = keypadColor(KeypadColor::panelBackground);
  const QColor white = Style::dark(Style::Role::primaryText);
  std::vector<KeyFaceLook> looks{softKeyFaceLook(false, false), softKeyFaceLook(true, false)};
  for (KeypadColor face :
       {KeypadColor::keyFace, KeypadColor::intensityPaletteKey, KeypadColor::focusPaletteKey,
        KeypadColor::colorPaletteKey, KeypadColor::beamPaletteKey, KeypadColor::presetKey,
        KeypadColor::groupKey})
    looks.push_back(eosKeyFaceLook(face, false));
  for (const KeyFaceLook &look : looks) {
    const QColor fill = Style::over(keypadColor(look.fill), look.fillOpacity, panel);
    EXPECT_GE(Style::contrast(Style::over(white, look.titleOpacity, fill), fill), 4.5)
        << int(look.fill);
  }
  const QColor numbered = keypadColor(softKeyFaceLook(true, false).fill);
  EXPECT_GE(Style::contrast(Style::over(white, softKeyBadgeOpacity, numbered), numbered), 4.5);
  const QColor line = keypadColor(KeypadColor::commandLineBackground);
  EXPECT_GE(Style::contrast(keypadColor(KeypadColor::amberAccent), line), 4.5);
  EXPECT_GE(Style::contrast(Style::over(white, 0.68, line), line), 4.5);
}

}  // namespace
}  // namespace tarnik
