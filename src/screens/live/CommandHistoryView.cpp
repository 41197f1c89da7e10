#include "screens/live/CommandHistoryView.h"

#include "screens/kit/EmptyStateView.h"
#include "screens/live/CommandHistoryPresentation.h"
#include "screens/live/CommandHistoryRow.h"
#include "screens/live/SheetHeading.h"

#include <QScrollArea>
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
  // In the dialog before its pages: a page added to a layout of no widget would become a
  // window of its own.
  layout->addLayout(pages_, 1);
  pages_->addWidget(empty_);
  pages_->addWidget(list_);
  setEntries(entries);
}

void CommandHistoryView::setEntries(const QList<CommandHistoryEntry> &entries) {
  if (rows_ && entries == entries_) return;
  entries_ = entries;
  const QList<CommandHistoryEntry> recent =
      CommandHistoryPresentation::recentEntries(entries_, maximumEntryCount_);
  // At most a hundred rows: making them afresh costs less than keeping them in step.
  auto *content = new QWidget;
  rows_ = new QVBoxLayout(content);
  for (const CommandHistoryEntry &entry : recent) rows_->addWidget(new CommandHistoryRow(entry));
  rows_->addStretch();
  list_->setWidget(content);
  pages_->setCurrentWidget(recent.isEmpty() ? static_cast<QWidget *>(empty_) : list_);
}

}  // namespace tarnik
