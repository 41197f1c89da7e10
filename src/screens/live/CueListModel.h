#pragma once

#include "model/Cue.h"
#include "screens/live/CueListRows.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace tarnik {

class AppViewModel;

// The model's values the cue list is computed from.
struct CueListSource {
  QList<Cue> cues{};
  QString activeCueNumber{};
  QString pendingCueNumber{};
  QString pendingCueLabel{};
};

// Cue list 1 as flat rows for one QListView: each group's header (its breaker, or "Cue
// List 1" above cues that precede every breaker), then its cues. The model publishes on
// every assignment, repeats included, so each value is compared before anything is
// recomputed: new cues reset the rows, a new active number changes only the rows whose
// marker moves, and the rest of the model's notices change nothing.
class CueListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum class RowKind { cueListTitle, sceneBreak, cue };
  enum Role {
    KindRole = Qt::UserRole + 1,  // RowKind as int
    LabelTextRole,                // a cue's display label, or "No label"
    IsActiveRole,                 // a cue the console's active number marks
    CueNumberRole,                // the cue's number, or the breaker's cue number
  };

  explicit CueListModel(QObject *parent = nullptr);

  // Takes the application model's values now and whenever one of the four is published.
  void follow(const AppViewModel &app);
  void setSource(CueListSource source);

  int rowCount(const QModelIndex &parent = {}) const override;
  // Qt::DisplayRole is the row's title: "Cue 5", the breaker's label or "Cue List 1".
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  // Only cue rows can be selected; a header is something to read, not to pick.
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  RowKind kind(int row) const;
  // The cue of a cue row; none for a header.
  std::optional<Cue> cueAt(int row) const;
  // The breaker of a breaker header; none for any other row.
  std::optional<CueSceneBreak> sceneBreakAt(int row) const;

  const QList<Cue> &sortedCues() const { return sorted_; }
  const std::optional<Cue> &playbackCue() const { return playback_; }
  QString defaultBreakerCueNumber() const;

 signals:
  // The Go button's next cue may have changed.
  void playbackCueChanged();

 private:
  struct Entry {
    RowKind kind = RowKind::cue;
    qsizetype cueIndex = -1;  // into sorted_, for a cue row
    std::optional<CueSceneBreak> sceneBreak{};
    bool active = false;
  };

  void rebuildRows();
  void remarkActiveRows();
  void updatePlaybackCue();

  CueListSource source_;
  QList<Cue> sorted_;
  std::vector<Entry> entries_;
  std::optional<Cue> playback_;
};

}  // namespace tarnik
