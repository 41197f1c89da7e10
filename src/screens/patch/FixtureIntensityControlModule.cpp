#include "screens/patch/FixtureIntensityControlModule.h"

#include "screens/kit/Style.h"
#include "screens/patch/ChannelControlModule.h"
#include "screens/patch/FixtureModuleCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QWidget *checkingCard(QWidget *parent) {
  auto *body = new QWidget;
  auto *busy = new QProgressBar(body);
  busy->setRange(0, 0);  // indeterminate
  busy->setTextVisible(false);
  busy->setFixedSize(48, 8);
  auto *text = new QLabel(u"Checking fixture intensity capability…"_s, body);
  text->setObjectName(u"patch.channel.checkingCapability"_s);
  text->setFont(Style::scaledFont(text->font(), 0.95));
  Style::setTextColor(*text, Style::dark(Style::Role::secondaryText));
  auto *row = new QHBoxLayout(body);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(10);
  row->addWidget(busy, 0, Qt::AlignVCenter);
  row->addWidget(text, 1, Qt::AlignVCenter);
  return new FixtureModuleCard(u"Control"_s, body, parent);
}

}  // namespace

FixtureIntensityControlModule::FixtureIntensityControlModule(LevelScrubber::Bindings bindings,
                                                             QWidget *parent)
    : QWidget(parent),
      control_(new ChannelControlModule(std::move(bindings), this)),
      checking_(checkingCard(this)) {
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(control_);
  column->addWidget(checking_);
}

LevelScrubber *FixtureIntensityControlModule::scrubber() const { return control_->scrubber(); }

void FixtureIntensityControlModule::showState(IntensityModuleChoice choice, double intensity,
                                              bool canControl, bool isAdjusting,
                                              bool isAwaitingReadback) {
  using Choice = IntensityModuleChoice;
  const bool showsControl = choice == Choice::control || choice == Choice::cachedDimmer;
  if (choice == Choice::control)
    control_->showState(intensity, canControl, isAdjusting, isAwaitingReadback);
  else if (choice == Choice::cachedDimmer)
    control_->showState(intensity, false, isAdjusting, false);
  // A hidden scrubber ends its drag: disabling it cancels, so no drag outlives the card.
  if (!showsControl) control_->scrubber()->setEnabled(false);
  control_->setVisible(showsControl);
  checking_->setVisible(choice == Choice::checking);
  setVisible(choice != Choice::none);
}

}  // namespace tarnik
