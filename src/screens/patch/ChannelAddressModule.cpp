#include "screens/patch/ChannelAddressModule.h"

#include "screens/patch/ChannelCardText.h"
#include "screens/patch/PatchPartAddressRow.h"
#include "screens/patch/PatchPartAddressRowTexts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

ChannelAddressModule::ChannelAddressModule(const Channel &channel, QWidget *parent)
    : QWidget(parent), column_(new QVBoxLayout(this)) {
  column_->setContentsMargins(0, 0, 0, 0);
  column_->setSpacing(0);
  setChannel(channel);
}

void ChannelAddressModule::setChannel(const Channel &channel) {
  if (shown_ == channel) return;
  shown_ = channel;
  while (QLayoutItem *item = column_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  addLabelledRow(u"Protocol"_s, channelProtocolText(channel), u"fixture.address.protocol"_s);
  addDivider();
  addLabelledRow(u"sACN priority"_s, QString::number(channel.sacnPriority),
                 u"fixture.address.sacnPriority"_s);
  const QList<EosPatchPart> parts = displayedAddressParts(channel);
  for (qsizetype index = 0; index < parts.size(); ++index) {
    addDivider();
    auto *row = new PatchPartAddressRow(parts[index], parts.size() >= 2, this);
    row->setObjectName(u"fixture.address.part."_s + QString::number(index + 1));
    column_->addWidget(row);
  }
}

void ChannelAddressModule::addLabelledRow(const QString &name, const QString &value,
                                          const QString &objectName) {
  auto *row = new QWidget(this);
  auto *layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto *nameLabel = new QLabel(name, row);
  auto *valueLabel = new QLabel(value, row);
  styleCardLabel(*nameLabel, ChannelCardTextStyle::subheadline);
  styleCardLabel(*valueLabel, ChannelCardTextStyle::subheadline, ChannelCardTextTone::secondary);
  valueLabel->setObjectName(objectName);
  layout->addWidget(nameLabel);
  layout->addStretch(1);
  layout->addWidget(valueLabel);
  row->setAccessibleName(name + u", "_s + value);
  column_->addWidget(row);
}

void ChannelAddressModule::addDivider() {
  column_->addSpacing(10);
  auto *line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setEnabled(false);
  column_->addWidget(line);
  column_->addSpacing(10);
}

}  // namespace tarnik
