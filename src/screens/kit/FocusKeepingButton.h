#pragma once

#include <QPushButton>

namespace tarnik {

// A push button that is switched off while the work it started runs. Qt hands the focus of a
// button it switches off to the next control, scrolls the page to show it and lets the next
// Space press that control (Connect, say, in place of Test Connection again). This one lets
// the focus go nowhere instead, and takes it back once switched on again and shown (the work
// may hide it meanwhile), unless the person has put the focus elsewhere meanwhile, so the page
// stays still and Space runs the same work again.
class FocusKeepingButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  bool focusNextPrevChild(bool next) override;
  void changeEvent(QEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  void takeFocusBackWhenDue();

  bool focusDueBack_ = false;
};

}  // namespace tarnik
