#pragma once

#include <QWidget>

class QLabel;

namespace tarnik {

class AppViewModel;
class TarnikRelayServer;

// The two lines at the foot of the sidebar: whether the console answers, and whether the
// phone relay runs and for how many phones.
class WorkspaceStatusBlock : public QWidget {
  Q_OBJECT

 public:
  WorkspaceStatusBlock(AppViewModel &app, TarnikRelayServer &relay, QWidget *parent = nullptr);

 private:
  void redraw();

  AppViewModel &app_;
  TarnikRelayServer &relay_;
  QLabel *consoleDot_;
  QLabel *console_;
  QLabel *relayLine_;
  std::optional<bool> drawnReachable_;
};

}  // namespace tarnik
