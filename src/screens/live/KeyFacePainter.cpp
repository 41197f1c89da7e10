#include "screens/live/KeyFacePainter.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
#include "screens/live/KeypadGeometry.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace tarnik {

namespace {

constexpr int maximumTitleLines = 2;

void fillRounded(QPainter &painter, const QRectF &rect, double radius, const QColor &color,
                 double opacity) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setOpacity(painter.opacity() * opacity);
  painter.setBrush(color);
  painter.drawRoundedRect(rect, radius, radius);
  painter.restore();
}

}  // namespace

const QColor &keypadColor(KeypadColor color) {
  static const auto colors = [] {
    std::array<QColor, static_cast<size_t>(KeypadColor::selectedSoftKeyFace) + 1> made;
    for (size_t index = 0; index < made.size(); ++index) {
      const SRGBColor components = keypadComponents(static_cast<KeypadColor>(index));
      made[index] =
          QColor::fromRgbF(static_cast<float>(components.red), static_cast<float>(components.green),
                           static_cast<float>(components.blue));
    }
    return made;
  }();
  return colors[static_cast<size_t>(color)];
}

void paintKeyFace(QPainter &painter, const QRectF &face, const KeyFaceLook &look,
                  const QString &title, const KeyTitleStyle &style) {
  fillRounded(painter, face, KeypadMetrics::faceCornerRadius, keypadColor(look.fill),
              look.fillOpacity);
  painter.save();
  painter.setFont(keyFont(painter.font(), style.size));
  QColor white = Style::dark(Style::Role::primaryText);
  white.setAlphaF(static_cast<float>(look.titleOpacity));
  painter.setPen(white);
  paintFittedText(painter, face.adjusted(style.sidePadding, 0, -style.sidePadding, 0), title,
                  maximumTitleLines, style.minimumScale);
  painter.restore();
}

QFont keyFont(const QFont &base, double size, QFont::Weight weight) {
  QFont font = base;
  font.setPixelSize(static_cast<int>(size));
  font.setWeight(weight);
  return font;
}

void paintKeyPanel(QPainter &painter, const QRectF &panel) {
  fillRounded(painter, panel, KeypadMetrics::panelCornerRadius,
              keypadColor(KeypadColor::panelBackground), 1);
}

}  // namespace tarnik
