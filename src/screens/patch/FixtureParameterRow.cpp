#include "screens/patch/FixtureParameterRow.h"

#include "screens/patch/ChannelCardText.h"
#include "screens/patch/ParameterValueText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

FixtureParameterRow::FixtureParameterRow(
    const FixtureControlParameter &parameter,
    const std::optional<QList<FixtureParameterPartDMX>> &partDMX, bool isResolvingDMX,
    const QLocale &locale, QWidget *parent)
    : QWidget(parent) {
  using Style = ChannelCardTextStyle;
  using Tone = ChannelCardTextTone;
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);
  auto *column = new QVBoxLayout;
  column->setSpacing(3);
  // The parameter's name is the console's own text.
  const auto addLine = [&](const QString &text, Style style, Tone tone, bool semibold,
                           bool reported, bool digits) {
    QLabel *label = cardLine(text, reported, this);
    styleCardLabel(*label, style, tone, semibold, digits);
    column->addWidget(label);
  };
  addLine(parameter.name, Style::subheadline, Tone::primary, true, true, false);
  addLine(parameterRangeText(parameter, locale), Style::caption, Tone::secondary, false, false,
          false);
  for (const QString &line : parameterDMXLines(partDMX, isResolvingDMX))
    addLine(line, Style::caption, Tone::secondary, false, false, true);
  row->addLayout(column, 1);
  row->addSpacing(12);
  auto *value = new QLabel(formatParameterNumber(parameter.value, locale), this);
  styleCardLabel(*value, Style::subheadline, Tone::primary, true, true);
  value->setAlignment(Qt::AlignRight | Qt::AlignTop);
  row->addWidget(value, 0, Qt::AlignTop);
  setAccessibleName(parameterAccessibleSentence(parameter, partDMX, isResolvingDMX, locale));
}

}  // namespace tarnik
