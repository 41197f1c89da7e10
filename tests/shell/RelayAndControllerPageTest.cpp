#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "operations/MoverController.h"
#include "screens/connection/ControllerPage.h"
#include "screens/connection/RelayPage.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/support/Screenshots.h"
#include "shell/TarnikApp.h"
#include "support/HeldAnswer.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTest>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <semaphore>

namespace tarnik {
namespace {

using testing::labelText;
using testing::waitUntil;
using namespace Qt::StringLiterals;
using Failure = TarnikRelaySecurity::Failure;

const QString firstCode = QString::fromLatin1(QByteArray(32, 'a').toBase64());
const QString secondCode = QString::fromLatin1(QByteArray(32, 'b').toBase64());
const Failure lockedKeychain{Failure::Kind::keychain, 3, QStringLiteral("locked")};
const Failure unreadKeychain{Failure::Kind::keychainRead, 5, QStringLiteral("Timeout was reached")};

// An in-memory keychain: what it holds, and what its calls answer.
struct FakeKeychain {
  std::optional<QString> stored;
  std::optional<Failure> loadFailure;
  std::optional<Failure> storeFailure;
  QStringList made{secondCode};

  RelayPairingKeychain calls() {
    return {
        [this]() -> std::expected<std::optional<QString>, Failure> {
          if (loadFailure) return std::unexpected(*loadFailure);
          return stored;
        },
        [this](const QString &code) -> std::expected<void, Failure> {
          if (storeFailure) return std::unexpected(*storeFailure);
          stored = code;
          return {};
        },
        [this]() -> std::expected<QString, Failure> { return made.takeFirst(); },
    };
  }
};

WorkspacePageFactories bothPages() {
  WorkspacePageFactories pages;
  pages.relaySection = [](WorkspaceContext &context) -> QWidget * {
    return new RelayPage(context);
  };
  pages.controllerSections = [](WorkspaceContext &context) -> QWidget * {
    return new ControllerPage(context);
  };
  return pages;
}

template <typename Widget>
Widget *find(const QWidget &window, const char *name) {
  return window.findChild<Widget *>(QString::fromLatin1(name));
}

// The page left goes at the next turn; until then its controls would still be found.
void show(MacWorkspaceView &window, const char *title) {
  window.showPage(QString::fromUtf8(title));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool enabled(const QWidget &window, const char *name) {
  const auto *button = find<QPushButton>(window, name);
  return button && button->isEnabled();
}

struct Window {
  explicit Window(FakeKeychain &keychain) : window(app.openWindow(bothPages(), keychain.calls())) {
    window.show();
  }
  TarnikApp app;
  MacWorkspaceView &window;
};

TEST(RelayPage, PairingCodeLoadsOnceAfterTheFirstPaint) {
  struct Case {
    const char *name;
    FakeKeychain keychain;
    QString shownCode;
    QString error;
  };
  std::vector<Case> cases{
      {"stored", {firstCode, {}, {}}, firstCode, QString()},
      {"none stored: a new one is stored", {{}, {}, {}}, secondCode, QString()},
      {"load fails",
       {{}, unreadKeychain, {}},
       QString(),
       QStringLiteral("Keychain: ") + unreadKeychain.description()},
      {"none stored, store fails",
       {{}, {}, lockedKeychain},
       QString(),
       QStringLiteral("Could not save a new pairing code: ") + lockedKeychain.description()},
  };
  for (Case &c : cases) {
    SCOPED_TRACE(c.name);
    Window w(c.keychain);
    ASSERT_TRUE(waitUntil([&] {
      return w.window.state().pairingKey == c.shownCode &&
             w.window.state().pairingError.value_or(QString()) == c.error;
    }));
    const auto *field = find<QLineEdit>(w.window, "relay.pairingCode");
    EXPECT_EQ(field->text(), c.shownCode);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_EQ(labelText(w.window, "relay.error"), c.error);
    // What the page shows stays through a change of its width.
    w.window.resize(w.window.width() + 40, w.window.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(labelText(w.window, "relay.error"), c.error);
    EXPECT_EQ(enabled(w.window, "relay.copy"), !c.shownCode.isEmpty());
    EXPECT_FALSE(enabled(w.window, "relay.toggle"));  // offline
    if (!c.shownCode.isEmpty()) {
      EXPECT_EQ(c.keychain.stored, c.shownCode);
    }
  }
}

TEST(RelayPage, AFailedReplacementKeepsTheOldCodeAndTypingChangesNothing) {
  FakeKeychain keychain{firstCode, {}, {}};
  Window w(keychain);
  ASSERT_TRUE(waitUntil([&] { return w.window.state().pairingKey == firstCode; }));
  auto *field = find<QLineEdit>(w.window, "relay.pairingCode");
  QTest::keyClicks(field, QStringLiteral("typed"));
  field->selectAll();
  EXPECT_EQ(field->text(), firstCode);
  EXPECT_FALSE(field->hasSelectedText());

  keychain.storeFailure = lockedKeychain;
  find<QPushButton>(w.window, "relay.replace")->click();
  EXPECT_EQ(w.window.state().pairingKey, firstCode);
  EXPECT_EQ(keychain.stored, firstCode);
  EXPECT_TRUE(waitUntil([&] {
    return labelText(w.window, "relay.error") ==
           QStringLiteral("Could not save a new pairing code: ") + lockedKeychain.description();
  }));

  find<QPushButton>(w.window, "relay.copy")->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), firstCode);
}

TEST(RelayPage, TheWindowGoesOnWhileTheKeychainWaitsAndOnePressStoresOnce) {
  // Each keychain call answers only when the window's event loop releases it; one never
  // released in time answers with a locked keychain.
  const struct {
    const char *name;
    bool loadWaits;  // else the new code's store waits
    QString shownCode;
    QString error;
  } rows[] = {
      {"the stored code is read, and the keychain gives up", true, QString(),
       QStringLiteral("Keychain: ") + unreadKeychain.description()},
      {"a new code is stored", false, secondCode, QString()},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    const auto held = std::make_shared<testing::HeldAnswer>();
    QStringList made{secondCode, firstCode};
    RelayPairingKeychain keychain{
        [held, loadWaits = row.loadWaits]() -> std::expected<std::optional<QString>, Failure> {
          if (!loadWaits) return firstCode;
          return std::unexpected(held->await() ? unreadKeychain : lockedKeychain);
        },
        [held](const QString &) -> std::expected<void, Failure> {
          if (!held->await()) {
            return std::unexpected(lockedKeychain);
          }
          return {};
        },
        [&made]() -> std::expected<QString, Failure> { return made.takeFirst(); }};
    TarnikApp app;
    MacWorkspaceView &window = app.openWindow(bothPages(), keychain);
    window.show();
    if (!row.loadWaits) {
      ASSERT_TRUE(waitUntil([&] { return window.state().pairingKey == firstCode; }));
      auto *replace = find<QPushButton>(window, "relay.replace");
      replace->click();
      replace->click();
    }
    ASSERT_TRUE(waitUntil([&] { return held->calls == 1; }));
    ASSERT_TRUE(held->releaseFromEventLoop());
    EXPECT_TRUE(waitUntil([&] {
      return window.state().pairingKey == row.shownCode &&
             window.state().pairingError.value_or(QString()) == row.error;
    })) << window.state().pairingError.value_or(QString()).toStdString();
    EXPECT_EQ(held->calls, 1);
    EXPECT_EQ(find<QLineEdit>(window, "relay.pairingCode")->text(), row.shownCode);
  }
}

TEST(ControllerPage, BoardUserStaysWithinRangeAndEachChangeEndsTheSession) {
  FakeKeychain keychain;
  Window w(keychain);
  show(w.window, "Xbox controller");
  auto *spin = find<QSpinBox>(w.window, "controller.boardUser");
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->text(), QStringLiteral("Eos board user: 1"));
  spin->stepDown();
  EXPECT_EQ(spin->value(), 1);
  spin->setValue(100);
  EXPECT_EQ(spin->value(), 99);
  EXPECT_EQ(w.window.state().boardUser, 99);
  EXPECT_TRUE(waitUntil([&] {
    return labelText(w.window, "controller.status") ==
           QStringLiteral("Disconnected; movement disarmed.");
  }));
  EXPECT_FALSE(enabled(w.window, "controller.disconnect"));
  EXPECT_FALSE(enabled(w.window, "controller.connect"));
  EXPECT_FALSE(enabled(w.window, "controller.arm"));
  testing::saveScreenshot(w.window, QStringLiteral("controller-page"));
}

// The model connected to the console double over TCP with SLIP framing.
class ConnectedWindow : public ::testing::Test {
 protected:
  void connectModel() {
    AppViewModel &model = w.app.appViewModel();
    model.setConsoleIP(QStringLiteral("127.0.0.1"));
    model.setConnectionTransport(OSCTransport::tcp);
    model.setTcpFraming(OSCTCPFraming::slip);
    model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
    model.connect();
    ASSERT_TRUE(waitUntil([&] { return model.isConsoleReachable(); }));
  }

  testing::EosConsoleDouble console;
  FakeKeychain keychain{firstCode, {}, {}};
  Window w{keychain};
};

TEST_F(ConnectedWindow, BoardRowsFollowTheActiveSettingsAndRoutesOpenWithThem) {
  ASSERT_NO_FATAL_FAILURE(connectModel());
  const QString board = QStringLiteral("127.0.0.1:%1").arg(console.tcpPort(OSCTCPFraming::slip));
  ASSERT_TRUE(waitUntil([&] { return labelText(w.window, "relay.board") == board; }));
  EXPECT_EQ(labelText(w.window, "relay.framing"), QStringLiteral("SLIP (OSC 1.1)"));
  EXPECT_TRUE(find<QLabel>(w.window, "relay.board")->isVisibleTo(&w.window));
  EXPECT_TRUE(waitUntil([&] { return enabled(w.window, "relay.toggle"); }));
  testing::saveScreenshot(w.window, QStringLiteral("relay-page"));

  show(w.window, "Xbox controller");
  EXPECT_TRUE(enabled(w.window, "controller.connect"));
  show(w.window, "Connection & relay");

  w.app.appViewModel().disconnect();
  EXPECT_TRUE(
      waitUntil([&] { return !find<QLabel>(w.window, "relay.board")->isVisibleTo(&w.window); }));
  EXPECT_FALSE(find<QLabel>(w.window, "relay.framing")->isVisibleTo(&w.window));
  EXPECT_FALSE(enabled(w.window, "relay.toggle"));
}

TEST_F(ConnectedWindow, WithoutAPairingCodeNeitherTheRelayNorTheControllerMayStart) {
  keychain.loadFailure = lockedKeychain;  // read after the first paint, still to come
  ASSERT_NO_FATAL_FAILURE(connectModel());
  ASSERT_TRUE(
      waitUntil([&] { return labelText(w.window, "relay.error").startsWith("Keychain: "); }));
  EXPECT_FALSE(enabled(w.window, "relay.toggle"));
  EXPECT_FALSE(enabled(w.window, "relay.copy"));
  show(w.window, "Xbox controller");
  EXPECT_FALSE(enabled(w.window, "controller.connect"));
}

TEST_F(ConnectedWindow, StopStaysEnabledWhenTheConsoleFallsSilent) {
  ASSERT_NO_FATAL_FAILURE(connectModel());
  testing::startRelayTowards(w.app.relayServer(), console);
  auto *toggle = find<QPushButton>(w.window, "relay.toggle");
  ASSERT_TRUE(waitUntil([&] { return toggle->text() == QStringLiteral("Stop phone relay"); }));
  console.silent = true;
  ASSERT_TRUE(waitUntil([&] { return !w.app.appViewModel().isConsoleReachable(); }, 20000));
  QCoreApplication::processEvents();
  EXPECT_EQ(toggle->text(), QStringLiteral("Stop phone relay"));
  EXPECT_TRUE(toggle->isEnabled());
  toggle->click();
  EXPECT_FALSE(w.app.relayServer().isRunning());
}
// A host name far longer than either pane, on the window's least and first sizes, with the
// console route to it in use: each row of the relay column keeps its height and ends in "…"
// where its value does not fit, and the connection pane never scrolls sideways, on the first
// visit and the next.
TEST(ConnectionAndRelayPage, ALongHostNameWidensNoPaneAndSqueezesNoRow) {
  // Names no console is found at, without a lookup leaving the machine: the resolver refuses
  // a label longer than 63 characters, or an empty one, itself. The short name differs from
  // the long ones only in its length.
  const QString host = u"front-of-house-main-console-upper-balcony-stage-left-booth-number-one"_s;
  const QString shortHost = u"foh..example.org"_s;
  const struct {
    QString host;
    QSize window;
  } rows[] = {
      {host + u".example.org"_s, {950, 680}},
      {host + u".example.org"_s, {1200, 820}},
      {(host + u"."_s).repeated(2) + u"theatre.example.org"_s, {950, 680}},
      {(host + u"."_s).repeated(2) + u"theatre.example.org"_s, {1200, 820}},
  };
  for (const auto &row : rows) {
    // The connection pane's and the relay column's widths, on each visit, with the short
    // name and then the long one.
    std::array<std::array<std::pair<int, int>, 2>, 2> paneWidths{};
    for (int hostIndex : {0, 1}) {
      const QString shownHost = hostIndex == 0 ? shortHost : row.host;
      SCOPED_TRACE(u"%1 characters at %2×%3"_s.arg(shownHost.size())
                       .arg(row.window.width())
                       .arg(row.window.height())
                       .toStdString());
      FakeKeychain keychain{firstCode, {}, {}};
      WorkspacePageFactories pages = testing::connectionPageWithoutBrowsing();
      pages.relaySection = bothPages().relaySection;
      pages.controllerSections = bothPages().controllerSections;
      TarnikApp app;
      MacWorkspaceView &window = app.openWindow(pages, keychain.calls());
      window.resize(row.window);
      window.show();
      AppViewModel &model = app.appViewModel();
      model.setConsoleIP(shownHost);
      model.setConnectionTransport(OSCTransport::tcp);
      model.setCustomSendPort(u"41199"_s);
      model.connect();
      for (int visit : {0, 1}) {
        SCOPED_TRACE(visit == 0 ? "first visit" : "next visit");
        ASSERT_TRUE(waitUntil([&] {
          const auto *board = find<QLabel>(window, "relay.board");
          return board && board->isVisibleTo(&window);
        }));
        ASSERT_TRUE(waitUntil([&] {
          return model.oscManager()->connectionStateDescription().contains(u"Host not found"_s);
        }));
        // The layouts' requests, each level's in a turn of its own, up to the scroll area's.
        for (int level = 0; level < 8; ++level) {
          QCoreApplication::processEvents();
          QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
        for (const char *name : {"relay.status", "relay.sessions", "relay.board", "relay.framing",
                                 "relay.pairingCode"}) {
          const auto *value = find<QWidget>(window, name);
          ASSERT_TRUE(value) << name;
          EXPECT_GE(value->height(), value->minimumSizeHint().height()) << name;
          EXPECT_LE(value->mapTo(&window, QPoint(value->width(), 0)).x(), window.width()) << name;
        }
        const auto *board = qobject_cast<ElidedLabel *>(find<QLabel>(window, "relay.board"));
        // The whole name where it fits, else what fits of it and "…".
        EXPECT_TRUE(board && board->fullText() == shownHost + u":41199"_s &&
                    (board->text() == board->fullText() || board->text().endsWith(QChar(0x2026))));
        const auto *list = find<QScrollArea>(window, "connection.list");
        ASSERT_TRUE(list);
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        EXPECT_LE(list->widget()->width(), list->viewport()->width());
        const auto *split = find<QSplitter>(window, "workspace.connectionAndRelay");
        ASSERT_TRUE(split);
        paneWidths[hostIndex][visit] = {split->widget(0)->width(), split->widget(1)->width()};
        if (hostIndex == 1) {
          testing::saveScreenshot(window,
                                  u"connection-and-relay-long-host-%1"_s.arg(row.window.width()));
        }
        const QWidget *relayPane = split->widget(1);
        if (visit == 1 && relayPane->width() - relayPane->minimumWidth() >= 40) {
          // A person's own drag still moves the split.
          QSplitterHandle *handle = split->handle(1);
          const QPoint grip = handle->rect().center();
          QTest::mousePress(handle, Qt::LeftButton, {}, grip);
          QTest::mouseMove(handle, grip + QPoint(40, 0));
          QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(40, 0));
          EXPECT_EQ(split->widget(0)->width(), paneWidths[hostIndex][visit].first + 40);
        }
        show(window, "Xbox controller");
        show(window, "Connection & relay");
      }
    }
    for (int visit : {0, 1}) {
      const auto [shortConnection, shortRelay] = paneWidths[0][visit];
      const auto [longConnection, longRelay] = paneWidths[1][visit];
      EXPECT_NEAR(longConnection, shortConnection, 1)
          << row.host.size() << " characters at " << row.window.width() << ", visit " << visit;
      EXPECT_NEAR(longRelay, shortRelay, 1)
          << row.host.size() << " characters at " << row.window.width() << ", visit " << visit;
    }
  }
}

}  // namespace
}  // namespace tarnik
