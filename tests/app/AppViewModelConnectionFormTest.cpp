#include "AppViewModelTestSupport.h"
#include "foundation/UuidText.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using ConnectionForm = AppViewModelTest;

struct Form {
  bool relay = false;
  OSCTransport transport = OSCTransport::tcp;
  QString host = u"10.0.0.5"_s;
  QString sendPort = u"3032"_s;
  QString listenPort = u"8001"_s;
  QString code{};
};

void fill(AppViewModel &model, const Form &form) {
  model.setUsesMacRelay(form.relay);
  model.setConnectionTransport(form.transport);
  model.setConsoleIP(form.host);
  model.setCustomSendPort(form.sendPort);
  model.setCustomListenPort(form.listenPort);
  model.setRelayPairingCode(form.code);
}

QString pairingCode(int bytes) { return QString::fromLatin1(QByteArray(bytes, 'Z').toBase64()); }

TEST_F(ConnectionForm, ValidationGivesTheFirstFailingCheck) {
  const QString notAHost = u"Enter only an IP address or hostname, without a URL or port."_s;
  const QString codeIssue = u"Paste the pairing code shown in Tarnik on the Mac."_s;
  const QString hostMissing = u"Enter a console IP address or hostname."_s;
  const QString portIssue = u"Destination port must be 1–65535."_s;
  const auto udp = OSCTransport::udp;
  const struct {
    Form form;
    std::optional<QString> issue;
  } rows[] = {
      {{}, std::nullopt},
      {{.relay = true, .transport = udp, .host = {}}, u"Mac relay requires TCP."_s},
      {{.relay = true, .host = {}, .code = pairingCode(31)}, codeIssue},
      {{.relay = true, .code = pairingCode(33)}, codeIssue},
      {{.relay = true, .code = u"not base64!"_s}, codeIssue},
      {{.relay = true, .code = pairingCode(32) + u'\n'}, std::nullopt},
      {{.host = u" \t"_s, .sendPort = {}}, hostMissing},
      {{.host = u" console.local\n"_s}, std::nullopt},
      {{.host = u"10.0.0 .5"_s}, notAHost},
      {{.host = u"http://10.0.0.5"_s}, notAHost},
      {{.host = u"10.0.0.5\\x"_s}, notAHost},
      {{.host = u"10.0.0.5?x"_s}, notAHost},
      {{.host = u"10.0.0.5#x"_s}, notAHost},
      {{.host = u"10.0.0.5:3032"_s}, std::nullopt},
      {{.sendPort = u" 3032"_s}, portIssue},
      {{.sendPort = u"0"_s}, portIssue},
      {{.sendPort = u"65536"_s}, portIssue},
      {{.sendPort = u"+"_s}, portIssue},
      {{.sendPort = {}}, portIssue},
      {{.sendPort = u"+3032"_s}, std::nullopt},
      {{.listenPort = {}}, std::nullopt},
      {{.transport = udp, .listenPort = u"0"_s}, u"UDP listen port must be 1–65535."_s},
  };
  const auto model = makeModel();
  for (const auto &row : rows) {
    fill(*model, row.form);
    EXPECT_EQ(model->connectionSettingsIssue(), row.issue)
        << model->consoleIP().toStdString() << " " << model->customSendPort().toStdString();
    EXPECT_EQ(model->makeConnectionSettings().has_value(), !row.issue);
  }
}

TEST_F(ConnectionForm, SettingsAreBuiltFromTheTrimmedForm) {
  const auto model = makeModel();

  fill(*model, {.host = u" 10.0.0.5 "_s, .sendPort = u"+3037"_s, .listenPort = {}});
  model->setConsoleName(u" "_s);
  const ConsoleConnectionProfile built = *model->makeConnectionSettings();
  EXPECT_EQ(std::tuple(built.name, built.host, built.destinationPort, built.udpListenPort),
            std::tuple(u"10.0.0.5"_s, u"10.0.0.5"_s, 3037, 8001));
  EXPECT_NE(model->makeConnectionSettings()->id, built.id);  // fresh without a selection
  // Off is absent, not false, in what is stored.
  EXPECT_FALSE(built.toJson().contains(u"usesMacRelay"_s));
  // TCP does not check the listen port: whatever reads as a number is taken.
  model->setCustomListenPort(u"0"_s);
  EXPECT_EQ(model->makeConnectionSettings()->udpListenPort, 0);
}

TEST_F(ConnectionForm, DescriptionsNameTheRouteInUse) {
  const auto model = makeModel();
  fill(*model, {.host = {}});
  EXPECT_EQ(model->transportDescription(), u"Not configured"_s);
  fill(*model, {});
  EXPECT_EQ(model->transportDescription(), u"10.0.0.5:3032 · TCP · Packet length (OSC 1.0)"_s);

  // The route in use comes before the form.
  fill(*model, {.host = u"127.0.0.1"_s});
  model->connect();
  fill(*model, {});
  EXPECT_EQ(model->transportDescription(), u"127.0.0.1:3032 · TCP · Packet length (OSC 1.0)"_s);

  ConsoleConnectionProfile example = AppViewModel::builtInConnectionProfiles().front();
  EXPECT_EQ(AppViewModel::connectionSummary(example),
            example.host + u":3037 · TCP · SLIP (OSC 1.1)"_s);

  example.transport = OSCTransport::udp;
  example.destinationPort = 8000;
  example.usesMacRelay = true;
  EXPECT_EQ(AppViewModel::connectionSummary(example),
            example.host + u":8000 · UDP · listen 8001"_s);

  example.transport = OSCTransport::tcp;
  example.tcpFraming = OSCTCPFraming::packetLength;
  EXPECT_EQ(AppViewModel::connectionSummary(example),
            example.host + u":8000 \u00B7 Paired Mac relay \u00B7 Packet length (OSC 1.0)"_s);
}

TEST_F(ConnectionForm, SelectionAndModeAreStoredWhenSet) {
  const auto model = makeModel();
  const QUuid id = QUuid::createUuid();
  model->setSelectedConnectionProfileID(id);
  EXPECT_EQ(storedText(u"selectedConnectionProfileID"_s), uuidText(id).toUtf8());
  model->setSelectedConnectionProfileID(std::nullopt);
  EXPECT_FALSE(settings.contains(u"selectedConnectionProfileID"_s));
  model->setInteractionMode(InteractionMode::viewer);
  EXPECT_EQ(storedText(u"interactionMode"_s), "viewer");
}

}  // namespace
}  // namespace tarnik::testing
