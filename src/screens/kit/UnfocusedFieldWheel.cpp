#include "screens/kit/UnfocusedFieldWheel.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>

namespace tarnik {

namespace {

const char *const filterName = "tarnik.unfocusedFieldWheel";

QWidget *valueField(QObject *object) {
  if (auto *combo = qobject_cast<QComboBox *>(object)) return combo;
  if (auto *spin = qobject_cast<QAbstractSpinBox *>(object)) return spin;
  return nullptr;
}

class UnfocusedFieldWheel final : public QObject {
 public:
  explicit UnfocusedFieldWheel(QObject *parent) : QObject(parent) {
    setObjectName(QString::fromLatin1(filterName));
  }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    QWidget *field = event->type() == QEvent::Polish || event->type() == QEvent::Wheel
                         ? valueField(watched)
                         : nullptr;
    if (!field) return false;
    if (event->type() == QEvent::Polish) {
      // The application hands the focus to a wheel-focus widget before the wheel reaches it,
      // which would make every field the wheel passes over a focused one.
      if (field->focusPolicy() == Qt::WheelFocus) field->setFocusPolicy(Qt::StrongFocus);
      return false;
    }
    if (field->hasFocus()) return false;
    // Ignored and filtered: the field never sees it, and the application offers it to the
    // field's parents, up to the scroll area.
    event->ignore();
    return true;
  }
};

}  // namespace

void letTheWheelScrollPastUnfocusedFields(QApplication &application) {
  if (application.findChild<QObject *>(QString::fromLatin1(filterName), Qt::FindDirectChildrenOnly))
    return;
  application.installEventFilter(new UnfocusedFieldWheel(&application));
}

}  // namespace tarnik
