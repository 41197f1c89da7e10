#include "screens/patch/CatalogRowListModel.h"

namespace tarnik {

void CatalogRowListModel::setRows(QList<CatalogRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int CatalogRowListModel::rowNamed(const QString &objectName) const {
  for (qsizetype row = 0; row < rows_.size(); ++row) {
    if (rows_[row].objectName == objectName) return int(row);
  }
  return -1;
}

int CatalogRowListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

QVariant CatalogRowListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rows_.size()) return {};
  const CatalogRow &row = rows_[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      return row.title;
    case Qt::AccessibleTextRole: {
      QStringList parts{row.title, row.subtitle};
      if (!row.trailing.isEmpty()) parts.append(QString(row.trailing).replace(u'\n', u' '));
      return parts.join(QStringLiteral(", "));
    }
    case subtitleRole:
      return row.subtitle;
    case trailingRole:
      return row.trailing;
    case objectNameRole:
      return row.objectName;
    default:
      return {};
  }
}

}  // namespace tarnik
