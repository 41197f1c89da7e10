#include "screens/patch/ChannelSummaryModule.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/patch/ChannelSummaryTexts.h"
#include "screens/patch/FittedTextLabel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// The title and the metric values wrap onto two lines at most and shrink before they are
// cut, so a long label cannot grow the card without end.
constexpr int fittedLines = 2;
constexpr double fittedMinimumScale = 0.62;

QLabel *styled(QLabel *label, const QString &name, const QFont &font, const QColor &color) {
  label->setObjectName(name);
  label->setFont(font);
  Style::setTextColor(*label, color);
  return label;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QFont &font, const QColor &color) {
  QLabel *label = styled(plainLabel({}, {}, parent), name, font, color);
  label->setWordWrap(true);
  return label;
}

QLabel *makeFittedLabel(QWidget *parent, const QString &name, const QFont &font,
                        const QColor &color) {
  return styled(new FittedTextLabel(fittedLines, fittedMinimumScale, parent), name, font, color);
}

// One value over its caption; the value reads "-" when it is empty.
QVBoxLayout *metricColumn(QLabel *value, QLabel *caption) {
  auto *column = new QVBoxLayout;
  column->setSpacing(3);
  column->addWidget(value);
  column->addWidget(caption);
  return column;
}

void setMetricValue(QLabel &label, const QString &value) {
  label.setText(value.isEmpty() ? u"-"_s : value);
}

}  // namespace

ChannelSummaryModule::ChannelSummaryModule(QWidget *parent) : QWidget(parent) {
  const QFont base = font();
  const QFont valueFont = Style::scaledFont(base, 1.15, QFont::DemiBold);
  const QFont captionFont = Style::captionFont(base);
  title_ =
      makeFittedLabel(this, u"patch.channel.title"_s, Style::scaledFont(base, 2.1, QFont::Bold),
                      Style::dark(Style::Role::primaryText));
  // The description, the console's names for the fixture, keeps its size and takes the
  // lines it needs.
  description_ = styled(new FittedTextLabel(FittedTextLabel::anyLines, 1, this),
                        u"patch.channel.description"_s, Style::scaledFont(base, 1.3),
                        Style::dark(Style::Role::secondaryText));
  number_ = makeFittedLabel(this, u"patch.channel.number"_s, valueFont,
                            Style::dark(Style::Role::primaryText));
  footprint_ = makeFittedLabel(this, u"patch.channel.footprint"_s, valueFont,
                               Style::dark(Style::Role::primaryText));
  address_ = makeFittedLabel(this, u"patch.channel.address"_s, valueFont,
                             Style::dark(Style::Role::primaryText));
  addressLabel_ = makeLabel(this, u"patch.channel.addressLabel"_s, captionFont,
                            Style::dark(Style::Role::secondaryText));
  QLabel *numberCaption =
      makeLabel(this, QString(), captionFont, Style::dark(Style::Role::secondaryText));
  numberCaption->setText(u"Channel"_s);
  QLabel *footprintCaption =
      makeLabel(this, QString(), captionFont, Style::dark(Style::Role::secondaryText));
  footprintCaption->setText(u"Footprint"_s);

  auto *header = new QVBoxLayout;
  header->setSpacing(12);
  header->addWidget(title_);
  header->addWidget(description_);

  auto *pair = new QHBoxLayout;
  pair->setSpacing(16);
  pair->addLayout(metricColumn(number_, numberCaption), 1);
  pair->addLayout(metricColumn(footprint_, footprintCaption), 1);
  auto *divider = new QFrame(this);
  divider->setFixedHeight(1);
  divider->setStyleSheet(
      u"background: %1;"_s.arg(Style::whiteAt(40 / 255.0).name(QColor::HexArgb)));
  auto *metrics = new QVBoxLayout;
  metrics->setSpacing(14);
  metrics->addLayout(pair);
  metrics->addWidget(divider);
  metrics->addLayout(metricColumn(address_, addressLabel_));

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(16, 22, 16, 22);
  column->setSpacing(24);
  column->addLayout(header);
  column->addLayout(metrics);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ChannelSummaryModule::showChannel(const Channel &channel) {
  title_->setText(channelTitleText(channel));
  description_->setText(screenBoundedText(*description_, fixtureDescription(channel)));
  setMetricValue(*number_, QString::number(channel.number));
  setMetricValue(*footprint_, footprintSummary(channel));
  setMetricValue(*address_, addressSummary(channel));
  addressLabel_->setText(addressMetricLabel(channel));
}

void ChannelSummaryModule::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  Style::paintPanel(painter, rect(), 28, Style::dark(Style::Role::cardBackground));
}

}  // namespace tarnik
