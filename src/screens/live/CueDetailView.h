#pragma once

#include "model/Cue.h"

#include <QWidget>

namespace tarnik {

class AppViewModel;

// One cue of cue list 1: its number and label, the three main times as tiles, the other
// times, the flags set on it and its sequence attributes, with "Go to Cue <n>" at the foot.
// It shows the cue it was given and never looks it up again; only the foot follows the
// model.
//
// Parts: cues.detail.title, cues.detail.label, cues.detail.tile.<duration|up|down>,
// cues.detail.<timing|flags|sequence> (the sections) and one per row,
// cues.detail.<section>.<field> (cues.detail.timing.focusTime, cues.detail.flags.mark),
// whose value is <row>.value; the foot's parts are CueDetailActionBar's.
class CueDetailView : public QWidget {
  Q_OBJECT

 public:
  CueDetailView(AppViewModel &app, Cue cue, QWidget *parent = nullptr);

  // "Cue <n>", for the navigation title.
  QString title() const;

 private:
  const Cue cue_;
};

}  // namespace tarnik
