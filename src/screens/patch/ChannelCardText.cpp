#include "screens/patch/ChannelCardText.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
#include "screens/patch/FittedTextLabel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

namespace tarnik {

namespace {

double scaleOf(ChannelCardTextStyle style) {
  switch (style) {
    case ChannelCardTextStyle::subheadline:
      return 1.0;
    case ChannelCardTextStyle::caption:
      return 0.85;
    case ChannelCardTextStyle::caption2:
      return 0.78;
  }
  return 1.0;
}

}  // namespace

void styleCardLabel(QLabel &label, ChannelCardTextStyle style, ChannelCardTextTone tone,
                    bool semibold, bool fixedWidthDigits) {
  label.setTextFormat(Qt::PlainText);
  QFont font =
      fixedWidthDigits ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
  font.setPointSizeF(QApplication::font().pointSizeF());
  label.setFont(
      Style::scaledFont(font, scaleOf(style), semibold ? QFont::DemiBold : QFont::Normal));
  if (tone == ChannelCardTextTone::primary) return;
  // Toned from the channel page's own light text: a label is styled before it is placed on
  // the page, so its palette then is still the application's, dark text meant for light ground.
  QColor color = Style::dark(Style::Role::primaryText);
  color.setAlphaF(tone == ChannelCardTextTone::secondary ? 0.62 : 0.38);
  Style::setTextColor(label, color);
}

QLabel *cardLine(const QString &text, bool reported, QWidget *parent) {
  if (reported) {
    auto *line = new FittedTextLabel(FittedTextLabel::anyLines, 1, parent);
    line->setText(screenBoundedText(*line, text));
    return line;
  }
  auto *line = new QLabel(text, parent);
  line->setWordWrap(true);
  return line;
}

}  // namespace tarnik
