#pragma once

#include <QColor>
#include <QFont>

namespace tarnik {

// The text styles and colours the cue screens share, scaled from the widget's own font so
// they follow the desktop's size setting.
enum class CueTextStyle { title3, headline, subheadline, caption, caption2 };

QFont cueFont(const QFont &base, CueTextStyle style, bool semibold = false);

// Green for what is live and answering, orange for the console that does not answer.
inline const QColor cueGreen{0x2e, 0xa0, 0x43};
inline const QColor cueOrange{0xe8, 0x7d, 0x0d};

}  // namespace tarnik
