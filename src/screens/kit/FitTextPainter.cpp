#include "screens/kit/FitTextPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// Halving the remaining range this often leaves the scale within a thousandth of the best.
constexpr int scaleSearchSteps = 10;

QFont scaledFont(const QFont &font, double scale) {
  QFont scaled = font;
  if (font.pointSizeF() > 0) {
    scaled.setPointSizeF(font.pointSizeF() * scale);
  } else {
    scaled.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
  }
  return scaled;
}

// The smallest scale that still leaves the font a positive size.
double smallestScale(const QFont &font, double minimumScale) {
  const double size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
  return std::clamp(minimumScale, size > 1 ? 1 / size : 1.0, 1.0);
}

int linesThatFit(const QFontMetricsF &metrics, double height, int maximumLines) {
  const double extra = std::floor((height - metrics.height()) / metrics.lineSpacing());
  return std::clamp(static_cast<int>(extra) + 1, 1, maximumLines);
}

QString lineText(const QString &text, const QTextLine &line) {
  QString piece = text.mid(line.textStart(), line.textLength());
  piece.replace(QChar::LineSeparator, QLatin1Char(' '));
  return piece.trimmed();
}

// Lays the text out at one font. Word wrapping only: a word wider than the box makes the
// layout not fit, so the font shrinks before a word is ever split.
struct Layout {
  QStringList lines;
  bool fits = false;
};

Layout layOut(const QString &text, const QFont &font, const QSizeF &size, int maximumLines) {
  const QFontMetricsF metrics(font);
  const int allowedLines = linesThatFit(metrics, size.height(), maximumLines);
  QTextLayout layout(text, font);
  layout.setTextOption(QTextOption(Qt::AlignLeft));
  layout.beginLayout();
  Layout result;
  result.fits = true;
  int lineCount = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(size.width());
    if (lineCount == allowedLines) {
      result.fits = false;
      break;
    }
    if (line.naturalTextWidth() > size.width()) result.fits = false;
    result.lines.append(lineText(text, line));
    ++lineCount;
  }
  layout.endLayout();
  if (metrics.height() > size.height()) result.fits = false;
  return result;
}

// Laying out or eliding reads the whole text, however little of it shows. Every character a
// line shows takes at least a pixel, so a prefix longer than the lines' widths together
// already overfills them: a far longer text is fitted from that prefix. Characters of no
// width (joiners, combining marks) can keep any prefix from overfilling, so the text is
// never read past it: what follows is cut, and the prefix ends in "…" like any cut text.
qsizetype overfillingPrefixLength(double width, int lines) {
  return qsizetype(std::max(lines, 1)) * qsizetype(std::ceil(std::max(width, 0.0)) + 2);
}

// One character carries at most this many combining marks in a stream-safe text; marks past
// them only pile onto the ones before, yet each costs the shaper as much as a letter.
constexpr qsizetype longestMarkRun = 30;

// How much of the text the box is given: the prefix that overfills it, ended early where a
// run of combining marks grows longer than one character carries.
qsizetype shownLength(const QString &text, qsizetype prefixLength) {
  const qsizetype end = std::min(text.size(), prefixLength);
  qsizetype marks = 0;
  for (qsizetype at = 0; at < end; ++at) {
    marks = text.at(at).isMark() ? marks + 1 : 0;
    if (marks > longestMarkRun) return at;
  }
  return end;
}

// The text up to that length, then "…"; a character split in two ends before it. A text no
// longer than that comes back whole.
QString cutText(const QString &text, qsizetype length) {
  if (length >= text.size()) return text;
  if (length > 0 && text.at(length - 1).isHighSurrogate()) --length;
  return text.left(length) + QChar(0x2026);
}

FittedText fitWholeText(const QString &text, const QFont &font, const QSizeF &size,
                        int maximumLines, double minimumScale) {
  FittedText fitted{font, {}, 1, false};
  if (text.isEmpty() || size.width() <= 0 || size.height() <= 0 || maximumLines < 1) {
    return fitted;
  }
  // Line breaks in the text stay line breaks; the layout knows them by this character.
  QString plain = text;
  plain.replace(QLatin1Char('\n'), QChar::LineSeparator);

  Layout full = layOut(plain, font, size, maximumLines);
  if (full.fits) {
    fitted.lines = full.lines;
    return fitted;
  }
  const double smallest = smallestScale(font, minimumScale);
  const QFont smallestFont = scaledFont(font, smallest);
  Layout shrunk = layOut(plain, smallestFont, size, maximumLines);
  if (shrunk.fits) {
    double fitting = smallest;
    double tooLarge = 1;
    for (int step = 0; step < scaleSearchSteps; ++step) {
      const double middle = (fitting + tooLarge) / 2;
      Layout candidate = layOut(plain, scaledFont(font, middle), size, maximumLines);
      if (candidate.fits) {
        fitting = middle;
        shrunk = std::move(candidate);
      } else {
        tooLarge = middle;
      }
    }
    return {scaledFont(font, fitting), shrunk.lines, fitting, false};
  }

  // Even the smallest font leaves text over: keep the lines that fit, split words where they
  // must, and end the last line in an ellipsis where text is cut.
  const QFontMetricsF metrics(smallestFont);
  const int allowedLines = linesThatFit(metrics, size.height(), maximumLines);
  QTextLayout layout(plain, smallestFont);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  fitted = {smallestFont, {}, smallest, false};
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(size.width());
    if (fitted.lines.size() + 1 == allowedLines) {
      QString rest = plain.mid(line.textStart());
      rest.replace(QChar::LineSeparator, QLatin1Char(' '));
      rest = rest.simplified();
      fitted.elided = metrics.horizontalAdvance(rest) > size.width();
      fitted.lines.append(fitted.elided ? metrics.elidedText(rest, Qt::ElideRight, size.width())
                                        : rest);
      break;
    }
    fitted.lines.append(lineText(plain, line));
  }
  layout.endLayout();
  return fitted;
}

}  // namespace

QString boundedText(const QString &text, double width, int lines) {
  return cutText(text, shownLength(text, overfillingPrefixLength(width, lines)));
}

FittedText fitText(const QString &text, const QFont &font, const QSizeF &size, int maximumLines,
                   double minimumScale) {
  if (maximumLines >= 1 && size.width() > 0) {
    const qsizetype shown = shownLength(text, overfillingPrefixLength(size.width(), maximumLines));
    if (shown < text.size()) {
      FittedText cut = fitWholeText(cutText(text, shown), font, size, maximumLines, minimumScale);
      cut.elided = true;
      return cut;
    }
  }
  return fitWholeText(text, font, size, maximumLines, minimumScale);
}

QString elidedLine(const QFontMetrics &metrics, const QString &text, int width) {
  return metrics.elidedText(width > 0 ? boundedText(text, width, 1) : text, Qt::ElideRight, width);
}

double boundedAdvance(const QFontMetricsF &metrics, const QString &text, double width) {
  return std::min(width, metrics.horizontalAdvance(boundedText(text, width, 1)));
}

int lineHintWidth(const QWidget &widget, const QFont &font, const QString &text, int besides) {
  const int widest = std::max(0, widget.screen()->availableGeometry().width() - besides);
  return static_cast<int>(std::ceil(boundedAdvance(QFontMetricsF(font), text, widest)));
}

QString screenBoundedText(const QWidget &widget, const QString &text) {
  return boundedText(text, widget.screen()->availableGeometry().width(), 1);
}

QString shortenedText(const QString &text, qsizetype length) {
  return cutText(text, shownLength(text, std::max<qsizetype>(length, 1)));
}

double linesHeight(const QFontMetricsF &metrics, qsizetype lines) {
  return metrics.height() + metrics.lineSpacing() * static_cast<double>(lines - 1);
}

void paintFittedText(QPainter &painter, const QRectF &rect, const QString &text, int maximumLines,
                     double minimumScale, Qt::Alignment alignment) {
  paintFitted(painter, rect, fitText(text, painter.font(), rect.size(), maximumLines, minimumScale),
              alignment);
}

void paintFitted(QPainter &painter, const QRectF &rect, const FittedText &fitted,
                 Qt::Alignment alignment) {
  if (fitted.lines.isEmpty()) return;
  const QFontMetricsF metrics(fitted.font);
  const double blockHeight = linesHeight(metrics, fitted.lines.size());
  double top = rect.top();
  if (alignment & Qt::AlignBottom) {
    top = rect.bottom() - blockHeight;
  } else if (alignment & Qt::AlignVCenter) {
    top = rect.top() + (rect.height() - blockHeight) / 2;
  }
  painter.save();
  painter.setFont(fitted.font);
  double baseline = top + metrics.ascent();
  for (const QString &line : fitted.lines) {
    const double width = metrics.horizontalAdvance(line);
    double left = rect.left();
    if (alignment & Qt::AlignRight) {
      left = rect.right() - width;
    } else if (alignment & Qt::AlignHCenter) {
      left = rect.left() + (rect.width() - width) / 2;
    }
    // A plain draw at a point: the painter never reads markup in it.
    painter.drawText(QPointF(left, baseline), line);
    baseline += metrics.lineSpacing();
  }
  painter.restore();
}

}  // namespace tarnik
