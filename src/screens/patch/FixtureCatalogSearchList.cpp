#include "screens/patch/FixtureCatalogSearchList.h"

#include "model/catalog/FixtureCatalogStore.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/CatalogChoice.h"
#include "screens/patch/CatalogModeSearch.h"
#include "screens/patch/CatalogResultsArea.h"
#include "screens/patch/FixtureLibraryBanner.h"
#include "screens/patch/FixtureModelsView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tarnik {

namespace {

const QString prefix = QStringLiteral("fixture.catalog");

QLabel *sectionHeader(const QString &text) {
  QLabel *header = plainLabel(text);
  QFont font = header->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 0.9);
  header->setFont(font);
  header->setForegroundRole(QPalette::PlaceholderText);
  return header;
}

QWidget *section(QLabel *header, std::initializer_list<QWidget *> content, int stretchOf = -1) {
  auto *box = new QWidget;
  auto *layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  if (header) layout->addWidget(header);
  int index = 0;
  for (QWidget *widget : content) layout->addWidget(widget, index++ == stretchOf ? 1 : 0);
  return box;
}

}  // namespace

FixtureCatalogSearchList::FixtureCatalogSearchList(
    CatalogBrowserContext context, std::optional<QString> reportedFixtureLibraryVersion,
    std::shared_ptr<AppTiming> timing, QWidget *parent)
    : QWidget(parent),
      context_(std::move(context)),
      reportedVersion_(std::move(reportedFixtureLibraryVersion)),
      search_(new CatalogModeSearch(*context_.store, std::move(timing), *context_.executor, this)),
      field_(new QLineEdit),
      bundled_(plainLabel({}, prefix + QStringLiteral(".bundled"))),
      bannerIcon_(plainLabel({}, prefix + QStringLiteral(".bannerIcon"))),
      banner_(plainLabel({}, prefix + QStringLiteral(".banner"))),
      sections_(new QStackedWidget),
      results_(new CatalogResultsArea(prefix + QStringLiteral(".results"))),
      limitNote_(plainLabel({}, prefix + QStringLiteral(".limitNote"))),
      manufacturers_(new CatalogRowListView(prefix + QStringLiteral(".manufacturers"))),
      refresh_(new ScreenRefresh(this, [this] {
        redrawLibrary();
        redrawManufacturers();
      })) {
  field_->setObjectName(prefix + QStringLiteral(".search"));
  field_->setPlaceholderText(QStringLiteral("Manufacturer, model, or mode"));
  field_->setClearButtonEnabled(true);

  auto *bundledRow = new QHBoxLayout;
  bundledRow->addWidget(new QLabel(QStringLiteral("Bundled")));
  bundledRow->addStretch(1);
  bundledRow->addWidget(bundled_);
  bundled_->setForegroundRole(QPalette::PlaceholderText);
  auto *bannerRow = new QHBoxLayout;
  bannerRow->addWidget(bannerIcon_, 0, Qt::AlignTop);
  bannerRow->addWidget(banner_, 1);
  banner_->setWordWrap(true);
  auto *bannerBox = new QWidget;
  auto *libraryRows = new QVBoxLayout(bannerBox);
  libraryRows->setContentsMargins(12, 4, 12, 4);
  libraryRows->addLayout(bundledRow);
  libraryRows->addLayout(bannerRow);
  library_ = section(sectionHeader(QStringLiteral("Library")), {bannerBox});

  limitNote_->setText(
      QStringLiteral("Showing the first 100 matching modes. Add a manufacturer, model, or mode "
                     "name to narrow the search."));
  limitNote_->setWordWrap(true);
  limitNote_->setFont(Style::captionFont(limitNote_->font()));
  limitNote_->setForegroundRole(QPalette::PlaceholderText);
  limitNote_->setContentsMargins(12, 4, 12, 4);
  modes_ = section(sectionHeader(QStringLiteral("Modes")), {results_, limitNote_}, 0);
  modes_->setObjectName(prefix + QStringLiteral(".modes"));
  manufacturerSection_ =
      section(sectionHeader(QStringLiteral("Manufacturers")), {manufacturers_}, 0);
  sections_->addWidget(modes_);
  sections_->addWidget(manufacturerSection_);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->setSpacing(10);
  layout->addWidget(field_);
  layout->addWidget(library_);
  layout->addWidget(sections_, 1);

  connect(field_, &QLineEdit::textChanged, search_, &CatalogModeSearch::setQuery);
  connect(search_, &CatalogModeSearch::changed, this, &FixtureCatalogSearchList::redrawSearch);
  connect(&results_->list(), &CatalogRowListView::rowPressed, this, [this](int row) {
    const QList<FixtureCatalogMode> &found = search_->results();
    if (row >= 0 && row < found.size()) context_.select(found[row]);
  });
  connect(manufacturers_, &CatalogRowListView::rowPressed, this, [this](int row) {
    const QList<FixtureCatalogManufacturer> &all = context_.store->manufacturers();
    if (row < 0 || row >= all.size()) return;
    context_.navigation->push(new FixtureModelsView(context_, all[row]),
                              shownCatalogName(all[row].name));
  });
  refresh_->observe(*context_.store);
  refresh_->redrawNow();
  redrawSearch();
}

void FixtureCatalogSearchList::redrawLibrary() {
  const auto &metadata = context_.store->metadata();
  library_->setVisible(metadata.has_value());
  if (!metadata) return;
  bundled_->setText(metadata->libraryVersion);
  const FixtureLibraryBanner banner = FixtureLibraryBanner::of(
      reportedVersion_, context_.store->compareLibraryVersion(reportedVersion_));
  const bool caption = banner.style != FixtureLibraryBanner::Style::body;
  const QColor colour = banner.style == FixtureLibraryBanner::Style::warningCaption
                            ? Style::light(Style::Role::warning)
                            : palette().color(QPalette::PlaceholderText);
  QFont font = this->font();
  banner_->setFont(caption ? Style::captionFont(font) : font);
  QPalette bannerPalette = banner_->palette();
  bannerPalette.setColor(QPalette::WindowText, colour);
  banner_->setPalette(bannerPalette);
  banner_->setText(banner.text);
  bannerIcon_->setPixmap(
      symbolPixmap(banner.symbol, colour, QFontMetrics(banner_->font()).height()));
}

void FixtureCatalogSearchList::redrawManufacturers() {
  QList<CatalogRow> rows;
  const QList<FixtureCatalogManufacturer> &all = context_.store->manufacturers();
  rows.reserve(all.size());
  for (const FixtureCatalogManufacturer &manufacturer : all) {
    rows.append({shownCatalogName(manufacturer.name),
                 QString::number(manufacturer.modelCount) + QStringLiteral(" models · ") +
                     QString::number(manufacturer.modeCount) + QStringLiteral(" modes"),
                 {},
                 prefix + QStringLiteral(".manufacturer.") + QString::number(manufacturer.id)});
  }
  if (rows != manufacturers_->rows().rows()) manufacturers_->setRows(std::move(rows));
}

void FixtureCatalogSearchList::redrawSearch() {
  if (!search_->hasQuery()) {
    sections_->setCurrentWidget(manufacturerSection_);
    limitNote_->hide();
    return;
  }
  sections_->setCurrentWidget(modes_);
  // The note belongs to the last results shown, so it stays under the progress row of a
  // newer search until that search's own results replace them.
  limitNote_->setVisible(search_->reachedLimit());
  if (search_->isSearching()) {
    results_->showProgress();
  } else {
    results_->showRows(search_->rows(), search_->query());
  }
}

}  // namespace tarnik
