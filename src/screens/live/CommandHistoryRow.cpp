#include "screens/live/CommandHistoryRow.h"

#include "foundation/ReferenceDate.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/Style.h"
#include "screens/live/CommandHistoryPresentation.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

namespace {

constexpr int rowSpacing = 7;
constexpr int rowPadding = 3;
constexpr int badgeSpacing = 8;
constexpr int captionSize = 12;

Style::Role badgeRole(HistorySourceColor color) {
  switch (color) {
    case HistorySourceColor::blue:
      return Style::Role::accent;
    case HistorySourceColor::green:
      return Style::Role::success;
    case HistorySourceColor::orange:
      return Style::Role::warning;
    case HistorySourceColor::secondary:
      break;
  }
  return Style::Role::secondaryText;
}

QLabel *makeBadge(const QString &source, Style::Role role) {
  QLabel *badge = plainLabel(source, QStringLiteral("live.history.row.source"));
  QFont font = badge->font();
  font.setPixelSize(captionSize);
  font.setWeight(QFont::DemiBold);
  badge->setFont(font);
  // The capsule: filled with the source's colour, its text in the colour that reads on it (the
  // source's colour over a faint fill of itself cannot reach a readable contrast on the sheet's
  // grey), ends fully rounded.
  const int radius = (QFontMetrics(font).height() + 2 * rowPadding) / 2;
  badge->setStyleSheet(
      QStringLiteral("QLabel { color: %1; background-color: %2; border-radius: "
                     "%3px; padding: 3px 7px; }")
          .arg(Style::onColour(role, Style::Ground::light).name(), Style::light(role).name())
          .arg(radius));
  return badge;
}

}  // namespace

CommandHistoryRow::CommandHistoryRow(const CommandHistoryEntry &entry, QWidget *parent)
    : QWidget(parent), entry_(entry) {
  setObjectName(QStringLiteral("live.history.row"));
  auto *text = new SelectableWrappedLabel(entry.text);
  text->setObjectName(QStringLiteral("live.history.row.text"));
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  QLabel *badge =
      makeBadge(entry.source, badgeRole(CommandHistoryPresentation::sourceColor(entry.source)));
  const QString timeText = diagnosticsTimestampText(dateTimeFromReferenceSeconds(entry.timestamp));
  QLabel *time = plainLabel(timeText, QStringLiteral("live.history.row.time"));
  QFont caption = time->font();
  caption.setPixelSize(captionSize);
  time->setFont(caption);
  time->setForegroundRole(QPalette::PlaceholderText);

  auto *sourceAndTime = new QHBoxLayout;
  sourceAndTime->setSpacing(badgeSpacing);
  sourceAndTime->addWidget(badge);
  sourceAndTime->addWidget(time);
  sourceAndTime->addStretch();
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, rowPadding, 0, rowPadding);
  column->setSpacing(rowSpacing);
  column->addWidget(text);
  column->addLayout(sourceAndTime);
  setAccessibleName(QStringList{entry.text, entry.source, timeText}.join(QStringLiteral(", ")));
}

}  // namespace tarnik
