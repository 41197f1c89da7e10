#pragma once

#include <QColor>
#include <QFont>

class QPalette;

namespace tarnik {

struct PatchNote;

// How the editor draws a note line, whether one label per note or one list of them: a symbol
// in a column of its own, a gap, then the text in the caption size.
namespace PatchNoteLook {

inline constexpr int symbolSize = 14;
inline constexpr int symbolColumn = symbolSize + 4;
inline constexpr int symbolGap = 6;

QFont textFont(const QFont &base);
// The warning colour for a warning, else the secondary text's.
QColor color(const PatchNote &note, const QPalette &palette);

}  // namespace PatchNoteLook

}  // namespace tarnik
