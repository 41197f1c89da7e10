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
    : QWidget(parent),
      progress_(progressRow(name + QStringLiteral(".progress"))),
      noResults_(new EmptyStateView(name + QStringLiteral(".noResults"))),
      list_(new CatalogRowListView(name + QStringLiteral(".list"))) {
  setObjectName(name);
  for (QWidget *page : pages()) page->setParent(this);
  showPage(progress_);
}

void CatalogResultsArea::showProgress() { showPage(progress_); }

void CatalogResultsArea::showRows(QList<CatalogRow> rows, const QString &queryAsTyped) {
  if (rows.isEmpty()) {
    noResults_->setSearchQuery(queryAsTyped);
    list_->setRows({});
    showPage(noResults_);
    return;
  }
  // On screen before the rows change, so the list lays the new rows out on its next turn,
  // as it does for any change of its model, rather than at once as it is shown.
  showPage(list_);
  list_->setRows(std::move(rows));
}

QSize CatalogResultsArea::sizeHint() const { return list_->sizeHint(); }

void CatalogResultsArea::resizeEvent(QResizeEvent *) {
  for (QWidget *page : pages()) page->setGeometry(rect());
}

void CatalogResultsArea::showPage(QWidget *page) {
  for (QWidget *each : pages()) each->setVisible(each == page);
}

std::array<QWidget *, 3> CatalogResultsArea::pages() const {
  return {progress_, noResults_, list_};
}

}  // namespace tarnik
