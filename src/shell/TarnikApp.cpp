#include "shell/TarnikApp.h"

#include "app/AppViewModel.h"
#include "link/TarnikRelayServer.h"
#include "operations/MoverController.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "shell/AfterFirstPaint.h"
#include "shell/DeferredGamePadSource.h"
#include "shell/MacUpdater.h"
#include "shell/MacWorkspaceView.h"

#include <QApplication>
#include <QScreen>

namespace tarnik {

namespace {

constexpr double connectTimeout = 8.0;
constexpr double verificationTimeout = 5.0;

std::unique_ptr<AppViewModel> makeAppViewModel(SettingsStore &defaults) {
  AppViewModel::Arguments arguments;
  arguments.defaults = &defaults;
  arguments.startNetworkingOnInit = true;
  arguments.oscManager = std::make_unique<OSCManager>(connectTimeout, verificationTimeout);
  arguments.maximumReconnectAttempts = 5;
  arguments.syncTimeout = 30.0;
  arguments.reconnectBaseDelay = 0.5;
  arguments.directPatchReadTimeout = 2.0;
  arguments.makeConnectionTestManager = [] {
    return std::make_unique<OSCManager>(connectTimeout, verificationTimeout);
  };
  arguments.storeRelayKey = &TarnikRelaySecurity::storePairingCode;
  arguments.loadRelayKey = &TarnikRelaySecurity::loadPairingCode;
  return std::make_unique<AppViewModel>(std::move(arguments));
}

std::unique_ptr<MoverController> makeMoverController(DeferredGamePadSource *&pads) {
  auto source = std::make_unique<DeferredGamePadSource>();
  pads = source.get();
  return std::make_unique<MoverController>(std::make_unique<MoverDedicatedOSCTransport>(),
                                           std::move(source), true, systemUptime);
}

}  // namespace

TarnikApp::TarnikApp()
    : defaults_(SettingsStore::applicationFileName(),
                {.fallbackFiles = SettingsStore::applicationFallbackFileNames()}),
      appViewModel_(makeAppViewModel(defaults_)),
      relayServer_(std::make_unique<TarnikRelayServer>(12, 8.0, 10.0)),
      moverController_(makeMoverController(gamePads_)),
      updater_(std::make_unique<MacUpdater>()),
      sleepMonitor_(QDBusConnection::systemBus(), QStringLiteral("Tarnik"),
                    QStringLiteral("Disarm the game controller before sleeping")) {
  // However the loop ends, the phones' sessions close and the machine may idle again.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, relayServer_.get(),
                   &TarnikRelayServer::stop);
  // The mover moves lights only while this application has the user's attention.
  MoverController *mover = moverController_.get();
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, mover,
                   [mover](Qt::ApplicationState state) {
                     mover->setApplicationActive(state == Qt::ApplicationActive);
                   });
  QObject::connect(&sleepMonitor_, &LogindSleepMonitor::willSleep, mover,
                   &MoverController::systemWillSleep);
}

TarnikApp::~TarnikApp() = default;

MacWorkspaceView &TarnikApp::openWindow(WorkspacePageFactories pages,
                                        RelayPairingKeychain keychain) {
  window_ = std::make_unique<MacWorkspaceView>(*appViewModel_, *relayServer_, *moverController_,
                                               *updater_, std::move(pages), std::move(keychain));
  window_->setMinimumSize(950, 680);
  window_->resize(1200, 820);
  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect frame = window_->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window_->move(frame.topLeft());
  }
  new AfterFirstPaint(*window_, [pads = gamePads_] { pads->start(); });
  QObject::connect(window_.get(), &MacWorkspaceView::closed, qApp, [this] { quit(); });
  return *window_;
}

void TarnikApp::quit() {
  relayServer_->stop();
  QCoreApplication::quit();
}

}  // namespace tarnik
