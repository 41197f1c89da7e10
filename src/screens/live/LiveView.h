#pragma once

#include <QWidget>

#include <optional>

namespace tarnik {

class AppViewModel;
class KeyRowPanel;
class MainKeypadPanel;
class SoftKeyPanel;

// The Live page's keys: the soft-key panel, the key rows and the main keypad in a column on
// black, every key sending through pressKey. The panels follow the model's mode and soft-key
// labels at each redraw, changing their keys in place.
class LiveView : public QWidget {
  Q_OBJECT

 public:
  explicit LiveView(AppViewModel &model, QWidget *parent = nullptr);

  // The one road of a key press: nothing without a key or in viewer mode; otherwise the
  // model checks, sends and records the name exactly as given.
  void pressKey(const std::optional<QString> &key, bool viewer);

 private:
  void redraw();

  AppViewModel &model_;
  SoftKeyPanel *softKeys_;
  KeyRowPanel *keyRows_;
  MainKeypadPanel *keypad_;
};

}  // namespace tarnik
