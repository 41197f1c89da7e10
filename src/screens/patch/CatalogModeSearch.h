#pragma once

#include "app/AppTiming.h"
#include "model/catalog/FixtureCatalogRecords.h"
#include "screens/kit/KeyedTask.h"
#include "screens/patch/CatalogRowListModel.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace tarnik {

class FixtureCatalogStore;

// The browser's search over every mode of the catalog, as the user types. A blank query
// clears the results at once; any other waits for typing to pause, then searches the
// trimmed text on the thread pool over the store's immutable database. A result is shown
// only while its run is the latest and the trimmed query is still the text it searched, so
// a slower, older search never overwrites a newer one. Every change is announced by
// changed(). The rows of the modes found are drawn up on the pool with the search, so a
// result reaches the list with nothing left to build on the GUI thread.
class CatalogModeSearch : public QObject {
  Q_OBJECT

 public:
  static constexpr double debounceSeconds = 0.18;
  // The most modes one search shows; a search that reaches it says so.
  static constexpr int resultLimit = 100;

  CatalogModeSearch(FixtureCatalogStore &store, std::shared_ptr<AppTiming> timing,
                    KeyedTaskExecutor &executor, QObject *parent = nullptr);

  // The field's text exactly as typed.
  void setQuery(const QString &query);
  const QString &query() const { return query_; }
  // True while the query is not blank: the browser lists modes, not manufacturers.
  bool hasQuery() const;

  const QList<FixtureCatalogMode> &results() const { return found_.modes; }
  // The list rows of results(), in their order.
  const QList<CatalogRow> &rows() const { return found_.rows; }
  // From the moment a non-blank query is taken until its results are shown.
  bool isSearching() const { return isSearching_; }
  bool reachedLimit() const { return found_.modes.size() == resultLimit; }

 signals:
  void changed();

 private:
  struct Found {
    QList<FixtureCatalogMode> modes;
    QList<CatalogRow> rows;
  };

  void search(const QString &searched);
  void publish(const QString &searched, Found found);

  FixtureCatalogStore &store_;
  // Kept alive with the search: its pending pause is cancelled through it when the search
  // goes.
  const std::shared_ptr<AppTiming> timing_;
  QString query_;
  Found found_;
  bool isSearching_ = false;
  AppTiming::WorkItem pause_;
  KeyedTask<Found> lookup_;
};

}  // namespace tarnik
