#include "screens/patch/FixtureColorWheel.h"

#include "screens/kit/AccessibleInterfaceFactory.h"
#include "screens/kit/Style.h"
#include "screens/patch/FixtureColorWheelAccessible.h"

#include <QConicalGradient>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace tarnik {

namespace {

namespace Geometry = ColorWheelGeometry;

constexpr double disabledOpacity = 0.62;

// 0 to 1; NaN, which fails every comparison, gives 0.
double unitFraction(double value) { return value >= 0 ? (value <= 1 ? value : 1) : 0; }

// QConicalGradient runs counter-clockwise on screen; the wheel's hue runs clockwise, so hue h
// sits at the gradient's position 1 - h / 360.
void paintDisc(QPainter &painter, const Geometry::Disc &disc) {
  QConicalGradient hues(disc.centre, 0);
  for (int k = 0; k <= 6; ++k) hues.setColorAt(1 - k / 6.0, QColor::fromHsvF((k % 6) / 6.0, 1, 1));
  painter.setPen(Qt::NoPen);
  painter.setBrush(hues);
  painter.drawEllipse(disc.centre, disc.radius, disc.radius);
  QRadialGradient white(disc.centre, disc.radius);
  white.setColorAt(0, Style::whiteAt(1));
  white.setColorAt(1, Style::whiteAt(0));
  painter.setBrush(white);
  painter.drawEllipse(disc.centre, disc.radius, disc.radius);
}

// The knob in the current colour with a white ring, over a soft shadow drawn by hand: black
// at 0.45 fading out over 3 points, 1 point below the knob.
void paintKnob(QPainter &painter, const QPointF &centre, const FixtureColorValue &color) {
  const double radius = Geometry::knobDiameter / 2;
  constexpr double blur = 3;
  const QPointF shadowCentre = centre + QPointF(0, 1);
  QRadialGradient shadow(shadowCentre, radius + blur);
  shadow.setColorAt(radius / (radius + blur), Style::blackAt(115 / 255.0));
  shadow.setColorAt(1, Style::blackAt(0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shadow);
  painter.drawEllipse(shadowCentre, radius + blur, radius + blur);
  painter.setBrush(
      QColor::fromHsvF(unitFraction(color.hue / 360), unitFraction(color.saturation / 100), 1));
  painter.setPen(QPen(Style::whiteAt(1), 3));
  painter.drawEllipse(centre, radius, radius);
}

}  // namespace

FixtureColorWheel::FixtureColorWheel(Bindings bindings, QWidget *parent)
    : QWidget(parent),
      bindings_(std::move(bindings)),
      drag_(
          {.color = [this] { return bindings_.color(); },
           .setColor = [this](FixtureColorValue color) { bindings_.setColor(color); },
           .onBegin = [this] { emit started(); },
           .onChange =
               [this](FixtureColorValue color) { emit changed(color.hue, color.saturation); },
           .onCommit =
               [this](FixtureColorValue color) { emit committed(color.hue, color.saturation); }}) {
  installAccessibleInterface<FixtureColorWheel, FixtureColorWheelAccessible>();
  // The height follows the width and never takes the page's spare room: the disc must stay
  // put under a pointer while the cards around it change.
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

Geometry::Disc FixtureColorWheel::disc() const { return Geometry::discIn(QSizeF(size())); }

void FixtureColorWheel::paintEvent(QPaintEvent *) {
  const Geometry::Disc disc = this->disc();
  if (!(disc.radius > 0)) return;
  // Drawn whole first, then faded as one: the white layer over the hues is not faded twice.
  const double ratio = devicePixelRatioF();
  QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
  layer.setDevicePixelRatio(ratio);
  layer.fill(Style::clear);
  QPainter wheel(&layer);
  wheel.setRenderHint(QPainter::Antialiasing);
  paintDisc(wheel, disc);
  const FixtureColorValue color = this->color();
  const QPointF knob = Geometry::knobCentre(disc, color);
  if (std::isfinite(knob.x()) && std::isfinite(knob.y())) paintKnob(wheel, knob, color);
  wheel.end();

  QPainter painter(this);
  painter.setOpacity(isEnabled() ? 1.0 : disabledOpacity);
  painter.drawImage(QPointF(0, 0), layer);
}

void FixtureColorWheel::mousePressEvent(QMouseEvent *event) {
  // Only the circle takes a press; the square's corners are not the wheel.
  if (event->button() != Qt::LeftButton || !Geometry::contains(disc(), event->position())) {
    QWidget::mousePressEvent(event);
    return;
  }
  drag_.change(isEnabled(), disc(), event->position());
  update();
}

void FixtureColorWheel::mouseMoveEvent(QMouseEvent *event) {
  if (!(event->buttons() & Qt::LeftButton) || !drag_.isDragging()) return;
  drag_.change(isEnabled(), disc(), event->position());
  update();
}

void FixtureColorWheel::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || !drag_.isDragging()) return;
  drag_.end(isEnabled(), disc(), event->position());
  update();
}

void FixtureColorWheel::changeEvent(QEvent *event) {
  // The owner cancels its edit on the same change; the wheel only forgets its drag.
  if (event->type() == QEvent::EnabledChange && !isEnabled()) drag_.disable();
  QWidget::changeEvent(event);
}

}  // namespace tarnik
