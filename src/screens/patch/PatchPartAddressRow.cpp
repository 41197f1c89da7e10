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
  // The address and the intensity slot may hold the console's own text.
  const auto addLine = [&](const QString &text, Style style, Tone tone, bool semibold,
                           bool reported = false, bool digits = false) {
    QLabel *label = cardLine(text, reported, this);
    styleCardLabel(*label, style, tone, semibold, digits);
    lines->addWidget(label);
  };
  if (showPartNumber)
    addLine(u"Part "_s + QString::number(part.partNumber), Style::subheadline, Tone::primary, true);
  addLine(partAddressText(part), Style::subheadline, Tone::primary, false, true, true);
  addLine(partFootprintText(part), Style::caption, Tone::secondary, false);
  if (const auto intensity = partIntensityText(part))
    addLine(*intensity, Style::caption, Tone::secondary, false, true);
  if (const auto span = partSpanSentence(part))
    addLine(*span, Style::caption, Tone::tertiary, false);
  setAccessibleName(partAddressRowLines(part, showPartNumber).join(u", "_s));
}

}  // namespace tarnik
