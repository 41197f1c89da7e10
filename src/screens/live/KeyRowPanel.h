#pragma once

#include "screens/live/KeyPanelFrame.h"

namespace tarnik {

// The panel between the soft keys and the main keypad: the parameter, cue and selection
// rows, six keys each on the default face.
class KeyRowPanel : public KeyGridPanel {
  Q_OBJECT

 public:
  KeyRowPanel(const KeyPress &press, QWidget *parent = nullptr);
};

}  // namespace tarnik
