#include "AppViewModelTestSupport.h"
#include "foundation/UuidText.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using ConnectionForm = AppViewModelTest;

const QString relayNeedsTCP = u"Mac relay requires TCP."_s;
const QString pairingCodeIssue = u"Paste the pairing code shown in Tarnik on the Mac."_s;
const QString hostMissing = u"Enter a console IP address or hostname."_s;
const QString notAHost = u"Enter only an IP address or hostname, without a URL or port."_s;
const QString destinationPortIssue = u"Destination port must be 1–65535."_s;
const QString listenPortIssue = u"UDP listen port must be 1–65535."_s;

QString pairingCode(int bytes) { return QString::fromLatin1(QByteArray(bytes, '\x5a').toBase64()); }

void fillValidForm(AppViewModel &model) {
  model.setConsoleIP(u"10.0.0.5"_s);
  model.setConsoleName(u"Main"_s);
  model.setCustomSendPort(u"3032"_s);
  model.setCustomListenPort(u"8001"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setUsesMacRelay(false);
  model.setRelayPairingCode(QString());
}

TEST_F(ConnectionForm, ValidationGivesTheFirstFailingCheck) {
  using Change = std::function<void(AppViewModel &)>;
  const auto relay = [](QString code) {
    return [code](AppViewModel &m) {
      m.setUsesMacRelay(true);
      m.setRelayPairingCode(code);
    };
  };
  const auto host = [](QString text) { return [text](AppViewModel &m) { m.setConsoleIP(text); }; };
  const auto sendPort = [](QString text) {
    return [text](AppViewModel &m) { m.setCustomSendPort(text); };
  };
  const struct {
    const char *what;
    std::vector<Change> changes;
    std::optional<QString> issue;
  } rows[] = {
      {"valid", {}, std::nullopt},
      {"relay over UDP comes before the host",
       {relay(pairingCode(32)), host({}),
        [](AppViewModel &m) { m.setConnectionTransport(OSCTransport::udp); }},
       relayNeedsTCP},
      {"relay code of 31 bytes", {relay(pairingCode(31))}, pairingCodeIssue},
      {"relay code of 33 bytes", {relay(pairingCode(33))}, pairingCodeIssue},
      {"relay code that is not base64", {relay(u"not base64!"_s)}, pairingCodeIssue},
      {"relay code comes before the host", {relay({}), host({})}, pairingCodeIssue},
      {"relay code with a line break after it", {relay(pairingCode(32) + u'\n')}, std::nullopt},
      {"blank host", {host(u"  \t"_s)}, hostMissing},
      {"host with blanks around it", {host(u" console.local \n"_s)}, std::nullopt},
      {"host with an inner blank", {host(u"10.0.0 .5"_s)}, notAHost},
      {"host with a slash", {host(u"http://10.0.0.5"_s)}, notAHost},
      {"host with a backslash", {host(u"10.0.0.5\\x"_s)}, notAHost},
      {"host with a question mark", {host(u"10.0.0.5?x"_s)}, notAHost},
      {"host with a number sign", {host(u"10.0.0.5#x"_s)}, notAHost},
      {"host with a port", {host(u"10.0.0.5:3032"_s)}, std::nullopt},
      {"host comes before the port", {host({}), sendPort({})}, hostMissing},
      {"port with a leading blank", {sendPort(u" 3032"_s)}, destinationPortIssue},
      {"port with a trailing blank", {sendPort(u"3032 "_s)}, destinationPortIssue},
      {"port zero", {sendPort(u"0"_s)}, destinationPortIssue},
      {"port above 65535", {sendPort(u"65536"_s)}, destinationPortIssue},
      {"a lone plus sign", {sendPort(u"+"_s)}, destinationPortIssue},
      {"empty port", {sendPort({})}, destinationPortIssue},
      {"port with a plus sign", {sendPort(u"+3032"_s)}, std::nullopt},
      {"TCP ignores the listen port",
       {[](AppViewModel &m) { m.setCustomListenPort({}); }},
       std::nullopt},
      {"UDP listen port zero",
       {[](AppViewModel &m) {
         m.setConnectionTransport(OSCTransport::udp);
         m.setCustomListenPort(u"0"_s);
       }},
       listenPortIssue},
  };
  const auto model = makeModel();
  for (const auto &row : rows) {
    SCOPED_TRACE(row.what);
    fillValidForm(*model);
    for (const Change &change : row.changes) change(*model);
    EXPECT_EQ(model->connectionSettingsIssue(), row.issue);
    EXPECT_EQ(model->makeConnectionSettings().has_value(), !row.issue.has_value());
  }
}

TEST_F(ConnectionForm, SettingsAreBuiltFromTheTrimmedForm) {
  const auto model = makeModel();
  fillValidForm(*model);
  model->setConsoleIP(u" 10.0.0.5 "_s);
  model->setConsoleName(u"  "_s);
  model->setCustomSendPort(u"+3037"_s);
  model->setCustomListenPort({});
  model->setTcpFraming(OSCTCPFraming::slip);
  model->setSelectedConnectionProfileID(std::nullopt);

  const ConsoleConnectionProfile settings = *model->makeConnectionSettings();
  EXPECT_EQ(settings.host, u"10.0.0.5"_s);
  EXPECT_EQ(settings.name, u"10.0.0.5"_s);
  EXPECT_EQ(settings.destinationPort, 3037);
  EXPECT_EQ(settings.udpListenPort, 8001);
  EXPECT_EQ(settings.tcpFraming, OSCTCPFraming::slip);
  EXPECT_FALSE(settings.id.isNull());
  EXPECT_NE(model->makeConnectionSettings()->id, settings.id);
  // Off means absent, not false, in what is stored.
  EXPECT_FALSE(settings.toJson().contains(u"usesMacRelay"_s));

  // TCP does not check the listen port, so what reads as a number is taken as it is.
  model->setCustomListenPort(u"0"_s);
  EXPECT_EQ(model->makeConnectionSettings()->udpListenPort, 0);
}

TEST_F(ConnectionForm, TheRelayServiceFollowsTheSelectedProfileOnlyOnItsHost) {
  ConsoleConnectionProfile saved;
  saved.id = QUuid::createUuid();
  saved.name = u"Booth Mac"_s;
  saved.host = u"booth.local"_s;
  saved.destinationPort = 3032;
  saved.usesMacRelay = true;
  saved.relayService = RelayServiceIdentity{u"Booth Mac"_s, u"_tarnik-relay._tcp"_s, u"local."_s};
  settings.setValue(u"connectionProfiles.v1"_s, QString::fromUtf8(encodeJsonText(QList{saved})));
  settings.setValue(u"selectedConnectionProfileID"_s, uuidText(saved.id));
  keychain.codes.insert(AppViewModel::relayKeyAccount(saved.id), pairingCode(32));
  const auto model = makeModel();

  ConsoleConnectionProfile settings = *model->makeConnectionSettings();
  EXPECT_EQ(settings.id, saved.id);
  EXPECT_EQ(settings.usesMacRelay, true);
  EXPECT_EQ(settings.relayService, saved.relayService);

  model->setConsoleIP(u"other.local"_s);
  EXPECT_EQ(model->makeConnectionSettings()->relayService, std::nullopt);

  model->setConsoleIP(u"booth.local"_s);
  model->setUsesMacRelay(false);
  settings = *model->makeConnectionSettings();
  EXPECT_EQ(settings.usesMacRelay, std::nullopt);
  EXPECT_EQ(settings.relayService, std::nullopt);
}

TEST_F(ConnectionForm, TransportDescriptionPrefersTheRouteInUse) {
  const auto model = makeModel();
  model->setConsoleIP({});
  EXPECT_EQ(model->transportDescription(), u"Not configured"_s);

  fillValidForm(*model);
  EXPECT_EQ(model->transportDescription(), u"10.0.0.5:3032 · TCP · Packet length (OSC 1.0)"_s);

  ConsoleConnectionProfile active = AppViewModel::builtInConnectionProfiles().front();
  active.transport = OSCTransport::udp;
  AppViewModelTestAccess::setActiveConnection(*model, active);
  EXPECT_EQ(model->transportDescription(), AppViewModel::connectionSummary(active));

  // A discovered service: the manager's own endpoint text, and the framing even for UDP.
  AppViewModelTestAccess::setActiveConnection(
      *model, active, OSCEndpoint::service(u"Eos"_s, u"_osc._udp"_s, u"local."_s));
  EXPECT_EQ(model->transportDescription(),
            model->oscManager()->effectiveEndpointDescription() + u" · UDP · SLIP (OSC 1.1)"_s);
}

TEST_F(ConnectionForm, SummariesNameTheRoute) {
  ConsoleConnectionProfile profile = AppViewModel::builtInConnectionProfiles().front();
  EXPECT_EQ(AppViewModel::connectionSummary(profile),
            profile.host + u":3037 · TCP · SLIP (OSC 1.1)"_s);

  profile.transport = OSCTransport::udp;
  profile.destinationPort = 8000;
  profile.usesMacRelay = true;
  EXPECT_EQ(AppViewModel::connectionSummary(profile),
            profile.host + u":8000 · UDP · listen 8001"_s);

  profile.transport = OSCTransport::tcp;
  profile.tcpFraming = OSCTCPFraming::packetLength;
  EXPECT_TRUE(AppViewModel::connectionSummary(profile).endsWith(
      u" · Paired Mac relay · Packet length (OSC 1.0)"_s));
  // The separator is a middle dot between blanks.
  EXPECT_TRUE(AppViewModel::connectionSummary(profile).contains(u" \u00B7 "_s));
}

TEST_F(ConnectionForm, SelectionAndModeAreStoredWhenSet) {
  const auto model = makeModel();
  const QUuid id = QUuid::createUuid();
  model->setSelectedConnectionProfileID(id);
  EXPECT_EQ(settings.value(u"selectedConnectionProfileID"_s).toString(), uuidText(id));
  model->setSelectedConnectionProfileID(std::nullopt);
  EXPECT_FALSE(settings.contains(u"selectedConnectionProfileID"_s));

  model->setInteractionMode(InteractionMode::viewer);
  EXPECT_EQ(settings.value(u"interactionMode"_s).toString(), u"viewer"_s);
  model->setInteractionMode(InteractionMode::editor);
  EXPECT_EQ(settings.value(u"interactionMode"_s).toString(), u"editor"_s);
}

}  // namespace
}  // namespace tarnik::testing
