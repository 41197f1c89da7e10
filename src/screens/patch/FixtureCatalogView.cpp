#include "screens/patch/FixtureCatalogView.h"

#include "app/SystemAppTiming.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "screens/kit/EmptyStateView.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/patch/CatalogChoice.h"
#include "screens/patch/FixtureCatalogSearchList.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tarnik {

namespace {

const QString prefix = QStringLiteral("fixture.catalog");

QWidget *loadingPage() {
  auto *page = new QWidget;
  page->setObjectName(prefix + QStringLiteral(".loading"));
  auto *indicator = new QProgressBar;
  indicator->setRange(0, 0);
  indicator->setTextVisible(false);
  indicator->setFixedWidth(160);
  QLabel *text = plainLabel(QStringLiteral("Loading fixture library…"));
  text->setForegroundRole(QPalette::PlaceholderText);
  auto *layout = new QVBoxLayout(page);
  layout->addStretch(1);
  layout->addWidget(indicator, 0, Qt::AlignHCenter);
  layout->addWidget(text, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  return page;
}

}  // namespace

FixtureCatalogView::FixtureCatalogView(FixtureCatalogStore &store,
                                       std::optional<QString> reportedFixtureLibraryVersion,
                                       std::function<void(const PatchFixtureChoice &)> onSelect,
                                       std::function<void()> onCancel,
                                       FixtureCatalogServices services, QWidget *parent)
    : QWidget(parent),
      store_(store),
      reportedVersion_(std::move(reportedFixtureLibraryVersion)),
      onSelect_(std::move(onSelect)),
      services_(std::move(services)),
      timing_(services_.timing ? services_.timing : std::make_shared<SystemAppTiming>()),
      navigation_(new NavigationStack(prefix)),
      content_(new QStackedWidget),
      loading_(loadingPage()),
      unavailable_(new EmptyStateView(prefix + QStringLiteral(".unavailable"))),
      refresh_(new ScreenRefresh(this, [this] { redraw(); })) {
  auto *cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(prefix + QStringLiteral(".cancel"));
  connect(cancel, &QPushButton::clicked, this, [onCancel = std::move(onCancel)] { onCancel(); });
  connect(unavailable_->button(QStringLiteral("Try Again")), &QPushButton::clicked, this,
          [this] { store_.loadIfNeeded(services_.bundle); });
  content_->addWidget(loading_);
  content_->addWidget(unavailable_);
  navigation_->push(content_, QStringLiteral("Fixture Library"), cancel);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(navigation_);
  refresh_->observe(store_);
  refresh_->redrawNow();
}

FixtureCatalogView::~FixtureCatalogView() = default;

void FixtureCatalogView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // The store loads once for the whole program; it ignores this while loading or loaded.
  store_.loadIfNeeded(services_.bundle);
}

void FixtureCatalogView::redraw() {
  const FixtureCatalogStore::State &state = store_.state();
  switch (state.kind) {
    case FixtureCatalogStore::State::Kind::idle:
    case FixtureCatalogStore::State::Kind::loading:
      content_->setCurrentWidget(loading_);
      return;
    case FixtureCatalogStore::State::Kind::failed:
      unavailable_->setContent(QStringLiteral("shippingbox"),
                               QStringLiteral("Fixture Library Unavailable"), state.message);
      content_->setCurrentWidget(unavailable_);
      return;
    case FixtureCatalogStore::State::Kind::ready:
      if (!list_) {
        const CatalogBrowserContext context{
            &store_, navigation_,
            services_.executor ? services_.executor : &KeyedTaskExecutor::threadPool(),
            [this](const FixtureCatalogMode &mode) { onSelect_(choiceFromMode(mode)); }};
        list_ = new FixtureCatalogSearchList(context, reportedVersion_, timing_);
        content_->addWidget(list_);
      }
      content_->setCurrentWidget(list_);
      return;
  }
}

}  // namespace tarnik
