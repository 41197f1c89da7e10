#include "screens/kit/PlainToolTip.h"

#include "screens/kit/FitTextPainter.h"

#include <QFontMetricsF>
#include <QScreen>
#include <QStringList>
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
  if (!Qt::mightBeRichText(tip)) return tip;
  // A tooltip lays markup out in lines of a width of its own, far narrower than the fitted
  // ones: the escaped text keeps the lines it was fitted to, broken at its blanks, each whole.
  QStringList lines;
  for (const QString &line : fitted.lines) lines.append(line.toHtmlEscaped());
  return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
         QStringLiteral("</p>");
}

}  // namespace tarnik
