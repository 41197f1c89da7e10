#pragma once

#include <QStyledItemDelegate>

namespace tarnik {

// Paints every row of a CueListModel in place, so a show of 20,000 cues costs 20,000 rows
// of data and no widget per row:
// - a cue: "Cue <number>" in the headline style, the green "Active" capsule 6 after it,
//   and the display label below on one elided line;
// - a breaker: its label between two thin white rules, on at most two lines, never
//   upper-cased;
// - "Cue List 1" as a plain section header.
// Every text is drawn as plain text.
class CueRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

}  // namespace tarnik
