#include "model/ConsoleConnectionProfile.h"

#include <QJsonDocument>

#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Error = ConsoleConnectionProfileValidationError;

ConsoleConnectionProfile validProfile() {
  ConsoleConnectionProfile profile;
  profile.id = QUuid::fromString(u"6BA7B810-9DAD-11D1-80B4-00C04FD430C8"_s);
  profile.name = u"Main console"_s;
  profile.host = u"10.101.1.100"_s;
  profile.transport = OSCTransport::tcp;
  profile.destinationPort = 3032;
  profile.udpListenPort = 8001;
  profile.tcpFraming = OSCTCPFraming::slip;
  return profile;
}

RelayServiceIdentity relay(QString type, QString name = u"Booth Mac"_s) {
  return {std::move(name), std::move(type), u"local."_s};
}

TEST(ConsoleConnectionProfile, ValidationReportsTheFirstFailingCheck) {
  const struct {
    const char *what;
    std::function<void(ConsoleConnectionProfile &)> change;
    std::optional<Error> expected;
  } rows[] = {
      {"valid", [](auto &) {}, std::nullopt},
      {"blank name", [](auto &p) { p.name = u" \n\t"_s; }, Error(Error::Kind::missingName)},
      {"blank name and host",
       [](auto &p) {
         p.name = u" "_s;
         p.host = {};
       },
       Error(Error::Kind::missingName)},
      {"empty host", [](auto &p) { p.host = u"\n"_s; }, Error(Error::Kind::missingHost)},
      {"blank inside host", [](auto &p) { p.host = u"10.0.0 .1"_s; },
       Error(Error::Kind::invalidHost)},
      {"line break inside host", [](auto &p) { p.host = u"a\nb"_s; },
       Error(Error::Kind::invalidHost)},
      {"blanks around host", [](auto &p) { p.host = u" console.local "_s; }, std::nullopt},
      {"destination port 0", [](auto &p) { p.destinationPort = 0; },
       Error::invalidPort(u"Destination port"_s)},
      {"port 0 behind an empty host",
       [](auto &p) {
         p.destinationPort = 0;
         p.host = {};
       },
       Error(Error::Kind::missingHost)},
      {"relay over TCP without service", [](auto &p) { p.usesMacRelay = true; }, std::nullopt},
      {"relay over UDP",
       [](auto &p) {
         p.usesMacRelay = true;
         p.transport = OSCTransport::udp;
       },
       Error(Error::Kind::invalidRoute)},
      {"service without relay", [](auto &p) { p.relayService = relay(u"_tarnik-relay._tcp"_s); },
       Error(Error::Kind::invalidRoute)},
      {"service with relay off",
       [](auto &p) {
         p.usesMacRelay = false;
         p.relayService = relay(u"_tarnik-relay._tcp"_s);
       },
       Error(Error::Kind::invalidRoute)},
      {"service of another type",
       [](auto &p) {
         p.usesMacRelay = true;
         p.relayService = relay(u"_osc._udp"_s);
       },
       Error(Error::Kind::invalidRoute)},
      {"service without name",
       [](auto &p) {
         p.usesMacRelay = true;
         p.relayService = relay(u"_tarnik-relay._tcp"_s, {});
       },
       Error(Error::Kind::invalidRoute)},
      {"service named by one blank",
       [](auto &p) {
         p.usesMacRelay = true;
         p.relayService = relay(u"_tarnik-relay._tcp"_s, u" "_s);
       },
       std::nullopt},
      {"TCP with listen port 0", [](auto &p) { p.udpListenPort = 0; }, std::nullopt},
      {"UDP with listen port 0",
       [](auto &p) {
         p.transport = OSCTransport::udp;
         p.udpListenPort = 0;
       },
       Error::invalidPort(u"UDP listen port"_s)},
  };
  for (const auto &row : rows) {
    ConsoleConnectionProfile profile = validProfile();
    row.change(profile);
    const ConsoleConnectionProfile before = profile;
    const auto result = profile.validated();
    EXPECT_EQ(profile, before) << row.what;
    if (row.expected) {
      ASSERT_FALSE(result.has_value()) << row.what;
      EXPECT_EQ(result.error(), *row.expected) << row.what;
    } else {
      EXPECT_TRUE(result.has_value())
          << row.what << ": " << result.error().errorDescription().toStdString();
    }
  }
}

TEST(ConsoleConnectionProfile, ValidationTrimsOnlyNameAndHost) {
  ConsoleConnectionProfile profile = validProfile();
  profile.name = u"\n  Main console \t"_s;
  profile.host = u"  10.101.1.100\r\n"_s;
  profile.usesMacRelay = true;
  profile.relayService = relay(u"_tarnik-relay._tcp"_s, u" Booth "_s);
  ConsoleConnectionProfile expected = profile;
  expected.name = u"Main console"_s;
  expected.host = u"10.101.1.100"_s;
  EXPECT_EQ(profile.validated(), expected);
}

TEST(ConsoleConnectionProfile, ErrorsDescribeThemselves) {
  EXPECT_EQ(Error(Error::Kind::missingName).errorDescription(),
            u"Enter a name for this connection."_s);
  EXPECT_EQ(Error(Error::Kind::missingHost).errorDescription(),
            u"Enter the console IP address or DNS name."_s);
  EXPECT_EQ(Error(Error::Kind::invalidHost).errorDescription(),
            u"The console address cannot contain spaces."_s);
  EXPECT_EQ(Error::invalidPort(u"Destination port"_s).errorDescription(),
            u"Destination port must be a whole number from 1 through 65535."_s);
  EXPECT_EQ(Error(Error::Kind::invalidRoute).errorDescription(),
            u"A nearby Mac connection requires the Tarnik relay service over TCP."_s);
  EXPECT_NE(Error::invalidPort(u"Destination port"_s), Error::invalidPort(u"UDP listen port"_s));
}

TEST(ConsoleConnectionProfile, StoredFormHasSevenKeysUntilTheRouteIsSet) {
  ConsoleConnectionProfile profile = validProfile();
  const QJsonObject plain = profile.toJson();
  EXPECT_EQ(plain.keys(), (QStringList{u"destinationPort"_s, u"host"_s, u"id"_s, u"name"_s,
                                       u"tcpFraming"_s, u"transport"_s, u"udpListenPort"_s}));
  EXPECT_EQ(plain.value(u"transport"_s).toString(), u"tcp"_s);
  EXPECT_EQ(plain.value(u"tcpFraming"_s).toString(), u"slip"_s);

  ConsoleConnectionProfile relayOff = profile;
  relayOff.usesMacRelay = false;
  EXPECT_EQ(relayOff.toJson().value(u"usesMacRelay"_s), QJsonValue(false));
  EXPECT_NE(relayOff, profile);  // absent is not false

  ConsoleConnectionProfile routed = profile;
  routed.usesMacRelay = true;
  routed.relayService = relay(u"_tarnik-relay._tcp"_s);
  for (const ConsoleConnectionProfile &each : {profile, relayOff, routed}) {
    EXPECT_EQ(decodeJsonText<ConsoleConnectionProfile>(encodeJsonText(each)), each);
  }
  const QList<ConsoleConnectionProfile> list{profile, routed};
  EXPECT_EQ(decodeJsonText<QList<ConsoleConnectionProfile>>(encodeJsonText(list)), list);
}

TEST(ConsoleConnectionProfile, DecodingKeepsTextsAndRefusesBadValues) {
  const QByteArray base =
      R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","name":" Main ","host":" 10.0.0.1 ","transport":"udp",)"
      R"("destinationPort":8000,"udpListenPort":8001,"tcpFraming":"packetLength")";
  const auto decoded = decodeJsonText<ConsoleConnectionProfile>(
      base + R"(,"usesMacRelay":null,"relayService":null})");
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->host, u" 10.0.0.1 "_s);
  EXPECT_EQ(decoded->usesMacRelay, std::nullopt);
  EXPECT_EQ(decoded->relayService, std::nullopt);
  EXPECT_EQ(decoded->id, validProfile().id);

  for (const char *bad : {R"(,"transport":"http"})", R"(,"destinationPort":65536})",
                          R"(,"usesMacRelay":1})", R"(,"relayService":{"name":"a","type":"b"}})"}) {
    // A later duplicate key overrides the earlier one.
    EXPECT_FALSE(decodeJsonText<ConsoleConnectionProfile>(base + bad).has_value()) << bad;
  }
  QJsonObject missingHost = QJsonDocument::fromJson(base + "}").object();
  missingHost.remove(u"host"_s);
  EXPECT_EQ(ConsoleConnectionProfile::fromJson(missingHost).error().path(), u"host"_s);
}

}  // namespace
}  // namespace tarnik
