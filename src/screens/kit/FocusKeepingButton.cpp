#include "screens/kit/FocusKeepingButton.h"

#include <QEvent>

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
  if (event->type() == QEvent::EnabledChange) takeFocusBackWhenDue();
}

void FocusKeepingButton::showEvent(QShowEvent *event) {
  QPushButton::showEvent(event);
  takeFocusBackWhenDue();
}

void FocusKeepingButton::takeFocusBackWhenDue() {
  // The work may hide the button's card while it runs and switch it on out of sight: the
  // focus then comes back once the button is both switched on and shown.
  if (!focusDueBack_ || !isEnabled() || !isVisible()) return;
  focusDueBack_ = false;
  if (!window()->focusWidget()) setFocus(Qt::OtherFocusReason);
}

}  // namespace tarnik
