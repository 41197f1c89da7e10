#include "WorkspaceTestSupport.h"
#include "platform/SecretServiceKeychain.h"
#include "screens/connection/RelayPage.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::waitUntil;

WorkspacePageFactories relayPage() {
  WorkspacePageFactories pages;
  pages.relaySection = [](WorkspaceContext &context) -> QWidget * {
    return new RelayPage(context);
  };
  return pages;
}

// The code the page shows once the window has been painted, read from a fresh window.
QString codeOfANewWindow() {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(relayPage());
  window.show();
  EXPECT_TRUE(waitUntil([&] { return !window.state().pairingKey.isEmpty(); }));
  const auto *field = window.findChild<QLineEdit *>(QStringLiteral("relay.pairingCode"));
  EXPECT_EQ(field->echoMode(), QLineEdit::Password);
  EXPECT_EQ(field->text(), window.state().pairingKey);
  window.findChild<QPushButton *>(QStringLiteral("relay.copy"))->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), window.state().pairingKey);
  return window.state().pairingKey;
}

TEST(RelayPageKeyringIntegration, TheFirstStartStoresACodeAndTheNextShowsItAgain) {
  const QString first = codeOfANewWindow();
  EXPECT_EQ(first.size(), 44);
  const auto stored = SecretServiceKeychain::load(
      {QStringLiteral("quellmoor.Tarnik.relay"), QStringLiteral("server")});
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->value_or(QByteArray()), first.toLatin1());
  EXPECT_EQ(codeOfANewWindow(), first);
}

TEST(RelayPageKeyringIntegration, ReplaceStoresANewCodeAndStopsTheRunningRelay) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(relayPage());
  window.show();
  ASSERT_TRUE(waitUntil([&] { return !window.state().pairingKey.isEmpty(); }));
  const QString old = window.state().pairingKey;
  testing::startRelayTowards(app.relayServer(), console);
  auto *toggle = window.findChild<QPushButton *>(QStringLiteral("relay.toggle"));
  ASSERT_TRUE(waitUntil([&] { return toggle->text() == QStringLiteral("Stop phone relay"); }));

  window.findChild<QPushButton *>(QStringLiteral("relay.replace"))->click();
  EXPECT_FALSE(app.relayServer().isRunning());
  EXPECT_TRUE(waitUntil([&] { return toggle->text() == QStringLiteral("Start phone relay"); }));
  ASSERT_TRUE(waitUntil([&] { return window.state().pairingKey != old; }));
  const QString replaced = window.state().pairingKey;
  EXPECT_NE(replaced, old);
  EXPECT_EQ(window.findChild<QLineEdit *>(QStringLiteral("relay.pairingCode"))->text(), replaced);
  const auto stored = SecretServiceKeychain::load(
      {QStringLiteral("quellmoor.Tarnik.relay"), QStringLiteral("server")});
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->value_or(QByteArray()), replaced.toLatin1());
}

// Its own slice: the session bus address must point nowhere before anything asks for it.
TEST(RelayPageKeychainWithoutBusIntegration, TheLoadFailsAndCopyAndStartStayDisabled) {
  QTemporaryDir nowhere;
  qputenv("DBUS_SESSION_BUS_ADDRESS",
          "unix:path=" + nowhere.filePath(QStringLiteral("no_bus")).toUtf8());
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(relayPage());
  window.show();
  const QString error =
      QStringLiteral("Keychain: The pairing code could not be read from Keychain (");
  ASSERT_TRUE(waitUntil([&] {
    return testing::labelText(window, "relay.error").startsWith(error);
  })) << testing::labelText(window, "relay.error").toStdString();
  EXPECT_TRUE(window.state().pairingKey.isEmpty());
  EXPECT_FALSE(window.findChild<QPushButton *>(QStringLiteral("relay.copy"))->isEnabled());
  EXPECT_FALSE(window.findChild<QPushButton *>(QStringLiteral("relay.toggle"))->isEnabled());
}

}  // namespace
}  // namespace tarnik
