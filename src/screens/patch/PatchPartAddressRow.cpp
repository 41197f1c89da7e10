#include "screens/patch/PatchPartAddressRow.h"

#include "screens/patch/ChannelCardText.h"
#include "screens/patch/PatchPartAddressRowTexts.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

PatchPartAddressRow::PatchPartAddressRow(const EosPatchPart &part, bool showPartNumber,
                                         QWidget *parent)
    : QWidget(parent) {
  using Style = ChannelCardTextStyle;
  using Tone = ChannelCardTextTone;
  auto *lines = new QVBoxLayout(this);
  lines->setContentsMargins(0, 0, 0, 0);
  lines->setSpacing(4);
  const auto addLine = [&](const QString &text, Style style, Tone tone, bool semibold,
                           bool digits = false) {
    auto *label = new QLabel(text, this);
    styleCardLabel(*label, style, tone, semibold, digits);
    label->setWordWrap(true);
    lines->addWidget(label);
  };
  if (showPartNumber)
    addLine(u"Part "_s + QString::number(part.partNumber), Style::subheadline, Tone::primary, true);
  addLine(partAddressText(part), Style::subheadline, Tone::primary, false, true);
  addLine(partFootprintText(part), Style::caption, Tone::secondary, false);
  if (const auto intensity = partIntensityText(part))
    addLine(*intensity, Style::caption, Tone::secondary, false);
  if (const auto span = partSpanSentence(part))
    addLine(*span, Style::caption, Tone::tertiary, false);
  setAccessibleName(partAddressRowLines(part, showPartNumber).join(u", "_s));
}

}  // namespace tarnik
