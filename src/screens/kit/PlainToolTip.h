#pragma once

#include <QString>

class QWidget;

namespace tarnik {

// The tooltip that shows a console's, a network's or a person's text exactly as written: a
// far longer text than a tooltip can show (a 64 KB name) is cut to a few lines of nearly the
// widget's screen's width, the last ending in "…", so hovering lays out no more than that. A
// tooltip reads a text that looks like markup as markup, so such a text is escaped, on the
// same lines a plain one takes.
QString plainToolTip(const QWidget &widget, const QString &text);

}  // namespace tarnik
