#pragma once

#include <QStyledItemDelegate>

namespace tarnik {

// Paints one row of PatchListModel: the channel badge, the label over the fixture type,
// and at the trailing edge the parked marker, the address range and the part count.
// Every text is drawn as plain text, so a label such as "<b>Wash</b>" shows as typed.
class PatchRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

}  // namespace tarnik
