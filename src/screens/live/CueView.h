#pragma once

#include "screens/live/CueListRows.h"

#include <QWidget>

#include <memory>
#include <optional>

class QListView;
class QMenu;
class QToolButton;

namespace tarnik {

class AppTiming;
class AppViewModel;
class CueListModel;
class CuePlaybackBar;
class EmptyStateView;
class NavigationStack;
enum class InteractionMode;

// The "Cues" page: cue list 1 under its breakers with the sync card above, the playback bar
// below, the detail of a cue a click away, and the sheets and dialogs that record cues and
// add, rename and delete breakers. It keeps only what is on screen; every change goes
// through the model. A new page starts with the playback bar wanted.
//
// Parts: cues (the navigation stack: cues.back, cues.title, cues.toolbar), cues.list,
// cues.empty, cues.menu (cues.menu.syncNow, .addBreaker, .showButtons), cues.record,
// cues.playback, cues.breakerActions, cues.breakerDelete, cues.breakerMenu; the card's,
// the bar's, the detail's and the sheets' own parts.
class CueView : public QWidget {
  Q_OBJECT

 public:
  // The timing measures long presses; tests hand in virtual time.
  explicit CueView(AppViewModel &app, std::shared_ptr<AppTiming> timing = {},
                   QWidget *parent = nullptr);

  bool showsPlaybackButtons() const { return showPlaybackButtons_; }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void redraw();
  void fillMenu(InteractionMode mode);
  void syncNow();
  void openCue(const QModelIndex &index);
  void showBreakerMenu(const QPoint &at);
  void openBreakerActions(const CueSceneBreak &sceneBreak);
  void confirmBreakerDeletion(const CueSceneBreak &sceneBreak);
  void openSceneBreakSheet(const SceneBreakEditor &editor);
  void openRecordSheet();
  void setShowPlaybackButtons(bool shown);

  AppViewModel &app_;
  std::shared_ptr<AppTiming> timing_;
  NavigationStack *stack_;
  CueListModel *model_;
  QListView *list_;
  EmptyStateView *empty_;
  CuePlaybackBar *bar_;
  QToolButton *menuButton_;
  QMenu *menu_;
  QToolButton *recordButton_;
  std::optional<InteractionMode> menuMode_;

  // What is open, one field each, cleared by any close.
  bool showingAddCue_ = false;
  std::optional<SceneBreakEditor> sceneBreakEditor_;
  std::optional<CueSceneBreak> sceneBreakActions_;
  std::optional<CueSceneBreak> sceneBreakToDelete_;
  bool showPlaybackButtons_ = true;
};

}  // namespace tarnik
