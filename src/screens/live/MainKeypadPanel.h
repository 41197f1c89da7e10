#pragma once

#include "screens/live/KeyPanelFrame.h"

namespace tarnik {

// The lowest key panel: the palette keys, the digit block and the command keys in six rows.
// It is laid out for the pad width W its own width leaves inside the padding; the two blank
// cells are empty space, with nothing there for a screen reader.
class MainKeypadPanel : public KeyPanelFrame {
  Q_OBJECT

 public:
  explicit MainKeypadPanel(const KeyPress &press, QWidget *parent = nullptr);

  double padWidth() const;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent *event) override;
};

}  // namespace tarnik
