#include "screens/live/CueView.h"

#include "app/AppViewModel.h"
#include "app/SystemAppTiming.h"
#include "screens/kit/EmptyStateView.h"
#include "screens/kit/FitTextPainter.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/PlainMessageBox.h"
#include "screens/kit/RefreshKeys.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/live/AddCueSheet.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CuePlaybackBar.h"
#include "screens/live/CueRowDelegate.h"
#include "screens/live/CueSyncCard.h"
#include "screens/live/CuesPageRules.h"
#include "screens/live/ListLongPress.h"
#include "screens/live/SceneBreakSheet.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QColor symbolColour(const QWidget &widget) { return widget.palette().color(QPalette::ButtonText); }

QToolButton *toolButton(const QString &name, const QString &symbol, const QString &label) {
  auto *button = new QToolButton;
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setFixedSize(44, 44);
  button->setIconSize(QSize(20, 20));
  button->setIcon(symbolIcon(symbol, symbolColour(*button), Style::onSelection(), 20));
  button->setAccessibleName(label);
  button->setToolTip(label);
  return button;
}

// The button box would move a destructive role ahead of the other actions, so the delete
// keeps the action role, placed in the order the actions are added; red says what it does.
QPushButton *destructiveButton(QMessageBox &box, const QString &text, const QString &name) {
  QPushButton *button = box.addButton(text, QMessageBox::ActionRole);
  button->setObjectName(name);
  QPalette red = button->palette();
  red.setColor(QPalette::ButtonText, Style::light(Style::Role::failure));
  button->setPalette(red);
  return button;
}

// Return and Escape both cancel: a key pressed out of habit never renames or deletes.
void addCancelButton(QMessageBox &box) {
  QPushButton *cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
}

}  // namespace

CueView::CueView(AppViewModel &app, std::shared_ptr<AppTiming> timing, QWidget *parent)
    : QWidget(parent),
      app_(app),
      timing_(timing ? std::move(timing) : std::make_shared<SystemAppTiming>()),
      stack_(new NavigationStack(u"cues"_s)),
      model_(new CueListModel(this)),
      list_(new QListView),
      empty_(new EmptyStateView(u"cues.empty"_s)),
      bar_(new CuePlaybackBar(app)),
      menuButton_(toolButton(u"cues.menu"_s, u"ellipsis"_s, tr("More"))),
      menu_(new QMenu(this)),
      recordButton_(toolButton(u"cues.record"_s, u"plus"_s, tr("Record Cue"))) {
  setObjectName(u"cues.page"_s);
  model_->follow(app_);
  list_->setObjectName(u"cues.list"_s);
  list_->setModel(model_);
  list_->setItemDelegate(new CueRowDelegate(list_));
  list_->setUniformItemSizes(false);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Rows elide to the list's width; nothing is beside them to scroll to.
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QListView::clicked, this, &CueView::openCue);
  list_->installEventFilter(this);
  connect(list_, &QListView::customContextMenuRequested, this, &CueView::showBreakerMenu);
  auto *longPress = new ListLongPress(*list_, timing_);
  connect(longPress, &ListLongPress::longPressed, this, [this](const QModelIndex &index) {
    if (const auto sceneBreak = model_->sceneBreakAt(index.row())) openBreakerActions(*sceneBreak);
  });

  bar_->setObjectName(u"cues.playback"_s);
  bar_->setNextCue(model_->playbackCue());
  connect(model_, &CueListModel::playbackCueChanged, this,
          [this] { bar_->setNextCue(model_->playbackCue()); });

  menu_->setObjectName(u"cues.menu.items"_s);
  menuButton_->setMenu(menu_);
  menuButton_->setPopupMode(QToolButton::InstantPopup);
  // The ellipsis says there is a menu; the style's arrow would say it twice.
  menuButton_->setStyleSheet(u"QToolButton::menu-indicator { image: none; }"_s);
  connect(recordButton_, &QToolButton::clicked, this, &CueView::openRecordSheet);
  auto *toolbar = new QWidget;
  auto *tools = new QHBoxLayout(toolbar);
  tools->setContentsMargins(0, 0, 0, 0);
  tools->setSpacing(0);
  tools->addWidget(menuButton_);
  tools->addWidget(recordButton_);

  auto *root = new QWidget;
  auto *card = new CueSyncCard(app_);
  auto *column = new QVBoxLayout(root);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto *cardRow = new QVBoxLayout;
  cardRow->setContentsMargins(16, 10, 16, 10);
  cardRow->addWidget(card);
  column->addLayout(cardRow);
  column->addWidget(empty_, 1);
  column->addWidget(list_, 1);
  column->addWidget(bar_);
  stack_->push(root, tr("Cues"), toolbar);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(stack_);

  connect(addRefreshKeys(*this), &QShortcut::activated, this, &CueView::syncNow);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->redrawNow();
}

void CueView::redraw() {
  const bool noCues = app_.cues().isEmpty();
  empty_->setVisible(noCues);
  list_->setVisible(!noCues);
  if (noCues) {
    const CueEmptyState state = cueEmptyState(app_.isLoadingCues(), app_.isConsoleReachable());
    empty_->setContent(state.symbolName, state.title, state.description);
  }
  const InteractionMode mode = app_.interactionMode();
  if (menuMode_ != mode) fillMenu(mode);
  const bool editor = mode == InteractionMode::editor;
  recordButton_->setVisible(editor);
  bar_->setVisible(editor && showPlaybackButtons_);
}

void CueView::fillMenu(InteractionMode mode) {
  menuMode_ = mode;
  menu_->clear();
  const QColor colour = symbolColour(*menu_);
  QAction *syncNow =
      menu_->addAction(symbolIcon(u"arrow.clockwise"_s, colour, Style::onSelection()),
                       tr("Sync Now"), this, &CueView::syncNow);
  syncNow->setObjectName(u"cues.menu.syncNow"_s);
  // Viewer mode leaves the editing items out altogether.
  if (mode == InteractionMode::viewer) return;
  QAction *addBreaker = menu_->addAction(
      symbolIcon(u"plus.rectangle.on.rectangle"_s, colour, Style::onSelection()), tr("Add Breaker"),
      this,
      [this] { openSceneBreakSheet({SceneBreakEditor::Add{model_->defaultBreakerCueNumber()}}); });
  addBreaker->setObjectName(u"cues.menu.addBreaker"_s);
  QAction *showButtons = menu_->addAction(
      symbolIcon(u"play.rectangle"_s, colour, Style::onSelection()), tr("Show Buttons"));
  showButtons->setObjectName(u"cues.menu.showButtons"_s);
  showButtons->setCheckable(true);
  showButtons->setChecked(showPlaybackButtons_);
  connect(showButtons, &QAction::toggled, this, &CueView::setShowPlaybackButtons);
}

void CueView::setShowPlaybackButtons(bool shown) {
  showPlaybackButtons_ = shown;
  redraw();
}

void CueView::syncNow() { app_.requestFullSync(u"Cue refresh"_s); }

void CueView::openCue(const QModelIndex &index) {
  // A header is something to read: a click on it opens nothing.
  const std::optional<Cue> cue = model_->cueAt(index.row());
  if (!cue) return;
  auto *detail = new CueDetailView(app_, *cue);
  stack_->push(detail, detail->title());
}

bool CueView::eventFilter(QObject *watched, QEvent *event) {
  // Enter and Space on the current row do what a click on it does.
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool opens =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
    if (opens && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        list_->currentIndex().isValid()) {
      openCue(list_->currentIndex());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CueView::showBreakerMenu(const QPoint &at) {
  const std::optional<CueSceneBreak> sceneBreak = model_->sceneBreakAt(list_->indexAt(at).row());
  if (!sceneBreak) return;
  auto *menu = new QMenu(this);
  menu->setObjectName(u"cues.breakerMenu"_s);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction *rename = menu->addAction(
      symbolIcon(u"pencil"_s, symbolColour(*menu), Style::onSelection()), tr("Rename Breaker"),
      this, [this, sceneBreak] { openSceneBreakSheet({SceneBreakEditor::Rename{*sceneBreak}}); });
  rename->setObjectName(u"cues.breakerMenu.rename"_s);
  QAction *remove = menu->addAction(
      symbolIcon(u"trash"_s, Style::light(Style::Role::failure), Style::onSelection()),
      tr("Delete Breaker"), this, [this, sceneBreak] { confirmBreakerDeletion(*sceneBreak); });
  remove->setObjectName(u"cues.breakerMenu.delete"_s);
  menu->popup(list_->viewport()->mapToGlobal(at));
}

void CueView::openBreakerActions(const CueSceneBreak &sceneBreak) {
  if (sceneBreakActions_) return;
  sceneBreakActions_ = sceneBreak;
  // The title is the breaker's own label, never looked up for a translation: one line of it
  // as wide as the page at most, so a 64 KB label costs the box what a short one does.
  QMessageBox *box =
      plainMessageBox(this, u"cues.breakerActions"_s,
                      elidedLine(fontMetrics(), breakerActionsTitle(sceneBreak), width()),
                      breakerActionsMessage(sceneBreak));
  QPushButton *rename = box->addButton(tr("Rename Breaker"), QMessageBox::ActionRole);
  rename->setObjectName(u"cues.breakerActions.rename"_s);
  QPushButton *remove =
      destructiveButton(*box, tr("Delete Breaker"), u"cues.breakerActions.delete"_s);
  addCancelButton(*box);
  connect(box, &QMessageBox::finished, this, [this, box, rename, remove] {
    const std::optional<CueSceneBreak> sceneBreak = std::exchange(sceneBreakActions_, std::nullopt);
    if (!sceneBreak) return;
    if (box->clickedButton() == rename)
      openSceneBreakSheet({SceneBreakEditor::Rename{*sceneBreak}});
    if (box->clickedButton() == remove) confirmBreakerDeletion(*sceneBreak);
  });
  box->open();
}

void CueView::confirmBreakerDeletion(const CueSceneBreak &sceneBreak) {
  if (sceneBreakToDelete_) return;
  sceneBreakToDelete_ = sceneBreak;
  QMessageBox *box = plainMessageBox(this, u"cues.breakerDelete"_s, tr("Delete this breaker?"),
                                     breakerDeleteMessage(sceneBreak));
  QPushButton *remove =
      destructiveButton(*box, tr("Delete Breaker"), u"cues.breakerDelete.confirm"_s);
  addCancelButton(*box);
  connect(box, &QMessageBox::finished, this, [this, box, remove] {
    const std::optional<CueSceneBreak> sceneBreak =
        std::exchange(sceneBreakToDelete_, std::nullopt);
    if (sceneBreak && box->clickedButton() == remove) app_.removeCueScene(sceneBreak->cueNumber, 1);
  });
  box->open();
}

void CueView::openSceneBreakSheet(const SceneBreakEditor &editor) {
  if (sceneBreakEditor_) return;
  sceneBreakEditor_ = editor;
  auto *sheet = new SceneBreakSheet(app_, editor, this);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  connect(sheet, &QDialog::finished, this, [this] { sceneBreakEditor_.reset(); });
  sheet->open();
}

void CueView::openRecordSheet() {
  if (showingAddCue_) return;
  showingAddCue_ = true;
  auto *sheet = new AddCueSheet(app_, this);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  connect(sheet, &QDialog::finished, this, [this] { showingAddCue_ = false; });
  sheet->open();
}

}  // namespace tarnik
