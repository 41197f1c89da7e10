#include "screens/live/OverlayScrollBar.h"

#include "screens/kit/Style.h"

#include <QEvent>
#include <QScrollArea>

namespace tarnik {

namespace {

// As narrow as the column's side padding and the panels' own, so no key is ever covered.
constexpr int barWidth = 8;

}  // namespace

OverlayScrollBar::OverlayScrollBar(QScrollArea &area, const QString &objectName)
    : QScrollBar(Qt::Vertical, &area), area_(area), tracked_(*area.verticalScrollBar()) {
  setObjectName(objectName);
  setCursor(Qt::ArrowCursor);
  setStyleSheet(
      QStringLiteral(
          "QScrollBar:vertical { width: %1px; background: transparent; margin: 0; }"
          "QScrollBar::handle:vertical { background: %3; border-radius: "
          "%2px; min-height: 32px; }"
          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
          .arg(barWidth)
          .arg(barWidth / 2)
          .arg(Style::whiteAt(0.4).name(QColor::HexArgb)));
  connect(&tracked_, &QAbstractSlider::rangeChanged, this, &OverlayScrollBar::follow);
  connect(&tracked_, &QAbstractSlider::valueChanged, this, &QAbstractSlider::setValue);
  connect(this, &QAbstractSlider::valueChanged, &tracked_, &QAbstractSlider::setValue);
  area_.installEventFilter(this);
  follow();
}

bool OverlayScrollBar::eventFilter(QObject *watched, QEvent *event) {
  if (watched == &area_ && event->type() == QEvent::Resize) place();
  return QScrollBar::eventFilter(watched, event);
}

void OverlayScrollBar::follow() {
  setRange(tracked_.minimum(), tracked_.maximum());
  setPageStep(area_.viewport()->height());
  setSingleStep(tracked_.singleStep());
  setValue(tracked_.value());
  setVisible(tracked_.maximum() > tracked_.minimum());
  place();
}

void OverlayScrollBar::place() {
  setGeometry(area_.width() - barWidth, 0, barWidth, area_.height());
  raise();
}

}  // namespace tarnik
