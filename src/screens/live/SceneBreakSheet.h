#pragma once

#include "screens/live/CueListRows.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tarnik {

class AppViewModel;
class ConsoleTextField;

// "Add Breaker" or "Rename Breaker": puts a breaker with the label typed above the cue
// number typed (fixed when renaming). It hands both to the model as typed (a renamed
// breaker's label left as it was goes as the console sent it, however little of it the field
// shows) and closes whatever the model does. The confirm button follows every keystroke and
// every notice of the model, so it comes on when a sync completes.
//
// Parts: cues.breakerSheet.number, .label, .confirm.
class SceneBreakSheet : public QDialog {
  Q_OBJECT

 public:
  SceneBreakSheet(AppViewModel &app, const SceneBreakEditor &editor, QWidget *parent = nullptr);

 private:
  bool confirmAllowed() const;
  void save();

  AppViewModel &app_;
  QLineEdit *number_;
  ConsoleTextField *label_;
  QPushButton *confirm_;
};

}  // namespace tarnik
