#pragma once

#include <QStyledItemDelegate>

#include <memory>

namespace tarnik {

// Draws a CatalogRowListModel row: the title (at most two lines) over its caption line (at
// most two lines) on the leading side, the trailing text's lines right-aligned, in caption
// size and semibold. The row's height follows the wrapped texts at the list's width.
class CatalogRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit CatalogRowDelegate(QObject *parent = nullptr);
  ~CatalogRowDelegate() override;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  // A row's fonts and the widths measured in them (see the .cpp).
  struct RowFont;
  struct RowFonts;

 private:
  // The fonts for the list's font; a list sizes every row on each change of its rows, so
  // they are derived once, not for every row.
  RowFonts &fontsFor(const QFont &font) const;

  mutable std::unique_ptr<RowFonts> fonts_;
};

}  // namespace tarnik
