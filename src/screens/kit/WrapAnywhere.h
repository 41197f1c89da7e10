#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextOption>

namespace tarnik {

// Between words, and inside a word only where that word alone is wider than the row.
inline constexpr QTextOption::WrapMode wrapAnywhereMode = QTextOption::WrapAtWordBoundaryOrAnywhere;

// The lines a plain text takes in a row of the given width, broken as `wrapAnywhereMode`
// says (a long host name, a path), so no line is ever wider than the row. A line break in the text
// starts a new line; blanks at a break are dropped, those at the text's start are kept. An empty
// text, or a row of no width, gives no lines.
QStringList wrapAnywhere(const QString &text, const QFont &font, double width);

// The lines to keep for a text of `characters` average characters of the font in a row of
// the given width, so that such a text comes and goes without moving what lies below.
int reservedLineCount(const QFont &font, int characters, double width);

}  // namespace tarnik
