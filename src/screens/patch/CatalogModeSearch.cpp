#include "screens/patch/CatalogModeSearch.h"

#include "foundation/TextRules.h"
#include "model/catalog/FixtureCatalogStore.h"

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
    results_.clear();
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
        return catalog.searchModes(searched, resultLimit);
      },
      [this, searched](QList<FixtureCatalogMode> modes) { publish(searched, std::move(modes)); });
}

void CatalogModeSearch::publish(const QString &searched, QList<FixtureCatalogMode> results) {
  // A run whose text has been typed over leaves the state to the newer run.
  if (trimmedText(query_) != searched) return;
  results_ = std::move(results);
  isSearching_ = false;
  emit changed();
}

}  // namespace tarnik
