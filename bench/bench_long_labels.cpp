// Lists whose labels are 64 KB long, under the offscreen platform: one scroll step (a wheel
// notch) of the patch list (over long labels and types, and over long end addresses) and of
// the cue list, painting the whole viewport each time. The median over 40 steps is printed
// as a figure per list; a frame lasts about 16 ms. Then a cue's page opened on such a label:
// built, shown and painted once.

#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueRowDelegate.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchRowDelegate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

namespace {

using namespace tarnik;

constexpr int rowCount = 400;
constexpr int steps = 40;
const QSize viewSize(600, 700);

// Each row one of the kinds a console may send: words, one unbroken word, CJK without blanks,
// characters of no width after the row's number, and one letter under combining marks.
QString longLabel(int row) {
  const QString number = QStringLiteral("Row %1 ").arg(row);
  switch (row % 5) {
    case 1:
      return (number + QStringLiteral("W").repeated(65536)).left(65536);
    case 2:
      return (number + QStringLiteral("\u7167\u660e\u821e\u53f0").repeated(16384)).left(65536);
    case 3:
      return (number + QString(QChar(0x200B)).repeated(65536)).left(65536);
    case 4:
      return (number + u'e' + QString(QChar(0x0301)).repeated(65536)).left(65536);
    default:
      return (number + QStringLiteral("front wash warm \u2014 ")).repeated(2700).left(65536);
  }
}

// One wheel notch at a time down the list, each followed by a paint of the whole viewport.
double scrollStepMilliseconds(QListView &view) {
  view.resize(viewSize);
  view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  view.show();
  QCoreApplication::processEvents();
  view.doItemsLayout();
  view.viewport()->repaint();
  QScrollBar &bar = *view.verticalScrollBar();
  std::vector<double> times;
  for (int step = 0; step < steps; ++step) {
    QElapsedTimer timer;
    timer.start();
    bar.setValue(bar.value() + bar.singleStep() * QApplication::wheelScrollLines());
    view.viewport()->repaint();
    times.push_back(double(timer.nsecsElapsed()) / 1e6);
  }
  return median(times);
}

// The patch list over channels whose label and type, or else whose end address, are 64 KB.
double patchListStep(bool longEndAddress) {
  QList<Channel> channels;
  for (int row = 0; row < rowCount; ++row) {
    const QString address = QStringLiteral("1/%1").arg(row + 1);
    channels.append(longEndAddress ? Channel{.number = row + 1,
                                             .label = QStringLiteral("Wash %1").arg(row),
                                             .address = address,
                                             .addressEnd = longLabel(row),
                                             .type = QStringLiteral("Generic Dimmer")}
                                   : Channel{.number = row + 1,
                                             .label = longLabel(row),
                                             .address = address,
                                             .type = longLabel(row)});
  }
  QList<qsizetype> positions(rowCount);
  std::iota(positions.begin(), positions.end(), 0);
  QListView view;
  PatchListModel model;
  model.setRows(channels, positions, std::vector<bool>(rowCount, false));
  view.setItemDelegate(new PatchRowDelegate(&view));
  view.setModel(&model);
  return scrollStepMilliseconds(view);
}

double cueListStep() {
  QList<Cue> cues;
  for (int row = 0; row < rowCount; ++row) {
    cues.append(Cue{.number = QString::number(row + 1),
                    .label = longLabel(row),
                    .sceneLabel = row % 20 == 0 ? longLabel(row) : QString()});
  }
  QListView view;
  CueListModel model;
  model.setSource({.cues = cues});
  view.setItemDelegate(new CueRowDelegate(&view));
  view.setModel(&model);
  return scrollStepMilliseconds(view);
}

// A cue's page opened on a label of characters of no width and on one of a letter under
// combining marks, each 64 KB: the worse of the two medians over several openings.
double cueDetailOpen() {
  QTemporaryDir folder;
  SettingsStore settings(folder.filePath(QStringLiteral("settings.ini")));
  AppViewModel app({.defaults = &settings, .startNetworkingOnInit = false});
  double worst = 0;
  for (const QString &label : {QString(QChar(0x200B)).repeated(65536),
                               QStringLiteral("e") + QString(QChar(0x0301)).repeated(65535)}) {
    std::vector<double> times;
    for (int opening = 0; opening < 9; ++opening) {
      QElapsedTimer timer;
      timer.start();
      auto page =
          std::make_unique<CueDetailView>(app, Cue{.number = QStringLiteral("5"), .label = label});
      page->resize(420, 640);
      page->show();
      QCoreApplication::processEvents();
      page->repaint();
      times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    worst = std::max(worst, median(times));
  }
  return worst;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  std::printf("FIGURE patch_list_scroll_step_64kb_labels_ms %.2f\n", patchListStep(false));
  std::printf("FIGURE patch_list_scroll_step_64kb_end_address_ms %.2f\n", patchListStep(true));
  std::printf("FIGURE cue_list_scroll_step_64kb_labels_ms %.2f\n", cueListStep());
  std::printf("FIGURE cue_detail_open_64kb_label_ms %.2f\n", cueDetailOpen());
  return 0;
}
