#include "WorkspaceTestSupport.h"
#include "screens/live/CueView.h"
#include "screens/patch/PatchView.h"
#include "screens/support/DrawnContrast.h"
#include "screens/support/Screenshots.h"
#include "shell/LivePage.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QProcess>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::labelText;
using testing::waitUntil;

TEST(WorkspaceWindow, OpensAtItsFirstSizeOfflineAndNeverShrinksBelowItsMinimum) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  EXPECT_EQ(window.size(), QSize(1200, 820));
  EXPECT_EQ(labelText(window, "workspace.status.console"), QStringLiteral("Eos offline"));
  EXPECT_EQ(labelText(window, "workspace.status.relay"), QStringLiteral("Phone relay off"));
  testing::saveScreenshot(window, QStringLiteral("workspace-window"));
  window.resize(800, 600);
  EXPECT_EQ(window.size(), QSize(950, 680));
  window.close();
}

TEST(WorkspaceWindow, SidebarListsTheSixPagesInOrderAndEachRowShowsItsTitleAboveItsPage) {
  // What each row's page holds; Updates is the only screen written so far.
  const std::vector<std::pair<QString, QString>> pages{
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
  QListWidget *rows = testing::sidebarRows(window);
  ASSERT_EQ(rows->count(), static_cast<int>(pages.size()));
  EXPECT_EQ(labelText(window, "workspace.sidebarTitle"), QStringLiteral("Tarnik"));
  for (int row = 0; row < rows->count(); ++row) {
    const auto &[title, content] = pages[static_cast<size_t>(row)];
    SCOPED_TRACE(title.toStdString());
    EXPECT_EQ(rows->item(row)->text(), title);
    EXPECT_FALSE(rows->item(row)->icon().isNull());
    rows->setCurrentRow(row);
    EXPECT_EQ(labelText(window, "workspace.detailTitle"), title);
    auto *shown = window.findChild<QWidget *>(content);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisibleTo(&window));
    testing::saveScreenshot(window, QStringLiteral("workspace-page-%1").arg(row + 1));
  }
  window.close();
}

TEST(WorkspaceWindow, EachPageTitleIsDrawnOnceWhetherOrNotThePageHasAHeaderOfItsOwn) {
  WorkspacePageFactories pages;
  pages.live = makeLivePage;
  pages.cues = [](WorkspaceContext &context) -> QWidget * { return new CueView(context.app); };
  pages.patch = [](WorkspaceContext &context) -> QWidget * { return new PatchView(context.app); };
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  window.show();
  QListWidget *rows = testing::sidebarRows(window);
  for (int row = 0; row < rows->count(); ++row) {
    rows->setCurrentRow(row);
    const QString title = rows->item(row)->text();
    int drawn = 0;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
      drawn += label->isVisible() && label->text() == title ? 1 : 0;
    }
    EXPECT_EQ(drawn, 1) << title.toStdString();
    testing::saveScreenshot(window, QStringLiteral("workspace-titled-once-%1").arg(row + 1));
  }
  window.close();
}

// Where a sidebar row draws its title: the style's text rectangle of the row, past its symbol.
QRect rowTitleArea(const QListWidget &rows, int row) {
  QStyleOptionViewItem option;
  option.initFrom(rows.viewport());
  option.rect = rows.visualItemRect(rows.item(row));
  option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
  option.decorationSize = rows.iconSize();
  option.decorationAlignment = Qt::AlignCenter;
  option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option.icon = rows.item(row)->icon();
  option.text = rows.item(row)->text();
  option.font = rows.font();
  return rows.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &rows);
}

// The sidebar stands a shade darker than the window: its rows, the selected one, and its
// status lines read on the ground it really draws, each by the strongest pixel of its glyphs.
TEST(WorkspaceWindow, TheSidebarsTextsReadOnItsOwnGround) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  QListWidget *rows = testing::sidebarRows(window);
  rows->setCurrentRow(1);
  auto *sidebar = window.findChild<QWidget *>(QStringLiteral("workspace.sidebar"));
  auto *console = window.findChild<QWidget *>(QStringLiteral("workspace.status.console"));
  ASSERT_TRUE(sidebar && console);
  const QImage image = sidebar->grab().toImage();
  const auto place = [&](const QWidget &widget, const QRect &rect) {
    return QRect(widget.mapTo(sidebar, rect.topLeft()), rect.size());
  };
  const QWidget &list = *rows->viewport();
  const struct {
    const char *name;
    QRect area;
  } texts[] = {
      {"selected row", place(list, rowTitleArea(*rows, 1))},
      {"row", place(list, rowTitleArea(*rows, 2))},
      {"console line", place(*console, console->rect())},
  };
  for (const auto &text : texts) {
    const testing::DrawnContrast drawn = testing::drawnContrast(image, text.area);
    EXPECT_GE(drawn.text, 4.5) << text.name << " on " << drawn.ground.name().toStdString();
  }
}

TEST(WorkspaceWindow, OnlyAnExactTitleLeavesTheConnectionPage) {
  for (const QString &title : {QStringLiteral("live"), QStringLiteral("Live "), QString()}) {
    EXPECT_EQ(WorkspacePages::page(title), WorkspacePages::Page::connectionAndRelay);
  }
}

TEST(WorkspaceWindow, APageIsBuiltAfreshEachTimeWhileTheWindowKeepsItsState) {
  std::vector<qint64> boardUsersSeen;
  WorkspacePageFactories pages;
  pages.controllerSections = [&](WorkspaceContext &context) -> QWidget * {
    boardUsersSeen.push_back(context.state.boardUser);
    context.state.boardUser = 7;
    return nullptr;
  };
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  for (const char *title : {"Xbox controller", "Updates", "Xbox controller"}) {
    window.showPage(QString::fromLatin1(title));
  }
  EXPECT_EQ(boardUsersSeen, (std::vector<qint64>{1, 7}));
}

TEST(InteropWorkspaceStatus, RelayLineCountsThePhonesConnectedThroughIt) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  // The first paint loads the pairing code, or makes one, which stops the relay: the relay
  // starts once the code is there.
  ASSERT_TRUE(waitUntil([&] { return !window.state().pairingKey.isEmpty(); }))
      << window.state().pairingError.value_or(QString()).toStdString();
  testing::startRelayTowards(app.relayServer(), console);
  const auto relayLineReads = [&](const char *text) {
    return waitUntil(
        [&] { return labelText(window, "workspace.status.relay") == QString::fromUtf8(text); });
  };
  ASSERT_TRUE(relayLineReads("Relay on · 0 sessions"));

  QProcess phone;  // openssl s_client proving the pairing key, as a phone does
  phone.start(QStringLiteral("openssl"),
              QStringLiteral("s_client -quiet -tls1_2 -cipher PSK-AES128-GCM-SHA256 "
                             "-psk_identity TarnikRelay.v1 -connect 127.0.0.1:%1 -psk %2")
                  .arg(*app.relayServer().boundPort())
                  .arg(QString::fromLatin1(testing::relayTestKey.toHex()))
                  .split(' '));
  EXPECT_TRUE(relayLineReads("Relay on · 1 session"));
  testing::saveScreenshot(window, QStringLiteral("workspace-relay-on"));
  phone.kill();
  phone.waitForFinished(5000);
  EXPECT_TRUE(relayLineReads("Relay on · 0 sessions"));
}

}  // namespace
}  // namespace tarnik
