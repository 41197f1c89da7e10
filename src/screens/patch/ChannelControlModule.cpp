#include "screens/patch/ChannelControlModule.h"

#include "screens/kit/Style.h"
#include "screens/patch/FixtureModuleCard.h"
#include "screens/patch/IntensityReadings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

ChannelControlModule::ChannelControlModule(LevelScrubber::Bindings bindings, QWidget *parent)
    : QWidget(parent) {
  auto *body = new QWidget;
  caption_ = new QLabel(body);
  caption_->setObjectName(u"patch.channel.intensityCaption"_s);
  caption_->setFont(Style::scaledFont(font(), 0.95));
  Style::setTextColor(*caption_, Style::dark(Style::Role::secondaryText));
  value_ = new QLabel(body);
  value_->setObjectName(u"patch.channel.intensityValue"_s);
  QFont valueFont = Style::scaledFont(font(), 1.3, QFont::Bold);
  valueFont.setStyleHint(QFont::Monospace);
  value_->setFont(valueFont);
  // Wide enough for "100%" from the start, so the level never clips while it grows.
  value_->setMinimumWidth(QFontMetrics(valueFont).horizontalAdvance(u"100%"_s));
  value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  scrubber_ = new LevelScrubber(std::move(bindings), body);
  scrubber_->setObjectName(u"patch.channel.scrubber"_s);

  auto *row = new QHBoxLayout;
  row->addWidget(caption_, 0, Qt::AlignBaseline);
  row->addStretch(1);
  row->addWidget(value_, 0, Qt::AlignBaseline);
  auto *column = new QVBoxLayout(body);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(14);
  column->addLayout(row);
  column->addWidget(scrubber_);

  auto *frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->addWidget(new FixtureModuleCard(u"Control"_s, body, this));
}

void ChannelControlModule::showState(double intensity, bool isConnected, bool isAdjusting,
                                     bool isAwaitingReadback) {
  caption_->setText(intensityCaption(isConnected, isAdjusting, isAwaitingReadback));
  value_->setText(intensityValueText(intensity));
  Style::setTextColor(*value_, isConnected ? Style::dark(Style::Role::success)
                                           : Style::dark(Style::Role::secondaryText));
  scrubber_->setEnabled(isConnected);
  scrubber_->update();
}

}  // namespace tarnik
