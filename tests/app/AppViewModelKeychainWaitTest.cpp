// Storing a pairing code may wait for the person to unlock the keychain, and reading one may
// wait for a Secret Service that is slow to answer. The window must go on meanwhile, and so
// must the shared pool's work (the catalog's decoding) on a machine with few cores, the
// flow that asked must go on once the keychain answers, a second press must not store
// twice, and an answer that comes after the person moved on changes nothing.

#include "AppViewModelTestSupport.h"
#include "support/HeldAnswer.h"
#include "support/QtPrinting.h"

#include <QScopeGuard>
#include <QThreadPool>

#include <atomic>
#include <functional>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString code = QString::fromLatin1(QByteArray(32, '\x2a').toBase64());

TarnikRelayDiscovery::Relay stageMac() {
  return {u"Stage Mac"_s,
          OSCEndpoint::service(u"Stage Mac"_s, u"_tarnik-relay._tcp"_s, u"local."_s)};
}

using KeychainWait = AppViewModelTest;

TEST_F(KeychainWait, TheWindowGoesOnWhileTheKeychainWaitsAndOnlyTheCurrentFlowFinishes) {
  using Step = std::function<void(AppViewModel &)>;
  using Check = std::function<bool(const AppViewModel &)>;
  const Step connect = [](AppViewModel &model) { model.connect(); };
  const Step save = [](AppViewModel &model) { model.saveConnectionProfile(); };
  const Step pair = [](AppViewModel &model) { model.connectToMacRelay(stageMac()); };
  const Check connected = [](const AppViewModel &model) {
    return model.wantsConnection() && model.oscManager()->relayPairingKey == code;
  };
  const Check saved = [](const AppViewModel &model) {
    return std::ranges::any_of(model.savedConnectionProfiles(),
                               [](const auto &profile) { return profile.name == u"Booth"_s; });
  };
  const Step applyRelayProfile = [](AppViewModel &model) {
    model.applyConnectionProfile({.id = QUuid::createUuid(),
                                  .name = u"Booth"_s,
                                  .host = u"127.0.0.1"_s,
                                  .destinationPort = 9,
                                  .usesMacRelay = true});
  };
  const Check paired = [](const AppViewModel &model) {
    return model.activeConnectionSettings() &&
           model.activeConnectionSettings()->name == u"Stage Mac"_s;
  };
  const struct {
    const char *name;
    Step press;
    Step moveOn;  // none: the person waits for the keychain
    Check finished;
    Step apply = {};  // a relay profile whose code the keychain holds back, else none
  } cases[] = {
      {"connect", connect, {}, connected},
      {"save", save, {}, saved},
      {"pair", pair, {}, paired},
      {"connect, then disconnect", connect, [](AppViewModel &m) { m.disconnect(); }, connected},
      {"save, then a new connection", save, [](AppViewModel &m) { m.startNewConnection(); }, saved},
      {"pair, then another profile", pair,
       [](AppViewModel &m) { m.applyBuiltInProfile(AppViewModel::BuiltInProfile::first); }, paired},
      {"a relay profile, then connect", connect, {}, connected, applyRelayProfile},
      {"a relay profile, connect, then disconnect", connect,
       [](AppViewModel &m) { m.disconnect(); }, connected, applyRelayProfile},
  };
  // A small machine's pool: its one thread goes on with other work while the keychain waits.
  QThreadPool &pool = *QThreadPool::globalInstance();
  const auto restorePool =
      qScopeGuard([&pool, threads = pool.maxThreadCount()] { pool.setMaxThreadCount(threads); });
  pool.setMaxThreadCount(1);
  for (const auto &row : cases) {
    for (const QString &key : settings.allKeys()) settings.remove(key);
    const auto held = std::make_shared<HeldAnswer>();
    AppViewModel::Arguments arguments;
    if (row.apply) {
      arguments.loadRelayKey = [held](const QString &)
          -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
        if (!held->await()) {
          return std::unexpected(TarnikRelaySecurity::Failure{});
        }
        return code;
      };
    } else {
      arguments.storeRelayKey =
          [held](const QString &,
                 const QString &) -> std::expected<void, TarnikRelaySecurity::Failure> {
        if (!held->await()) {
          return std::unexpected(TarnikRelaySecurity::Failure{});
        }
        return {};
      };
    }
    auto model = makeModel(std::move(arguments));
    if (row.apply) {
      row.apply(*model);
    } else {
      model->setConsoleName(u"Booth"_s);
      model->setConsoleIP(u"127.0.0.1"_s);
      model->setUsesMacRelay(true);
      model->setCustomSendPort(u"9"_s);
      model->setRelayPairingCode(code);
    }

    row.press(*model);
    row.press(*model);
    if (row.moveOn) row.moveOn(*model);
    std::atomic<bool> pooled = false;
    pool.start([&pooled] { pooled = true; });
    ASSERT_TRUE(waitUntil([&] { return pooled.load(); })) << row.name;
    ASSERT_TRUE(held->releaseFromEventLoop()) << row.name;
    settleBackgroundWork();

    EXPECT_EQ(held->calls, 1) << row.name;
    EXPECT_EQ(row.finished(*model), !row.moveOn)
        << row.name << ": " << model->dataStatusMessage().toStdString() << " / "
        << model->testConnectionStatus().toStdString();
  }
}

}  // namespace
}  // namespace tarnik::testing
