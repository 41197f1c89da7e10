// The patch editor open over a show of 20,000 channels, against the console double on
// 127.0.0.1 (on a thread of its own), under the offscreen platform.
//
// Idle: the GUI thread's processor time over 2 s with the editor open on a draft that
// passes, against the same 2 s with only the window under it, each once the window has
// settled; the model's own traffic (heartbeats, counters) runs in both. Five rounds each,
// alternating; medians.
// Keystroke: one digit typed into the DMX start field, from the key to the redrawn form,
// against planning the resulting draft once. 21 rounds each, alternating; medians.
// Range keystroke: a channel range "1 thru 5" made "1 thru 50" by one digit, over the same
// show and over one of 400 channels, each of those channels already patched: 100 conflict
// rows. Many issues: the first digit of an empty DMX start against a patch of 23,000 parts
// without an end address, which turns one row into a row per part. The three figures are
// medians of 21 keys, from the key to the redrawn form.

#include "GuiThreadTime.h"
#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "model/PatchPlanner.h"
#include "screens/patch/PatchEditorView.h"
#include "support/EosConsoleDoubleThread.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace tarnik;
using tarnik::bench::runEventLoop;
using tarnik::bench::threadMilliseconds;
using tarnik::testing::ConsolePatchPart;
using tarnik::testing::ConsoleShow;
using tarnik::testing::EosConsoleDouble;
using tarnik::testing::EosConsoleDoubleThread;

constexpr int channelCount = 20000;
constexpr int smallChannelCount = 400;
constexpr int unreadableCount = 23000;
constexpr int idleMilliseconds = 2000;
constexpr int settleMilliseconds = 300;
constexpr int idleRounds = 5;
constexpr int keystrokeRounds = 21;

// The GUI thread's busy time while its event loop runs for the idle span. The span starts
// once the window has settled: the first layout and paint after an editor opens or closes
// are the cost of opening or closing it, not of keeping it open.
double busyMilliseconds() {
  runEventLoop(settleMilliseconds);
  const double start = threadMilliseconds();
  runEventLoop(idleMilliseconds);
  return threadMilliseconds() - start;
}

bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 120000); }

// Channels 1 through `count`, one dimmer part each at the absolute address of its number.
ConsoleShow dimmerShow(int count) {
  ConsoleShow show;
  show.path = QStringLiteral("/shows/large-%1.esf").arg(count);
  show.name = QStringLiteral("Large");
  for (int channel = 1; channel <= count; ++channel)
    show.patch.append(ConsolePatchPart::dimmer(channel, 1, channel));
  return show;
}

// Parts that each have a start address and no end address, so every one is a row of its own
// under any draft with parts.
QList<EosPatchPart> partsWithoutEnds(int count) {
  QList<EosPatchPart> parts;
  for (int channel = 1; channel <= count; ++channel) {
    parts.append({.channelNumber = channel,
                  .partNumber = 1,
                  .address = QStringLiteral("1/%1").arg((channel - 1) % 512 + 1)});
  }
  return parts;
}

QLineEdit *field(QWidget &editor, const QString &accessibleName) {
  for (auto *field : editor.findChildren<QLineEdit *>())
    if (field->accessibleName() == accessibleName) return field;
  return nullptr;
}

// From the key to the redrawn form, then the key undone by Backspace; the median of the rounds.
double keystrokeMilliseconds(QLineEdit &field, Qt::Key key) {
  std::vector<double> times;
  for (int round = 0; round < keystrokeRounds; ++round) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(&field, key);
    QCoreApplication::processEvents();
    times.push_back(double(timer.nsecsElapsed()) / 1e6);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCoreApplication::processEvents();
  }
  return median(times);
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));

  // The console serves on a thread of its own, so only the model's work is on the GUI thread.
  EosConsoleDoubleThread console;
  console.run([](EosConsoleDouble &double_) { double_.setShow(dimmerShow(channelCount)); });

  QTemporaryDir folder;
  SettingsStore settings(folder.filePath(QStringLiteral("settings.ini")));
  AppViewModel::Arguments arguments;
  arguments.defaults = &settings;
  arguments.syncTimeout = 600;
  AppViewModel model(std::move(arguments));
  model.setConsoleIP(QStringLiteral("127.0.0.1"));
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  const auto synced = [&](qsizetype channels) {
    if (waitFor([&] {
          return !model.isLoadingPatch() && model.channels().size() == channels &&
                 model.canControlFixtures();
        }))
      return true;
    std::fprintf(stderr, "the show did not sync: %lld channels, %s\n",
                 static_cast<long long>(model.channels().size()),
                 qPrintable(model.dataStatusMessage()));
    return false;
  };
  const auto syncShow = [&](ConsoleShow show, qsizetype channels) {
    console.run([show = std::move(show)](EosConsoleDouble &double_) { double_.setShow(show); });
    model.requestFullSync(QStringLiteral("Patch refresh"));
    return synced(channels);
  };
  if (!synced(channelCount)) return 1;

  QWidget window;
  window.resize(900, 800);
  window.show();
  // An editor with a free channel on an empty universe typed in: the draft passes, so every
  // check runs in full.
  const auto openEditor = [&] {
    PatchEditorView *editor = openPatchEditor(model, std::nullopt, &window, {});
    editor->resize(520, 900);
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("patch.channelStart")),
                     QStringLiteral("30000"));
    auto *universe = editor->findChild<QLineEdit *>(QStringLiteral("patch.universe"));
    universe->selectAll();
    QTest::keyClicks(universe, QStringLiteral("50"));
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("patch.addressStart")),
                     QStringLiteral("1"));
    QCoreApplication::processEvents();
    return editor;
  };
  // A channel range 1 thru 5 from U1/1, over channels patched there already.
  const auto rangeKeystroke = [&] {
    PatchEditorView *editor = openPatchEditor(model, std::nullopt, &window, {});
    editor->resize(520, 900);
    QTest::mouseClick(editor->findChild<QWidget *>(QStringLiteral("patch.operation.channelRange")),
                      Qt::LeftButton);
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("patch.channelStart")),
                     QStringLiteral("1"));
    auto *includesThru =
        editor->findChild<QCheckBox *>(QStringLiteral("patch.includesChannelThru"));
    includesThru->click();
    QLineEdit *thru = field(*editor, QStringLiteral("Channel thru"));
    thru->selectAll();
    QTest::keyClicks(thru, QStringLiteral("5"));
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("patch.addressStart")),
                     QStringLiteral("1"));
    QCoreApplication::processEvents();
    const double milliseconds = keystrokeMilliseconds(*thru, Qt::Key_0);
    delete editor;
    QCoreApplication::processEvents();
    return milliseconds;
  };

  PatchEditorView *editor = openEditor();
  auto *startField = editor->findChild<QLineEdit *>(QStringLiteral("patch.addressStart"));

  const PatchDraft typed{.operation = PatchOperation::dimmerAddressRange,
                         .channelStart = 30000,
                         .universe = 50,
                         .addressStart = 12};
  if (!model.planPatch(typed).issues.isEmpty()) {
    std::fprintf(stderr, "the benchmark's draft does not pass\n");
    return 1;
  }

  std::vector<double> keystroke;
  std::vector<double> planning;
  for (int round = 0; round < keystrokeRounds; ++round) {
    const auto typeDigit = [&] {
      QElapsedTimer timer;
      timer.start();
      QTest::keyClick(startField, Qt::Key_2);
      QCoreApplication::processEvents();
      keystroke.push_back(double(timer.nsecsElapsed()) / 1e6);
      QTest::keyClick(startField, Qt::Key_Backspace);
      QCoreApplication::processEvents();
    };
    const auto planOnce = [&] {
      QElapsedTimer timer;
      timer.start();
      const PatchPlan plan = model.planPatch(typed);
      planning.push_back(double(timer.nsecsElapsed()) / 1e6);
      if (!plan.issues.isEmpty()) std::fprintf(stderr, "unexpected issues\n");
    };
    if (round % 2 == 0) {
      typeDigit();
      planOnce();
    } else {
      planOnce();
      typeDigit();
    }
  }

  delete editor;

  std::vector<double> withEditor;
  std::vector<double> withoutEditor;
  for (int round = 0; round < idleRounds; ++round) {
    editor = openEditor();
    withEditor.push_back(busyMilliseconds());
    delete editor;
    QCoreApplication::processEvents();
    withoutEditor.push_back(busyMilliseconds());
  }

  const double rangeOverLargeShow = rangeKeystroke();

  if (!syncShow(dimmerShow(smallChannelCount), smallChannelCount)) return 1;
  const double rangeOverSmallShow = rangeKeystroke();

  // The console double lists at most 20,000 parts, so the patch of 23,000 parts without an
  // end address is handed to the editor as its planner: indexed once, as the model indexes
  // each publication, and planned by the model's own planner at every edit.
  const PatchIndex unreadable(partsWithoutEnds(unreadableCount));
  editor = new PatchEditorView(model, std::nullopt, {}, &window, [&](const PatchDraft &draft) {
    return PatchPlanner::plan(draft, unreadable, PatchWrite::patchChannelMaximum,
                              PatchWrite::patchUniverseMaximum);
  });
  editor->setWindowModality(Qt::WindowModal);
  editor->resize(520, 900);
  editor->show();
  QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("patch.channelStart")),
                   QStringLiteral("30000"));
  QCoreApplication::processEvents();
  startField = editor->findChild<QLineEdit *>(QStringLiteral("patch.addressStart"));
  if (const qsizetype rows = PatchPlanner::plan(typed, unreadable, PatchWrite::patchChannelMaximum,
                                                PatchWrite::patchUniverseMaximum)
                                 .issues.size();
      rows != unreadableCount) {
    std::fprintf(stderr, "the parts without ends give %lld rows, not one each\n",
                 static_cast<long long>(rows));
    return 1;
  }
  const double manyIssues = keystrokeMilliseconds(*startField, Qt::Key_1);
  delete editor;

  std::printf("patch_editor keystroke median %.2f ms, planning once %.2f ms (%d channels)\n",
              median(keystroke), median(planning), channelCount);
  std::printf(
      "patch_editor range keystroke median %.2f ms over %d channels, %.2f ms over %d channels\n",
      rangeOverSmallShow, smallChannelCount, rangeOverLargeShow, channelCount);
  std::printf("patch_editor keystroke median %.2f ms with %d issue rows\n", manyIssues,
              unreadableCount);
  std::printf(
      "patch_editor idle GUI thread busy %.1f ms with the editor, %.1f ms without, "
      "over %d ms\n",
      median(withEditor), median(withoutEditor), idleMilliseconds);
  std::printf("RATIO patch_editor_idle %.3f\n", median(withEditor) / median(withoutEditor));
  std::printf("RATIO patch_editor_keystroke %.3f\n", median(keystroke) / median(planning));
  std::printf("FIGURE patch_editor_keystroke_ms %.2f\n", median(keystroke));
  // The slower of the two shows.
  std::printf("FIGURE patch_editor_range_keystroke_ms %.2f\n",
              std::max(rangeOverSmallShow, rangeOverLargeShow));
  std::printf("FIGURE patch_editor_many_issues_ms %.2f\n", manyIssues);
  return 0;
}
