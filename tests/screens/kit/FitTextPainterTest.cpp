#include "screens/kit/FitTextPainter.h"
#include "support/QtPrinting.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

QFont keyFont() {
  QFont font;
  font.setPointSizeF(20);
  return font;
}

const QSizeF keyFace(120, 60);

bool linesFitTheWidth(const FittedText &fitted, double width) {
  const QFontMetricsF metrics(fitted.font);
  for (const QString &line : fitted.lines) {
    if (metrics.horizontalAdvance(line) > width) return false;
  }
  return true;
}

TEST(FitTextPainter, AShortTextStaysAtFullSize) {
  const FittedText fitted = fitText(QStringLiteral("Go"), keyFont(), keyFace, 2, 0.5);
  EXPECT_EQ(fitted.lines, QStringList{QStringLiteral("Go")});
  EXPECT_EQ(fitted.scale, 1.0);
  EXPECT_EQ(fitted.font.pointSizeF(), 20.0);
  EXPECT_FALSE(fitted.elided);
}

TEST(FitTextPainter, ALongerTextShrinksOntoItsLinesBeforeAnythingIsCut) {
  const QString text = QStringLiteral("Record Only Cue");
  const FittedText fitted = fitText(text, keyFont(), keyFace, 2, 0.4);
  EXPECT_LT(fitted.scale, 1.0);
  EXPECT_GE(fitted.scale, 0.4);
  EXPECT_LE(fitted.lines.size(), 2);
  EXPECT_EQ(fitted.lines.join(QLatin1Char(' ')), text);
  EXPECT_FALSE(fitted.elided);
  EXPECT_TRUE(linesFitTheWidth(fitted, keyFace.width()));
  // A little larger no longer fits: the font shrank no further than it had to.
  QFont larger = keyFont();
  larger.setPointSizeF(20 * (fitted.scale + 0.02));
  EXPECT_TRUE(fitText(text, larger, keyFace, 2, 1).elided);
}

TEST(FitTextPainter, ATextTooLongAtTheMinimumScaleIsCutWithAnEllipsis) {
  const QString text = QStringLiteral("Channel Intensity Palette Focus Palette Color Palette Beam");
  const FittedText fitted = fitText(text, keyFont(), keyFace, 2, 0.75);
  EXPECT_EQ(fitted.scale, 0.75);
  EXPECT_EQ(fitted.font.pointSizeF(), 15.0);
  EXPECT_TRUE(fitted.elided);
  ASSERT_EQ(fitted.lines.size(), 2);
  EXPECT_TRUE(fitted.lines.last().endsWith(QStringLiteral("…")))
      << fitted.lines.last().toStdString();
  EXPECT_TRUE(linesFitTheWidth(fitted, keyFace.width()));
}

TEST(FitTextPainter, LineBreaksAndMarkupStayPlainText) {
  const FittedText broken =
      fitText(QStringLiteral("Go\nTo Cue"), keyFont(), QSizeF(400, 200), 3, 0.5);
  EXPECT_EQ(broken.lines, (QStringList{QStringLiteral("Go"), QStringLiteral("To Cue")}));
  const FittedText markup =
      fitText(QStringLiteral("<b>Go</b>"), keyFont(), QSizeF(400, 200), 1, 0.5);
  EXPECT_EQ(markup.lines, QStringList{QStringLiteral("<b>Go</b>")});
}

// A text far longer than its box is fitted from a prefix that already overfills the box: it
// shows what the whole text shows. Characters of no width keep any prefix from overfilling;
// such a text is read no further than the box could show, nor past a pile of combining
// marks, and is cut there.
TEST(FitTextPainter, AVeryLongTextShowsWhatTheWholeTextWould) {
  const QString words = QStringLiteral("Front wash warm ").repeated(4096);
  const QFontMetrics metrics(keyFont());
  for (const QString &text : {words, QStringLiteral("舞台照明").repeated(16384)}) {
    EXPECT_EQ(elidedLine(metrics, text, 200), metrics.elidedText(text, Qt::ElideRight, 200))
        << text.left(20).toStdString();
  }
  // The same box over a text too short for the prefix to be taken: the same lines.
  const FittedText longFit = fitText(words, keyFont(), keyFace, 2, 0.75);
  const FittedText shortFit = fitText(words.left(160), keyFont(), keyFace, 2, 0.75);
  EXPECT_TRUE(longFit.elided);
  EXPECT_EQ(longFit.lines, shortFit.lines);
  EXPECT_EQ(longFit.scale, shortFit.scale);
  const QString zeroWidth(QChar(0x200B));
  for (const QString &unseen :
       {zeroWidth.repeated(3000) + QStringLiteral("Go"), zeroWidth.repeated(65536),
        QStringLiteral("e") + QString(QChar(0x0301)).repeated(65536),
        QStringLiteral("e") + QString(QChar(0x0301)).repeated(120)}) {
    const QString line = elidedLine(metrics, unseen, 200);
    EXPECT_TRUE(line.endsWith(QStringLiteral("…")));
    EXPECT_LE(line.size(), 203);
    const FittedText fit = fitText(unseen, keyFont(), keyFace, 2, 0.75);
    EXPECT_TRUE(fit.elided);
    EXPECT_LE(fit.lines.join(QString()).size(), 2 * 122 + 1);
  }
}

// Qt's warnings, gathered while a test paints.
QStringList warnings;
void gatherWarning(QtMsgType type, const QMessageLogContext &, const QString &message) {
  if (type != QtDebugMsg && type != QtInfoMsg) warnings.append(message);
}

TEST(FitTextPainter, AnEmptyBoxDrawsNothingAndWarnsOfNothing) {
  QImage image(50, 50, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(gatherWarning);
  {
    QPainter painter(&image);
    painter.setFont(keyFont());
    // A box too small for any font shrinks the text no further than a positive size.
    for (const QRectF &box :
         {QRectF(), QRectF(0, 0, 0, 40), QRectF(0, 0, 40, -3), QRectF(0, 0, 1, 1)}) {
      paintFittedText(painter, box, QStringLiteral("Go"), 2, 0);
    }
    paintFittedText(painter, QRectF(0, 0, 50, 50), QString(), 2, 0.5);
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(warnings, QStringList());
  EXPECT_EQ(fitText(QStringLiteral("Go"), keyFont(), QSizeF(0, 40), 2, 0.5).lines, QStringList());
}

}  // namespace
}  // namespace tarnik
