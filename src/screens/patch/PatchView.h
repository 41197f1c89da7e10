#pragma once

#include "screens/patch/PatchSortOption.h"
#include "screens/patch/PatchVisibleChannels.h"

#include <QLocale>
#include <QWidget>

#include <functional>

class QAction;
class QActionGroup;
class QLineEdit;
class QListView;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace tarnik {

class AppViewModel;
class EmptyStateView;
class NavigationStack;
class PatchListModel;
class PatchStatusBanner;
class SpokenMenuAction;

// The "Patch" page: the channels the model mirrors from the console's patch, searchable,
// filtered to the confirmed parked ones on request and in one of five orderings, with a
// banner when the data may not be current and an empty state that says why nothing is
// listed. It sits at the root of a navigation stack of its own, so a channel's detail
// opens on top of it and Back returns to the list as the user left it.
//
// The page changes nothing on the console itself: it asks the model for a sync ("Sync Now"
// or the refresh keys) or a park check, and otherwise only reads what the model and its
// fixture store publish, redrawing once per event-loop turn after they change.
//
// Names: "patch.navigation" (the stack), "patch.search", "patch.banner", "patch.content",
// "patch.list", the empty states "patch.emptyPatch", "patch.noParkedChannels" and
// "patch.noResults", the toolbar's "patch.options" and "patch.add", and the menu's actions
// "patch.sync", "patch.parkCheck", "patch.parkedOnly", "patch.parkStatus", "patch.sortBy"
// and "patch.sort." + the lower-case ordering ("patch.sort.on" for "Snapshot Level").
class PatchView : public QWidget {
  Q_OBJECT

 public:
  // Where a row and the add button lead. A row pushes the page that channelDetail makes,
  // titled "Channel <n>"; the add button hands the model to newPatchEditor, which opens the
  // editor for a new patch over the page. Until a destination is given, a row opens
  // nothing and the add button does nothing.
  struct Destinations {
    std::function<void(AppViewModel &app, QWidget *page)> newPatchEditor;
  };

  explicit PatchView(AppViewModel &app, Destinations destinations = {}, QWidget *parent = nullptr);

 private:
  QWidget *makeListPage();
  QWidget *makeToolbar();
  void redraw();
  void redrawRows();
  void redrawMenu();
  void requestSync();
  void checkParkedChannels();
  void openChannel(const QModelIndex &index);

  AppViewModel &app_;
  Destinations destinations_;
  const QLocale locale_;

  // What the user chose; none of it is stored, and a sync leaves it alone.
  PatchSortOption sortOption_ = PatchSortOption::channel;
  bool parkedOnly_ = false;

  // The search texts are folded at most once per change of the channels, and the rows are
  // worked out again only when the channels, the park states or a choice changed.
  PatchSearchIndex searchIndex_;
  bool searchIndexStale_ = true;
  bool rowsStale_ = true;
  bool parkStatesStale_ = true;
  QList<qsizetype> shown_;  // positions in the model's channels, in row order
  bool hasConfirmedParkedChannel_ = false;

  NavigationStack *navigation_;
  QLineEdit *search_ = nullptr;
  PatchStatusBanner *banner_ = nullptr;
  QStackedWidget *content_ = nullptr;
  QListView *list_ = nullptr;
  PatchListModel *rows_ = nullptr;
  EmptyStateView *emptyPatch_ = nullptr;
  EmptyStateView *noParkedChannels_ = nullptr;
  EmptyStateView *noResults_ = nullptr;
  QToolButton *add_ = nullptr;
  QAction *sync_ = nullptr;
  SpokenMenuAction *parkCheck_ = nullptr;
  SpokenMenuAction *parkStatus_ = nullptr;
};

}  // namespace tarnik
