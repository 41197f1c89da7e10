#include "screens/kit/PlainToolTip.h"

#include "screens/kit/FitTextPainter.h"

#include <QFontMetricsF>
#include <QScreen>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace tarnik {

namespace {

// The lines a tooltip takes at most, each nearly the screen's width, leaving room for its
// frame: a real text fits in them.
constexpr int toolTipLines = 6;
constexpr double toolTipShareOfScreen = 0.9;

}  // namespace

QString plainToolTip(const QWidget &widget, const QString &text) {
  const QFont font = QToolTip::font();
  const double width = widget.screen()->availableGeometry().width() * toolTipShareOfScreen;
  const FittedText fitted = fitText(
      text, font, QSizeF(width, linesHeight(QFontMetricsF(font), toolTipLines)), toolTipLines, 1);
  const QString tip = fitted.elided ? fitted.lines.join(QLatin1Char('\n')) : text;
  return Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpacePre) : tip;
}

}  // namespace tarnik
