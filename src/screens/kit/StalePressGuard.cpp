#include "screens/kit/StalePressGuard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace tarnik {

namespace {

// Qt turns the second press of a double-click into a double-click event for the widget under
// the pointer, which a button takes as a press: that is how a click meant for a list row
// would reach a control of the page the first click opened.
const QString guardName = QStringLiteral("stalePressGuard");

class StalePressFilter : public QObject {
 public:
  explicit StalePressFilter(QWidget &page) : QObject(&page), page_(page) {
    setObjectName(guardName);
    qApp->installEventFilter(this);
  }

  bool eventFilter(QObject *watched, QEvent *event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
      return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || (widget != &page_ && !page_.isAncestorOf(widget))) return false;
    if (type != QEvent::MouseButtonPress) return true;
    // The page's own first press: from here on its clicks are the person's.
    qApp->removeEventFilter(this);
    setObjectName(QString());
    deleteLater();
    return false;
  }

 private:
  QWidget &page_;
};

}  // namespace

void guardAgainstStalePresses(QWidget &page) {
  if (page.findChild<QObject *>(guardName, Qt::FindDirectChildrenOnly)) return;
  new StalePressFilter(page);
}

}  // namespace tarnik
