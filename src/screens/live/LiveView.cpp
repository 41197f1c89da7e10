#include "screens/live/LiveView.h"

#include "app/AppViewModel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/live/KeyRowPanel.h"
#include "screens/live/MainKeypadPanel.h"
#include "screens/live/SoftKeyPanel.h"

#include <QVBoxLayout>

namespace tarnik {

namespace {

constexpr int columnSpacing = 5;

}  // namespace

LiveView::LiveView(AppViewModel &model, QWidget *parent) : QWidget(parent), model_(model) {
  const KeyPress press = [this](const std::optional<QString> &key, bool viewer) {
    pressKey(key, viewer);
  };
  softKeys_ = new SoftKeyPanel(press);
  keyRows_ = new KeyRowPanel(press);
  keypad_ = new MainKeypadPanel(press);

  QPalette ground = palette();
  ground.setColor(QPalette::Window, Qt::black);
  setPalette(ground);
  setAutoFillBackground(true);

  auto *column = new QVBoxLayout(this);
  column->setSpacing(columnSpacing);
  column->addWidget(softKeys_);
  column->addWidget(keyRows_);
  column->addWidget(keypad_);
  column->addStretch();

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(model_);
  refresh->redrawNow();
}

void LiveView::pressKey(const std::optional<QString> &key, bool viewer) {
  if (!key || viewer) return;
  model_.sendKey(*key);
}

void LiveView::redraw() {
  const bool viewer = model_.interactionMode() == InteractionMode::viewer;
  softKeys_->refresh(viewer, model_.softkeyLabels());
  keyRows_->refresh(viewer);
  keypad_->refresh(viewer);
}

}  // namespace tarnik
