#pragma once

#include <QWidget>

namespace tarnik {

class AppViewModel;

// The "Connection Diagnostics" screen: the report on the link, for the manager the model
// holds when the screen is made, and a "Done" button that only asks the presenter to close
// it.
class ConnectionDiagnosticsView : public QWidget {
  Q_OBJECT

 public:
  explicit ConnectionDiagnosticsView(AppViewModel &model, QWidget *parent = nullptr);

 signals:
  void doneRequested();
};

}  // namespace tarnik
