#include "screens/kit/StalePressGuard.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>
#include <QWidget>

#include <optional>

namespace tarnik {

namespace {

// Qt turns the second press of a double-click into a double-click event for the widget under
// the pointer, which a button takes as a press; the third press of a triple-click is a plain
// press again. Either would let a click meant for a list row work a control of the page the
// first click opened. Runs are measured on the time stamps the window system gives each
// press, so how late the application gets to them does not matter.
struct Press {
  quint64 stamp = 0;
  QPointF at;  // on the screen
};

bool continues(const Press &earlier, const Press &later) {
  const QStyleHints &hints = *QGuiApplication::styleHints();
  const QPointF moved = later.at - earlier.at;
  const qreal reach = hints.mouseDoubleClickDistance();
  return later.stamp >= earlier.stamp &&
         later.stamp - earlier.stamp < static_cast<quint64>(hints.mouseDoubleClickInterval()) &&
         qAbs(moved.x()) <= reach && qAbs(moved.y()) <= reach;
}

class StalePressFilter final : public QObject {
 public:
  using QObject::QObject;

  void guard(QWidget &page) {
    pages_.removeAll(nullptr);
    if (!pages_.contains(&page)) pages_.append(&page);
  }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
      return false;
    const auto &mouse = static_cast<const QMouseEvent &>(*event);
    const Press press{mouse.timestamp(), mouse.globalPosition()};
    // A press reaches the window and then each widget it is offered to: it counts once.
    if (type != QEvent::MouseButtonRelease && (!lastPress_ || lastPress_->stamp != press.stamp)) {
      pressBefore_ = lastPress_;
      lastPress_ = press;
    }
    const qsizetype page = guardedPageOf(qobject_cast<QWidget *>(watched));
    if (page < 0) return false;
    if (type != QEvent::MouseButtonPress || (pressBefore_ && continues(*pressBefore_, press)))
      return true;
    // The page's own first press: from here on its clicks are the person's.
    pages_.removeAt(page);
    return false;
  }

 private:
  qsizetype guardedPageOf(const QWidget *widget) const {
    for (qsizetype index = 0; widget && index < pages_.size(); ++index) {
      const QWidget *page = pages_[index];
      if (page && (page == widget || page->isAncestorOf(widget))) return index;
    }
    return -1;
  }

  QList<QPointer<QWidget>> pages_;
  std::optional<Press> lastPress_;
  std::optional<Press> pressBefore_;
};

}  // namespace

void guardAgainstStalePresses(QWidget &page) {
  // One filter for the whole application, which sees every press, so a run that began
  // before the page was shown is known to it.
  static QPointer<StalePressFilter> filter;
  if (!filter) {
    filter = new StalePressFilter(qApp);
    qApp->installEventFilter(filter);
  }
  filter->guard(page);
}

}  // namespace tarnik
