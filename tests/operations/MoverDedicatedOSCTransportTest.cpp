#include "foundation/UptimeClock.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QUuid>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::waitUntil;

const QString userFiveLine = QStringLiteral("/eos/out/user/5/cmd");

class MoverDedicatedOSCTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureCoreApplication();
    console = std::make_unique<EosConsoleDouble>();
    transport = std::make_unique<MoverDedicatedOSCTransport>();
    transport->onContext = [this](const MoverContextObservation &observation) {
      observations.append(observation);
    };
  }

  void connectMainSession() {
    bool verified = false;
    transport->onState = [&verified](bool, bool isVerified) { verified = isVerified; };
    transport->connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                             console->tcpPort(OSCTCPFraming::packetLength)),
                       OSCTCPFraming::packetLength);
    ASSERT_TRUE(waitUntil([&] { return verified; }));
    transport->onState = nullptr;
  }

  // The probe's connection closes, leaving only the main session's.
  bool probeClosed() {
    return waitUntil([&] { return console->tcpClientCount() == 1; }, 3000);
  }

  std::unique_ptr<EosConsoleDouble> console;
  std::unique_ptr<MoverDedicatedOSCTransport> transport;
  QList<MoverContextObservation> observations;
};

TEST_F(MoverDedicatedOSCTransportTest, DeliversTheLineSeenFirstOnceThePingAndVerificationCame) {
  console->commandLines[5] = {QStringLiteral("LIVE: Chan 1 #"), 0};
  console->pingReplyDelay = std::chrono::milliseconds(300);
  connectMainSession();
  const QUuid id = QUuid::createUuid();
  const double startedAt = systemUptime();
  ASSERT_TRUE(transport->startProbe(id, 5));
  EXPECT_FALSE(transport->startProbe(QUuid::createUuid(), 5)) << "one probe at a time";

  ASSERT_TRUE(waitUntil([&] { return !observations.isEmpty(); }));
  const double deliveredAt = systemUptime();
  const MoverContextObservation &observation = observations.first();
  EXPECT_EQ(observation.requestID, id);
  EXPECT_EQ(observation.message.address, userFiveLine);
  EXPECT_GE(observation.observedAt, startedAt);
  EXPECT_LT(observation.observedAt, deliveredAt - 0.2) << "stamped when the line came";

  const QList<OSCMessage> pings = console->requests(QStringLiteral("/eos/ping"));
  const QString token =
      QStringLiteral("tarnik-mover-observer-") + id.toString(QUuid::WithoutBraces).toUpper();
  EXPECT_TRUE(std::any_of(pings.begin(), pings.end(), [&](const OSCMessage &ping) {
    return ping.arguments == QList<OSCArgument>{OSCArgument::fromString(token)};
  }));
  EXPECT_TRUE(probeClosed());
}

TEST_F(MoverDedicatedOSCTransportTest, DeliversWhenTheLineComesLast) {
  connectMainSession();
  const QUuid id = QUuid::createUuid();
  ASSERT_TRUE(transport->startProbe(id, 5));
  const QString token = MoverDedicatedOSCTransport::probeToken(id);
  ASSERT_TRUE(waitUntil([&] {
    const QList<OSCMessage> pings = console->requests(QStringLiteral("/eos/ping"));
    return std::any_of(pings.begin(), pings.end(), [&](const OSCMessage &ping) {
      return ping.arguments == QList<OSCArgument>{OSCArgument::fromString(token)};
    });
  }));
  EXPECT_TRUE(observations.isEmpty());
  const double pushedAt = systemUptime();
  console->pushCommandLine(5, QStringLiteral("LIVE: Chan 2 #"));
  ASSERT_TRUE(waitUntil([&] { return !observations.isEmpty(); }));
  EXPECT_GE(observations.first().observedAt, pushedAt);
}

TEST_F(MoverDedicatedOSCTransportTest, EndsAfterTheTimeLimitWithoutAProvenEcho) {
  const struct {
    const char *name;
    QList<OSCArgument> (*echo)(const OSCArgument &token);
    bool silent;
  } rows[] = {
      {"another token",
       [](const OSCArgument &) { return QList{OSCArgument::fromString(QStringLiteral("other"))}; },
       false},
      {"a second argument",
       [](const OSCArgument &token) {
         return QList{token, OSCArgument::fromInt(1)};
       },
       false},
      {"a silent console", nullptr, true},
  };
  for (const auto &row : rows) {
    SetUp();
    console->commandLines[5] = {QStringLiteral("LIVE: #"), 0};
    connectMainSession();
    console->silent = row.silent;
    if (row.echo) {
      console->setHandler(QStringLiteral("/eos/ping"), [&row](const OSCMessage &request) {
        const QString text = std::get<QString>(request.arguments.first().value);
        const bool ours = text.startsWith(QLatin1String("tarnik-mover-observer-"));
        return QList<OSCMessage>{{QStringLiteral("/eos/out/ping"),
                                  ours ? row.echo(request.arguments.first()) : request.arguments}};
      });
    }
    ASSERT_TRUE(transport->startProbe(QUuid::createUuid(), 5)) << row.name;
    ASSERT_TRUE(waitUntil([&] { return console->tcpClientCount() == 2; })) << row.name;
    EXPECT_TRUE(probeClosed()) << row.name;
    EXPECT_TRUE(observations.isEmpty()) << row.name;
    EXPECT_TRUE(transport->startProbe(QUuid::createUuid(), 5)) << row.name << ": room again";
  }
}

TEST_F(MoverDedicatedOSCTransportTest, RefusesAProbeBeforeConnecting) {
  EXPECT_FALSE(transport->startProbe(QUuid::createUuid(), 5));
  EXPECT_FALSE(transport->send({QStringLiteral("/eos/ping"), {}}));
}

}  // namespace
}  // namespace tarnik
