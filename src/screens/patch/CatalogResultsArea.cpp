#include "screens/patch/CatalogResultsArea.h"

#include "screens/kit/EmptyStateView.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// A busy indicator centred in a row of its own at the top of the area.
QWidget *progressRow(const QString &name) {
  auto *row = new QWidget;
  row->setObjectName(name);
  auto *indicator = new QProgressBar;
  indicator->setRange(0, 0);
  indicator->setTextVisible(false);
  indicator->setFixedWidth(96);
  indicator->setAccessibleName(QStringLiteral("Searching"));
  auto *line = new QHBoxLayout;
  line->addStretch(1);
  line->addWidget(indicator);
  line->addStretch(1);
  auto *layout = new QVBoxLayout(row);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addLayout(line);
  layout->addStretch(1);
  return row;
}

}  // namespace

CatalogResultsArea::CatalogResultsArea(const QString &name, QWidget *parent)
    : QStackedWidget(parent),
      progress_(progressRow(name + QStringLiteral(".progress"))),
      noResults_(new EmptyStateView(name + QStringLiteral(".noResults"))),
      list_(new CatalogRowListView(name + QStringLiteral(".list"))) {
  setObjectName(name);
  addWidget(progress_);
  addWidget(noResults_);
  addWidget(list_);
}

void CatalogResultsArea::showProgress() { setCurrentWidget(progress_); }

void CatalogResultsArea::showRows(QList<CatalogRow> rows, const QString &queryAsTyped) {
  if (rows.isEmpty()) {
    noResults_->setSearchQuery(queryAsTyped);
    list_->setRows({});
    setCurrentWidget(noResults_);
    return;
  }
  list_->setRows(std::move(rows));
  setCurrentWidget(list_);
}

}  // namespace tarnik
