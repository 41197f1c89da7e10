#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tarnik {

class UpdateChecker;

// The "Updates" page of the workspace: what this build can do about updates, and the
// button that asks for a check. It follows the updater's published values as they change.
class UpdatesPage : public QWidget {
  Q_OBJECT

 public:
  explicit UpdatesPage(UpdateChecker &updater, QWidget *parent = nullptr);

 private:
  QLabel *status_;
  QPushButton *check_;
};

}  // namespace tarnik
