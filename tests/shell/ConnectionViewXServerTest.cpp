// The connection page of the real window under Xvfb, typed into with real keys.

#include "app/AppViewModel.h"
#include "screens/connection/ConnectionView.h"
#include "shell/MacWorkspaceView.h"
#include "shell/TarnikApp.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using testing::waitUntil;

bool xdotool(const QStringList &arguments) {
  const auto result = ProcessRunner::run(u"xdotool"_s, arguments, 20s);
  return result && result->exitCode == 0;
}

TEST(ConnectionViewXServer, TypedHostAndPortReachTheModelAndTheValidationLineFollowsEachKey) {
  TarnikApp app;
  WorkspacePageFactories pages;
  pages.connection = [](WorkspaceContext &context) -> QWidget * {
    return new ConnectionView(context.app, [](const QString &, BonjourBrowseHandlers) {
      return std::make_unique<QObject>();
    });
  };
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  window.resize(1200, 1000);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  AppViewModel &model = app.appViewModel();
  auto *host = window.findChild<QLineEdit *>(u"connection.host"_s);
  auto *port = window.findChild<QLineEdit *>(u"connection.destinationPort"_s);
  auto *validation = window.findChild<QLabel *>(u"connection.validationError"_s);
  ASSERT_TRUE(host && port && validation);
  const QString wid = QString::number(window.winId());
  ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, wid}));
  const QPoint at = host->mapTo(&window, host->rect().center());
  ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, wid, QString::number(at.x()),
                       QString::number(at.y()), u"click"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return host->hasFocus(); }));
  EXPECT_EQ(validation->text(), u"Enter a console IP address or hostname."_s);

  ASSERT_TRUE(xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"127.0.0.1/"_s}));
  EXPECT_TRUE(waitUntil([&] {
    return validation->text() == u"Enter only an IP address or hostname, without a URL or port."_s;
  }));
  ASSERT_TRUE(xdotool({u"key"_s, u"BackSpace"_s}));
  EXPECT_TRUE(waitUntil([&] { return model.consoleIP() == u"127.0.0.1"_s; }));
  EXPECT_TRUE(waitUntil([&] { return validation->text().isEmpty(); }));

  for (int tabs = 0; tabs < 3 && !port->hasFocus(); ++tabs) {
    ASSERT_TRUE(xdotool({u"key"_s, u"Tab"_s}));
    waitUntil([&] { return port->hasFocus(); }, 1000);
  }
  ASSERT_TRUE(port->hasFocus());
  ASSERT_TRUE(xdotool({u"key"_s, u"ctrl+a"_s, u"BackSpace"_s}));
  EXPECT_TRUE(
      waitUntil([&] { return validation->text() == u"Destination port must be 1–65535."_s; }));
  ASSERT_TRUE(xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"3037"_s}));
  EXPECT_TRUE(waitUntil([&] { return model.customSendPort() == u"3037"_s; }));
  EXPECT_TRUE(waitUntil([&] { return validation->text().isEmpty(); }));
  window.close();
}

}  // namespace
}  // namespace tarnik
