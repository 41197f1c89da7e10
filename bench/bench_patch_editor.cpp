// The patch editor open over a show of 20,000 channels, against the console double on
// 127.0.0.1 (on a thread of its own), under the offscreen platform.
//
// Idle: the GUI thread's processor time over 2 s with the editor open on a draft that
// passes, against the same 2 s with only the window under it, each once the window has
// settled; the model's own traffic (heartbeats, counters) runs in both. Five rounds each,
// alternating; medians.
// Keystroke: one digit typed into the DMX start field, from the key to the redrawn form,
// against planning the resulting draft once. 21 rounds each, alternating; medians.

#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "screens/patch/PatchEditorView.h"
#include "support/EosConsoleDoubleThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace tarnik;
using tarnik::testing::ConsolePatchPart;
using tarnik::testing::ConsoleShow;
using tarnik::testing::EosConsoleDouble;
using tarnik::testing::EosConsoleDoubleThread;

constexpr int channelCount = 20000;
constexpr int idleMilliseconds = 2000;
constexpr int settleMilliseconds = 300;
constexpr int idleRounds = 5;
constexpr int keystrokeRounds = 21;

double threadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void runEventLoop(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

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

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));

  // The console serves on a thread of its own, so only the model's work is on the GUI thread.
  EosConsoleDoubleThread console;
  console.run([](EosConsoleDouble &double_) {
    ConsoleShow show;
    show.path = QStringLiteral("/shows/large.esf");
    show.name = QStringLiteral("Large");
    for (int channel = 1; channel <= channelCount; ++channel)
      show.patch.append(ConsolePatchPart::dimmer(channel, 1, channel));
    double_.setShow(std::move(show));
  });

  QTemporaryDir folder;
  QSettings settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
  AppViewModel::Arguments arguments;
  arguments.defaults = &settings;
  arguments.syncTimeout = 600;
  AppViewModel model(std::move(arguments));
  model.setConsoleIP(QStringLiteral("127.0.0.1"));
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  if (!waitFor([&] {
        return !model.isLoadingPatch() && model.channels().size() == channelCount &&
               model.canControlFixtures();
      })) {
    std::fprintf(stderr, "the show did not sync: %lld channels, %s\n",
                 static_cast<long long>(model.channels().size()),
                 qPrintable(model.dataStatusMessage()));
    return 1;
  }

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

  std::printf("patch_editor keystroke median %.2f ms, planning once %.2f ms (%d channels)\n",
              median(keystroke), median(planning), channelCount);
  std::printf(
      "patch_editor idle GUI thread busy %.1f ms with the editor, %.1f ms without, "
      "over %d ms\n",
      median(withEditor), median(withoutEditor), idleMilliseconds);
  std::printf("RATIO patch_editor_idle %.3f\n", median(withEditor) / median(withoutEditor));
  std::printf("RATIO patch_editor_keystroke %.3f\n", median(keystroke) / median(planning));
  return 0;
}
