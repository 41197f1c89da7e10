#pragma once

#include "model/Channel.h"

#include <QAbstractListModel>
#include <QList>

#include <vector>

namespace tarnik {

// The rows of the patch list: the shown channels by position, so a patch of 99,999
// channels is painted row by row (PatchRowDelegate) with no widget per row. Rows are
// positions, never channel numbers, because the console may report a number twice.
class PatchListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit PatchListModel(QObject *parent = nullptr);

  // The channels, the positions of those shown in row order, and for each row whether the
  // console confirmed it parked. Nothing is announced when nothing changed.
  void setRows(QList<Channel> channels, QList<qsizetype> positions, std::vector<bool> parked);

  int rowCount(const QModelIndex &parent = {}) const override;
  // The label as display text, the row's sentence as its accessible text.
  QVariant data(const QModelIndex &index, int role) const override;

  const Channel &channel(int row) const { return channels_[positions_[row]]; }
  bool isParked(int row) const { return parked_[std::size_t(row)]; }

 private:
  QList<Channel> channels_;
  QList<qsizetype> positions_;
  std::vector<bool> parked_;
};

}  // namespace tarnik
