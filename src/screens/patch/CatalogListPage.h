#pragma once

#include "model/catalog/FixtureCatalogStore.h"
#include "screens/kit/KeyedTask.h"
#include "screens/patch/CatalogRowListModel.h"

#include <QWidget>

#include <functional>

class QLineEdit;

namespace tarnik {

class CatalogResultsArea;

// The frame of a drill-down page (a manufacturer's models, a model's modes): its own search
// field and the list of what the field's text finds. Every text the field takes, the
// empty one it starts with included, starts a new lookup at once: the database folds and
// splits the query itself, and a lookup within one model or manufacturer is quick.
// Parts: "<name>.search" and the results area "<name>.results".
class CatalogListPage : public QWidget {
  Q_OBJECT

 public:
  // True from the start of a lookup until its result is shown, so the page shows its
  // progress row, never "No Results", before its first list.
  bool isLoading() const { return isLoading_; }
  QString query() const;

 protected:
  CatalogListPage(const QString &name, const QString &prompt, QWidget *parent);

  // Starts the lookup for the query as typed; the page calls it once its own members are
  // ready, and on each change of the field.
  virtual void load(const QString &query) = 0;
  void beginLookup();
  void finishLookup(QList<CatalogRow> rows);
  // Runs the first lookup; the subclass calls it at the end of its constructor.
  void loadFirstList();

  CatalogResultsArea &results() { return *results_; }

  // Starts a lookup in the catalog the store holds now and hands its items to show; with no
  // catalog loaded, a lookup still on its way is dropped and show gets no items.
  template <class Items, class Lookup, class Show>
  void lookUp(KeyedTask<Items> &task, const FixtureCatalogStore &store, Lookup lookup, Show show) {
    beginLookup();
    const auto database = store.database();
    if (!database) {
      task.cancel();
      show(Items());
      return;
    }
    task.start(database, std::move(lookup), std::move(show));
  }

  // Hands the item under each pressed row to open; items is the list the rows show.
  template <class Item, class Open>
  void openPressedRows(const QList<Item> &items, Open open) {
    onRowPressed([&items, open = std::move(open)](int row) {
      if (row >= 0 && row < items.size()) open(items[row]);
    });
  }

 private:
  void onRowPressed(std::function<void(int)> action);

  QLineEdit *field_;
  CatalogResultsArea *results_;
  bool isLoading_ = false;
};

}  // namespace tarnik
