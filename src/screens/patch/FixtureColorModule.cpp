#include "screens/patch/FixtureColorModule.h"

#include "screens/kit/Style.h"
#include "screens/patch/ColorSliderTrack.h"
#include "screens/patch/ColorValueSlider.h"
#include "screens/patch/FixtureColorWheel.h"
#include "screens/patch/PatchNoteLabel.h"

#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureColorModule::FixtureColorModule(FixtureControlStore &store, FixtureControlState state,
                                       bool canControl,
                                       std::unique_ptr<ColorCommandThrottler> commands,
                                       QWidget *parent)
    : QWidget(parent),
      controller_(store, std::move(state), canControl, std::move(commands)),
      wheel_(new FixtureColorWheel(
          {.color = [this] { return controller_.color(); },
           .setColor = [this](FixtureColorValue color) { controller_.setColor(color); }},
          this)),
      status_(new QLabel(this)),
      notice_(new PatchNoteLabel(u"fixture.color.notice"_s, this)),
      read_(new QPushButton(u"Read Color from Eos"_s, this)),
      hue_(new ColorValueSlider(u"Hue"_s, 360, u"°"_s, u"fixture.color.hue"_s, this)),
      saturation_(
          new ColorValueSlider(u"Saturation"_s, 100, u"%"_s, u"fixture.color.saturation"_s, this)) {
  wheel_->setObjectName(u"fixture.color.wheel"_s);
  wheel_->setMaximumWidth(260);
  status_->setObjectName(u"fixture.color.status"_s);
  status_->setFont(Style::scaledFont(font(), 0.9));
  Style::setTextColor(*status_, Style::dark(Style::Role::secondaryText));
  read_->setObjectName(u"fixture.color.read"_s);

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(16);
  // Held to the top of its row: however the rows below change, the disc stays under the
  // pointer.
  column->addWidget(wheel_, 0, Qt::AlignHCenter | Qt::AlignTop);
  column->addWidget(status_, 0, Qt::AlignHCenter);
  column->addWidget(notice_);
  column->addWidget(read_, 0, Qt::AlignLeft);
  column->addWidget(hue_);
  column->addWidget(saturation_);

  // Every report runs one operation of the controller, then the card shows the outcome.
  const auto then = [this](auto operation) {
    return [this, operation](auto... values) {
      operation(values...);
      render();
    };
  };
  connect(wheel_, &FixtureColorWheel::started, this, then([this] { controller_.begin(); }));
  connect(wheel_, &FixtureColorWheel::changed, this, then([this](double hue, double saturation) {
            controller_.submit({hue, saturation});
          }));
  connect(wheel_, &FixtureColorWheel::committed, this, then([this](double hue, double saturation) {
            controller_.commit({hue, saturation});
          }));
  connect(read_, &QPushButton::clicked, this, [this] { controller_.readColor(); });
  // A slider's value replaces its half of the colour; the other half stays as shown.
  const auto withHue = [this](double hue) {
    return FixtureColorValue{hue, controller_.color().saturation};
  };
  const auto withSaturation = [this](double saturation) {
    return FixtureColorValue{controller_.color().hue, saturation};
  };
  for (auto [slider, replaced] :
       {std::pair{hue_, std::function<FixtureColorValue(double)>(withHue)},
        std::pair{saturation_, std::function<FixtureColorValue(double)>(withSaturation)}}) {
    connect(slider, &ColorValueSlider::begun, this, then([this] { controller_.begin(); }));
    // Only an adjustment under way takes the slider's value: a slider let go because it was
    // disabled must not put back a colour the cancel just replaced.
    connect(slider, &ColorValueSlider::updated, this, then([this, replaced](double value) {
              if (controller_.isEditing()) controller_.setColor(replaced(value));
              controller_.submit(controller_.color());
            }));
    connect(slider, &ColorValueSlider::ended, this, then([this, replaced](double value) {
              if (controller_.isEditing()) controller_.setColor(replaced(value));
              controller_.commit(controller_.color());
            }));
    connect(slider, &ColorValueSlider::stepped, this,
            then([this, replaced](double value) { controller_.step(replaced(value)); }));
  }
  render();
}

FixtureColorModule::~FixtureColorModule() { controller_.cancel(); }

QString FixtureColorModule::title() { return u"Color"_s; }

void FixtureColorModule::setInputs(FixtureControlState state, bool canControl) {
  controller_.setInputs(std::move(state), canControl);
  render();
}

void FixtureColorModule::cancel() {
  controller_.cancel();
  render();
}

void FixtureColorModule::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  controller_.resync();
  render();
}

void FixtureColorModule::hideEvent(QHideEvent *event) {
  // Taken off screen by the program, not a minimised window.
  if (!event->spontaneous()) cancel();
  QWidget::hideEvent(event);
}

void FixtureColorModule::render() {
  const bool active = controller_.isActive();
  const FixtureColorValue color = controller_.color();
  wheel_->setEnabled(active);
  wheel_->update();
  hue_->setEnabled(active);
  saturation_->setEnabled(active);
  hue_->showValue(color.hue);
  saturation_->showValue(color.saturation);
  status_->setText(controller_.statusText());
  const std::optional<FixtureColorController::Notice> notice = controller_.notice();
  notice_->setVisible(notice.has_value());
  read_->setVisible(notice && notice->offersRead);
  if (notice)
    notice_->setNote(u"info.circle"_s, notice->text, Style::dark(Style::Role::secondaryText));
}

}  // namespace tarnik
