#pragma once

#include "screens/patch/CatalogRowListModel.h"

#include <QListView>

namespace tarnik {

// A list of catalog rows that acts on a press: a click anywhere in a row's rectangle, or
// Return, Enter or Space on the current row, reports that row once. Nothing stays selected,
// since a press hands the row on rather than marking it.
class CatalogRowListView : public QListView {
  Q_OBJECT

 public:
  explicit CatalogRowListView(const QString &name, QWidget *parent = nullptr);

  void setRows(QList<CatalogRow> rows) { rows_->setRows(std::move(rows)); }
  const CatalogRowListModel &rows() const { return *rows_; }

 signals:
  void rowPressed(int row);

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  CatalogRowListModel *rows_;
};

}  // namespace tarnik
