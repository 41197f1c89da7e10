#pragma once

#include "model/Channel.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>
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
  // The row's `Channel::addressRangeText`, worked out the first time the row asks for it, so
  // a console's 64 KB end address is trimmed and compared with the start once, not at every
  // paint.
  const QString &addressRange(int row) const;

 private:
  QList<Channel> channels_;
  QList<qsizetype> positions_;
  std::vector<bool> parked_;
  // By channel, as `channels_`.
  mutable std::vector<std::optional<QString>> addressRanges_;
};

}  // namespace tarnik
