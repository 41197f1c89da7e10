#pragma once

#include <QFont>

namespace tarnik {

// The text styles the cue screens share, scaled from the widget's own font so
// they follow the desktop's size setting.
enum class CueTextStyle { title3, headline, subheadline, caption, caption2 };

QFont cueFont(const QFont &base, CueTextStyle style, bool semibold = false);

}  // namespace tarnik
