// Under a real X server (with-xvfb.sh) with real input: xdotool moves the pointer and
// clicks as a person would, and X decides where the focus goes.

#include "WorkspaceTestSupport.h"
#include "operations/MoverController.h"
#include "shell/TarnikApp.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using testing::waitUntil;

// The first line xdotool printed, or nothing when it failed.
std::optional<QString> xdotool(const QString &arguments) {
  const auto result = ProcessRunner::run(QStringLiteral("xdotool"), arguments.split(' '), 20s);
  if (!result || result->exitCode != 0) return std::nullopt;
  return QString::fromLatin1(result->standardOutput).section('\n', 0, 0);
}

bool isActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

TEST(WorkspaceXServer, ClicksOnSidebarRowsChangeTheDetail) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QListWidget *rows = testing::sidebarRows(window);
  for (const int row : {2, 5, 1, 0}) {
    const QString title = rows->item(row)->text();
    const QPoint at =
        rows->viewport()->mapTo(&window, rows->visualItemRect(rows->item(row)).center());
    ASSERT_TRUE(xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1")
                            .arg(window.winId())
                            .arg(at.x())
                            .arg(at.y())));
    EXPECT_TRUE(
        waitUntil([&] { return testing::labelText(window, "workspace.detailTitle") == title; }));
  }
  window.close();
}

TEST(WorkspaceXServer, AnotherClientTakingTheFocusDisarmsTheMoverUntilTheUserArmsAgain) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  const QString focusOurs = QStringLiteral("windowfocus --sync %1").arg(window.winId());
  ASSERT_TRUE(xdotool(focusOurs));
  ASSERT_TRUE(waitUntil(isActive));

  QProcess other;  // xmessage sets no process id on its window, so it is found by title
  other.start(QStringLiteral("xmessage"), {QStringLiteral("-title"), QStringLiteral("focusThief"),
                                           QStringLiteral("another application")});
  const auto theirs = xdotool(QStringLiteral("search --sync --onlyvisible --name ^focusThief$"));
  ASSERT_TRUE(theirs);
  ASSERT_TRUE(xdotool(QStringLiteral("windowfocus ") + *theirs));
  MoverController &mover = app.moverController();
  EXPECT_TRUE(waitUntil([&] {
    return mover.status() == QStringLiteral("App lost focus; reconnect and arm to resume.");
  }));

  ASSERT_TRUE(xdotool(focusOurs));
  ASSERT_TRUE(waitUntil(isActive));
  EXPECT_FALSE(mover.isArmed());
  other.kill();
  other.waitForFinished(5000);
  window.close();
}

TEST(WorkspaceXServer, TheProgramEndsWithZeroWhenItsWindowIsAskedToClose) {
  QTemporaryDir home;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TARNIK_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(5000));

  const auto window =
      xdotool(QStringLiteral("search --sync --onlyvisible --pid %1").arg(program.processId()));
  ASSERT_TRUE(window);
  const auto sent = ProcessRunner::run(
      QStringLiteral(TARNIK_SOURCE_TESTS "/support/send-wm-delete.py"), {*window}, 10s);
  ASSERT_TRUE(sent && sent->exitCode == 0);
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
}  // namespace tarnik
