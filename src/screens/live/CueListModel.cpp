#include "screens/live/CueListModel.h"

#include "app/AppViewModel.h"
#include "screens/live/CueOrdering.h"
#include "screens/live/CueTexts.h"

#include <QCoreApplication>

namespace tarnik {

CueListModel::CueListModel(QObject *parent) : QAbstractListModel(parent) {}

void CueListModel::follow(const AppViewModel &app) {
  const auto take = [this, &app] {
    setSource({.cues = app.cues(),
               .activeCueNumber = app.activeCueNumber(),
               .pendingCueNumber = app.pendingCueNumber(),
               .pendingCueLabel = app.pendingCueLabel()});
  };
  connect(&app, &AppViewModel::cuesChanged, this, take);
  connect(&app, &AppViewModel::activeCueNumberChanged, this, take);
  connect(&app, &AppViewModel::pendingCueNumberChanged, this, take);
  connect(&app, &AppViewModel::pendingCueLabelChanged, this, take);
  take();
}

void CueListModel::setSource(CueListSource source) {
  // A list that was not copied compares in constant time; one that was, cue by cue.
  const bool cuesChanged = source.cues != source_.cues;
  const bool activeChanged = source.activeCueNumber != source_.activeCueNumber;
  const bool pendingChanged = source.pendingCueNumber != source_.pendingCueNumber ||
                              source.pendingCueLabel != source_.pendingCueLabel;
  source_ = std::move(source);
  if (cuesChanged) {
    beginResetModel();
    sorted_ = tarnik::sortedCues(source_.cues);
    rebuildRows();
    endResetModel();
  } else if (activeChanged) {
    remarkActiveRows();
  }
  if (cuesChanged || pendingChanged) updatePlaybackCue();
}

void CueListModel::rebuildRows() {
  entries_.clear();
  const QList<CueGroup> groups = cueGroups(cueListRows(sorted_));
  entries_.reserve(static_cast<size_t>(sorted_.size() + groups.size()));
  const ActiveCueMarker marker(source_.activeCueNumber);
  qsizetype cueIndex = 0;
  for (const CueGroup &group : groups) {
    if (group.sceneBreak) {
      entries_.push_back({.kind = RowKind::sceneBreak, .sceneBreak = group.sceneBreak});
    } else if (group.showsCueListTitle) {
      entries_.push_back({.kind = RowKind::cueListTitle});
    }
    // The groups hold the sorted cues in order, so a running index finds each one.
    for (qsizetype i = 0; i < group.cues.size(); ++i, ++cueIndex) {
      entries_.push_back({.kind = RowKind::cue,
                          .cueIndex = cueIndex,
                          .active = marker.isActive(sorted_[cueIndex])});
    }
  }
}

void CueListModel::remarkActiveRows() {
  const ActiveCueMarker marker(source_.activeCueNumber);
  int runStart = -1;
  const auto endRun = [&](int row) {
    if (runStart < 0) return;
    emit dataChanged(index(runStart), index(row - 1), {IsActiveRole});
    runStart = -1;
  };
  const int rows = static_cast<int>(entries_.size());
  for (int row = 0; row < rows; ++row) {
    Entry &entry = entries_[static_cast<size_t>(row)];
    const bool active = entry.kind == RowKind::cue && marker.isActive(sorted_[entry.cueIndex]);
    if (active == entry.active) {
      endRun(row);
      continue;
    }
    entry.active = active;
    if (runStart < 0) runStart = row;
  }
  endRun(rows);
}

void CueListModel::updatePlaybackCue() {
  std::optional<Cue> next =
      tarnik::playbackCue(sorted_, source_.pendingCueNumber, source_.pendingCueLabel);
  if (next == playback_) return;
  playback_ = std::move(next);
  emit playbackCueChanged();
}

QString CueListModel::defaultBreakerCueNumber() const {
  return tarnik::defaultBreakerCueNumber(playback_, sorted_);
}

int CueListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

CueListModel::RowKind CueListModel::kind(int row) const {
  return entries_.at(static_cast<size_t>(row)).kind;
}

std::optional<Cue> CueListModel::cueAt(int row) const {
  if (row < 0 || row >= rowCount()) return std::nullopt;
  const Entry &entry = entries_[static_cast<size_t>(row)];
  if (entry.kind != RowKind::cue) return std::nullopt;
  return sorted_[entry.cueIndex];
}

std::optional<CueSceneBreak> CueListModel::sceneBreakAt(int row) const {
  if (row < 0 || row >= rowCount()) return std::nullopt;
  return entries_[static_cast<size_t>(row)].sceneBreak;
}

Qt::ItemFlags CueListModel::flags(const QModelIndex &index) const {
  if (!index.isValid() || index.row() >= rowCount()) return Qt::NoItemFlags;
  return kind(index.row()) == RowKind::cue ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                           : Qt::ItemIsEnabled;
}

QVariant CueListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Entry &entry = entries_[static_cast<size_t>(index.row())];
  const Cue *cue = entry.kind == RowKind::cue ? &sorted_[entry.cueIndex] : nullptr;
  switch (role) {
    case Qt::DisplayRole:
      switch (entry.kind) {
        case RowKind::cueListTitle:
          return QCoreApplication::translate("CueView", "Cue List 1");
        case RowKind::sceneBreak:
          return entry.sceneBreak->label;
        case RowKind::cue:
          return cueRowTitle(*cue);
      }
      return {};
    case KindRole:
      return static_cast<int>(entry.kind);
    case LabelTextRole:
      return cue ? QVariant(cueRowLabelText(*cue)) : QVariant();
    case IsActiveRole:
      return entry.active;
    case CueNumberRole:
      if (cue) return cue->number;
      return entry.sceneBreak ? QVariant(entry.sceneBreak->cueNumber) : QVariant();
    default:
      return {};
  }
}

}  // namespace tarnik
