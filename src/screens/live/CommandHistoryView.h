#pragma once

#include "model/CommandHistoryEntry.h"

#include <QDialog>
#include <QList>

class QScrollArea;
class QStackedLayout;
class QVBoxLayout;

namespace tarnik {

class CommandHistoryRow;
class EmptyStateView;

// The "Command History" sheet: the newest entries first, at most maximumEntryCount of them,
// or an empty state when there are none to show. The Live page hands it the model's history
// again whenever it changes, so entries recorded while it is open appear at the top.
class CommandHistoryView : public QDialog {
  Q_OBJECT

 public:
  CommandHistoryView(const QList<CommandHistoryEntry> &entries, qsizetype maximumEntryCount,
                     QWidget *parent = nullptr);

  void setEntries(const QList<CommandHistoryEntry> &entries);

 private:
  void placeRows(const QList<CommandHistoryEntry> &recent);
  // Lays the rows out now, so that their places can be read before the next paint.
  void settleRows();

  const qsizetype maximumEntryCount_;
  QList<CommandHistoryEntry> entries_;
  QStackedLayout *pages_;
  EmptyStateView *empty_;
  QScrollArea *list_;
  QVBoxLayout *rows_;
  // The rows as shown, newest first.
  QList<CommandHistoryRow *> shownRows_;
};

}  // namespace tarnik
