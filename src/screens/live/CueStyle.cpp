#include "screens/live/CueStyle.h"

#include "screens/kit/Style.h"

namespace tarnik {

QFont cueFont(const QFont &base, CueTextStyle style, bool semibold) {
  // The desktop's body text is smaller than a phone's, so the steps between the styles are
  // kept narrower than the design's; the caption matches the sidebar's.
  double scale = 1.0;
  QFont::Weight weight = semibold ? QFont::DemiBold : QFont::Normal;
  switch (style) {
    case CueTextStyle::title3:
      scale = 1.2;
      break;
    case CueTextStyle::headline:
      weight = QFont::DemiBold;
      break;
    case CueTextStyle::subheadline:
      scale = 0.93;
      break;
    case CueTextStyle::caption:
      scale = 0.85;
      break;
    case CueTextStyle::caption2:
      scale = 0.8;
      break;
  }
  return Style::scaledFont(base, scale, weight);
}

}  // namespace tarnik
