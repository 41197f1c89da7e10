#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tarnik {

class AppViewModel;

// "Record Cue": records the stage look into the cue number typed, with an optional label
// and time. It hands the texts to the model as typed (the model trims and judges them) and
// closes whatever the model does.
//
// Parts: cues.recordSheet.number, .label, .time, .confirm.
class AddCueSheet : public QDialog {
  Q_OBJECT

 public:
  explicit AddCueSheet(AppViewModel &app, QWidget *parent = nullptr);

 private:
  void updateConfirm();
  void record();

  AppViewModel &app_;
  QLineEdit *number_;
  QLineEdit *label_;
  QLineEdit *time_;
  QPushButton *confirm_;
};

}  // namespace tarnik
