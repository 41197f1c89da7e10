#pragma once

#include <QWidget>

namespace tarnik {

// What a channel's page shows in place of its intensity control in viewer mode: the reason
// the controls are gone, on the same panel as the cards around it.
class ViewerModeModule : public QWidget {
  Q_OBJECT

 public:
  explicit ViewerModeModule(QWidget *parent = nullptr);

 protected:
  void paintEvent(QPaintEvent *event) override;
};

}  // namespace tarnik
