// Under a real X server (with-xvfb.sh) with real input: xdotool moves the pointer and
// clicks as a person would, and X decides where the focus goes.

#include "WorkspaceTestSupport.h"
#include "operations/MoverController.h"
#include "screens/support/Screenshots.h"
#include "shell/LivePage.h"
#include "shell/TarnikApp.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using testing::labelText;
using testing::waitUntil;

// The first line xdotool printed, or nothing when it failed.
std::optional<QString> xdotool(const QString &arguments) {
  const auto result = ProcessRunner::run(QStringLiteral("xdotool"), arguments.split(' '), 20s);
  if (!result || result->exitCode != 0) return std::nullopt;
  return QString::fromLatin1(result->standardOutput).section('\n', 0, 0);
}

bool isActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

// A Secret Service that takes every call and answers none, as a hung one does: its caller
// waits until D-Bus gives up, 25 s on. It owns the name on a bus of its own, which starts
// no other service.
class HungSecretService : public QDBusVirtualObject {
 public:
  ~HungSecretService() override {
    QDBusConnection::disconnectFromBus(name);
    bus_.kill();
    bus_.waitForFinished();
  }
  bool start(const QTemporaryDir &folder) {
    QFile config(folder.filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly)) return false;
    config.write(
        QStringLiteral("<busconfig><listen>unix:dir=%1</listen><policy context=\"default\">"
                       "<allow own=\"*\"/><allow send_destination=\"*\"/>"
                       "<allow receive_sender=\"*\"/></policy></busconfig>")
            .arg(folder.path())
            .toUtf8());
    config.close();
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                QStringLiteral("--config-file=") + config.fileName()});
    if (!bus_.waitForReadyRead(5000)) return false;
    address = QString::fromLatin1(bus_.readLine().trimmed());
    QDBusConnection connection = QDBusConnection::connectToBus(address, name);
    return connection.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath) &&
           connection.registerService(QStringLiteral("org.freedesktop.secrets"));
  }
  bool handleMessage(const QDBusMessage &, const QDBusConnection &) override {
    ++calls;
    return true;
  }
  QString introspect(const QString &) const override { return {}; }

  const QString name = QStringLiteral("hung secret service");
  QString address;
  int calls = 0;

 private:
  QProcess bus_;
};

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

TEST(WorkspaceXServer, AtTheSmallestWindowTheLivePagesScrollBarLeadsToItsLastKeys) {
  WorkspacePageFactories pages;
  pages.live = makeLivePage;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  window.resize(window.minimumSize());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  testing::sidebarRows(window)->setCurrentRow(1);
  ASSERT_EQ(labelText(window, "workspace.detailTitle"), QStringLiteral("Live"));
  auto *scroll = window.findChild<QScrollArea *>(QStringLiteral("live.scroll"));
  auto *bar = window.findChild<QScrollBar *>(QStringLiteral("live.scrollBar"));
  auto *enter = window.findChild<QAbstractButton *>(QStringLiteral("live.key.enter"));
  ASSERT_TRUE(scroll && bar && enter);
  const auto enterInSight = [&] {
    const QRect key(enter->mapTo(scroll->viewport(), QPoint()), enter->size());
    return scroll->viewport()->rect().contains(key);
  };
  ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
  ASSERT_FALSE(enterInSight());
  ASSERT_TRUE(bar->isVisible());

  // Clicks at the foot of the bar's groove, below its handle, page down, as someone who sees
  // the bar does.
  const QPoint groove = bar->mapTo(&window, QPoint(bar->width() / 2, bar->height() - 3));
  while (!enterInSight() && bar->value() < bar->maximum()) {
    const int before = bar->value();
    ASSERT_TRUE(xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1")
                            .arg(window.winId())
                            .arg(groove.x())
                            .arg(groove.y())));
    ASSERT_TRUE(waitUntil([&] { return bar->value() > before; }));
  }
  EXPECT_TRUE(enterInSight());
  testing::saveScreenshot(window, QStringLiteral("workspace-live-smallest-scrolled"));

  QSignalSpy clicked(enter, &QAbstractButton::clicked);
  const QPoint key = enter->mapTo(&window, enter->rect().center());
  ASSERT_TRUE(xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1")
                          .arg(window.winId())
                          .arg(key.x())
                          .arg(key.y())));
  EXPECT_TRUE(waitUntil([&] { return clicked.count() == 1; }));
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
  HungSecretService hung;
  ASSERT_TRUE(hung.start(home));
  // With no session bus the pairing code's read fails at once; a hung Secret Service holds
  // it, and the program must not wait for it.
  for (const bool keychainHangs : {false, true}) {
    SCOPED_TRACE(keychainHangs ? "the keychain hangs" : "no session bus");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    if (keychainHangs) environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), hung.address);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARNIK_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(5000));

    const auto window =
        xdotool(QStringLiteral("search --sync --onlyvisible --pid %1").arg(program.processId()));
    ASSERT_TRUE(window);
    // The window's first paint has started the pairing code's read.
    if (keychainHangs) {
      ASSERT_TRUE(waitUntil([&] { return hung.calls > 0; }));
    }
    const auto sent = ProcessRunner::run(
        QStringLiteral(TARNIK_SOURCE_TESTS "/support/send-wm-delete.py"), {*window}, 10s);
    ASSERT_TRUE(sent && sent->exitCode == 0);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
  }
}

}  // namespace
}  // namespace tarnik
