#pragma once

#include "app/AppTiming.h"
#include "model/PatchFixtureChoice.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "screens/kit/KeyedTask.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QStackedWidget;

namespace tarnik {

class EmptyStateView;
class FixtureCatalogSearchList;
class FixtureCatalogStore;
class NavigationStack;
class ScreenRefresh;

// Where the browser finds the catalog and runs its work. The program takes the defaults;
// tests hand in a folder of their own catalog, virtual time and a hand-run executor.
struct FixtureCatalogServices {
  CatalogResourceLocator bundle = CatalogResourceLocator::standard();
  std::shared_ptr<AppTiming> timing;  // none: the system clock and timers
  KeyedTaskExecutor *executor = &KeyedTaskExecutor::threadPool();  // none: the thread pool
};

// The sheet's content in which the user picks one fixture mode from the bundled fixture
// library: searching every mode, or drilling down from manufacturers to models to modes.
// Each press of a mode calls onSelect once with its choice; the browser never closes
// itself, and "Cancel" only calls onCancel. It asks the store to load when first shown.
// Name "fixture.catalog"; its stack's parts, ".cancel", ".loading", ".unavailable" and the
// search list's parts are under it.
class FixtureCatalogView : public QWidget {
  Q_OBJECT

 public:
  FixtureCatalogView(FixtureCatalogStore &store,
                     std::optional<QString> reportedFixtureLibraryVersion,
                     std::function<void(const PatchFixtureChoice &)> onSelect,
                     std::function<void()> onCancel, FixtureCatalogServices services = {},
                     QWidget *parent = nullptr);
  ~FixtureCatalogView() override;

  NavigationStack &navigation() { return *navigation_; }

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void redraw();

  FixtureCatalogStore &store_;
  const std::optional<QString> reportedVersion_;
  const std::function<void(const PatchFixtureChoice &)> onSelect_;
  const FixtureCatalogServices services_;
  const std::shared_ptr<AppTiming> timing_;
  NavigationStack *navigation_;
  QStackedWidget *content_;
  QWidget *loading_;
  EmptyStateView *unavailable_;
  FixtureCatalogSearchList *list_ = nullptr;
  ScreenRefresh *refresh_;
  bool shown_ = false;
};

}  // namespace tarnik
