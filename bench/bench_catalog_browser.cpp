// The catalog browser's search as a person meets it: from a keystroke in the search field
// to the list model holding the new modes, with the typing pause set to zero through the
// browser's timing, over the shipped catalog and over a synthetic one of 500,000 modes.
// The reference is the plain Qt way of filtering a list as one types: a
// QSortFilterProxyModel with a case-insensitive fixed-string filter over the same modes'
// joined manufacturer, model and mode names, from setFilterFixedString until its rows are
// settled. A burst of 20 keystrokes on the large catalog also measures the longest time
// the GUI thread could not answer.

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "RatioReporting.h"
#include "SyntheticFixtureCatalog.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "screens/patch/CatalogRowListView.h"
#include "screens/patch/FixtureCatalogView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

using namespace tarnik;

// No pause at all: the work runs as it is scheduled.
class ImmediateTiming final : public AppTiming {
 public:
  double uptime() override { return 0; }
  double date() override { return 0; }
  WorkItem schedule(double, std::function<void()> work) override {
    work();
    return {};
  }
  WorkItem repeat(double, std::function<void()>) override { return {}; }
};

// The synthetic catalog as a catalog file.
QByteArray largeCatalog() {
  return writeContainer(
      {fixtureContainerMagic, 1, writeFixturePayload(syntheticFixtureCatalog()), {}, {}, {}});
}

// One browser on screen over one catalog, typed into key by key.
struct Browser {
  Browser(const CatalogResourceLocator &bundle, std::shared_ptr<AppTiming> timing)
      : view(
            store, std::nullopt, [](const PatchFixtureChoice &) {}, [] {},
            {bundle, std::move(timing), &KeyedTaskExecutor::threadPool()}) {
    view.resize(560, 720);
    view.show();
    // The search list comes on the redraw after the store is ready; a catalog that never
    // loads leaves the browser not ready(), and its benchmarks say so.
    const bool settled = QTest::qWaitFor(
        [&] {
          field = view.findChild<QLineEdit *>(QStringLiteral("fixture.catalog.search"));
          return field || store.state().kind == FixtureCatalogStore::State::Kind::failed;
        },
        120'000);
    if (!settled) std::fprintf(stderr, "the catalog did not load in time\n");
    list = view.findChild<CatalogRowListView *>(QStringLiteral("fixture.catalog.results.list"));
  }

  bool ready() const { return field && list && store.database(); }

  // Types, then runs the event loop until the list model takes the search's results.
  void typeAndWait(const std::function<void()> &type) {
    QEventLoop loop;
    const auto connection =
        QObject::connect(list->model(), &QAbstractItemModel::modelReset, &loop, &QEventLoop::quit);
    type();
    loop.exec();
    QObject::disconnect(connection);
  }

  FixtureCatalogStore store;
  FixtureCatalogView view;
  QLineEdit *field = nullptr;
  CatalogRowListView *list = nullptr;
};

// The joined names of every mode, as the reference filters them.
QStringList joinedModeNames(const FixtureCatalogDatabase &database) {
  QStringList names;
  const int count = database.metadata().modeCount;
  names.reserve(count);
  for (int index = 0; index < count; ++index) {
    const FixtureCatalogMode mode = database.mode(index);
    names.append(mode.manufacturer + u' ' + mode.model + u' ' + mode.mode);
  }
  return names;
}

std::unique_ptr<Browser> shipped;
std::unique_ptr<Browser> large;

// Alternates removing and retyping the query's last letter, so every key changes the text.
void typeIntoBrowser(benchmark::State &state, Browser &browser, const QString &query) {
  if (!browser.ready()) {
    state.SkipWithError("the catalog did not load");
    return;
  }
  // From blank, so that the text changes however the last run left it.
  browser.field->clear();
  browser.typeAndWait([&] { browser.field->setText(query); });
  bool full = true;
  for (auto _ : state) {
    browser.typeAndWait([&] {
      if (full) {
        QTest::keyClick(browser.field, Qt::Key_Backspace);
      } else {
        QTest::keyClicks(browser.field, query.right(1));
      }
    });
    full = !full;
    // The list's layout and painting of those rows come after the measured span (the
    // reference has no view at all); they are the burst's stall figure below.
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}

void filterWithProxy(benchmark::State &state, Browser &browser, const QString &query) {
  if (!browser.ready()) {
    state.SkipWithError("the catalog did not load");
    return;
  }
  QStringListModel names(joinedModeNames(*browser.store.database()));
  QSortFilterProxyModel proxy;
  proxy.setSourceModel(&names);
  proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
  bool full = true;
  for (auto _ : state) {
    proxy.setFilterFixedString(full ? query.chopped(1) : query);
    benchmark::DoNotOptimize(proxy.rowCount());
    full = !full;
  }
}

void searchShippedCatalog(benchmark::State &state) {
  typeIntoBrowser(state, *shipped, QStringLiteral("wash"));
}
void filterShippedCatalog(benchmark::State &state) {
  filterWithProxy(state, *shipped, QStringLiteral("wash"));
}
void searchLargeCatalog(benchmark::State &state) {
  typeIntoBrowser(state, *large, QStringLiteral("wash"));
}
void filterLargeCatalog(benchmark::State &state) {
  filterWithProxy(state, *large, QStringLiteral("wash"));
}

BENCHMARK(searchShippedCatalog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(filterShippedCatalog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(searchLargeCatalog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(filterLargeCatalog)->Unit(benchmark::kMillisecond)->UseRealTime();

// 20 keys, 30 ms apart, on the large catalog with the pause at zero, so that every key
// starts a search; a 1 ms beat on the GUI thread records its longest gap until the last
// key's results are in the list.
double longestStallDuringBurst(Browser &browser) {
  browser.field->clear();
  QCoreApplication::processEvents();
  const QString burst = QStringLiteral("wash 10 standard pix");
  QElapsedTimer sinceTick;
  qint64 longest = 0;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = std::max(longest, sinceTick.nsecsElapsed());
    sinceTick.restart();
  });
  int typed = 0;
  QTimer keys;
  keys.setTimerType(Qt::PreciseTimer);
  QObject::connect(&keys, &QTimer::timeout, [&] {
    if (typed == burst.size()) {
      keys.stop();
      return;
    }
    QTest::keyClicks(browser.field, burst.mid(typed++, 1));
  });
  QEventLoop loop;
  QObject::connect(browser.list->model(), &QAbstractItemModel::modelReset, &loop, [&] {
    if (typed == burst.size() && browser.field->text() == burst) loop.quit();
  });
  sinceTick.start();
  beat.start(1);
  keys.start(30);
  QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
  loop.exec();
  return double(longest) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
  // The browser is measured on an offscreen surface unless a display is asked for; that
  // surface says on every window that it cannot pass size hints on, which is no news here.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
  qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (!text.contains(QStringLiteral("propagateSizeHints"))) previous(type, context, text);
      });
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  tarnik::initializeRepeatedBenchmarks(argc, argv, 5, tarnik::BenchInterleaving::off);

  QTemporaryDir folder;
  QFile file(folder.filePath(QStringLiteral("FixtureCatalog.tfcat")));
  if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(largeCatalog()) < 0) {
    std::fprintf(stderr, "cannot write the synthetic catalog\n");
    return 1;
  }
  file.close();
  const auto immediate = std::make_shared<ImmediateTiming>();
  shipped = std::make_unique<Browser>(CatalogResourceLocator::standard(), immediate);
  large = std::make_unique<Browser>(CatalogResourceLocator({folder.path()}), immediate);

  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("catalog_browser_search_shipped", "searchShippedCatalog",
                      "filterShippedCatalog");
  reporter.printRatio("catalog_browser_search_500k", "searchLargeCatalog", "filterLargeCatalog");
  if (large->ready()) {
    std::printf("FIGURE catalog_browser_gui_stall_ms %.3f\n", longestStallDuringBurst(*large));
  }
  shipped.reset();
  large.reset();
  benchmark::Shutdown();
  return 0;
}
