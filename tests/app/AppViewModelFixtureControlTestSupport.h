#pragma once

// Fixture control against the console double on TCP with networking on: a model whose Live
// sessions and fixture-control store run their time limits on virtual clocks.

#include "AppViewModelTestSupport.h"
#include "link/OSCManagerTestSupport.h"
#include "support/ManualLevelCommandScheduler.h"

#include <QPointer>

namespace tarnik::testing {

using namespace Qt::StringLiterals;

class AppViewModelFixtureControlTest : public AppViewModelTest {
 protected:
  void SetUp() override {
    AppViewModel::Arguments arguments{.defaults = &settings,
                                      .oscManager = makeManager(packetLengthCase),
                                      .timing = timing,
                                      .fixtureControlScheduler = storeClock};
    arguments.makeLiveControlSession = [this] {
      EosIsolatedSession::Options options;
      options.timeoutScheduler = sessionClock;
      auto session = std::make_unique<EosLiveControlSession>(std::move(options));
      liveSessions.append(session.get());
      return session;
    };
    // Networking on: a completed sync prepares the Live controls, which check the park.
    model = std::make_unique<AppViewModel>(std::move(arguments));
    console.parkedChannels = {5, 7, 900};
    ConsoleShow show = console.show();
    show.path = u"/shows/fixtures.esf"_s;
    show.patch.clear();
    for (int channel = 1; channel <= 8; ++channel)
      show.patch.append(ConsolePatchPart::dimmer(channel, 1, channel));
    console.setShow(show);
  }

  OSCManager &manager() { return *model->oscManager(); }

  // Connected, pinged, synced and the Live session ready; false when it does not get there.
  bool connectAndPrepare(const QString &status = u"Live controls ready"_s) {
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(OSCTransport::tcp);
    model->setTcpFraming(OSCTCPFraming::packetLength);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    if (!waitUntil([&] { return manager().isConnected(); })) return false;
    manager().sendPing();
    if (!waitUntil([&] { return manager().lastPingResponseUptime().has_value(); })) return false;
    model->handlePingResponse(std::nullopt);
    if (!model->showMirror().syncGeneration()) model->requestFullSync(u"Sync"_s);
    return waitUntil([&] { return model->fixtureControlStatus() == status; });
  }

  bool parkStatusBecomes(const QString &text) {
    return waitUntil([&] { return model->parkStatusMessage() == text; });
  }

  std::shared_ptr<ManualLevelCommandScheduler> storeClock =
      std::make_shared<ManualLevelCommandScheduler>();
  std::shared_ptr<ManualLevelCommandScheduler> sessionClock =
      std::make_shared<ManualLevelCommandScheduler>();
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QList<QPointer<EosLiveControlSession>> liveSessions;  // as made, oldest first
};

}  // namespace tarnik::testing
