// The kit's labels holding a console's 64 KB text, under the offscreen platform, the worst of
// five kinds of text (one unbroken word, CJK, words, a letter between characters of no width,
// a letter under combining marks), each the median of several runs:
// - a cue's page opened on such a label: built, shown and painted once;
// - one resize step of that page, laid out and painted again;
// - the tooltip of an elided label holding such a text: shown and painted.

#include "LongConsoleTexts.h"
#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/live/CueDetailView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace tarnik;

constexpr int runs = 7;

double milliseconds(const std::function<void()> &work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return double(timer.nsecsElapsed()) / 1e6;
}

// The worst kind's median, each kind named with its own.
double worstOfKinds(const char *figure, const std::function<double(const QString &)> &run) {
  double worst = 0;
  for (const bench::LongConsoleText &kind : bench::longConsoleTexts()) {
    std::vector<double> times;
    for (int at = 0; at < runs; ++at) times.push_back(run(kind.text));
    const double typical = median(times);
    std::printf("# %s %s %.2f\n", figure, kind.kind, typical);
    worst = std::max(worst, typical);
  }
  return worst;
}

struct CuePage {
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  AppViewModel app{{.defaults = &settings, .startNetworkingOnInit = false}};
};

double cuePageOpen(CuePage &page, const QString &label) {
  std::unique_ptr<CueDetailView> view;
  return milliseconds([&] {
    view = std::make_unique<CueDetailView>(page.app,
                                           Cue{.number = QStringLiteral("5"), .label = label});
    view->resize(420, 640);
    view->show();
    QCoreApplication::processEvents();
    view->repaint();
  });
}

// A step of a window's edge being dragged: 8 pixels narrower, laid out and painted.
double cuePageResize(CuePage &page, const QString &label) {
  CueDetailView view(page.app, Cue{.number = QStringLiteral("5"), .label = label});
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

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  // Each kind's line as soon as it is measured.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  CuePage page;
  std::printf("FIGURE cue_detail_open_64kb_word_ms %.2f\n",
              worstOfKinds("cue_detail_open",
                           [&](const QString &text) { return cuePageOpen(page, text); }));
  std::printf("FIGURE cue_detail_resize_step_64kb_ms %.2f\n",
              worstOfKinds("cue_detail_resize",
                           [&](const QString &text) { return cuePageResize(page, text); }));
  std::printf("FIGURE elided_tooltip_64kb_ms %.2f\n",
              worstOfKinds("elided_tooltip", elidedToolTip));
  return 0;
}
