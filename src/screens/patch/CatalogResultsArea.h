#pragma once

#include "screens/patch/CatalogRowListView.h"

#include <QWidget>

#include <array>

namespace tarnik {

class EmptyStateView;

// What a catalog list shows for a query: a progress row while its lookup runs, the
// standard view of a search without results (naming the query as typed), or the rows.
// Parts: "<name>.progress", "<name>.noResults", "<name>.list".
//
// The page changes with nearly every keystroke, so the pages lie on top of one another,
// each filling the area, with no layout around them: a page shown or hidden inside a layout
// would have every layout up to the window measure its wrapped texts again.
class CatalogResultsArea : public QWidget {
  Q_OBJECT

 public:
  explicit CatalogResultsArea(const QString &name, QWidget *parent = nullptr);

  void showProgress();
  void showRows(QList<CatalogRow> rows, const QString &queryAsTyped);

  CatalogRowListView &list() { return *list_; }

  // The list's, whichever page is shown: the area takes the room its page leaves it, and
  // its hint never changes with the page.
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void showPage(QWidget *page);
  std::array<QWidget *, 3> pages() const;

  QWidget *progress_;
  EmptyStateView *noResults_;
  CatalogRowListView *list_;
};

}  // namespace tarnik
