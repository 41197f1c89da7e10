// A show of 20,000 cues in the cue list, under the offscreen platform: from handing the
// cues to the list model to the first paint of a QListView with the cue row painter, then
// scrolling top to bottom a page at a time, painting each page. The reference is a plain
// QListView over a QStringListModel of the same row texts, the same size and the same
// steps. 20 runs each, alternating; the medians give the ratio. The pure ordering and
// grouping of the same cues is printed as a figure of its own.

#include "RatioReporting.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueListRows.h"
#include "screens/live/CueOrdering.h"
#include "screens/live/CueRowDelegate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QStringListModel>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

using namespace tarnik;

constexpr int cueCount = 20000;
constexpr int breakerEvery = 50;
constexpr int runs = 20;
const QSize viewSize(420, 700);

// Whole and decimal numbers, labelled, with a breaker every 50 cues, in a shuffled model
// order so the sort has work to do.
QList<Cue> generatedCues() {
  QList<Cue> cues;
  cues.reserve(cueCount);
  for (int i = 0; i < cueCount; ++i) {
    const QString number = i % 2 == 0 ? QString::number(i / 2 + 1)
                                      : QStringLiteral("%1.%2").arg(i / 2 + 1).arg(i % 9 + 1);
    cues.append(Cue{
        .number = number,
        .label = QStringLiteral("Cue %1 Look %2 — wash and specials").arg(number).arg(i),
        .sceneLabel = i % breakerEvery == 0 ? QStringLiteral("Scene %1").arg(i / breakerEvery + 1)
                                            : QString()});
  }
  std::shuffle(cues.begin(), cues.end(), std::mt19937(7));
  return cues;
}

// What the reference shows in each row: the same title, and the label below it.
QStringList rowTexts(const QList<Cue> &cues) {
  CueListModel model;
  model.setSource({.cues = cues});
  QStringList texts;
  texts.reserve(model.rowCount());
  for (int row = 0; row < model.rowCount(); ++row) {
    const QModelIndex index = model.index(row);
    const QString label = index.data(CueListModel::LabelTextRole).toString();
    texts.append(label.isEmpty() ? index.data().toString()
                                 : index.data().toString() + u'\n' + label);
  }
  return texts;
}

// Lays the rows out, paints the first page, then scrolls a page at a time to the bottom,
// painting each page.
void showAndScroll(QListView &view) {
  view.doItemsLayout();
  view.viewport()->repaint();
  QScrollBar &bar = *view.verticalScrollBar();
  while (bar.value() < bar.maximum()) {
    bar.setValue(bar.value() + bar.pageStep());
    view.viewport()->repaint();
  }
}

QListView *newView() {
  auto *view = new QListView;
  view->resize(viewSize);
  view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  view->show();
  return view;
}

double tarnikRun(const QList<Cue> &cues) {
  QListView *view = newView();
  auto *model = new CueListModel(view);
  view->setItemDelegate(new CueRowDelegate(view));
  view->setModel(model);
  QCoreApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  model->setSource({.cues = cues});
  showAndScroll(*view);
  const double milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  delete view;
  return milliseconds;
}

double referenceRun(const QStringList &texts) {
  QListView *view = newView();
  auto *model = new QStringListModel(view);
  view->setModel(model);
  QCoreApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  model->setStringList(texts);
  showAndScroll(*view);
  const double milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  delete view;
  return milliseconds;
}

double groupingRun(const QList<Cue> &cues) {
  QElapsedTimer timer;
  timer.start();
  const QList<CueGroup> groups = cueGroups(cueListRows(sortedCues(cues)));
  const double milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  if (groups.size() != cueCount / breakerEvery) std::fprintf(stderr, "unexpected groups\n");
  return milliseconds;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));

  const QList<Cue> cues = generatedCues();
  const QStringList texts = rowTexts(cues);
  std::vector<double> tarnik;
  std::vector<double> reference;
  std::vector<double> grouping;
  for (int run = 0; run < runs; ++run) {
    if (run % 2 == 0) {
      tarnik.push_back(tarnikRun(cues));
      reference.push_back(referenceRun(texts));
    } else {
      reference.push_back(referenceRun(texts));
      tarnik.push_back(tarnikRun(cues));
    }
    grouping.push_back(groupingRun(cues));
  }
  const double ours = median(tarnik);
  const double theirs = median(reference);
  std::printf("cue_list tarnik     median %.1f ms over %d runs (%lld rows)\n", ours, runs,
              static_cast<long long>(texts.size()));
  std::printf("cue_list reference  median %.1f ms over %d runs\n", theirs, runs);
  std::printf("RATIO cue_list_show_scroll %.3f\n", ours / theirs);
  std::printf("FIGURE cue_groups_20000_ms %.2f\n", median(grouping));
  return 0;
}
