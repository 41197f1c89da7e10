#include "screens/live/CueRowDelegate.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace tarnik {

namespace {

using RowKind = CueListModel::RowKind;

constexpr int rowInset = 16;        // left and right, as list rows are inset
constexpr int cuePadding = 5;       // above and below a cue's two lines
constexpr int cueLineSpacing = 5;   // between the title and the label
constexpr int badgeGap = 6;         // from the title to the "Active" capsule
constexpr int badgeHorizontal = 6;  // inside the capsule
constexpr int badgeVertical = 2;
constexpr int dividerPadding = 8;   // above and below a breaker's title
constexpr int dividerSpacing = 10;  // between the title and each rule
constexpr int dividerMinimumRule = 12;
constexpr int dividerLines = 2;
constexpr int titleHeaderPadding = 6;

// Breakers stand on a dark band: the design draws them in white, which no light list
// background would show.
const QColor dividerBand = Style::dark(Style::Role::cardBackground);
const QColor dividerText = Style::dark(Style::Role::primaryText);

RowKind rowKind(const QModelIndex &index) {
  return static_cast<RowKind>(index.data(CueListModel::KindRole).toInt());
}

// A label shown on one line: its line breaks read as blanks.
QString oneLine(QString text) {
  for (QChar &c : text) {
    if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      c = u' ';
  }
  return text;
}

QString activeBadgeText() { return QCoreApplication::translate("CueRow", "Active"); }

int cueRowHeight(const QFont &base) {
  return 2 * cuePadding + QFontMetrics(cueFont(base, CueTextStyle::headline)).height() +
         cueLineSpacing + QFontMetrics(cueFont(base, CueTextStyle::subheadline)).height();
}

int dividerTitleWidth(int rowWidth) {
  return std::max(1, rowWidth - 2 * rowInset - 2 * (dividerSpacing + dividerMinimumRule));
}

FittedText dividerTitle(const QString &title, const QFont &base, int rowWidth) {
  // The box is as tall as any number of lines: the line limit alone cuts the title.
  return fitText(title, cueFont(base, CueTextStyle::caption, true),
                 QSizeF(dividerTitleWidth(rowWidth), QWIDGETSIZE_MAX), dividerLines, 1.0);
}

int titleBlockHeight(const FittedText &title) {
  const QFontMetrics metrics(title.font);
  const int lines = std::max<int>(1, static_cast<int>(title.lines.size()));
  return metrics.height() + (lines - 1) * metrics.lineSpacing();
}

void paintCueRow(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) {
  const bool selected = option.state & QStyle::State_Selected;
  const QRect content = option.rect.adjusted(rowInset, cuePadding, -rowInset, -cuePadding);
  const QFont titleFont = cueFont(option.font, CueTextStyle::headline);
  const QFontMetrics titleMetrics(titleFont);
  const QRect titleLine(content.left(), content.top(), content.width(), titleMetrics.height());

  const bool active = index.data(CueListModel::IsActiveRole).toBool();
  const QFont badgeFont = cueFont(option.font, CueTextStyle::caption2, true);
  const QFontMetrics badgeMetrics(badgeFont);
  const QString badge = activeBadgeText();
  const int badgeWidth = active ? badgeMetrics.horizontalAdvance(badge) + 2 * badgeHorizontal : 0;

  const int titleRoom = std::max(0, titleLine.width() - (active ? badgeGap + badgeWidth : 0));
  const QString title =
      elidedLine(titleMetrics, oneLine(index.data(Qt::DisplayRole).toString()), titleRoom);
  painter.setFont(titleFont);
  painter.setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);

  if (active) {
    const int badgeHeight = badgeMetrics.height() + 2 * badgeVertical;
    const QRectF capsule(titleLine.left() + titleMetrics.horizontalAdvance(title) + badgeGap,
                         titleLine.center().y() - badgeHeight / 2.0, badgeWidth, badgeHeight);
    // A faint green capsule vanishes into the selection's blue: on the selected row (the one
    // a person fires from) the capsule takes the ground's colour so the green still reads.
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected ? Style::light(Style::Role::ground)
                              : Style::tint(Style::Role::success, Style::Ground::light,
                                            Style::badgeFillOpacity));
    painter.drawRoundedRect(capsule, badgeHeight / 2.0, badgeHeight / 2.0);
    painter.setFont(badgeFont);
    painter.setPen(Style::light(Style::Role::success));
    painter.drawText(capsule, Qt::AlignCenter | Qt::TextSingleLine, badge);
  }

  const QFont labelFont = cueFont(option.font, CueTextStyle::subheadline);
  const QFontMetrics labelMetrics(labelFont);
  const QRect labelLine(content.left(), titleLine.bottom() + 1 + cueLineSpacing, content.width(),
                        labelMetrics.height());
  painter.setFont(labelFont);
  painter.setPen(
      option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
  painter.drawText(
      labelLine, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
      elidedLine(labelMetrics, oneLine(index.data(CueListModel::LabelTextRole).toString()),
                 labelLine.width()));
}

void paintDivider(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) {
  painter.fillRect(option.rect, dividerBand);
  const FittedText title =
      dividerTitle(index.data(Qt::DisplayRole).toString(), option.font, option.rect.width());
  const QFontMetrics metrics(title.font);
  int titleWidth = 0;
  for (const QString &line : title.lines)
    titleWidth = std::max(titleWidth, metrics.horizontalAdvance(line));
  const QRect content = option.rect.adjusted(rowInset, dividerPadding, -rowInset, -dividerPadding);
  const int titleLeft = content.left() + (content.width() - titleWidth) / 2;
  const int middle = content.center().y();

  QColor rule = dividerText;
  rule.setAlphaF(0.42f);
  if (titleLeft - dividerSpacing > content.left())
    painter.fillRect(QRect(content.left(), middle, titleLeft - dividerSpacing - content.left(), 1),
                     rule);
  const int titleRight = titleLeft + titleWidth;
  if (content.right() > titleRight + dividerSpacing)
    painter.fillRect(QRect(titleRight + dividerSpacing, middle,
                           content.right() - titleRight - dividerSpacing, 1),
                     rule);

  painter.setFont(title.font);
  painter.setPen(dividerText);
  int top = content.top() + (content.height() - titleBlockHeight(title)) / 2;
  for (const QString &line : title.lines) {
    // The accents of capitals rise above the line's box: clipped to it, 'Ä' would read 'A'.
    painter.drawText(QRect(titleLeft, top, titleWidth, metrics.height()),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     line);
    top += metrics.lineSpacing();
  }
}

void paintCueListTitle(QPainter &painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) {
  painter.setFont(cueFont(option.font, CueTextStyle::caption, true));
  painter.setPen(option.palette.color(QPalette::PlaceholderText));
  painter.drawText(option.rect.adjusted(rowInset, titleHeaderPadding, -rowInset, 0),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   index.data(Qt::DisplayRole).toString());
}

}  // namespace

void CueRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const {
  painter->save();
  // A letter under a pile of combining marks reaches far above its line: it stays in its row.
  painter->setClipRect(option.rect, Qt::IntersectClip);
  painter->setRenderHint(QPainter::Antialiasing);
  switch (rowKind(index)) {
    case RowKind::cue: {
      // The style's own selection and hover look, under the row's texts.
      QStyleOptionViewItem panel = option;
      initStyleOption(&panel, index);
      const QWidget *widget = option.widget;
      QStyle *style = widget ? widget->style() : QApplication::style();
      style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);
      paintCueRow(*painter, option, index);
      break;
    }
    case RowKind::sceneBreak:
      paintDivider(*painter, option, index);
      break;
    case RowKind::cueListTitle:
      paintCueListTitle(*painter, option, index);
      break;
  }
  painter->restore();
}

QSize CueRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
  // A list view asks before it has placed the row, so the breaker's wrap width is the
  // viewport's.
  int width = option.rect.width();
  if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget); view && width <= 0)
    width = view->viewport()->width();
  switch (rowKind(index)) {
    case RowKind::cue:
      return {width, cueRowHeight(option.font)};
    case RowKind::sceneBreak: {
      const FittedText title = dividerTitle(index.data(Qt::DisplayRole).toString(), option.font,
                                            width > 0 ? width : 320);
      return {width, 2 * dividerPadding + titleBlockHeight(title)};
    }
    case RowKind::cueListTitle:
      return {width, titleHeaderPadding +
                         QFontMetrics(cueFont(option.font, CueTextStyle::caption, true)).height() +
                         titleHeaderPadding};
  }
  return {};
}

}  // namespace tarnik
