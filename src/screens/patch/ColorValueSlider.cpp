#include "screens/patch/ColorValueSlider.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/patch/ColorSliderTrack.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

ColorValueSlider::ColorValueSlider(const QString &title, double maximum, const QString &suffix,
                                   const QString &name, QWidget *parent)
    : QWidget(parent),
      track_(new ColorSliderTrack(maximum, suffix, this)),
      value_(new QLabel(this)) {
  setObjectName(name);
  QLabel *heading = plainLabel(title, {}, this);
  heading->setFont(Style::scaledFont(font(), 0.95));
  Style::setTextColor(*heading, Style::dark(Style::Role::secondaryText));
  value_->setObjectName(name + u".value"_s);
  QFont digits = Style::scaledFont(font(), 0.95, QFont::DemiBold);
  digits.setStyleHint(QFont::Monospace);
  value_->setFont(digits);
  Style::setTextColor(*value_, Style::dark(Style::Role::primaryText));
  track_->setObjectName(name + u".slider"_s);
  track_->setAccessibleName(title);
  QPalette tint = track_->palette();
  tint.setColor(QPalette::Active, QPalette::Highlight, Style::dark(Style::Role::success));
  tint.setColor(QPalette::Inactive, QPalette::Highlight, Style::dark(Style::Role::success));
  track_->setPalette(tint);

  auto *row = new QHBoxLayout;
  row->addWidget(heading, 0, Qt::AlignVCenter);
  row->addStretch(1);
  row->addWidget(value_, 0, Qt::AlignVCenter);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  column->addLayout(row);
  column->addWidget(track_);

  connect(track_, &QSlider::sliderPressed, this, &ColorValueSlider::begun);
  connect(track_, &QSlider::valueChanged, this, [this] {
    showText();
    if (track_->isSliderDown()) emit updated(track_->shownValue());
  });
  connect(track_, &QSlider::sliderReleased, this, [this] { emit ended(track_->shownValue()); });
  // Keys, the mouse wheel and assistive tools move the value without pressing the handle;
  // the position they reach is known here, before the slider takes it as its value.
  connect(track_, &QSlider::actionTriggered, this, [this] {
    if (!track_->isSliderDown())
      emit stepped(double(track_->sliderPosition()) / ColorSliderTrack::scale);
  });
  showText();
}

void ColorValueSlider::showValue(double value) {
  track_->showValue(value);
  showText();
}

void ColorValueSlider::showText() { value_->setText(track_->valueText()); }

}  // namespace tarnik
