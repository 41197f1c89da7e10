// The UDP route against liblo's tools: oscdump stands in for the console and prints what
// Connect sends; oscsend answers to the listen port.

#include "AppViewModelTestSupport.h"
#include "support/ProcessRunner.h"

#include <QRegularExpression>
#include <QUdpSocket>

#include <chrono>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

using InteropAppViewModelLiblo = AppViewModelTest;

quint16 freeUDPPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

TEST_F(InteropAppViewModelLiblo, ConnectSubscribesAndPingsAndTakesRepliesOnTheListenPort) {
  if (!ProcessRunner::isAvailable(u"oscdump"_s) || !ProcessRunner::isAvailable(u"oscsend"_s))
    GTEST_SKIP() << "liblo-tools (oscsend, oscdump) not installed";
  const quint16 consolePort = freeUDPPort();
  const quint16 listenPort = freeUDPPort();
  ProcessRunner dump;
  ASSERT_TRUE(dump.start(u"oscdump"_s, {u"-L"_s, u"osc.udp://:%1"_s.arg(consolePort)}));
  // oscdump says nothing when it is ready, so a probe goes out until it shows up.
  QUdpSocket prober;
  const QByteArray probe = OSCMessage{u"/probe"_s, {}}.encoded();
  ASSERT_TRUE(waitUntil([&] {
    prober.writeDatagram(probe, QHostAddress::LocalHost, consolePort);
    return dump.waitForOutput([](const QByteArray &out) { return out.contains("/probe"); }, 50ms);
  }));

  const auto model = makeModel();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConnectionTransport(OSCTransport::udp);
  model->setCustomSendPort(QString::number(consolePort));
  model->setCustomListenPort(QString::number(listenPort));
  model->connect();
  // The ping after the subscribe is the model's own; its token comes back from oscsend.
  // Waited for on the event loop, which the model's connection needs to get that far.
  const QRegularExpression ping(uR"re(/eos/subscribe i 1\n.*?/eos/ping s "([^"]*)"\n)re"_s,
                                QRegularExpression::DotMatchesEverythingOption);
  QRegularExpressionMatch pinged;
  ASSERT_TRUE(waitUntil([&] { return (pinged = ping.match(dump.standardOutput())).hasMatch(); }))
      << dump.standardOutput().toStdString();
  const auto sent = ProcessRunner::run(
      u"oscsend"_s,
      {u"osc.udp://127.0.0.1:%1"_s.arg(listenPort), u"/eos/out/ping"_s, u"s"_s, pinged.captured(1)},
      5s);
  ASSERT_TRUE(sent && sent->exitCode == 0);
  EXPECT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
}

}  // namespace
}  // namespace tarnik::testing
