#include "screens/patch/PatchDetailView.h"

#include "app/AppViewModel.h"
#include "screens/kit/FocusKeepingButton.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/ChannelAddressModule.h"
#include "screens/patch/ChannelSummaryModule.h"
#include "screens/patch/FixtureControlModules.h"
#include "screens/patch/FixtureIntensityControlModule.h"
#include "screens/patch/FixtureModuleCard.h"
#include "screens/patch/FixtureParkModule.h"
#include "screens/patch/IntensityReadings.h"
#include "screens/patch/PatchEditorView.h"
#include "screens/patch/ViewerModeModule.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr double levelSendsPerSecond = 10;

std::unique_ptr<LevelCommandThrottler> ownThrottler(std::unique_ptr<LevelCommandThrottler> given) {
  if (given) return given;
  return std::make_unique<LevelCommandThrottler>(levelSendsPerSecond);
}

}  // namespace

PatchDetailView::PatchDetailView(AppViewModel &model, const Channel &channel,
                                 std::unique_ptr<LevelCommandThrottler> throttler, QWidget *parent)
    : QWidget(parent),
      model_(&model),
      channel_(channel),
      flow_(
          IntensityControlModel::of(model), ownThrottler(std::move(throttler)),
          [this] { return displayedIntensity(); },
          [this] { return pendingIntensity(channelState()).has_value(); }) {
  setObjectName(u"patch.channel"_s);
  QPalette dark = palette();
  dark.setColor(QPalette::Window, Style::dark(Style::Role::ground));
  dark.setColor(QPalette::WindowText, Style::dark(Style::Role::primaryText));
  setPalette(dark);
  setAutoFillBackground(true);

  auto *content = new QWidget;
  content->setPalette(dark);
  summary_ = new ChannelSummaryModule(content);
  liveControlsCard_ = makeLiveControlsCard();
  intensity_ = new FixtureIntensityControlModule(
      {.value = [this] { return flow_.intensity(); },
       .setValue = [this](double value) { flow_.setIntensity(value); },
       .isDragging = [this] { return flow_.isAdjusting(); },
       .setDragging = [this](bool dragging) { flow_.setAdjusting(dragging); }},
      content);
  viewerNotice_ = new ViewerModeModule(content);
  controlModules_ = new FixtureControlModules(
      model.fixtureControls(), model.fixtureParameterCatalog(), CatalogResourceLocator::standard(),
      [](const QString &title, QWidget *module) { return new FixtureModuleCard(title, module); },
      controlInputs(channel), KeyedTaskExecutor::threadPool(), content);
  controlModules_->observe(model);
  address_ = new ChannelAddressModule(channel);
  park_ = new FixtureParkModule(
      model.fixtureControls(), channel.number,
      {.canControl = [this] { return isControllable(); },
       .canCheckParkState = [this] { return model_ && model_->parkSessionPreconditions(); },
       .isCheckingParkState = [this] { return model_ && model_->isRefreshingParkedChannels(); },
       .checkParkState =
           [this] {
             if (model_) model_->refreshParkedChannels(0, std::nullopt);
           }});
  park_->observe(model);

  LevelScrubber *scrubber = intensity_->scrubber();
  // The scrubber writes the level itself; each report also redraws the value beside it.
  connect(scrubber, &LevelScrubber::begun, this,
          [this] { flow_.begin(int(currentChannel().number)); });
  connect(scrubber, &LevelScrubber::changed, this, [this](double value) {
    flow_.update(value);
    redraw();
  });
  connect(scrubber, &LevelScrubber::committed, this, [this](double value) {
    flow_.end(value);
    redraw();
  });
  connect(scrubber, &LevelScrubber::cancelled, this, [this] {
    flow_.cancel();
    redraw();
  });

  auto *stack = new QVBoxLayout(content);
  stack->setContentsMargins(16, 12, 16, 24);
  stack->setSpacing(16);
  stack->addWidget(summary_);
  stack->addWidget(liveControlsCard_);
  stack->addWidget(intensity_);
  stack->addWidget(viewerNotice_);
  stack->addWidget(controlModules_);
  stack->addWidget(new FixtureModuleCard(ChannelAddressModule::title(), address_));
  stack->addWidget(new FixtureModuleCard(FixtureParkModule::title(), park_));
  stack->addStretch(1);

  auto *scroll = new QScrollArea(this);
  scroll->setObjectName(u"patch.channel.scroll"_s);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scroll->verticalScrollBar()->setStyleSheet(
      u"QScrollBar { background: %1; width: 8px; }"
      u" QScrollBar::handle { background: %2; border-radius: 4px; }"
      u" QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"_s.arg(
          Style::dark(Style::Role::ground).name(),
          Style::whiteAt(70 / 255.0).name(QColor::HexArgb)));
  scroll->setPalette(dark);
  scroll->setWidget(content);
  auto *page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addWidget(scroll);

  toolbar_ = makeToolbar();
  connect(this, &PatchDetailView::editPatchRequested, this, [this](const Channel &edited) {
    if (model_) openPatchChannelSheet(*model_, edited, this, standardCatalogBrowser());
  });

  refresh_ = new ScreenRefresh(this, [this] { redraw(); });
  refresh_->observe(model);
  refresh_->observe(model.fixtureControls());
  // The connection's state counts at every delivery, the one current when the page starts
  // listening and repeats included; a false always ends a drag.
  OSCManager *manager = model.oscManager();
  connect(manager, &OSCManager::isConnectedChanged, this,
          [this](bool isConnected) { connectionDelivered(isConnected); });

  // Coming on screen: the level shown, then a Live-control session if none runs.
  flow_.resync();
  model.prepareLiveControls();
  connectionDelivered(manager->isConnected());
  refresh_->redrawNow();
}

PatchDetailView::~PatchDetailView() {
  // Leaving the page ends a drag; no trailing level goes out after it.
  if (model_) flow_.cancel();
}

QString PatchDetailView::title() const { return u"Channel "_s + QString::number(channel_.number); }

QWidget *PatchDetailView::makeLiveControlsCard() {
  auto *body = new QWidget;
  liveControlsStatus_ = plainLabel({}, u"patch.channel.liveControlsStatus"_s, body);
  liveControlsStatus_->setWordWrap(true);
  liveControlsStatus_->setFont(Style::scaledFont(font(), 0.95));
  Style::setTextColor(*liveControlsStatus_, Style::dark(Style::Role::secondaryText));
  retryLiveControls_ = new FocusKeepingButton(u"Retry Live Controls"_s, body);
  retryLiveControls_->setObjectName(u"patch.channel.retryLiveControls"_s);
  connect(retryLiveControls_, &QPushButton::clicked, this, [this] {
    if (model_) model_->prepareLiveControls();
  });
  auto *column = new QVBoxLayout(body);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  column->addWidget(liveControlsStatus_);
  column->addWidget(retryLiveControls_, 0, Qt::AlignLeft);
  return new FixtureModuleCard(u"Live Controls"_s, body);
}

QWidget *PatchDetailView::makeToolbar() {
  // Held by the page (hidden) until a stack takes it; the stack shows it with the page.
  auto *toolbar = new QWidget(this);
  toolbar->hide();
  actions_ = new QToolButton(toolbar);
  actions_->setObjectName(u"patch.channel.actions"_s);
  actions_->setAccessibleName(u"Channel actions"_s);
  actions_->setToolTip(u"Channel actions"_s);
  const QColor tint = palette().color(QPalette::ButtonText);
  actions_->setIcon(symbolIcon(u"ellipsis"_s, tint, tint));
  actions_->setPopupMode(QToolButton::InstantPopup);
  auto *menu = new QMenu(actions_);
  identify_ = menu->addAction(symbolIcon(u"scope"_s, tint, tint), u"Identify"_s);
  identify_->setObjectName(u"patch.channel.identify"_s);
  editPatch_ = menu->addAction(symbolIcon(u"square.and.pencil"_s, tint, tint), u"Edit Patch"_s);
  editPatch_->setObjectName(u"patch.channel.editPatch"_s);
  actions_->setMenu(menu);
  connect(identify_, &QAction::triggered, this, [this] {
    if (model_ && isControllable()) model_->identifyFixture(currentChannel());
  });
  connect(editPatch_, &QAction::triggered, this, [this] {
    if (model_ && model_->canControlFixtures()) emit editPatchRequested(currentChannel());
  });
  auto *row = new QHBoxLayout(toolbar);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(actions_);
  return toolbar;
}

Channel PatchDetailView::currentChannel() const {
  if (model_) {
    for (const Channel &channel : model_->channels())
      if (channel.number == channel_.number) return channel;
  }
  return channel_;
}

std::optional<FixtureControlState> PatchDetailView::channelState() const {
  if (!model_) return std::nullopt;
  return model_->fixtureControls().state(int(channel_.number));
}

bool PatchDetailView::isControllable() const {
  return model_ && model_->canControlFixtures() && model_->isFixtureControlReady();
}

FixtureControlModules::Inputs PatchDetailView::controlInputs(const Channel &channel) const {
  if (!model_)
    return {.channel = channel,
            .reportedFixtureLibraryVersion = std::nullopt,
            .canControl = false,
            .isViewerMode = false};
  return {.channel = channel,
          .reportedFixtureLibraryVersion = model_->eosFixtureLibraryVersion(),
          .canControl = isControllable(),
          .isViewerMode = model_->interactionMode() == InteractionMode::viewer};
}

qint64 PatchDetailView::displayedIntensity() const {
  return tarnik::displayedIntensity(channelState(), currentChannel());
}

void PatchDetailView::cancelAndResync() {
  flow_.cancel();
  flow_.resync();
}

void PatchDetailView::connectionDelivered(bool isConnected) {
  if (isConnected) return;
  cancelAndResync();
  redraw();
}

void PatchDetailView::hideEvent(QHideEvent *event) {
  // Taken off screen by the program (popped, replaced), not a minimised window.
  if (!event->spontaneous()) flow_.cancel();
  QWidget::hideEvent(event);
}

void PatchDetailView::followEvents() {
  if (lastDataRefresh_.changed(model_->lastDataRefresh())) model_->prepareLiveControls();
  const bool ready = model_->isFixtureControlReady();
  if (fixtureControlReady_.changed(ready)) {
    if (ready)
      model_->fixtureControls().requestParameters(int(channel_.number));
    else
      flow_.cancel();
  }
  const qint64 shown = displayedIntensity();
  if (displayed_.changed(shown)) flow_.follow(shown);
  const std::optional<FixtureControlState> state = channelState();
  std::optional<FixtureControlReadState> readState;
  if (state) readState = state->parameterReadState;
  if (parameterReadState_.changed(readState) && readState == FixtureControlReadState::loaded &&
      !flow_.isAdjusting() && !pendingIntensity(state))
    flow_.resync();
  const bool canControlFixtures = model_->canControlFixtures();
  if (canControlFixtures_.changed(canControlFixtures) && !canControlFixtures) cancelAndResync();
}

void PatchDetailView::redraw() {
  if (!model_) return;
  followEvents();
  const Channel channel = currentChannel();
  const std::optional<FixtureControlState> state = channelState();
  const bool viewer = model_->interactionMode() == InteractionMode::viewer;
  const bool ready = model_->isFixtureControlReady();
  const bool canControlFixtures = model_->canControlFixtures();
  const bool controllable = isControllable();

  summary_->showChannel(channel);
  liveControlsCard_->setVisible(!viewer && !ready);
  liveControlsStatus_->setText(model_->fixtureControlStatus());
  retryLiveControls_->setEnabled(canControlFixtures &&
                                 !(model_->hasLiveControlSession() && !ready));

  viewerNotice_->setVisible(viewer);
  if (viewer) {
    intensity_->hide();
  } else {
    intensity_->showState(intensityModuleChoice(state, channel, controllable), flow_.intensity(),
                          controllable, flow_.isAdjusting(), pendingIntensity(state).has_value());
  }

  controlModules_->setInputs(controlInputs(channel));
  address_->setChannel(channel);
  park_->setChannelNumber(channel.number);

  actions_->setVisible(!viewer);
  identify_->setEnabled(controllable);
  editPatch_->setEnabled(canControlFixtures);
}

}  // namespace tarnik
