#pragma once

namespace tarnik {

// The named colours of the Live screen: the key panels, the key faces, and the accents of
// the header and the command line bar.
enum class KeypadColor {
  panelBackground,
  commandLineBackground,
  keyFace,
  amberAccent,
  blueAccent,
  intensityPaletteKey,
  focusPaletteKey,
  colorPaletteKey,
  beamPaletteKey,
  presetKey,
  groupKey,
  softKeyFace,
  selectedSoftKeyFace,
};

// One opaque colour in sRGB, each component from 0 to 1.
struct SRGBColor {
  double red = 0;
  double green = 0;
  double blue = 0;
  friend constexpr bool operator==(const SRGBColor &, const SRGBColor &) = default;
};

// The components of a palette colour; the painters turn them into colours once
// (KeyFacePainter.h).
SRGBColor keypadComponents(KeypadColor color);

}  // namespace tarnik
