#include "screens/patch/CatalogModeSearch.h"

#include "foundation/TextRules.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "screens/patch/FixtureModeRow.h"

namespace tarnik {

CatalogModeSearch::CatalogModeSearch(FixtureCatalogStore &store, std::shared_ptr<AppTiming> timing,
                                     KeyedTaskExecutor &executor, QObject *parent)
    : QObject(parent), store_(store), timing_(std::move(timing)), lookup_(this, executor) {}

bool CatalogModeSearch::hasQuery() const { return !trimmedText(query_).isEmpty(); }

void CatalogModeSearch::setQuery(const QString &query) {
  query_ = query;
  // Every change of the text supersedes the run before it, whatever it was waiting for.
  pause_.cancel();
  lookup_.cancel();
  const QString searched = trimmedText(query_);
  if (searched.isEmpty()) {
    found_ = {};
    isSearching_ = false;
    emit changed();
    return;
  }
  isSearching_ = true;
  emit changed();
  pause_ = timing_->schedule(debounceSeconds, [this, searched] { search(searched); });
}

void CatalogModeSearch::search(const QString &searched) {
  const auto database = store_.database();
  if (!database) {
    publish(searched, {});
    return;
  }
  lookup_.start(
      database,
      [searched](const FixtureCatalogDatabase &catalog) {
        Found found{catalog.searchModes(searched, resultLimit), {}};
        found.rows = FixtureModeRow::rows(found.modes);
        return found;
      },
      [this, searched](Found found) { publish(searched, std::move(found)); });
}

void CatalogModeSearch::publish(const QString &searched, Found found) {
  // A run whose text has been typed over leaves the state to the newer run.
  if (trimmedText(query_) != searched) return;
  found_ = std::move(found);
  isSearching_ = false;
  emit changed();
}

}  // namespace tarnik
