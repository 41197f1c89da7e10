#pragma once

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QFontMetrics;
class QFontMetricsF;
class QPainter;
class QWidget;

namespace tarnik {

// A text fitted into a fixed box, as key faces, headers and the command line draw theirs:
// wrapped at word boundaries onto at most the given number of lines, in a font shrunk as
// far as needed but never below the minimum scale of the one it starts from; a text that
// still does not fit is cut and its last line ends in "…". The text is always plain: a "<b>"
// in it is drawn as those three characters.
struct FittedText {
  QFont font;
  // The lines as drawn, top to bottom; none for an empty text or an empty box.
  QStringList lines;
  // The font's size relative to the one it started from, 1 when nothing shrank.
  double scale = 1;
  bool elided = false;
};

FittedText fitText(const QString &text, const QFont &font, const QSizeF &size, int maximumLines,
                   double minimumScale);

// The height of that many lines of a font, from the top of the first to the bottom of the last.
double linesHeight(const QFontMetricsF &metrics, qsizetype lines);

// One line cut with "…" where it does not fit the width, as QFontMetrics::elidedText cuts
// it, at a cost set by the width rather than by the length of the text.
QString elidedLine(const QFontMetrics &metrics, const QString &text, int width);

// The text as far as a box of that width and number of lines is given, by the rule `fitText`
// and `elidedLine` follow: every character a line shows takes at least a pixel, so a prefix
// longer than the lines' widths together already overfills them and what follows it is never
// read, and a run of combining marks ends after the 30th on one character. A cut text ends in
// "…"; one that is not cut comes back whole.
QString boundedText(const QString &text, double width, int lines);

// The width one line of the text asks for, up to the given width: a text far longer than a
// line that wide could show is measured as the prefix it is cut to, so what a column or a
// size hint asks of a long text costs what the width does.
double boundedAdvance(const QFontMetricsF &metrics, const QString &text, double width);

// The whole pixels a size hint asks for one line of the text in that font: its width, but no
// more than the widget's screen holds beside `besides` pixels of the line's other content, so
// a long text is read no further than any screen could show it.
int lineHintWidth(const QWidget &widget, const QFont &font, const QString &text, int besides = 0);

// The text as far as a line as wide as the widget's screen could show it, cut with "…" past
// it (`boundedText`): a character a pixel, so well over a thousand characters, far more than
// any real text. A label that lays a console's text out whole, onto as many lines as it needs
// or in a field that scrolls, lays a 64 KB one out no further.
QString screenBoundedText(const QWidget &widget, const QString &text);

// The text cut with "…" after that many characters, or sooner after a run of combining marks
// longer than one character carries, as a box cuts it: a console's text set into a sentence
// that a widget lays out whole, such as a version in a note, costs what that length does.
QString shortenedText(const QString &text, qsizetype length);

// Fits the text with the painter's font and draws it in the rectangle, each line placed by
// the horizontal alignment and the block of lines by the vertical one.
void paintFittedText(QPainter &painter, const QRectF &rect, const QString &text, int maximumLines,
                     double minimumScale, Qt::Alignment alignment = Qt::AlignCenter);

// Draws a text `fitText` has already fitted to the rectangle's size, as `paintFittedText`
// does: a caller that needs the fit itself (where its line ends) lays the text out once.
void paintFitted(QPainter &painter, const QRectF &rect, const FittedText &fitted,
                 Qt::Alignment alignment = Qt::AlignCenter);

}  // namespace tarnik
