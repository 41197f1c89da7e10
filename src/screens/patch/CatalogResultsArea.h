#pragma once

#include "screens/patch/CatalogRowListView.h"

#include <QStackedWidget>

namespace tarnik {

class EmptyStateView;

// What a catalog list shows for a query: a progress row while its lookup runs, the
// standard view of a search without results (naming the query as typed), or the rows.
// Parts: "<name>.progress", "<name>.noResults", "<name>.list".
class CatalogResultsArea : public QStackedWidget {
  Q_OBJECT

 public:
  explicit CatalogResultsArea(const QString &name, QWidget *parent = nullptr);

  void showProgress();
  void showRows(QList<CatalogRow> rows, const QString &queryAsTyped);

  CatalogRowListView &list() { return *list_; }

 private:
  QWidget *progress_;
  EmptyStateView *noResults_;
  CatalogRowListView *list_;
};

}  // namespace tarnik
