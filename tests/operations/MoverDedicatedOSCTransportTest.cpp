#include "foundation/UptimeClock.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::waitUntil;

class MoverDedicatedOSCTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureCoreApplication();
    console.commandLines[5] = {QStringLiteral("LIVE: Chan 1 #"), 0};
    transport.onContext = [this](const MoverContextObservation &seen) {
      observations.append(seen);
    };
    EXPECT_FALSE(transport.startProbe(QUuid::createUuid(), 5)) << "nothing connected yet";
    bool verified = false;
    transport.onState = [&verified](bool, bool isVerified) { verified = isVerified; };
    transport.connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                            console.tcpPort(OSCTCPFraming::packetLength)),
                      OSCTCPFraming::packetLength);
    ASSERT_TRUE(waitUntil([&] { return verified; }));
    transport.onState = nullptr;
  }

  bool pinged(const QString &token) const {
    return console.requests(QStringLiteral("/eos/ping"))
        .contains(OSCMessage{QStringLiteral("/eos/ping"), {OSCArgument::fromString(token)}});
  }

  EosConsoleDouble console;
  MoverDedicatedOSCTransport transport;
  QList<MoverContextObservation> observations;
};

TEST_F(MoverDedicatedOSCTransportTest, StampsTheLineThatCameBeforeTheLateEcho) {
  console.pingReplyDelay = std::chrono::milliseconds(300);
  const QUuid id = QUuid::createUuid();
  const double startedAt = systemUptime();
  ASSERT_TRUE(transport.startProbe(id, 5));
  EXPECT_FALSE(transport.startProbe(QUuid::createUuid(), 5)) << "one probe at a time";
  ASSERT_TRUE(waitUntil([&] { return !observations.isEmpty(); }));
  EXPECT_EQ(observations.first().requestID, id);
  EXPECT_EQ(observations.first().message.address, "/eos/out/user/5/cmd");
  EXPECT_GE(observations.first().observedAt, startedAt);
  EXPECT_LT(observations.first().observedAt, systemUptime() - 0.2);
  EXPECT_TRUE(pinged(QStringLiteral("tarnik-mover-observer-") +
                     id.toString(QUuid::WithoutBraces).toUpper()));
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 1; })) << "the probe closes";
}

TEST_F(MoverDedicatedOSCTransportTest, DeliversWhenTheLineComesLast) {
  console.commandLines.clear();
  const QUuid id = QUuid::createUuid();
  ASSERT_TRUE(transport.startProbe(id, 5));
  ASSERT_TRUE(waitUntil([&] { return pinged(MoverDedicatedOSCTransport::probeToken(id)); }));
  const double pushedAt = systemUptime();
  console.pushCommandLine(5, QStringLiteral("LIVE: Chan 2 #"));
  ASSERT_TRUE(waitUntil([&] { return !observations.isEmpty(); }));
  EXPECT_GE(observations.first().observedAt, pushedAt);
}

TEST_F(MoverDedicatedOSCTransportTest, EndsAfterTheTimeLimitWithoutItsOwnEcho) {
  using Echo = QList<OSCArgument> (*)(const OSCArgument &token);
  const Echo rows[] = {
      [](const OSCArgument &) { return QList{OSCArgument::fromString(QStringLiteral("other"))}; },
      [](const OSCArgument &token) {
        return QList{token, OSCArgument::fromInt(1)};
      },
      nullptr,  // a silent console
  };
  for (const Echo echo : rows) {
    console.silent = !echo;
    console.setHandler(QStringLiteral("/eos/ping"), [echo](const OSCMessage &request) {
      const OSCArgument &token = request.arguments.first();
      const bool ours = std::get<QString>(token.value).startsWith(u"tarnik-mover-observer-");
      return QList<OSCMessage>{
          {QStringLiteral("/eos/out/ping"), ours ? echo(token) : request.arguments}};
    });
    ASSERT_TRUE(transport.startProbe(QUuid::createUuid(), 5));
    ASSERT_TRUE(waitUntil([&] { return console.tcpClientCount() == 2; }));
    EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 1; }, 3000));
    EXPECT_TRUE(observations.isEmpty());
  }
}

}  // namespace
}  // namespace tarnik
