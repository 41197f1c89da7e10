#pragma once

// What the Live keys' tests share: a model on its own settings file and virtual time, the
// console double, the Live keys shown for that model, and a watch on Qt's warnings.

#include "app/AppViewModel.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "screens/live/ConsoleKeyButton.h"
#include "screens/live/LiveView.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QLayout>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik::testing {

// Qt's warnings while a test runs; any of them fails it.
class QtWarningWatch {
 public:
  QtWarningWatch() {
    warnings().clear();
    previous_ = qInstallMessageHandler(&gather);
  }
  ~QtWarningWatch() {
    qInstallMessageHandler(previous_);
    EXPECT_EQ(warnings(), QStringList()) << "Qt warned while the test ran";
  }

 private:
  static QStringList &warnings() {
    static QStringList gathered;
    return gathered;
  }
  static void gather(QtMsgType type, const QMessageLogContext &, const QString &message) {
    // A dialog fixes its size once it has a window, which the offscreen platform cannot
    // pass on; that says nothing about the screen.
    if (message == QStringLiteral("This plugin does not support propagateSizeHints()")) return;
    if (type != QtDebugMsg && type != QtInfoMsg) warnings().append(message);
  }
  QtMessageHandler previous_ = nullptr;
};

class LiveKeysTest : public ::testing::Test {
 protected:
  // The model's virtual uptime starts on the system's, which stamps the console's ping
  // replies, so a matched ping counts as fresh.
  void makeView(int width = 560, LivePageParts parts = {}) {
    model = std::make_unique<AppViewModel>(
        AppViewModel::Arguments{.defaults = &settings,
                                .startNetworkingOnInit = false,
                                .oscManager = std::make_unique<OSCManager>(5, 5),
                                .timing = timing});
    view = std::make_unique<LiveView>(*model, std::move(parts));
    view->resize(width, 720);
    // The column's limits settle before there is a window: the offscreen platform warns
    // when asked to pass them on to one.
    view->layout()->activate();
    view->show();
  }
  ConsoleKeyButton *key(const QString &name) {
    return view->findChild<ConsoleKeyButton *>(QStringLiteral("live.key.") + name);
  }
  QList<ConsoleKeyButton *> keys() { return view->findChildren<ConsoleKeyButton *>(); }
  // Redraws run one turn after the model's change.
  void settle() { QCoreApplication::processEvents(); }
  void connectOverTcp() {
    model->setConsoleIP(QStringLiteral("127.0.0.1"));
    model->setConnectionTransport(OSCTransport::tcp);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
  }

  QtWarningWatch warningWatch;
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::shared_ptr<ManualAppTiming> timing =
      std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<LiveView> view;
};

}  // namespace tarnik::testing
