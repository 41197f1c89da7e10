#include "screens/patch/CatalogListPage.h"

#include "screens/patch/CatalogResultsArea.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace tarnik {

CatalogListPage::CatalogListPage(const QString &name, const QString &prompt, QWidget *parent)
    : QWidget(parent),
      field_(new QLineEdit),
      results_(new CatalogResultsArea(name + QStringLiteral(".results"))) {
  setObjectName(name);
  field_->setObjectName(name + QStringLiteral(".search"));
  field_->setPlaceholderText(prompt);
  field_->setClearButtonEnabled(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->addWidget(field_);
  layout->addWidget(results_, 1);
  connect(field_, &QLineEdit::textChanged, this, [this](const QString &text) { load(text); });
}

QString CatalogListPage::query() const { return field_->text(); }

void CatalogListPage::beginLookup() {
  isLoading_ = true;
  results_->showProgress();
}

void CatalogListPage::finishLookup(QList<CatalogRow> rows) {
  isLoading_ = false;
  results_->showRows(std::move(rows), field_->text());
}

void CatalogListPage::loadFirstList() { load(field_->text()); }

void CatalogListPage::onRowPressed(std::function<void(int)> action) {
  connect(&results_->list(), &CatalogRowListView::rowPressed, this, std::move(action));
}

}  // namespace tarnik
