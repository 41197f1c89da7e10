// Lists whose labels are 64 KB long, under the offscreen platform: one scroll step (a wheel
// notch) of the patch list (over long labels and types, and over long end addresses) and of
// the cue list, painting the whole viewport each time. The median over 40 steps is printed
// as a figure per list; a frame lasts about 16 ms.

#include "RatioReporting.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueRowDelegate.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchRowDelegate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

using namespace tarnik;

constexpr int rowCount = 400;
constexpr int steps = 40;
const QSize viewSize(600, 700);

// Words on a third of the rows, characters of no width after the row's number on another
// third, and one letter under combining marks on the rest.
QString longLabel(int row) {
  if (row % 3 == 1) {
    return (QStringLiteral("Row %1 ").arg(row) + QString(QChar(0x200B)).repeated(65536))
        .left(65536);
  }
  if (row % 3 == 2) {
    return (QStringLiteral("Row %1 e").arg(row) + QString(QChar(0x0301)).repeated(65536))
        .left(65536);
  }
  return QStringLiteral("Row %1 front wash warm — ").arg(row).repeated(2700).left(65536);
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

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  std::printf("FIGURE patch_list_scroll_step_64kb_labels_ms %.2f\n", patchListStep(false));
  std::printf("FIGURE patch_list_scroll_step_64kb_end_address_ms %.2f\n", patchListStep(true));
  std::printf("FIGURE cue_list_scroll_step_64kb_labels_ms %.2f\n", cueListStep());
  return 0;
}
