#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

ConsoleConnectionProfile profileNamed(const QString &name, const QString &host) {
  ConsoleConnectionProfile profile;
  profile.id = QUuid::createUuid();
  profile.name = name;
  profile.host = host;
  profile.destinationPort = 3032;
  profile.udpListenPort = 8001;
  return profile;
}

// Answers every service with the console double's address.
class DoubleResolver : public OSCServiceResolver {
 public:
  explicit DoubleResolver(quint16 port) : port(port) {}
  void resolve(const OSCEndpoint::Service &, Completion completion) override {
    completion(OSCEndpoint::HostPort{u"127.0.0.1"_s, port});
  }
  quint16 port;
};

class Profiles : public AppViewModelTest {
 protected:
  bool synced(const AppViewModel &model) {
    return waitUntil([&] { return model.dataStatusMessage() == "Synced"_L1; });
  }
  EosConsoleDouble console;
};

TEST_F(Profiles, StartUpRestoresOnlyAStoredProfileThatReadsAndValidates) {
  const QByteArray blankHost = encodeJsonText(profileNamed(u"Desk"_s, u"  "_s));
  for (const std::optional<QByteArray> &stored :
       {std::optional<QByteArray>(), std::optional<QByteArray>("{not json"),
        std::optional<QByteArray>(blankHost)}) {
    for (const QString &key : settings.allKeys()) settings.remove(key);
    if (stored) settings.setValue(u"lastConnectedProfile.v1"_s, QString::fromUtf8(*stored));
    auto model = makeModel();
    model->restoreLastConnectedProfile();
    EXPECT_FALSE(model->wantsConnection());
    EXPECT_EQ(model->dataStatusMessage(), u"Not synced yet"_s);
    EXPECT_EQ(storedText(u"lastConnectedProfile.v1"_s), stored.value_or(QByteArray()));
  }

  ConsoleConnectionProfile last = profileNamed(u" Desk "_s, u"127.0.0.1"_s);
  last.destinationPort = console.tcpPort(OSCTCPFraming::packetLength);
  settings.setValue(u"lastConnectedProfile.v1"_s, QString::fromUtf8(encodeJsonText(last)));
  auto model = makeModel();
  model->restoreLastConnectedProfile();
  EXPECT_TRUE(model->wantsConnection());
  EXPECT_EQ(model->consoleName(), u"Desk"_s);
  EXPECT_EQ(model->selectedConnectionProfileID(), last.id);
  EXPECT_EQ(model->dataStatusMessage(), u"Connecting…"_s);
  EXPECT_TRUE(synced(*model));

  // The next start puts back the selection and the last connection as it reads them: no
  // change, so not even a pass over the settings file begins.
  model.reset();
  ASSERT_TRUE(waitUntil([&] { return !settings.isWriting(); }));
  auto restarted = makeModel();
  restarted->restoreLastConnectedProfile();
  EXPECT_TRUE(restarted->wantsConnection());
  EXPECT_FALSE(settings.isWriting());
}

// A refused port changes nothing; an accepted one forgets the stored last connection.
TEST_F(Profiles, ADiscoveredConsoleReadsThePortFieldsStrictly) {
  for (const auto &[transport, sendPort, listenPort, status] :
       {std::tuple(OSCTransport::tcp, u"-1"_s, u"8001"_s, u"Destination port must be 1–65535."_s),
        std::tuple(OSCTransport::tcp, u"65536"_s, u"8001"_s,
                   u"Destination port must be 1–65535."_s),
        std::tuple(OSCTransport::udp, u"3032"_s, u"0"_s, u"UDP listen port must be 1–65535."_s),
        std::tuple(OSCTransport::tcp, u"+3032"_s, u"0"_s, u"Connecting…"_s)}) {
    settings.setValue(u"lastConnectedProfile.v1"_s, u"kept"_s);
    auto model = makeModel();
    model->setCustomSendPort(sendPort);
    model->setCustomListenPort(listenPort);
    model->connectToDiscoveredConsole(
        {QUuid::createUuid(), u"Desk"_s, OSCEndpoint::hostPort(u"127.0.0.1"_s, 9), transport});
    EXPECT_EQ(model->dataStatusMessage(), status);
    EXPECT_NE(settings.contains(u"lastConnectedProfile.v1"_s), model->wantsConnection());
  }
}

// A console found by browsing is connected through its service and synced, but it is no
// route to come back to: a new model on the same settings stays disconnected.
TEST_F(Profiles, ADiscoveredConsoleIsReachedThroughItsServiceAndNotRestored) {
  auto model = makeModel();
  model->oscManager()->setServiceResolver(
      std::make_shared<DoubleResolver>(console.tcpPort(OSCTCPFraming::slip)));
  model->setTcpFraming(OSCTCPFraming::slip);
  model->setCustomSendPort(u"3032"_s);
  const OSCEndpoint service = OSCEndpoint::service(u"Desk"_s, u"_osc._tcp"_s, u"local."_s);
  model->connectToDiscoveredConsole({QUuid::createUuid(), u"Desk"_s, service, OSCTransport::tcp});
  EXPECT_TRUE(synced(*model));
  ASSERT_TRUE(model->activeConnectionSettings());
  EXPECT_EQ(model->activeConnectionSettings()->host, service.description());
  model.reset();

  auto next = makeModel();
  next->restoreLastConnectedProfile();
  EXPECT_FALSE(next->wantsConnection());
  EXPECT_EQ(next->dataStatusMessage(), u"Not synced yet"_s);
}

TarnikRelayDiscovery::Relay relayIn(const QString &domain) {
  return {u"Stage Mac"_s, OSCEndpoint::service(u"Stage Mac"_s, u"_tarnik-relay._tcp"_s, domain)};
}

using MacRelay = AppViewModelTest;

TEST_F(MacRelay, PairingKeepsOneProfilePerServiceAndConnectsThroughIt) {
  auto model = makeModel();
  const qsizetype before = model->savedConnectionProfiles().size();
  const QString code = QString::fromLatin1(QByteArray(32, '\x2a').toBase64());
  model->setRelayPairingCode(u"  "_s + code + u" \n"_s);
  model->connectToMacRelay(relayIn(u"local."_s));
  settleBackgroundWork();
  model->connectToMacRelay(relayIn(u"local."_s));
  settleBackgroundWork();
  ASSERT_EQ(model->savedConnectionProfiles().size(), before + 1);
  const ConsoleConnectionProfile saved = model->savedConnectionProfiles().last();
  EXPECT_EQ(keychain, (QHash<QString, QString>{{AppViewModel::relayKeyAccount(saved.id), code}}));
  EXPECT_EQ(model->oscManager()->relayPairingKey, code);

  const auto last =
      decodeJsonText<ConsoleConnectionProfile>(storedText(u"lastConnectedProfile.v1"_s));
  ASSERT_TRUE(last);
  EXPECT_EQ(std::tuple(last->host, last->destinationPort, last->relayService->domain),
            std::tuple(u"nearby"_s, quint16(9443), u"local."_s));

  model->connectToMacRelay(relayIn(u"example.org."_s));
  settleBackgroundWork();
  EXPECT_EQ(model->savedConnectionProfiles().size(), before + 2);
}

}  // namespace
}  // namespace tarnik::testing
