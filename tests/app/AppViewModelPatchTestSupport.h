#pragma once

// The patch-edit tests' common ground: a console double with two dimmers patched, a model on
// one transport case, and each write's session on a virtual step clock.

#include "AppViewModelTestSupport.h"
#include "link/OSCManagerTestSupport.h"
#include "support/ManualLevelCommandScheduler.h"

#include <QPointer>

namespace tarnik::testing {

using namespace Qt::StringLiterals;

inline PatchDraft dimmerRange(qint64 channel, qint64 first, qint64 last) {
  return {.operation = PatchOperation::dimmerAddressRange,
          .channelStart = channel,
          .universe = 1,
          .addressStart = first,
          .addressThru = last};
}

class AppViewModelPatchEditTest : public AppViewModelTest,
                                  public ::testing::WithParamInterface<TransportCase> {
 protected:
  void SetUp() override {
    ConsoleShow show = generateConsoleShow(2, 0, 3);
    show.setPatchPart(ConsolePatchPart::dimmer(1, 1, 1));
    show.setPatchPart(ConsolePatchPart::dimmer(2, 1, 2));
    console.setShow(show);
    AppViewModel::Arguments arguments;
    arguments.oscManager = makeManager(GetParam());
    // Each write's session runs its step deadline on virtual time, and stays reachable.
    arguments.makePatchCommandSession = [this] {
      EosPatchCommandSession::Options options;
      options.timeoutScheduler = sessionClock;
      auto session = std::make_unique<EosPatchCommandSession>(std::move(options));
      lastSession = session.get();
      return session;
    };
    model = makeModel(std::move(arguments));
    QObject::connect(model.get(), &AppViewModel::patchSubmissionStateChanged, model.get(),
                     [this](const PatchSubmissionState &state) { states.append(state.kind); });
  }

  // Connected, synced and answering pings: fixture control is possible.
  void makeReady() {
    OSCManager &manager = *model->oscManager();
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(GetParam().transport);
    model->setTcpFraming(GetParam().framing);
    model->setCustomSendPort(QString::number(consolePort(console, GetParam())));
    model->setCustomListenPort(QString::number(freeUDPPort()));
    model->connect();
    ASSERT_TRUE(waitUntil([&] { return manager.isConnected(); }));
    if (!model->showMirror().syncGeneration()) model->requestFullSync(u"Initial sync"_s);
    ASSERT_TRUE(synced());
    manager.sendPing();
    ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
    ASSERT_TRUE(model->canControlFixtures());
  }

  bool synced() {
    return waitUntil([&] {
      return model->dataStatusMessage() == "Synced"_L1 && !model->showMirror().syncGeneration();
    });
  }

  const QString &submissionText() const { return model->patchSubmissionState().text; }

  bool reachesVerifying() {
    return waitUntil([&] {
      return model->patchSubmissionState().kind == PatchSubmissionState::Kind::verifying;
    });
  }

  bool confirmed() {
    timing->advance(0.35);
    return waitUntil([&] {
      return model->patchSubmissionState().kind == PatchSubmissionState::Kind::confirmed;
    });
  }

  QStringList labelRequests(qsizetype from) const {
    QStringList addresses;
    for (const OSCMessage &request : console.requests().mid(from)) {
      if (request.address.startsWith("/eos/set/patch/"_L1)) addresses.append(request.address);
    }
    return addresses;
  }

  std::shared_ptr<ManualLevelCommandScheduler> sessionClock =
      std::make_shared<ManualLevelCommandScheduler>();
  QPointer<EosPatchCommandSession> lastSession;
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QList<PatchSubmissionState::Kind> states;
};

}  // namespace tarnik::testing
