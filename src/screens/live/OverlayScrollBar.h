#pragma once

#include <QScrollBar>

class QScrollArea;

namespace tarnik {

// A slim scroll bar laid over the right edge of a scroll area whose own bars stay hidden:
// it shows that there is more below, and can be dragged or clicked, while the content keeps
// the whole width of the area. It follows the area's vertical bar both ways and is shown
// only while there is something to scroll.
class OverlayScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  OverlayScrollBar(QScrollArea &area, const QString &objectName);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void follow();
  void place();

  QScrollArea &area_;
  QScrollBar &tracked_;
};

}  // namespace tarnik
