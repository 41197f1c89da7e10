#pragma once

class QLabel;
class QString;
class QWidget;

namespace tarnik {

// The text styles the channel cards share, sized from the application's font and coloured
// from the label's own palette, so they read on whatever page holds the cards.
enum class ChannelCardTextStyle { subheadline, caption, caption2 };
enum class ChannelCardTextTone { primary, secondary, tertiary };

// Sets the label's font, weight and tone; a label of plain text only, since its text may
// come from the console.
void styleCardLabel(QLabel &label, ChannelCardTextStyle style,
                    ChannelCardTextTone tone = ChannelCardTextTone::primary, bool semibold = false,
                    bool fixedWidthDigits = false);

// A line of a card that wraps at the card's width onto the lines it needs. A text as the
// console reported it also breaks inside a word wider than the card, and a 64 KB one is shown
// no further than `screenBoundedText` gives, ended in "…".
QLabel *cardLine(const QString &text, bool reported, QWidget *parent);

}  // namespace tarnik
