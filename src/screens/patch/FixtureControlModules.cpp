#include "screens/patch/FixtureControlModules.h"

#include "model/catalog/FixtureParameterCatalogStore.h"
#include "operations/ColorCommandThrottler.h"
#include "operations/FixtureControlStore.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/patch/FixtureColorModule.h"
#include "screens/patch/FixtureParametersModule.h"

#include <QVBoxLayout>

namespace tarnik {

FixtureControlModules::FixtureControlModules(FixtureControlStore &store,
                                             FixtureParameterCatalogStore &parameterCatalog,
                                             CatalogResourceLocator bundle, CardFrame cardFrame,
                                             Inputs inputs, KeyedTaskExecutor &executor,
                                             QWidget *parent)
    : QWidget(parent),
      store_(store),
      cardFrame_(std::move(cardFrame)),
      inputs_(std::move(inputs)),
      refresh_(new ScreenRefresh(this, [this] { redraw(); })),
      parameters_(new FixtureParametersModule(
          parameterCatalog, std::move(bundle), [this] { requestParameters(); }, executor)),
      parametersCard_(cardFrame_ ? cardFrame_(FixtureParametersModule::title(), parameters_)
                                 : parameters_),
      lastSessionID_(store.sessionID()),
      lastShowIdentity_(store.showIdentity()) {
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(parametersCard_);
  // Published setters announce repeats as well; only a change to a present value asks. The
  // store announces a new session before its show and before it clears its states, so the
  // question waits for the next turn, when the whole change has landed; asked at once, the
  // reading would go out without a show or be wiped with the old states.
  connect(&store_, &FixtureControlStore::sessionIDChanged, this,
          &FixtureControlModules::sessionMayHaveChanged, Qt::QueuedConnection);
  connect(&store_, &FixtureControlStore::showIdentityChanged, this,
          &FixtureControlModules::sessionMayHaveChanged, Qt::QueuedConnection);
  refresh_->observe(store_);
  refresh_->observe(parameterCatalog);
  refresh_->redrawNow();
}

void FixtureControlModules::setInputs(Inputs inputs) {
  const bool channelChanged = inputs.channel.number != inputs_.channel.number;
  inputs_ = std::move(inputs);
  if (channelChanged && shown_) requestParameters();
  redraw();
}

void FixtureControlModules::observe(const ObservableObject &object) { refresh_->observe(object); }

void FixtureControlModules::setColorThrottlerMaker(
    std::function<std::unique_ptr<ColorCommandThrottler>()> maker) {
  makeColorThrottler_ = std::move(maker);
}

void FixtureControlModules::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (std::exchange(shown_, true)) return;
  requestParameters();
}

void FixtureControlModules::requestParameters() {
  store_.requestParameters(int(inputs_.channel.number));
}

void FixtureControlModules::sessionMayHaveChanged() {
  const std::optional<QUuid> sessionID = store_.sessionID();
  const std::optional<QString> showIdentity = store_.showIdentity();
  const bool newSession = sessionID != lastSessionID_ && sessionID.has_value();
  const bool newShow =
      showIdentity != lastShowIdentity_ && showIdentity && !showIdentity->isEmpty();
  lastSessionID_ = sessionID;
  lastShowIdentity_ = showIdentity;
  if (shown_ && (newSession || newShow)) requestParameters();
}

void FixtureControlModules::redraw() {
  const std::optional<FixtureControlState> state = store_.state(int(inputs_.channel.number));
  showColorCard(state);
  // A console that reported an empty list has nothing to show; every other case says why.
  parametersCard_->setVisible(!(state &&
                                state->parameterReadState == FixtureControlReadState::loaded &&
                                state->parameters.empty()));
  parameters_->setInputs({state, inputs_.channel, store_.sessionID(), store_.showIdentity(),
                          inputs_.reportedFixtureLibraryVersion, inputs_.canControl});
}

void FixtureControlModules::showColorCard(const std::optional<FixtureControlState> &state) {
  const bool hasColor = state && state->hasAdjustableColorEmitters();
  // A card made for another channel starts afresh rather than carry that channel's edit.
  if (colorModule_ && (!hasColor || colorModule_->controller().state().channel != state->channel))
    dropColorCard();
  if (!hasColor) return;
  const bool canControl = inputs_.canControl && !inputs_.isViewerMode;
  if (colorModule_) {
    colorModule_->setInputs(*state, canControl);
    return;
  }
  colorModule_ = new FixtureColorModule(store_, *state, canControl,
                                        makeColorThrottler_ ? makeColorThrottler_() : nullptr);
  colorCard_ = cardFrame_ ? cardFrame_(FixtureColorModule::title(), colorModule_) : colorModule_;
  static_cast<QVBoxLayout *>(layout())->insertWidget(0, colorCard_);
}

void FixtureControlModules::dropColorCard() {
  colorModule_->cancel();
  // Hidden at once, deleted once the event that led here is done with it.
  colorCard_->hide();
  colorCard_->deleteLater();
  colorModule_ = nullptr;
  colorCard_ = nullptr;
}

}  // namespace tarnik
