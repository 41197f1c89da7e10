#pragma once

#include "screens/patch/FixtureColorController.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace tarnik {

class ColorValueSlider;
class FixtureColorWheel;
class PatchNoteLabel;

// The "Color" card's content: the wheel, the status line, the readback notice with "Read
// Color from Eos", and the hue and saturation sliders, all showing one colour held by the
// card's controller. Values the card puts on its own controls never come back as the user's
// edits. Taken off screen by the program, the card ends any adjustment unsent.
class FixtureColorModule : public QWidget {
  Q_OBJECT

 public:
  // Without a throttler the card makes one of 10 sends a second on the system clock.
  FixtureColorModule(FixtureControlStore &store, FixtureControlState state, bool canControl,
                     std::unique_ptr<ColorCommandThrottler> commands = nullptr,
                     QWidget *parent = nullptr);
  ~FixtureColorModule() override;

  static QString title();
  const FixtureColorController &controller() const { return controller_; }
  // The container hands in the channel's newest state and whether colour may change now.
  void setInputs(FixtureControlState state, bool canControl);
  // Ends any adjustment unsent; the container calls it before it drops the card.
  void cancel();

 protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

 private:
  void render();

  FixtureColorController controller_;
  FixtureColorWheel *wheel_;
  QLabel *status_;
  PatchNoteLabel *notice_;
  QPushButton *read_;
  ColorValueSlider *hue_;
  ColorValueSlider *saturation_;
};

}  // namespace tarnik
