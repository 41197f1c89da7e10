#include "screens/patch/LevelScrubber.h"

#include "screens/kit/AccessibleInterfaceFactory.h"
#include "screens/kit/Style.h"
#include "screens/patch/LevelScrubberAccessible.h"
#include "screens/patch/LevelScrubberGeometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

namespace Geometry = LevelScrubberGeometry;

constexpr double labelGap = 8;
constexpr double disabledOpacity = 0.55;
const QColor fillGreen = Style::dark(Style::Role::success);
const QColor fillGrey = Style::dark(Style::Role::secondaryText);
const QColor secondaryText = Style::dark(Style::Role::secondaryText);

void paintCapsule(QPainter &painter, const QRectF &rect, const QColor &color) {
  if (rect.width() <= 0) return;
  const double radius = std::min(rect.width(), rect.height()) / 2;
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  painter.fillPath(path, color);
}

// A soft shadow under the knob, drawn by hand: black at 0.28 fading out over 8 points,
// 3 points below the knob.
void paintKnob(QPainter &painter, const QPointF &centre) {
  const double radius = Geometry::knobDiameter / 2;
  constexpr double blur = 8;
  const QPointF shadowCentre = centre + QPointF(0, 3);
  QRadialGradient shadow(shadowCentre, radius + blur);
  const double edge = radius / (radius + blur);
  shadow.setColorAt(0, Style::blackAt(71 / 255.0));
  shadow.setColorAt(edge * 0.7, Style::blackAt(71 / 255.0));
  shadow.setColorAt(edge, Style::blackAt(36 / 255.0));
  shadow.setColorAt(1, Style::blackAt(0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shadow);
  painter.drawEllipse(shadowCentre, radius + blur, radius + blur);
  painter.setBrush(Style::whiteAt(1));
  painter.drawEllipse(centre, radius, radius);
}

}  // namespace

LevelScrubber::LevelScrubber(Bindings bindings, QWidget *parent)
    : QWidget(parent), bindings_(std::move(bindings)) {
  installAccessibleInterface<LevelScrubber, LevelScrubberAccessible>();
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  setFont(small);
}

QSize LevelScrubber::sizeHint() const {
  return {240, int(Geometry::trackHeight + labelGap) + fontMetrics().height()};
}

QSize LevelScrubber::minimumSizeHint() const { return {48, sizeHint().height()}; }

void LevelScrubber::paintTrack(QPainter &painter, const QRectF &area, double value, bool enabled) {
  paintCapsule(painter, area, Style::whiteAt(31 / 255.0));
  const QRectF fill(area.topLeft(),
                    QSizeF(area.width() * Geometry::fillFraction(value), area.height()));
  paintCapsule(painter, fill, enabled ? fillGreen : fillGrey);
}

void LevelScrubber::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setOpacity(isEnabled() ? 1.0 : disabledOpacity);
  const double width = std::max(1, this->width());
  const QRectF area(0, 0, width, Geometry::trackHeight);
  const double level = value();
  paintTrack(painter, area, level, isEnabled());
  paintKnob(painter, {Geometry::knobCentre(level, width), Geometry::trackHeight / 2});

  painter.setPen(secondaryText);
  const QRectF labels(0, Geometry::trackHeight + labelGap, width, fontMetrics().height());
  painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, u"0"_s);
  painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, u"100"_s);
}

void LevelScrubber::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || event->position().y() > Geometry::trackHeight) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragTo(event->position().x());
}

void LevelScrubber::mouseMoveEvent(QMouseEvent *event) {
  // Only a drag that began on the track goes on; a press on the labels started none.
  if ((event->buttons() & Qt::LeftButton) && bindings_.isDragging()) dragTo(event->position().x());
}

void LevelScrubber::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) endDrag();
}

void LevelScrubber::dragTo(double x) {
  if (!isEnabled()) return;
  if (!bindings_.isDragging()) {
    bindings_.setDragging(true);
    emit begun();
  }
  bindings_.setValue(Geometry::levelAt(x, std::max(1, width())));
  update();
  emit changed(value());
}

void LevelScrubber::endDrag() {
  if (!bindings_.isDragging()) return;
  if (isEnabled()) {
    emit committed(value());
    bindings_.setDragging(false);
  } else {
    bindings_.setDragging(false);
    emit cancelled();
  }
}

void LevelScrubber::adjust(double step) {
  if (!isEnabled()) return;
  const std::optional<double> level = Geometry::steppedLevel(value(), step);
  if (!level) return;
  emit begun();
  bindings_.setValue(*level);
  update();
  emit changed(*level);
  emit committed(*level);
}

void LevelScrubber::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
      adjust(-5);
      break;
    case Qt::Key_Right:
    case Qt::Key_Up:
      adjust(5);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void LevelScrubber::changeEvent(QEvent *event) {
  // Losing the right to control ends a drag there and then; its later release does nothing.
  if (event->type() == QEvent::EnabledChange && !isEnabled() && bindings_.isDragging()) {
    bindings_.setDragging(false);
    emit cancelled();
  }
  QWidget::changeEvent(event);
}

}  // namespace tarnik
