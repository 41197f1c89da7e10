#pragma once

#include "model/Cue.h"

#include <QWidget>

#include <optional>

class QAbstractButton;

namespace tarnik {

class AppViewModel;
class GoButton;
class SlotLabel;

// The console's two playback buttons for cue list 1 at the foot of the cue list: a red
// Stop/Back circle and a wide green Go that names the cue it will run and fills with the
// running cue's progress. Both send fixed addresses, never a cue number, and both are off
// while the model does not allow control.
//
// Parts: cues.playback.stop, cues.playback.go, cues.playback.goPrefix,
// cues.playback.goNumber, cues.playback.subtitle.
class CuePlaybackBar : public QWidget {
  Q_OBJECT

 public:
  explicit CuePlaybackBar(AppViewModel &app, QWidget *parent = nullptr);

  // The cue Go will run as the list judges it; only its number and label are shown.
  void setNextCue(const std::optional<Cue> &nextCue);

 private:
  void redraw();

  AppViewModel &app_;
  QAbstractButton *stop_;
  GoButton *go_;
  SlotLabel *prefix_;
  SlotLabel *number_;
  SlotLabel *subtitle_;
};

}  // namespace tarnik
