#pragma once

#include "screens/connection/WorkspaceContext.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QSpinBox;

namespace tarnik {

// The "Xbox controller" page: which board user the mover drives, what it reports, and the
// buttons that connect it and arm it.
class ControllerPage : public QWidget {
  Q_OBJECT

 public:
  explicit ControllerPage(WorkspaceContext &context, QWidget *parent = nullptr);

 private:
  void redraw();
  void connectBoardUser();
  void changeBoardUser(int user);
  void toggleArm();

  WorkspaceContext &context_;
  QSpinBox *boardUser_;
  QLabel *controller_;
  QLabel *selection_;
  QLabel *status_;
  QPushButton *connect_;
  QPushButton *disconnect_;
  QPushButton *arm_;
};

}  // namespace tarnik
