#include "screens/kit/FocusKeepingButton.h"

#include <QEvent>

#include <utility>

namespace tarnik {

bool FocusKeepingButton::focusNextPrevChild(bool next) {
  // A switched-off button holding the focus is asked this only as Qt switches it off; saying
  // no makes Qt clear the focus rather than hand it on.
  if (!isEnabled()) {
    focusDueBack_ = true;
    return false;
  }
  return QPushButton::focusNextPrevChild(next);
}

void FocusKeepingButton::changeEvent(QEvent *event) {
  QPushButton::changeEvent(event);
  if (event->type() != QEvent::EnabledChange || !isEnabled()) return;
  if (std::exchange(focusDueBack_, false) && isVisible() && !window()->focusWidget())
    setFocus(Qt::OtherFocusReason);
}

}  // namespace tarnik
