#include "TarnikRelayServerFixture.h"

namespace tarnik {
namespace {

using testing::RelayTestPhone;

class TarnikRelayServerLoad : public testing::TarnikRelayServerFixture {};

// Every phone the relay allows, each pushing 16 MiB to the echo console and checking the
// 16 MiB that come back: not one byte may be lost, changed or moved between sessions.
TEST_F(TarnikRelayServerLoad, TwelvePhonesStreamBothWaysWithoutLosingAByte) {
  constexpr qint64 streamLength = qint64(16) << 20;
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  std::vector<std::unique_ptr<RelayTestPhone>> phones;
  for (int i = 0; i < server.maximumSessions(); ++i) {
    phones.push_back(phone(port));
    phones.back()->setRecording(false);
  }
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return server.clientCount() == 12 && console.openCount() == 12; }, 10000));

  for (int i = 0; i < 12; ++i) phones[i]->startStream(streamLength, quint32(1000 + i));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return std::all_of(phones.begin(), phones.end(),
                           [](const auto &p) { return p->isStreamEchoed() || p->isClosed(); });
      },
      50000));

  qint64 consoleTotal = 0;
  for (int i = 0; i < 12; ++i) {
    EXPECT_FALSE(phones[i]->isClosed()) << i;
    EXPECT_EQ(phones[i]->receivedCount(), streamLength) << i;
    EXPECT_EQ(phones[i]->mismatchedBytes(), 0) << i;
    consoleTotal += console.receivedCount(i);
  }
  EXPECT_EQ(consoleTotal, 12 * streamLength);

  for (auto &phone : phones) phone->socket().disconnectFromHost();
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 0 && console.openCount() == 0; },
                              10000));
  EXPECT_TRUE(server.isRunning());
}

}  // namespace
}  // namespace tarnik
