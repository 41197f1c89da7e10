// A command-line echo sent by a real OSC peer, liblo's oscsend, to the model's UDP listen
// port shows on the Live page's bar as the console double's does.

#include "LiveScreenTestSupport.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"

#include <QUdpSocket>

#include <chrono>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using InteropLiveCommandLine = LiveScreenTest;

TEST_F(InteropLiveCommandLine, AnEchoFromOscsendShowsOnTheBarInAmber) {
  TARNIK_REQUIRE_PROGRAMS("oscsend");
  makeView();
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  const quint16 listenPort = probe.localPort();
  probe.close();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConnectionTransport(OSCTransport::udp);
  model->setCustomSendPort(QString::number(console.udpPort()));
  model->setCustomListenPort(QString::number(listenPort));
  model->connect();
  ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));

  const auto sent = ProcessRunner::run(u"oscsend"_s,
                                       {u"osc.udp://127.0.0.1:%1"_s.arg(listenPort),
                                        u"/eos/out/cmd"_s, u"s"_s, u"LIVE: Chan 1 Full #"_s},
                                       5s);
  ASSERT_TRUE(sent && sent->exitCode == 0);
  EXPECT_TRUE(waitUntil([&] { return commandLine()->text() == u"Chan 1 Full ◆"_s; }));
  EXPECT_EQ(commandLine()->textColor(), (TintedColor{LiveTint::amberAccent, 1}));
}

}  // namespace
}  // namespace tarnik::testing
