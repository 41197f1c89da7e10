#pragma once

#include "app/AppTiming.h"

#include <QModelIndex>
#include <QObject>
#include <QPoint>

#include <memory>

class QAbstractItemView;

namespace tarnik {

// A press held on one row of a list for at least half a second, moving at most 10 pixels:
// the list's own widgets know clicks and double clicks, not holds. It watches the view's
// viewport and reports the row once the hold is long enough, while the button is still
// down. The timing is the application's, so tests hold in virtual time.
class ListLongPress : public QObject {
  Q_OBJECT

 public:
  static constexpr double holdSeconds = 0.5;
  static constexpr int slopPixels = 10;

  ListLongPress(QAbstractItemView &view, std::shared_ptr<AppTiming> timing);

 signals:
  void longPressed(const QModelIndex &index);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  QAbstractItemView &view_;
  std::shared_ptr<AppTiming> timing_;
  AppTiming::WorkItem hold_;
  QPoint pressedAt_;
};

}  // namespace tarnik
