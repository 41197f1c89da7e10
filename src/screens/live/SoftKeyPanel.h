#pragma once

#include "screens/live/KeyPanelFrame.h"

#include <QStringList>

namespace tarnik {

// The topmost key panel: the console's soft keys 1 to 6 and "More SK", then the record and
// edit keys, in two rows of seven.
class SoftKeyPanel : public KeyGridPanel {
  Q_OBJECT

 public:
  SoftKeyPanel(const KeyPress &press, QWidget *parent = nullptr);

  // The screen's mode and the labels the console last reported for its soft keys; only
  // the first six are shown, and a blank one brings back the key's default title.
  void refresh(bool viewer, const QStringList &labels);
};

}  // namespace tarnik
