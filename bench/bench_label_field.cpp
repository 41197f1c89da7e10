// The two fields that edit a console's label, Rename Breaker's and the patch editor's, each
// holding a 64 KB label and focused in an active window, under the offscreen platform: the
// GUI thread's processor time over 2 s of idle (the caret blinking), as a share of the span.
// The label is one of five kinds: one unbroken word, CJK, words, a letter among characters
// of no width, a letter under combining marks. The worst field and kind is the figure.

#include "GuiThreadTime.h"
#include "LongConsoleTexts.h"
#include "app/AppViewModel.h"
#include "screens/live/SceneBreakSheet.h"
#include "screens/patch/PatchEditorView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace {

using namespace tarnik;
using bench::runEventLoop;
using bench::threadMilliseconds;

constexpr int idleMilliseconds = 2000;
constexpr int settleMilliseconds = 300;

// The busy share of the idle span once the field has the focus and the window has settled.
double idleBusyPercent(QWidget &window, QLineEdit &field) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) std::fprintf(stderr, "the window is not active\n");
  field.setFocus();
  runEventLoop(settleMilliseconds);
  const double start = threadMilliseconds();
  runEventLoop(idleMilliseconds);
  return (threadMilliseconds() - start) * 100 / idleMilliseconds;
}

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QTemporaryDir folder;
  SettingsStore settings(folder.filePath(QStringLiteral("settings.ini")));
  AppViewModel app({.defaults = &settings, .startNetworkingOnInit = false});

  double worst = 0;
  for (const auto &[kind, label] : bench::longConsoleTexts()) {
    SceneBreakSheet sheet(
        app,
        {.edit = SceneBreakEditor::Rename{{.cueNumber = QStringLiteral("12"), .label = label}}});
    const double breaker = idleBusyPercent(
        sheet, *sheet.findChild<QLineEdit *>(QStringLiteral("cues.breakerSheet.label")));
    sheet.hide();

    PatchEditorView editor(app, Channel{.number = 12, .label = label}, {});
    editor.resize(520, 900);
    const double patch =
        idleBusyPercent(editor, *editor.findChild<QLineEdit *>(QStringLiteral("patch.label")));
    editor.hide();

    std::printf("label_field %s: Rename Breaker %.1f %%, patch label %.1f %%\n", kind, breaker,
                patch);
    worst = std::max({worst, breaker, patch});
  }
  std::printf("FIGURE label_field_idle_64kb_busy_percent %.1f\n", worst);
  return 0;
}
