// Soft-key labels sent by a real OSC peer, liblo's oscsend, to the model's UDP listen port.

#include "LiveKeysTestSupport.h"
#include "screens/support/Screenshots.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"

#include <QUdpSocket>

#include <chrono>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using InteropSoftKeyLabels = LiveKeysTest;

quint16 freeUDPPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

TEST_F(InteropSoftKeyLabels, ALabelFromOscsendShowsOnItsSoftKeyExactlyAsSent) {
  TARNIK_REQUIRE_PROGRAMS("oscsend");
  makeView();
  const quint16 listenPort = freeUDPPort();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConnectionTransport(OSCTransport::udp);
  model->setCustomSendPort(QString::number(console.udpPort()));
  model->setCustomListenPort(QString::number(listenPort));
  model->connect();
  ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));

  ConsoleKeyButton *softKey = key(u"softkey_2"_s);
  for (const QString &label : {u"Gel"_s, u"<b>A&B</b>"_s}) {
    const auto sent = ProcessRunner::run(
        u"oscsend"_s,
        {u"osc.udp://127.0.0.1:%1"_s.arg(listenPort), u"/eos/out/softkey/2"_s, u"s"_s, label}, 5s);
    ASSERT_TRUE(sent && sent->exitCode == 0);
    EXPECT_TRUE(waitUntil([&] { return softKey->title() == label; })) << label.toStdString();
    EXPECT_EQ(softKey->accessibleName(), label);
    // Nothing reads it as a mnemonic or markup: the button's own text stays empty.
    EXPECT_TRUE(softKey->text().isEmpty());
  }
  saveScreenshot(*view, u"live-keys-markup-label"_s);
}

}  // namespace
}  // namespace tarnik::testing
