#include "screens/patch/PatchView.h"

#include "app/AppViewModel.h"
#include "foundation/TextRules.h"
#include "screens/kit/EmptyStateView.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/RefreshKeys.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchDetailView.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchListRules.h"
#include "screens/patch/PatchRowDelegate.h"
#include "screens/patch/PatchStatusBanner.h"
#include "screens/patch/SpokenMenuAction.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimeZone>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

const QString syncReason = u"Patch refresh"_s;

QIcon menuIcon(const QWidget &widget, const QString &symbolName) {
  const QPalette &palette = widget.palette();
  return symbolIcon(symbolName, palette.color(QPalette::Text),
                    palette.color(QPalette::HighlightedText));
}

// An action's text is read for "&" mnemonics; a status text from the model is not.
QString literalActionText(QString text) { return text.replace(u'&', u"&&"_s); }

// How the park check is spoken, in the menu and on the empty state's button alike.
QString parkCheckSpokenName(bool checking) {
  return checking ? u"Checking parked channels"_s : u"Check parked channels"_s;
}

QString sortActionName(PatchSortOption option) {
  switch (option) {
    case PatchSortOption::channel:
      return u"patch.sort.channel"_s;
    case PatchSortOption::address:
      return u"patch.sort.address"_s;
    case PatchSortOption::universe:
      return u"patch.sort.universe"_s;
    case PatchSortOption::on:
      return u"patch.sort.on"_s;
    case PatchSortOption::type:
      return u"patch.sort.type"_s;
  }
  return {};
}

}  // namespace

PatchView::PatchView(AppViewModel &app, Destinations destinations, QWidget *parent)
    : QWidget(parent),
      app_(app),
      destinations_(std::move(destinations)),
      navigation_(new NavigationStack(u"patch.navigation"_s)) {
  setObjectName(u"patch"_s);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(navigation_);
  navigation_->push(makeListPage(), u"Patch"_s, makeToolbar());

  connect(addRefreshKeys(*this), &QShortcut::activated, this, &PatchView::requestSync);

  connect(&app_, &AppViewModel::channelsChanged, this, [this] {
    searchIndexStale_ = true;
    rowsStale_ = true;
  });
  connect(&app_.fixtureControls(), &FixtureControlStore::statesByChannelChanged, this,
          [this] { parkStatesStale_ = true; });
  auto *screenRefresh = new ScreenRefresh(this, [this] { redraw(); });
  screenRefresh->observe(app_);
  screenRefresh->observe(app_.fixtureControls());
  screenRefresh->redrawNow();
}

QWidget *PatchView::makeListPage() {
  auto *page = new QWidget;
  page->setObjectName(u"patch.listPage"_s);

  search_ = new QLineEdit;
  search_->setObjectName(u"patch.search"_s);
  search_->setPlaceholderText(u"Channel, label, fixture, or address"_s);
  search_->setClearButtonEnabled(true);
  search_->addAction(menuIcon(*search_, u"magnifyingglass"_s), QLineEdit::LeadingPosition);
  connect(search_, &QLineEdit::textChanged, this, [this] {
    rowsStale_ = true;
    redraw();
  });

  banner_ = new PatchStatusBanner;

  rows_ = new PatchListModel(this);
  list_ = new QListView;
  list_->setObjectName(u"patch.list"_s);
  list_->setModel(rows_);
  list_->setItemDelegate(new PatchRowDelegate(list_));
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setAccessibleName(u"Patch"_s);
  // A row opens its channel as a link does: on a click, or on Enter from the keyboard.
  connect(list_, &QListView::activated, this, &PatchView::openChannel);
  connect(list_, &QListView::clicked, this, [this](const QModelIndex &index) {
    if (!list_->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, list_))
      openChannel(index);
  });

  emptyPatch_ = new EmptyStateView(u"patch.emptyPatch"_s);
  noParkedChannels_ = new EmptyStateView(u"patch.noParkedChannels"_s);
  connect(noParkedChannels_->button(u"Check Parked Channels"_s), &QPushButton::clicked, this,
          &PatchView::checkParkedChannels);
  noResults_ = new EmptyStateView(u"patch.noResults"_s);

  content_ = new QStackedWidget;
  content_->setObjectName(u"patch.content"_s);
  for (QWidget *state :
       {static_cast<QWidget *>(list_), static_cast<QWidget *>(emptyPatch_),
        static_cast<QWidget *>(noParkedChannels_), static_cast<QWidget *>(noResults_)})
    content_->addWidget(state);

  auto *layout = new QVBoxLayout(page);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(search_);
  layout->addWidget(banner_);
  layout->addWidget(content_, 1);
  return page;
}

QWidget *PatchView::makeToolbar() {
  auto *toolbar = new QWidget;
  auto *menu = new QMenu(toolbar);
  menu->setObjectName(u"patch.optionsMenu"_s);

  sync_ = menu->addAction(menuIcon(*this, u"arrow.clockwise"_s), u"Sync Now"_s);
  sync_->setObjectName(u"patch.sync"_s);
  connect(sync_, &QAction::triggered, this, &PatchView::requestSync);

  parkCheck_ = new SpokenMenuAction(menu);
  parkCheck_->setObjectName(u"patch.parkCheck"_s);
  menu->addAction(parkCheck_);
  connect(parkCheck_, &QAction::triggered, this, &PatchView::checkParkedChannels);

  QAction *parkedOnly =
      menu->addAction(menuIcon(*this, u"line.3.horizontal.decrease.circle"_s), u"Parked Only"_s);
  parkedOnly->setObjectName(u"patch.parkedOnly"_s);
  parkedOnly->setCheckable(true);
  connect(parkedOnly, &QAction::toggled, this, [this](bool on) {
    parkedOnly_ = on;
    rowsStale_ = true;
    redraw();
  });

  // A line of text in the menu, never a command.
  parkStatus_ = new SpokenMenuAction(menu);
  parkStatus_->setObjectName(u"patch.parkStatus"_s);
  parkStatus_->setEnabled(false);
  menu->addAction(parkStatus_);

  QMenu *sortBy = menu->addMenu(menuIcon(*this, u"arrow.up.arrow.down"_s), u"Sort By"_s);
  sortBy->menuAction()->setObjectName(u"patch.sortBy"_s);
  auto *choices = new QActionGroup(sortBy);
  for (const PatchSortOption option : allPatchSortOptions) {
    QAction *choice = sortBy->addAction(title(option));
    choice->setObjectName(sortActionName(option));
    choice->setCheckable(true);
    choice->setChecked(option == sortOption_);
    choices->addAction(choice);
    connect(choice, &QAction::triggered, this, [this, option] {
      sortOption_ = option;
      rowsStale_ = true;
      redraw();
    });
  }

  auto *options = new QToolButton;
  options->setObjectName(u"patch.options"_s);
  options->setIcon(menuIcon(*this, u"ellipsis"_s));
  options->setAccessibleName(u"Patch options"_s);
  options->setToolTip(u"Patch options"_s);
  options->setPopupMode(QToolButton::InstantPopup);
  options->setAutoRaise(true);
  options->setMenu(menu);

  add_ = new QToolButton;
  add_->setObjectName(u"patch.add"_s);
  add_->setIcon(menuIcon(*this, u"plus"_s));
  add_->setAccessibleName(u"Add patch"_s);
  add_->setToolTip(u"Add patch"_s);
  add_->setAutoRaise(true);
  connect(add_, &QToolButton::clicked, this, [this] {
    if (destinations_.newPatchEditor) destinations_.newPatchEditor(app_, this);
  });

  auto *layout = new QHBoxLayout(toolbar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(options);
  layout->addWidget(add_);
  return toolbar;
}

void PatchView::redraw() {
  redrawRows();
  const bool hasChannels = !app_.channels().isEmpty();

  const std::optional<PatchBannerContent> banner = patchBannerContent(
      hasChannels, app_.isLoadingPatch(), app_.isConsoleReachable(), app_.dataStatusMessage());
  if (banner) banner_->setContent(*banner);
  banner_->setVisible(banner.has_value());

  const PatchListContent content =
      patchListContent(hasChannels, rows_->rowCount() > 0, parkedOnly_, hasConfirmedParkedChannel_);
  switch (content) {
    case PatchListContent::emptyPatch: {
      const PatchEmptyState state =
          emptyPatchState(app_.isLoadingPatch(), app_.isConsoleReachable());
      emptyPatch_->setContent(state.symbolName, state.title, state.description);
      content_->setCurrentWidget(emptyPatch_);
      break;
    }
    case PatchListContent::noConfirmedParkedChannels: {
      const bool checking = app_.isRefreshingParkedChannels();
      noParkedChannels_->setContent(u"parkingsign.circle"_s, u"No Confirmed Parked Channels"_s,
                                    parkCheckExplanation(checking, app_.parkStatusMessage()));
      QPushButton *button = noParkedChannels_->button(checking ? u"Checking Parked Channels…"_s
                                                               : u"Check Parked Channels"_s);
      button->setIcon(checking ? menuIcon(*this, u"arrow.triangle.2.circlepath"_s) : QIcon());
      button->setEnabled(!checking);
      button->setAccessibleName(parkCheckSpokenName(checking));
      content_->setCurrentWidget(noParkedChannels_);
      break;
    }
    case PatchListContent::noSearchResults:
      noResults_->setSearchQuery(search_->text());
      content_->setCurrentWidget(noResults_);
      break;
    case PatchListContent::rows:
      content_->setCurrentWidget(list_);
      break;
  }

  redrawMenu();
  add_->setVisible(app_.interactionMode() != InteractionMode::viewer);
}

void PatchView::redrawRows() {
  // A change of the park states alone moves rows only while "Parked Only" is on.
  const bool refilter = rowsStale_ || (parkStatesStale_ && parkedOnly_);
  if (!refilter && !parkStatesStale_) return;
  const QList<Channel> &channels = app_.channels();
  const std::map<int, FixtureControlState> &states = app_.fixtureControls().statesByChannel();
  if (refilter) {
    // Folding every channel's texts takes a moment in a large patch, and a list without a
    // search never reads them.
    if (searchIndexStale_ && !trimmedText(search_->text()).isEmpty()) {
      searchIndex_ = PatchSearchIndex(channels, locale_);
      searchIndexStale_ = false;
    }
    shown_ = visiblePatchChannels(channels, searchIndex_, search_->text(), parkedOnly_, states,
                                  sortOption_, locale_);
  }
  rowsStale_ = false;
  parkStatesStale_ = false;
  std::vector<bool> parked;
  parked.reserve(std::size_t(shown_.size()));
  for (const qsizetype position : shown_)
    parked.push_back(isConfirmedParked(channels[position].number, states));
  hasConfirmedParkedChannel_ = hasConfirmedParkedChannel(channels, states);
  rows_->setRows(channels, shown_, std::move(parked));
}

void PatchView::redrawMenu() {
  sync_->setText(syncButtonTitle(app_.lastDataRefresh(), locale_, QTimeZone::systemTimeZone()));
  const bool checking = app_.isRefreshingParkedChannels();
  parkCheck_->setText(checking ? u"Checking Parked Channels…"_s : u"Check Parked Channels"_s);
  parkCheck_->setIcon(
      menuIcon(*this, checking ? u"arrow.triangle.2.circlepath"_s : u"parkingsign.circle"_s));
  parkCheck_->setEnabled(!checking);
  parkCheck_->setSpokenName(parkCheckSpokenName(checking));
  parkStatus_->setText(literalActionText(app_.parkStatusMessage()));
  parkStatus_->setSpokenName(u"Park status: "_s + app_.parkStatusMessage());
}

void PatchView::requestSync() { app_.requestFullSync(syncReason); }

void PatchView::checkParkedChannels() {
  // The list's own check: no channel and no park action.
  app_.refreshParkedChannels(0, std::nullopt);
}

void PatchView::openChannel(const QModelIndex &index) {
  if (!index.isValid()) return;
  auto *detail = new PatchDetailView(app_, rows_->channel(index.row()));
  navigation_->push(detail, detail->title(), detail->toolbar());
}

}  // namespace tarnik
