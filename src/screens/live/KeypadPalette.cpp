#include "screens/live/KeypadPalette.h"

namespace tarnik {

SRGBColor keypadComponents(KeypadColor color) {
  switch (color) {
    case KeypadColor::panelBackground:
      return {0.015, 0.018, 0.024};
    case KeypadColor::commandLineBackground:
      return {0.025, 0.03, 0.04};
    case KeypadColor::keyFace:
      return {0.135, 0.18, 0.245};
    case KeypadColor::amberAccent:
      return {0.82, 0.57, 0.08};
    case KeypadColor::blueAccent:
      return {0.2, 0.36, 0.55};
    case KeypadColor::intensityPaletteKey:
      return {0.53, 0.23, 0.18};
    case KeypadColor::focusPaletteKey:
      return {0.1, 0.42, 0.33};
    case KeypadColor::colorPaletteKey:
      return {0.25, 0.25, 0.34};
    case KeypadColor::beamPaletteKey:
      return {0.1, 0.16, 0.46};
    case KeypadColor::presetKey:
      return {0.08, 0.42, 0.47};
    case KeypadColor::groupKey:
      return {0.26, 0.35, 0.44};
    case KeypadColor::softKeyFace:
      return {0.065, 0.105, 0.145};
    case KeypadColor::selectedSoftKeyFace:
      return {0.17, 0.25, 0.34};
  }
  return {};
}

}  // namespace tarnik
