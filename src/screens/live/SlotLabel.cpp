#include "screens/live/SlotLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/live/SlotSpring.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace tarnik {

namespace {

std::chrono::milliseconds slideDuration{static_cast<int>(slotSpringSettleSeconds * 1000)};

// One run of the text that slides as a whole: from the old text to the new at x.
struct Piece {
  double x;
  QString leaving;
  QString arriving;
};

}  // namespace

SlotLabel::SlotLabel(const QString &name, Roll roll, QWidget *parent)
    : QWidget(parent), roll_(roll), slide_(new QVariantAnimation(this)) {
  setObjectName(name);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // On a button the inherited role would be the button's text colour.
  setForegroundRole(QPalette::WindowText);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  slide_->setStartValue(0.0);
  slide_->setEndValue(1.0);
  connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
    const double share = value.toDouble();
    position_ = share >= 1.0 ? 1.0 : slotSpringPosition(share * slotSpringSettleSeconds);
    update();
  });
  connect(slide_, &QVariantAnimation::finished, this, [this] {
    position_ = 1.0;
    leaving_.clear();
    update();
  });
}

void SlotLabel::setSlideDuration(std::chrono::milliseconds duration) { slideDuration = duration; }

bool SlotLabel::isSliding() const { return slide_->state() == QAbstractAnimation::Running; }

void SlotLabel::setText(const QString &text) {
  if (text == text_) return;
  slide_->stop();
  leaving_ = text_;
  text_ = text;
  position_ = 1.0;
  updateGeometry();
  // A label nobody sees yet, or one told not to slide, shows the new text at once.
  if (slideDuration.count() > 0 && isVisible() && !leaving_.isEmpty()) {
    position_ = 0.0;
    slide_->setDuration(static_cast<int>(slideDuration.count()));
    slide_->start();
  } else {
    leaving_.clear();
  }
  update();
}

QSize SlotLabel::sizeHint() const {
  // Whole pixels, rounded up: the painted text is measured in fractions and must fit.
  return {lineHintWidth(*this, font(), text_),
          static_cast<int>(std::ceil(QFontMetricsF(font()).height()))};
}

QSize SlotLabel::minimumSizeHint() const {
  return roll_ == Roll::wholeText ? QSize(0, sizeHint().height()) : sizeHint();
}

void SlotLabel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setClipRect(rect());
  painter.setPen(palette().color(foregroundRole()));
  const QFontMetricsF metrics(font());
  QList<Piece> pieces;
  const bool sliding = position_ < 1.0 && !leaving_.isEmpty();
  const QFontMetrics lineMetrics(font());
  const QString shown = elidedLine(lineMetrics, text_, width());
  // Digits roll one by one only in a text shown whole; one cut with "…" rolls as a whole.
  if (roll_ == Roll::changedDigits && sliding && leaving_.size() == text_.size() &&
      shown == text_) {
    for (qsizetype i = 0; i < text_.size(); ++i)
      pieces.append(
          {metrics.horizontalAdvance(text_.left(i)), leaving_.mid(i, 1), text_.mid(i, 1)});
  } else {
    const double x =
        roll_ == Roll::wholeText ? (width() - metrics.horizontalAdvance(shown)) / 2 : 0.0;
    pieces.append({x, sliding ? elidedLine(lineMetrics, leaving_, width()) : shown, shown});
  }
  const double baseline = (height() - metrics.height()) / 2 + metrics.ascent();
  for (const Piece &piece : pieces) {
    if (!sliding || piece.leaving == piece.arriving) {
      painter.drawText(QPointF(piece.x, baseline), piece.arriving);
      continue;
    }
    // The old text leaves upwards, fading out; the new one rises in from below.
    const double travel = height();
    painter.setOpacity(1.0 - position_);
    painter.drawText(QPointF(piece.x, baseline - position_ * travel), piece.leaving);
    painter.setOpacity(position_);
    painter.drawText(QPointF(piece.x, baseline + (1.0 - position_) * travel), piece.arriving);
    painter.setOpacity(1.0);
  }
}

}  // namespace tarnik
