#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QProgressBar;

namespace tarnik {

class AppViewModel;
class ElidedLabel;

// The card above the cue list: whether the console answers, which show is loaded, whether
// cues are loading, how many are held and how fresh they are. It only shows; it redraws
// once per turn of the model's notices.
//
// Parts: cues.sync.icon, cues.sync.showName, cues.sync.spinner, cues.sync.count,
// cues.sync.status.
class CueSyncCard : public QWidget {
  Q_OBJECT

 public:
  explicit CueSyncCard(const AppViewModel &app, QWidget *parent = nullptr);

 private:
  void redraw();

  const AppViewModel &app_;
  QLabel *icon_;
  ElidedLabel *showName_;
  QProgressBar *spinner_;
  QLabel *count_;
  QLabel *status_;
  std::optional<bool> drawnReachable_;
};

}  // namespace tarnik
