#include "screens/kit/Style.h"
#include "screens/support/DrawnContrast.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(StyleContrast, EveryPairThePagesDrawReadsOnItsBackground) {
  for (const Style::Pair &pair : Style::pairs()) {
    const QColor foreground = Style::foregroundOf(pair);
    const QColor background = Style::backgroundOf(pair);
    EXPECT_GE(Style::contrast(foreground, background), Style::minimumContrast(pair.size))
        << foreground.name().toStdString() << " on " << background.name().toStdString();
  }
}

// Each text drawn as a page draws it, its word in its face on its background, read by the
// strongest pixel its antialiased glyphs reach. That pixel hangs on where within a pixel a
// layout starts the text (a centred word starts anywhere), so the weakest start counts.
TEST(StyleContrast, EveryTextReadsAsItIsDrawn) {
  constexpr int starts = 8;
  for (const Style::Pair &pair : Style::pairs()) {
    if (pair.size != Style::Size::text) continue;
    const QFont font = Style::faceFont(QApplication::font(), pair.face);
    const QString sample = QString::fromLatin1(pair.face.sample);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(sample) + 8, metrics.height() + 4, QImage::Format_RGB32);
    double weakest = 21;
    for (int start = 0; start < starts; ++start) {
      image.fill(Style::backgroundOf(pair));
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Style::foregroundOf(pair));
      painter.drawText(QRectF(image.rect()).translated(2 + double(start) / starts, 0),
                       Qt::AlignLeft | Qt::AlignVCenter, sample);
      painter.end();
      weakest = std::min(weakest, testing::drawnContrast(image, image.rect()).text);
    }
    EXPECT_GE(weakest, Style::minimumContrast(pair.size))
        << '"' << pair.face.sample << "\" in " << Style::foregroundOf(pair).name().toStdString()
        << " on " << Style::backgroundOf(pair).name().toStdString();
  }
}

TEST(StyleContrast, RatiosFollowRelativeLuminance) {
  struct Case {
    QColor a;
    QColor b;
    double ratio;
  };
  const Case cases[] = {
      {QColor(0, 0, 0), QColor(255, 255, 255), 21.0},
      {QColor(255, 255, 255), QColor(0, 0, 0), 21.0},
      {QColor(0x77, 0x77, 0x77), QColor(255, 255, 255), 4.48},
      {QColor(0x30, 0x8c, 0xc6), QColor(255, 255, 255), 3.69},
  };
  for (const Case &c : cases) EXPECT_NEAR(Style::contrast(c.a, c.b), c.ratio, 0.01);
}

}  // namespace
}  // namespace tarnik
