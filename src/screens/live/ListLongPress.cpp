#include "screens/live/ListLongPress.h"

#include <QAbstractItemView>
#include <QLineF>
#include <QMouseEvent>
#include <QPersistentModelIndex>

namespace tarnik {

ListLongPress::ListLongPress(QAbstractItemView &view, std::shared_ptr<AppTiming> timing)
    : QObject(&view), view_(view), timing_(std::move(timing)) {
  view_.viewport()->installEventFilter(this);
}

bool ListLongPress::eventFilter(QObject *, QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto *press = static_cast<QMouseEvent *>(event);
      hold_.cancel();
      if (press->button() != Qt::LeftButton) break;
      pressedAt_ = press->position().toPoint();
      // The row is held by a persistent index: a sync may move it while the finger rests.
      const QPersistentModelIndex index(view_.indexAt(pressedAt_));
      if (!index.isValid()) break;
      hold_ = timing_->schedule(holdSeconds, [this, index] {
        hold_.cancel();
        if (index.isValid()) emit longPressed(index);
      });
      break;
    }
    case QEvent::MouseMove: {
      const auto *move = static_cast<QMouseEvent *>(event);
      if (QLineF(move->position(), pressedAt_).length() > slopPixels) hold_.cancel();
      break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::Leave:
    case QEvent::Hide:
      hold_.cancel();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace tarnik
