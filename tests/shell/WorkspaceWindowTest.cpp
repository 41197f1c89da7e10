#include "WorkspaceTestSupport.h"
#include "link/TarnikRelayServer.h"
#include "shell/TarnikApp.h"
#include "shell/WorkspacePages.h"
#include "support/EosConsoleDouble.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/Screenshots.h"

#include <QProcess>
#include <QSplitter>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::labelText;
using testing::sidebarRows;
using testing::waitUntil;

TEST(WorkspaceWindow, OpensAtItsFirstSizeAndNeverShrinksBelowItsMinimum) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  EXPECT_EQ(window.size(), QSize(1200, 820));
  testing::saveScreenshot(window, QStringLiteral("workspace-window"));
  window.resize(800, 600);
  EXPECT_EQ(window.size(), QSize(950, 680));
  window.close();
}

TEST(WorkspaceWindow, SidebarListsTheSixPagesInOrderAndEachRowShowsItsTitleAboveItsPage) {
  // What the detail holds for each row: the Updates page is the only screen written so far.
  const std::vector<std::pair<QString, QString>> expected{
      {QStringLiteral("Connection & relay"), QStringLiteral("workspace.connectionAndRelay")},
      {QStringLiteral("Live"), QStringLiteral("workspace.live")},
      {QStringLiteral("Cues"), QStringLiteral("workspace.cues")},
      {QStringLiteral("Patch"), QStringLiteral("workspace.patch")},
      {QStringLiteral("Xbox controller"), QStringLiteral("workspace.controller")},
      {QStringLiteral("Updates"), QStringLiteral("updates.check")},
  };
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  QListWidget *rows = sidebarRows(window);
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->count(), static_cast<int>(expected.size()));
  EXPECT_EQ(labelText(window, "workspace.sidebarTitle"), QStringLiteral("Tarnik"));
  for (int row = 0; row < rows->count(); ++row) {
    const auto &[title, content] = expected[static_cast<size_t>(row)];
    SCOPED_TRACE(title.toStdString());
    EXPECT_EQ(rows->item(row)->text(), title);
    EXPECT_FALSE(rows->item(row)->icon().isNull());
    rows->setCurrentRow(row);
    EXPECT_EQ(window.state().page, title);
    EXPECT_EQ(labelText(window, "workspace.detailTitle"), title);
    auto *shown = window.findChild<QWidget *>(content);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisibleTo(&window));
    testing::saveScreenshot(window, QStringLiteral("workspace-page-%1").arg(row + 1));
  }
  window.close();
}

TEST(WorkspaceWindow, PagesAreRoutedByExactTitleAndAnyOtherTextIsTheConnectionPage) {
  using WorkspacePages::Page;
  const std::vector<std::tuple<QString, Page, QString>> cases{
      {QStringLiteral("Live"), Page::live, QStringLiteral("slider.vertical.3")},
      {QStringLiteral("Cues"), Page::cues, QStringLiteral("list.number")},
      {QStringLiteral("Patch"), Page::patch, QStringLiteral("lightbulb")},
      {QStringLiteral("Xbox controller"), Page::controller, QStringLiteral("gamecontroller")},
      {QStringLiteral("Updates"), Page::updates, QStringLiteral("arrow.down.circle")},
      {QStringLiteral("Connection & relay"), Page::connectionAndRelay, QStringLiteral("network")},
      {QStringLiteral("live"), Page::connectionAndRelay, QStringLiteral("network")},
      {QStringLiteral("Live "), Page::connectionAndRelay, QStringLiteral("network")},
      {QString(), Page::connectionAndRelay, QStringLiteral("network")},
  };
  for (const auto &[title, page, symbol] : cases) {
    SCOPED_TRACE(title.toStdString());
    EXPECT_EQ(WorkspacePages::page(title), page);
    EXPECT_EQ(WorkspacePages::symbolName(page), symbol);
  }
}

TEST(WorkspaceWindow, APageIsBuiltAfreshEachTimeWhileTheWindowKeepsItsState) {
  int builds = 0;
  std::vector<qint64> boardUsersSeen;
  WorkspacePageFactories pages;
  pages.controllerSections = [&](WorkspaceContext &context) -> QWidget * {
    ++builds;
    boardUsersSeen.push_back(context.state.boardUser);
    context.state.boardUser = 7;
    return nullptr;
  };
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  window.showPage(QStringLiteral("Xbox controller"));
  window.showPage(QStringLiteral("Updates"));
  window.showPage(QStringLiteral("Xbox controller"));
  EXPECT_EQ(builds, 2);
  EXPECT_EQ(boardUsersSeen, (std::vector<qint64>{1, 7}));
  EXPECT_EQ(window.state().boardUser, 7);
}

TEST(WorkspaceStatus, ReadsOfflineAndRelayOffAtStart) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  EXPECT_EQ(labelText(window, "workspace.status.console"), QStringLiteral("Eos offline"));
  EXPECT_EQ(labelText(window, "workspace.status.relay"), QStringLiteral("Phone relay off"));
}

class InteropWorkspaceStatus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProcessRunner::isAvailable(QStringLiteral("openssl")))
      GTEST_SKIP() << "openssl is not installed";
  }
};

TEST_F(InteropWorkspaceStatus, RelayLineCountsThePhonesConnectedThroughIt) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  TarnikRelayServer &relay = app.relayServer();
  relay.start(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                    console.tcpPort(OSCTCPFraming::packetLength)),
              0, testing::relayTestPairingCode());
  const auto relayLine = [&] { return labelText(window, "workspace.status.relay"); };
  ASSERT_TRUE(waitUntil([&] { return relayLine() == QStringLiteral("Relay on · 0 sessions"); }))
      << relayLine().toStdString();

  QProcess phone;
  phone.start(
      QStringLiteral("openssl"),
      {QStringLiteral("s_client"), QStringLiteral("-connect"),
       QStringLiteral("127.0.0.1:%1").arg(*relay.boundPort()), QStringLiteral("-psk"),
       QString::fromLatin1(testing::relayTestKey().toHex()), QStringLiteral("-psk_identity"),
       QStringLiteral("TarnikRelay.v1"), QStringLiteral("-tls1_2"), QStringLiteral("-cipher"),
       QStringLiteral("PSK-AES128-GCM-SHA256"), QStringLiteral("-quiet")});
  EXPECT_TRUE(waitUntil([&] { return relayLine() == QStringLiteral("Relay on · 1 sessions"); }))
      << relayLine().toStdString();
  testing::saveScreenshot(window, QStringLiteral("workspace-relay-on"));

  phone.kill();
  phone.waitForFinished(5000);
  EXPECT_TRUE(waitUntil([&] { return relayLine() == QStringLiteral("Relay on · 0 sessions"); }))
      << relayLine().toStdString();
}

}  // namespace
}  // namespace tarnik
