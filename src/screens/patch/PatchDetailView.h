#pragma once

#include "model/Channel.h"
#include "operations/FixtureControlState.h"
#include "screens/patch/FixtureControlModules.h"
#include "screens/patch/IntensityFlow.h"
#include "screens/patch/LastSeenValue.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QToolButton;

namespace tarnik {

class AppViewModel;
class ChannelAddressModule;
class ChannelSummaryModule;
class FixtureIntensityControlModule;
class FixtureParkModule;
class ScreenRefresh;
class ViewerModeModule;

// One patched channel's page: its summary, the Live-control status until Live controls are
// ready, its intensity (or the viewer-mode notice), the colour, parameters, address and park
// cards, and the "Channel actions" menu. The page holds the level its scrubber shows and
// drives the channel's intensity live, rate-limited, through the model; the shown level
// follows the pending write and then the console's readback. Push it with its title and toolbar:
//   stack.push(page, page->title(), page->toolbar());
class PatchDetailView : public QWidget {
  Q_OBJECT

 public:
  // `channel` is the row's copy, shown while the live patch no longer holds its number.
  // Without a throttler the page makes one of 10 sends a second on the system clock.
  PatchDetailView(AppViewModel &model, const Channel &channel,
                  std::unique_ptr<LevelCommandThrottler> throttler = nullptr,
                  QWidget *parent = nullptr);
  ~PatchDetailView() override;

  QString title() const;
  // The "Channel actions" menu; whoever pushes the page takes it.
  QWidget *toolbar() const { return toolbar_; }

 signals:
  // "Edit Patch": the page opens the patch editor's sheet for this channel over itself.
  void editPatchRequested(const tarnik::Channel &channel);

 protected:
  void hideEvent(QHideEvent *event) override;

 private:
  Channel currentChannel() const;
  std::optional<FixtureControlState> channelState() const;
  bool isControllable() const;
  FixtureControlModules::Inputs controlInputs(const Channel &channel) const;
  qint64 displayedIntensity() const;
  QWidget *makeLiveControlsCard();
  QWidget *makeToolbar();
  void connectionDelivered(bool isConnected);
  void cancelAndResync();
  void redraw();
  void followEvents();

  QPointer<AppViewModel> model_;
  Channel channel_;
  IntensityFlow flow_;
  ChannelSummaryModule *summary_;
  QWidget *liveControlsCard_;
  QLabel *liveControlsStatus_;
  QPushButton *retryLiveControls_;
  FixtureIntensityControlModule *intensity_;
  ViewerModeModule *viewerNotice_;
  FixtureControlModules *controlModules_;
  ChannelAddressModule *address_;
  FixtureParkModule *park_;
  QWidget *toolbar_;
  QToolButton *actions_;
  QAction *identify_;
  QAction *editPatch_;
  ScreenRefresh *refresh_;

  LastSeenValue<std::optional<double>> lastDataRefresh_;
  LastSeenValue<bool> fixtureControlReady_;
  LastSeenValue<qint64> displayed_;
  LastSeenValue<std::optional<FixtureControlReadState>> parameterReadState_;
  LastSeenValue<bool> canControlFixtures_;
};

}  // namespace tarnik
