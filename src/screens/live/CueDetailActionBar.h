#pragma once

#include "model/Cue.h"

#include <QWidget>

class QLabel;

namespace tarnik {

class AppViewModel;
class GoButton;

// The foot of the cue detail: "Go to Cue <n>" with the cue's own progress and "Offline"
// under it while the console does not answer, or in viewer mode only a note. It follows
// the model live while the detail is open.
//
// Parts: cues.detail.go, cues.detail.offline, cues.detail.viewerNote.
class CueDetailActionBar : public QWidget {
  Q_OBJECT

 public:
  CueDetailActionBar(AppViewModel &app, Cue cue, QWidget *parent = nullptr);

 private:
  void redraw();

  AppViewModel &app_;
  const Cue cue_;
  GoButton *go_;
  QLabel *offline_;
  QLabel *viewerNote_;
};

}  // namespace tarnik
