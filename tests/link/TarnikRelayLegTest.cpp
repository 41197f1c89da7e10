#include "TarnikRelayServerFixture.h"
#include "link/TarnikRelayLeg.h"
#include "link/TarnikRelayListener.h"
#include "link/TarnikRelayTlsContext.h"

#include <QScopeGuard>
#include <QSslSocket>

#include <poll.h>

#include <csignal>
#include <sys/socket.h>

namespace tarnik {
namespace {

bool isReadable(int descriptor) {
  pollfd polled{descriptor, POLLIN, 0};
  return ::poll(&polled, 1, 0) == 1;
}

// A phone that is gone leaves the relay writing into a closed connection, during the
// handshake or after it. That fails the leg; it must never raise SIGPIPE, which ends the
// program unless something else in it happened to set the signal aside, as a D-Bus
// connection or a QSslSocket (this test's phone) does.
TEST(TarnikRelayLeg, WritingWhereThePhoneIsGoneFailsWithoutASignal) {
  testing::ensureCoreApplication();
  struct sigaction previous {};
  sigaction(SIGPIPE, nullptr, &previous);
  const auto restore = qScopeGuard([&] { sigaction(SIGPIPE, &previous, nullptr); });
  const auto context = TarnikRelayTlsContext::make(testing::phoneParameters());
  ASSERT_TRUE(context);

  for (const bool handshakeDone : {false, true}) {
    TarnikRelayListener listener;
    int accepted = -1;
    QObject::connect(&listener, &TarnikRelayListener::connectionOffered,
                     [&](qintptr descriptor) { accepted = static_cast<int>(descriptor); });
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    QSslSocket phone;
    TarnikRelaySecurity::armClientSocket(phone, testing::phoneParameters());
    phone.connectToHostEncrypted(QStringLiteral("127.0.0.1"), listener.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted >= 0; }, 5000));
    auto leg = TarnikRelayLeg::secure(accepted, context);
    ASSERT_TRUE(leg);
    // The phone's hello is there to answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return isReadable(leg->descriptor()); }, 5000));
    if (handshakeDone) {
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return leg->handshake().status == TarnikRelayLeg::Status::done; }, 5000));
      ASSERT_TRUE(QTest::qWaitFor([&] { return phone.isEncrypted(); }, 5000));
    }

    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, nullptr);
    ::shutdown(leg->descriptor(), SHUT_WR);
    const TarnikRelayLeg::Outcome outcome =
        handshakeDone ? leg->write("/eos/ping", 9) : leg->handshake();
    EXPECT_EQ(outcome.status, TarnikRelayLeg::Status::failed) << handshakeDone;
  }
}

}  // namespace
}  // namespace tarnik
