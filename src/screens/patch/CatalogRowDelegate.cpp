#include "screens/patch/CatalogRowDelegate.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
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

QFont trailingFont(const QFont &font) {
  QFont trailing = Style::captionFont(font);
  trailing.setWeight(QFont::DemiBold);
  return trailing;
}

// Where each text of a row goes at a given width; shared by painting and sizing so the two
// never disagree.
struct RowLayout {
  QStringList title;
  QStringList subtitle;
  QStringList trailing;
  double trailingWidth = 0;
  int height = 0;
};

}  // namespace

// One of a row's fonts, with its metrics and the widths of the texts drawn in it.
struct CatalogRowDelegate::RowFont {
  explicit RowFont(const QFont &font)
      : font(font), metrics(font), lineHeight(QFontMetrics(font).height()) {}

  // Shaping a text is the dearest part of a row, and successive searches list mostly the
  // same names, so each text's width is measured once. The cache is dropped whole when it
  // grows past a bound.
  qreal advance(const QString &text) {
    constexpr qsizetype bound = 8192;
    if (const auto found = advances.constFind(text); found != advances.cend()) return *found;
    if (advances.size() >= bound) advances.clear();
    return *advances.insert(text, metrics.horizontalAdvance(text));
  }

  QFont font;
  QFontMetricsF metrics;
  int lineHeight;
  QHash<QString, qreal> advances;
};

// The list's font and the three a row draws in, made again only when the list's font
// changes.
struct CatalogRowDelegate::RowFonts {
  explicit RowFonts(const QFont &font)
      : listFont(font),
        title(font),
        caption(Style::captionFont(font)),
        trailing(trailingFont(font)) {}

  QFont listFont;
  RowFont title;
  RowFont caption;
  RowFont trailing;
};

namespace {

QStringList wrapped(CatalogRowDelegate::RowFont &font, const QString &text, double width) {
  if (text.isEmpty() || width <= 0) return {};
  // Most names fit on one line; only those that do not need the line breaker.
  if (!text.contains(u'\n') && font.advance(text) <= width) return {text};
  const double height = font.metrics.height() + (maximumLines - 1) * font.metrics.lineSpacing();
  return fitText(text, font.font, QSizeF(width, height), maximumLines, 1.0).lines;
}

RowLayout layOut(CatalogRowDelegate::RowFonts &fonts, const QModelIndex &index, int width) {
  RowLayout layout;
  const QString trailing = index.data(CatalogRowListModel::trailingRole).toString();
  if (!trailing.isEmpty()) {
    layout.trailing = trailing.split(u'\n');
    for (const QString &line : layout.trailing) {
      layout.trailingWidth = std::max(layout.trailingWidth, fonts.trailing.advance(line));
    }
  }
  const double textWidth =
      width - 2 * horizontalMargin -
      (layout.trailing.isEmpty() ? 0 : std::ceil(layout.trailingWidth) + minimumTrailingGap);
  layout.title = wrapped(fonts.title, index.data(Qt::DisplayRole).toString(), textWidth);
  layout.subtitle =
      wrapped(fonts.caption, index.data(CatalogRowListModel::subtitleRole).toString(), textWidth);
  const int textHeight = int(std::max<qsizetype>(1, layout.title.size())) * fonts.title.lineHeight +
                         (layout.subtitle.isEmpty() ? 0
                                                    : lineSpacing + int(layout.subtitle.size()) *
                                                                        fonts.caption.lineHeight);
  const int trailingHeight = int(layout.trailing.size()) * fonts.trailing.lineHeight;
  layout.height = std::max(textHeight, trailingHeight) + 2 * verticalMargin;
  return layout;
}

int rowWidth(const QStyleOptionViewItem &option) {
  if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget)) {
    return view->viewport()->width();
  }
  return option.rect.width();
}

void drawLines(QPainter &painter, const QStringList &lines, const CatalogRowDelegate::RowFont &font,
               double left, double right, double top, Qt::Alignment alignment) {
  painter.setFont(font.font);
  const double height = font.metrics.height();
  for (const QString &line : lines) {
    painter.drawText(QRectF(left, top, right - left, height),
                     int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, line);
    top += height;
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

  RowFonts &fonts = fontsFor(option.font);
  const RowLayout layout = layOut(fonts, index, option.rect.width());
  const QRect rect =
      option.rect.adjusted(horizontalMargin, verticalMargin, -horizontalMargin, -verticalMargin);
  const QColor primary = option.palette.color(QPalette::Text);
  const QColor secondary = option.palette.color(QPalette::PlaceholderText);
  painter->save();
  const double textRight =
      rect.right() + 1 -
      (layout.trailing.isEmpty() ? 0 : layout.trailingWidth + minimumTrailingGap);
  painter->setPen(primary);
  drawLines(*painter, layout.title, fonts.title, rect.left(), textRight, rect.top(), Qt::AlignLeft);
  painter->setPen(secondary);
  const double subtitleTop =
      rect.top() + layout.title.size() * fonts.title.metrics.height() + lineSpacing;
  drawLines(*painter, layout.subtitle, fonts.caption, rect.left(), textRight, subtitleTop,
            Qt::AlignLeft);
  // The footprint sits on the title's first line, as the row aligns on its first baseline.
  const double trailingTop =
      rect.top() + fonts.title.metrics.ascent() - fonts.trailing.metrics.ascent();
  drawLines(*painter, layout.trailing, fonts.trailing, rect.right() + 1 - layout.trailingWidth,
            rect.right() + 1, trailingTop, Qt::AlignRight);
  painter->restore();
}

QSize CatalogRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const {
  const int width = rowWidth(option);
  return {width, layOut(fontsFor(option.font), index, width).height};
}

CatalogRowDelegate::RowFonts &CatalogRowDelegate::fontsFor(const QFont &font) const {
  if (!fonts_ || fonts_->listFont != font) fonts_ = std::make_unique<RowFonts>(font);
  return *fonts_;
}

CatalogRowDelegate::CatalogRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

CatalogRowDelegate::~CatalogRowDelegate() = default;

}  // namespace tarnik
