#include "screens/patch/PatchRowDelegate.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchRowTexts.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr int verticalPadding = 5;
constexpr int horizontalInset = 12;
constexpr int gap = 12;
constexpr int badgeWidth = 52;
constexpr int addressColumnMinimumWidth = 112;
constexpr int nameLineSpacing = 5;
constexpr int addressLineSpacing = 3;
constexpr int markerGap = 5;
const QColor rowBlue = Style::light(Style::Role::accent);
const QColor markerOrange = Style::light(Style::Role::warning);

// The row's type sizes, relative to the list's own font.
struct RowFonts {
  explicit RowFonts(const QFont &base)
      : headline(Style::scaledFont(base, 1.0, QFont::Bold)),
        subheadline(Style::faceFont(base, Style::rowSubheadline)),
        caption(Style::scaledFont(base, 0.85, QFont::DemiBold)),
        smallCaption(Style::faceFont(base, Style::rowSmallCaption)) {}

  QFont headline;
  QFont subheadline;
  QFont caption;
  QFont smallCaption;
};

int lineHeight(const QFont &font) { return QFontMetrics(font).height(); }

// One line of text, cut with "…" when it does not fit.
void drawElided(QPainter &painter, const QRect &rect, const QString &text,
                Qt::Alignment alignment) {
  const QString shown = elidedLine(painter.fontMetrics(), text, rect.width());
  painter.drawText(rect, int(alignment) | Qt::TextSingleLine, shown);
}

}  // namespace

QSize PatchRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
  const RowFonts fonts(option.font);
  const int name = lineHeight(fonts.headline) + nameLineSpacing + lineHeight(fonts.caption);
  const int badge = lineHeight(fonts.subheadline) + lineHeight(fonts.smallCaption) + 12;
  const int address =
      lineHeight(fonts.subheadline) + addressLineSpacing + lineHeight(fonts.smallCaption);
  return {badgeWidth + addressColumnMinimumWidth + 3 * gap + 2 * horizontalInset,
          std::max({name, badge, address}) + 2 * verticalPadding};
}

void PatchRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
  const auto *rows = qobject_cast<const PatchListModel *>(index.model());
  if (!rows) return;
  const Channel &channel = rows->channel(index.row());
  const bool parked = rows->isParked(index.row());

  // The style's own row background: hover and selection as every list shows them.
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  const QWidget *widget = option.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

  const bool selected = option.state & QStyle::State_Selected;
  const QPalette &palette = option.palette;
  const QColor primary = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  const QColor secondary = selected ? palette.color(QPalette::HighlightedText)
                                    : palette.color(QPalette::PlaceholderText);
  const QColor accent = selected ? primary : rowBlue;
  const RowFonts fonts(option.font);
  const QRect content =
      option.rect.adjusted(horizontalInset, verticalPadding, -horizontalInset, -verticalPadding);

  painter->save();
  // A letter under a pile of combining marks reaches far above its line: it stays in its row.
  painter->setClipRect(option.rect, Qt::IntersectClip);
  painter->setRenderHint(QPainter::Antialiasing);

  // The channel badge: the number over "Chan" on a pale blue rounded square, a darker one on
  // the selected row.
  const QRect badge(content.left(), content.top(), badgeWidth, content.height());
  QPainterPath badgeShape;
  badgeShape.addRoundedRect(badge, 8, 8);
  painter->fillPath(badgeShape, Style::rowBadgeWash(selected));
  const int numberHeight = lineHeight(fonts.subheadline);
  const int chanHeight = lineHeight(fonts.smallCaption);
  const int badgeTop = badge.top() + (badge.height() - numberHeight - chanHeight) / 2;
  painter->setPen(primary);
  painter->setFont(fonts.subheadline);
  paintFittedText(*painter, QRectF(badge.left() + 4, badgeTop, badge.width() - 8, numberHeight),
                  QString::number(channel.number), 1, 0.7);
  painter->setPen(secondary);
  painter->setFont(fonts.smallCaption);
  painter->drawText(QRect(badge.left(), badgeTop + numberHeight, badge.width(), chanHeight),
                    Qt::AlignCenter | Qt::TextSingleLine, u"Chan"_s);

  // The address column: as wide as its texts need, at least 112 and at most 40 % of the row.
  // The range is fitted once, to the widest column: a range that fits it at full size sets
  // the column's width and keeps its one line in it; any other takes the widest column.
  const QString &range = rows->addressRange(index.row());
  const QString parts = patchRowPartsText(channel);
  const int markerSize = lineHeight(fonts.caption);
  const int markerWidth = parked ? markerSize + markerGap : 0;
  const int widest = std::max(addressColumnMinimumWidth, int(content.width() * 0.4));
  const FittedText fitted =
      fitText(range, fonts.subheadline, QSizeF(widest - markerWidth, numberHeight), 1, 0.72);
  const double textWidth =
      fitted.lines.isEmpty() ? 0 : QFontMetricsF(fitted.font).horizontalAdvance(fitted.lines[0]);
  const bool fullSize = fitted.scale == 1 && !fitted.elided;
  const int rangeWidth = fullSize ? int(std::ceil(textWidth)) : widest - markerWidth;
  const int wanted =
      std::max(rangeWidth + markerWidth, QFontMetrics(fonts.smallCaption).horizontalAdvance(parts));
  const int addressWidth = std::clamp(wanted, addressColumnMinimumWidth, widest);
  const QRect addressColumn(content.right() - addressWidth + 1, content.top(), addressWidth,
                            content.height());
  const int addressHeight =
      numberHeight + (parts.isEmpty() ? 0 : addressLineSpacing + lineHeight(fonts.smallCaption));
  const int addressTop = addressColumn.top() + (addressColumn.height() - addressHeight) / 2;
  painter->setPen(primary);
  const QRectF rangeBox(addressColumn.left(), addressTop, addressWidth, numberHeight);
  paintFitted(*painter, rangeBox.adjusted(markerWidth, 0, 0, 0), fitted,
              Qt::AlignRight | Qt::AlignVCenter);
  if (parked) {
    const QPointF markerAt(rangeBox.right() - textWidth - markerGap - markerSize,
                           addressTop + (numberHeight - markerSize) / 2.0);
    painter->drawPixmap(markerAt, symbolPixmap(u"parkingsign.circle.fill"_s,
                                               selected ? primary : markerOrange, markerSize));
  }
  if (!parts.isEmpty()) {
    painter->setPen(secondary);
    painter->setFont(fonts.smallCaption);
    drawElided(*painter,
               QRect(addressColumn.left(), addressTop + numberHeight + addressLineSpacing,
                     addressWidth, lineHeight(fonts.smallCaption)),
               parts, Qt::AlignRight | Qt::AlignVCenter);
  }

  // The name column between them: the label over the fixture type.
  const QRect nameColumn(badge.right() + 1 + gap, content.top(),
                         addressColumn.left() - gap - badge.right() - 1 - gap, content.height());
  const int labelHeight = lineHeight(fonts.headline);
  const int typeHeight = lineHeight(fonts.caption);
  const int nameTop =
      nameColumn.top() + (nameColumn.height() - labelHeight - nameLineSpacing - typeHeight) / 2;
  painter->setPen(primary);
  painter->setFont(fonts.headline);
  drawElided(*painter, QRect(nameColumn.left(), nameTop, nameColumn.width(), labelHeight),
             patchRowLabel(channel), Qt::AlignLeft | Qt::AlignVCenter);
  painter->setPen(accent);
  painter->setFont(fonts.caption);
  drawElided(*painter,
             QRect(nameColumn.left(), nameTop + labelHeight + nameLineSpacing, nameColumn.width(),
                   typeHeight),
             channel.displayTypeName(), Qt::AlignLeft | Qt::AlignVCenter);
  painter->restore();
}

}  // namespace tarnik
