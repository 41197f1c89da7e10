// The kit's labels holding a console's 64 KB text, under the offscreen platform, the worst of
// five kinds of text (one unbroken word, CJK, words, a letter between characters of no width,
// a letter under combining marks), each the median of several runs:
// - a cue's page opened on such a label: built, shown and painted once;
// - one resize step of that page, laid out and painted again;
// - the tooltip of an elided label holding such a text: shown and painted;
// - the Live page's show details sheet, at the smallest window's size, for a show of such a
//   name: opened (built, shown and painted once), and the GUI thread's busy share over 2 s
//   while it stays open and the console's replies refresh it.

#include "GuiThreadTime.h"
#include "LongConsoleTexts.h"
#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "operations/EosOSCAddress.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/LiveShowDetailsView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace tarnik;

constexpr int runs = 7;
// The show details sheet of the smallest window, 950 x 680.
constexpr QSize detailsSheet(855, 340);
constexpr int idleMilliseconds = 2000;
constexpr int settleMilliseconds = 300;
// A connected console's replies refresh an open sheet about as often.
constexpr int refreshMilliseconds = 500;

double milliseconds(const std::function<void()> &work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return double(timer.nsecsElapsed()) / 1e6;
}

// The worst kind's median, each kind named with its own.
double worstOfKinds(const char *figure, const std::function<double(const QString &)> &run,
                    int runsOfEach = runs) {
  double worst = 0;
  for (const bench::LongConsoleText &kind : bench::longConsoleTexts()) {
    std::vector<double> times;
    for (int at = 0; at < runsOfEach; ++at) times.push_back(run(kind.text));
    const double typical = median(times);
    std::printf("# %s %s %.2f\n", figure, kind.kind, typical);
    worst = std::max(worst, typical);
  }
  return worst;
}

// The application model on a settings file of its own, without a console.
struct Model {
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  AppViewModel app{{.defaults = &settings, .startNetworkingOnInit = false}};
};

double cuePageOpen(Model &model, const QString &label) {
  std::unique_ptr<CueDetailView> view;
  return milliseconds([&] {
    view = std::make_unique<CueDetailView>(model.app,
                                           Cue{.number = QStringLiteral("5"), .label = label});
    view->resize(420, 640);
    view->show();
    QCoreApplication::processEvents();
    view->repaint();
  });
}

// A step of a window's edge being dragged: 8 pixels narrower, laid out and painted.
double cuePageResize(Model &model, const QString &label) {
  CueDetailView view(model.app, Cue{.number = QStringLiteral("5"), .label = label});
  view.resize(420, 640);
  view.show();
  QCoreApplication::processEvents();
  view.repaint();
  return milliseconds([&] {
    view.resize(412, 640);
    QCoreApplication::processEvents();
    view.repaint();
  });
}

QWidget *visibleToolTip() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (widget->inherits("QTipLabel") && widget->isVisible()) return widget;
  }
  return nullptr;
}

void askForToolTip(QWidget &widget) {
  QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), widget.mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(&widget, &help);
}

// The pointer comes to rest on the elided label after resting on a short one.
double elidedToolTip(const QString &text) {
  QWidget window;
  auto *layout = new QVBoxLayout(&window);
  auto *shortLabel = new ElidedLabel(QStringLiteral("Main stage"));
  auto *longLabel = new ElidedLabel;
  layout->addWidget(shortLabel);
  layout->addWidget(longLabel);
  window.resize(360, 120);
  window.show();
  longLabel->setFullText(text);
  QCoreApplication::processEvents();
  askForToolTip(*shortLabel);
  QCoreApplication::processEvents();
  return milliseconds([&] {
    askForToolTip(*longLabel);
    QCoreApplication::processEvents();
    if (QWidget *tip = visibleToolTip()) tip->repaint();
  });
}

// The console's reply naming its show; the model publishes it a turn later.
void nameTheShow(AppViewModel &app, const QString &name) {
  app.handleOSCMessage(EosOSCAddress::showNameReply, {OSCArgument::fromString(name)});
}

double showDetailsOpen(Model &model, const QString &name) {
  nameTheShow(model.app, name);
  QCoreApplication::processEvents();
  std::unique_ptr<LiveShowDetailsView> sheet;
  return milliseconds([&] {
    sheet = std::make_unique<LiveShowDetailsView>(model.app);
    sheet->resize(detailsSheet);
    sheet->show();
    QCoreApplication::processEvents();
    sheet->repaint();
  });
}

// The busy share of the span once the sheet has settled, the console naming its show again
// at each refresh.
double showDetailsIdleBusyPercent(Model &model, const QString &name) {
  nameTheShow(model.app, name);
  QCoreApplication::processEvents();
  LiveShowDetailsView sheet(model.app);
  sheet.resize(detailsSheet);
  sheet.show();
  QTimer replies;
  QObject::connect(&replies, &QTimer::timeout, [&] { nameTheShow(model.app, name); });
  replies.start(refreshMilliseconds);
  bench::runEventLoop(settleMilliseconds);
  const double start = bench::threadMilliseconds();
  bench::runEventLoop(idleMilliseconds);
  return (bench::threadMilliseconds() - start) * 100 / idleMilliseconds;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  // Each kind's line as soon as it is measured.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Model model;
  std::printf("FIGURE cue_detail_open_64kb_word_ms %.2f\n",
              worstOfKinds("cue_detail_open",
                           [&](const QString &text) { return cuePageOpen(model, text); }));
  std::printf("FIGURE cue_detail_resize_step_64kb_ms %.2f\n",
              worstOfKinds("cue_detail_resize",
                           [&](const QString &text) { return cuePageResize(model, text); }));
  std::printf("FIGURE elided_tooltip_64kb_ms %.2f\n",
              worstOfKinds("elided_tooltip", elidedToolTip));
  std::printf("FIGURE show_details_open_64kb_ms %.2f\n",
              worstOfKinds("show_details_open",
                           [&](const QString &name) { return showDetailsOpen(model, name); }));
  std::printf("FIGURE show_details_idle_64kb_busy_percent %.1f\n",
              worstOfKinds(
                  "show_details_idle",
                  [&](const QString &name) { return showDetailsIdleBusyPercent(model, name); }, 1));
  return 0;
}
