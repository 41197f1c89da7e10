#include "WorkspaceTestSupport.h"
#include "platform/SecretServiceKeychain.h"
#include "shell/RelayPage.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

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

}  // namespace
}  // namespace tarnik
