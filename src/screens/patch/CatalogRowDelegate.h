#pragma once

#include <QHash>
#include <QStyledItemDelegate>

namespace tarnik {

// Draws a CatalogRowListModel row: the title (at most two lines) over its caption line (at
// most two lines) on the leading side, the trailing text's lines right-aligned, in caption
// size and semibold. The row's height follows the wrapped texts at the list's width.
class CatalogRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

 private:
  // Each text's width by font and text (see the .cpp).
  mutable QHash<QString, qreal> advances_;
};

}  // namespace tarnik
