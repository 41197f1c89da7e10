#include "screens/patch/PatchListModel.h"

#include "screens/patch/PatchRowTexts.h"

namespace tarnik {

PatchListModel::PatchListModel(QObject *parent) : QAbstractListModel(parent) {}

void PatchListModel::setRows(QList<Channel> channels, QList<qsizetype> positions,
                             std::vector<bool> parked) {
  Q_ASSERT(positions.size() == qsizetype(parked.size()));
  // A redraw comes with every change of the model, most of which leave the rows alone;
  // a reset would lose the selection and the keyboard's place.
  if (channels == channels_ && positions == positions_) {
    if (parked != parked_) {
      parked_ = std::move(parked);
      emit dataChanged(index(0), index(rowCount() - 1));
    }
    return;
  }
  beginResetModel();
  channels_ = std::move(channels);
  addressRanges_.assign(std::size_t(channels_.size()), std::nullopt);
  positions_ = std::move(positions);
  parked_ = std::move(parked);
  endResetModel();
}

const QString &PatchListModel::addressRange(int row) const {
  std::optional<QString> &range = addressRanges_[std::size_t(positions_[row])];
  if (!range) range = channel(row).addressRangeText();
  return *range;
}

int PatchListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(positions_.size());
}

QVariant PatchListModel::data(const QModelIndex &index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  switch (role) {
    case Qt::DisplayRole:
      return patchRowLabel(channel(index.row()));
    case Qt::AccessibleTextRole:
      return patchRowAccessibleText(channel(index.row()), isParked(index.row()));
    default:
      return {};
  }
}

}  // namespace tarnik
