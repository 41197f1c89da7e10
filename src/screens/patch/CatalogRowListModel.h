#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace tarnik {

// One row of the catalog browser's lists, as drawn: a title, a caption line under it, and
// an optional trailing text. Rows are drawn, not widgets, so the row's accessibility name
// travels with it.
struct CatalogRow {
  QString title;
  QString subtitle;
  QString trailing;
  QString objectName;

  bool operator==(const CatalogRow &) const = default;
};

// The rows of one catalog list. Manufacturers and models run to thousands, so the list is a
// model drawn by a delegate (CatalogRowDelegate), never a widget per row.
class CatalogRowListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role { subtitleRole = Qt::UserRole + 1, trailingRole, objectNameRole };

  using QAbstractListModel::QAbstractListModel;

  void setRows(QList<CatalogRow> rows);
  const QList<CatalogRow> &rows() const { return rows_; }
  // The row with this accessibility name, or -1.
  int rowNamed(const QString &objectName) const;

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;

 private:
  QList<CatalogRow> rows_;
};

}  // namespace tarnik
