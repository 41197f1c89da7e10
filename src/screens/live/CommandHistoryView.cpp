#include "screens/live/CommandHistoryView.h"

#include "screens/kit/EmptyStateView.h"
#include "screens/live/CommandHistoryPresentation.h"
#include "screens/live/CommandHistoryRow.h"
#include "screens/live/SheetHeading.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMultiHash>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace tarnik {

CommandHistoryView::CommandHistoryView(const QList<CommandHistoryEntry> &entries,
                                       qsizetype maximumEntryCount, QWidget *parent)
    : QDialog(parent),
      maximumEntryCount_(maximumEntryCount),
      pages_(new QStackedLayout),
      empty_(new EmptyStateView(QStringLiteral("live.history.empty"))),
      list_(new QScrollArea) {
  setObjectName(QStringLiteral("live.history"));
  auto *layout = new QVBoxLayout(this);
  addSheetHeading(*this, *layout, tr("Command History"), objectName());
  empty_->setContent(QStringLiteral("text.line.first.and.arrowtriangle.forward"),
                     tr("No Command History"),
                     tr("Console feedback and commands sent from Tarnik will appear here with "
                        "their source and time."));
  list_->setObjectName(QStringLiteral("live.history.list"));
  list_->setWidgetResizable(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto *content = new QWidget;
  rows_ = new QVBoxLayout(content);
  rows_->addStretch();
  list_->setWidget(content);
  // In the dialog before its pages: a page added to a layout of no widget would become a
  // window of its own.
  layout->addLayout(pages_, 1);
  pages_->addWidget(empty_);
  pages_->addWidget(list_);
  setEntries(entries);
}

void CommandHistoryView::setEntries(const QList<CommandHistoryEntry> &entries) {
  if (!shownRows_.isEmpty() && entries == entries_) return;
  entries_ = entries;
  const QList<CommandHistoryEntry> recent =
      CommandHistoryPresentation::recentEntries(entries_, maximumEntryCount_);

  // Someone reading further down keeps the rows in sight where they are, their selection
  // included; at the newest entry, the top, the view follows what comes in.
  QScrollBar *bar = list_->verticalScrollBar();
  QPointer<CommandHistoryRow> inSight;
  int intoRow = 0;
  if (bar->value() > 0) {
    for (CommandHistoryRow *row : std::as_const(shownRows_)) {
      if (row->geometry().bottom() >= bar->value()) {
        inSight = row;
        intoRow = bar->value() - row->y();
        break;
      }
    }
  }
  placeRows(recent);
  pages_->setCurrentWidget(recent.isEmpty() ? static_cast<QWidget *>(empty_) : list_);
  if (inSight) {
    settleRows();
    bar->setValue(inSight->y() + intoRow);
  }
}

void CommandHistoryView::placeRows(const QList<CommandHistoryEntry> &recent) {
  QMultiHash<QUuid, CommandHistoryRow *> previous;
  for (CommandHistoryRow *row : std::as_const(shownRows_)) previous.insert(row->entry().id, row);
  QList<CommandHistoryRow *> placed;
  placed.reserve(recent.size());
  for (const CommandHistoryEntry &entry : recent) {
    CommandHistoryRow *row = previous.take(entry.id);
    // A recorded entry never changes; should one differ all the same, it is drawn afresh.
    if (row && row->entry() != entry) {
      delete row;
      row = nullptr;
    }
    placed.append(row ? row : new CommandHistoryRow(entry));
  }
  for (CommandHistoryRow *gone : std::as_const(previous)) delete gone;
  bool moved = false;
  for (qsizetype index = 0; index < placed.size(); ++index) {
    CommandHistoryRow *row = placed.at(index);
    if (rows_->indexOf(row) == index) continue;
    moved = true;
    rows_->removeWidget(row);
    rows_->insertWidget(static_cast<int>(index), row);
    // A row added to a sheet on screen would otherwise wait a turn to be shown, and take no
    // room until then.
    row->show();
  }
  // The rows' order among their siblings is the one assistive technologies read: newest
  // first, as they are shown.
  if (moved) {
    for (CommandHistoryRow *row : std::as_const(placed)) row->raise();
  }
  shownRows_ = placed;
}

void CommandHistoryView::settleRows() {
  rows_->activate();
  // The scroll area sizes its content to the rows it now holds and sets its range.
  QEvent request(QEvent::LayoutRequest);
  QCoreApplication::sendEvent(list_, &request);
}

}  // namespace tarnik
