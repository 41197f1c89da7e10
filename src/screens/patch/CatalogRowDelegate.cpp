#include "screens/patch/CatalogRowDelegate.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/patch/CatalogRowListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

constexpr int horizontalMargin = 12;
constexpr int verticalMargin = 6;
constexpr int lineSpacing = 3;
// The texts and the footprint are 12 points from a flexible space of at least 8 between
// them.
constexpr int minimumTrailingGap = 12 + 8 + 12;
constexpr int maximumLines = 2;

QFont captionFont(const QFont &font) {
  QFont caption = font;
  caption.setPointSizeF(font.pointSizeF() * 0.85);
  return caption;
}

// Where each text of a row goes at a given width; shared by painting and sizing so the two
// never disagree.
struct RowLayout {
  QFont titleFont;
  QFont captionFont;
  QFont trailingFont;
  QStringList title;
  QStringList subtitle;
  QStringList trailing;
  double trailingWidth = 0;
  int height = 0;
};

// Shaping a text is the dearest part of a row, and successive searches list mostly the
// same names, so each text's width in each font is measured once. The cache is dropped
// whole when it grows past a bound.
qreal advance(QHash<QString, qreal> &advances, const QFont &font, const QString &text) {
  constexpr qsizetype bound = 8192;
  const QString key = font.key() + QChar(0x1f) + text;
  if (const auto found = advances.constFind(key); found != advances.cend()) return *found;
  if (advances.size() >= bound) advances.clear();
  return *advances.insert(key, QFontMetricsF(font).horizontalAdvance(text));
}

QStringList wrapped(QHash<QString, qreal> &advances, const QString &text, const QFont &font,
                    double width) {
  if (text.isEmpty() || width <= 0) return {};
  // Most names fit on one line; only those that do not need the line breaker.
  if (!text.contains(u'\n') && advance(advances, font, text) <= width) return {text};
  const QFontMetricsF metrics(font);
  const double height = metrics.height() + (maximumLines - 1) * metrics.lineSpacing();
  return fitText(text, font, QSizeF(width, height), maximumLines, 1.0).lines;
}

RowLayout layOut(QHash<QString, qreal> &advances, const QFont &font, const QModelIndex &index,
                 int width) {
  RowLayout layout;
  layout.titleFont = font;
  layout.captionFont = captionFont(font);
  layout.trailingFont = layout.captionFont;
  layout.trailingFont.setWeight(QFont::DemiBold);
  const QString trailing = index.data(CatalogRowListModel::trailingRole).toString();
  if (!trailing.isEmpty()) {
    layout.trailing = trailing.split(u'\n');
    for (const QString &line : layout.trailing) {
      layout.trailingWidth =
          std::max(layout.trailingWidth, advance(advances, layout.trailingFont, line));
    }
  }
  const double textWidth =
      width - 2 * horizontalMargin -
      (layout.trailing.isEmpty() ? 0 : std::ceil(layout.trailingWidth) + minimumTrailingGap);
  layout.title =
      wrapped(advances, index.data(Qt::DisplayRole).toString(), layout.titleFont, textWidth);
  layout.subtitle = wrapped(advances, index.data(CatalogRowListModel::subtitleRole).toString(),
                            layout.captionFont, textWidth);
  const QFontMetrics titleMetrics(layout.titleFont);
  const QFontMetrics captionMetrics(layout.captionFont);
  const int textHeight = int(std::max<qsizetype>(1, layout.title.size())) * titleMetrics.height() +
                         (layout.subtitle.isEmpty() ? 0
                                                    : lineSpacing + int(layout.subtitle.size()) *
                                                                        captionMetrics.height());
  const int trailingHeight =
      int(layout.trailing.size()) * QFontMetrics(layout.trailingFont).height();
  layout.height = std::max(textHeight, trailingHeight) + 2 * verticalMargin;
  return layout;
}

int rowWidth(const QStyleOptionViewItem &option) {
  if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget)) {
    return view->viewport()->width();
  }
  return option.rect.width();
}

void drawLines(QPainter &painter, const QStringList &lines, const QFont &font, double left,
               double right, double top, Qt::Alignment alignment) {
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  for (const QString &line : lines) {
    painter.drawText(QRectF(left, top, right - left, metrics.height()),
                     int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, line);
    top += metrics.height();
  }
}

}  // namespace

void CatalogRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
  QStyleOptionViewItem panel = option;
  initStyleOption(&panel, index);
  panel.text.clear();
  const QWidget *widget = option.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  // The panel only: hover and focus feedback, as any list row has.
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);

  const RowLayout layout = layOut(advances_, option.font, index, option.rect.width());
  const QRect rect =
      option.rect.adjusted(horizontalMargin, verticalMargin, -horizontalMargin, -verticalMargin);
  const QColor primary = option.palette.color(QPalette::Text);
  const QColor secondary = option.palette.color(QPalette::PlaceholderText);
  painter->save();
  const double textRight =
      rect.right() + 1 -
      (layout.trailing.isEmpty() ? 0 : layout.trailingWidth + minimumTrailingGap);
  painter->setPen(primary);
  drawLines(*painter, layout.title, layout.titleFont, rect.left(), textRight, rect.top(),
            Qt::AlignLeft);
  painter->setPen(secondary);
  const double subtitleTop =
      rect.top() + layout.title.size() * QFontMetricsF(layout.titleFont).height() + lineSpacing;
  drawLines(*painter, layout.subtitle, layout.captionFont, rect.left(), textRight, subtitleTop,
            Qt::AlignLeft);
  // The footprint sits on the title's first line, as the row aligns on its first baseline.
  const double trailingTop = rect.top() + QFontMetricsF(layout.titleFont).ascent() -
                             QFontMetricsF(layout.trailingFont).ascent();
  drawLines(*painter, layout.trailing, layout.trailingFont, rect.right() + 1 - layout.trailingWidth,
            rect.right() + 1, trailingTop, Qt::AlignRight);
  painter->restore();
}

QSize CatalogRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const {
  const int width = rowWidth(option);
  return {width, layOut(advances_, option.font, index, width).height};
}

}  // namespace tarnik
