#pragma once

#include "screens/connection/WorkspaceContext.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnik {

class ElidedLabel;

// The right pane of "Connection & relay": the phone relay's state, the pairing code and
// the button that starts or stops the relay towards the active console.
class RelayPage : public QWidget {
  Q_OBJECT

 public:
  explicit RelayPage(WorkspaceContext &context, QWidget *parent = nullptr);

 private:
  void redraw();
  void copyPairingCode();
  void toggleRelay();

  WorkspaceContext &context_;
  ElidedLabel *status_;
  ElidedLabel *sessions_;
  QLabel *boardTitle_;
  ElidedLabel *board_;
  QLabel *framingTitle_;
  ElidedLabel *framing_;
  QLineEdit *pairingCode_;
  QPushButton *copy_;
  QLabel *error_;
  QPushButton *toggle_;
};

}  // namespace tarnik
