#pragma once

#include "screens/patch/FixtureParkModuleTexts.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace tarnik {

class FixtureControlStore;
class ObservableObject;

// The content of the "Park" card: whether the console confirmed the channel parked, and
// the one control that fits (park, unpark, or a read-only check of the park state). Park
// and unpark are confirmed in a window-modal box first; only the confirm button sends, and
// only a console readback changes what the card shows. It reads the store afresh at every
// redraw and keeps nothing but the action waiting for confirmation.
//
// A confirmed action the store refuses is not sent; the card then says why under the detail
// until the channel's park state moves on.
//
// Names: "fixture.park.title", "fixture.park.detail", "fixture.park.notice",
// "fixture.park.action",
// "fixture.park.check", and the box "fixture.park.confirmation" with its buttons
// "fixture.park.confirmation.confirm" and "fixture.park.confirmation.cancel".
class FixtureParkModule : public QWidget {
  Q_OBJECT

 public:
  // Read at every redraw: what the page allows now, and how a park check starts.
  struct Controls {
    std::function<bool()> canControl;
    std::function<bool()> canCheckParkState;
    std::function<bool()> isCheckingParkState;
    std::function<void()> checkParkState;
  };

  FixtureParkModule(FixtureControlStore &store, qint64 channelNumber, Controls controls,
                    QWidget *parent = nullptr);

  static QString title() { return QStringLiteral("Park"); }
  // Redraws after each change of the object as well (the store is observed already).
  void observe(const ObservableObject &object);
  void setChannelNumber(qint64 channelNumber);

 private:
  std::optional<FixtureParkState> parkState() const;
  FixtureParkPresentation presentation() const;
  void redraw();
  void askToConfirm(FixtureParkAction action);
  void confirmationFinished();

  FixtureControlStore &store_;
  qint64 channelNumber_;
  const Controls controls_;
  class ScreenRefresh *refresh_;

  QLabel *title_;
  QLabel *detail_;
  QLabel *notice_;
  QPushButton *actionButton_;
  QPushButton *checkButton_;
  QProgressBar *checking_;

  std::optional<FixtureParkAction> actionToConfirm_;
  // The park state the notice was written against; it goes when the state changes.
  std::optional<FixtureParkState> noticeState_;
  QPointer<QMessageBox> confirmation_;
  QPushButton *confirmButton_ = nullptr;
};

}  // namespace tarnik
