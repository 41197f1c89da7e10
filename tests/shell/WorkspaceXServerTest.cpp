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
using testing::labelText;
using testing::waitUntil;

bool xdotool(const QStringList &arguments) {
  const auto result = ProcessRunner::run(QStringLiteral("xdotool"), arguments, 10s);
  return result && result->exitCode == 0;
}

TEST(WorkspaceXServer, ClicksOnSidebarRowsChangeTheDetail) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QListWidget *rows = testing::sidebarRows(window);
  for (const int row : {2, 5, 1, 0}) {
    const QString title = rows->item(row)->text();
    const QPoint centre =
        rows->viewport()->mapTo(&window, rows->visualItemRect(rows->item(row)).center());
    ASSERT_TRUE(
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::number(window.winId()), QString::number(centre.x()),
                 QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")}));
    EXPECT_TRUE(waitUntil([&] { return labelText(window, "workspace.detailTitle") == title; }))
        << title.toStdString();
  }
  window.close();
}

TEST(WorkspaceXServer, AnotherClientTakingTheFocusDisarmsTheMoverUntilTheUserArmsAgain) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  const QString ours = QString::number(window.winId());
  ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), ours}));
  ASSERT_TRUE(
      waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));

  QProcess other;  // xmessage sets no process id on its window, so it is found by title
  other.start(QStringLiteral("xmessage"), {QStringLiteral("-title"), QStringLiteral("focusThief"),
                                           QStringLiteral("another application")});
  const auto found = ProcessRunner::run(
      QStringLiteral("xdotool"),
      {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
       QStringLiteral("--name"), QStringLiteral("^focusThief$")},
      20s);
  ASSERT_TRUE(found && found->exitCode == 0);
  ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"),
                       QString::fromLatin1(found->standardOutput).split('\n').first()}));
  MoverController &mover = app.moverController();
  EXPECT_TRUE(waitUntil([&] {
    return mover.status() == QStringLiteral("App lost focus; reconnect and arm to resume.");
  })) << mover.status().toStdString();

  ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"), ours}));
  ASSERT_TRUE(
      waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
  EXPECT_FALSE(mover.isArmed());
  other.kill();
  other.waitForFinished(5000);
  window.close();
}

TEST(WorkspaceXServer, TheProgramEndsWithZeroWhenItsWindowIsAskedToClose) {
  QTemporaryDir home;
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TARNIK_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(5000));

  const auto found = ProcessRunner::run(
      QStringLiteral("xdotool"),
      {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
       QStringLiteral("--pid"), QString::number(program.processId())},
      20s);
  ASSERT_TRUE(found && found->exitCode == 0);
  const QString window = QString::fromLatin1(found->standardOutput).split('\n').first();
  const auto sent = ProcessRunner::run(
      QStringLiteral(TARNIK_SOURCE_TESTS "/support/send-wm-delete.py"), {window}, 10s);
  ASSERT_TRUE(sent && sent->exitCode == 0) << (sent ? sent->standardError.toStdString() : "");

  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
}  // namespace tarnik
