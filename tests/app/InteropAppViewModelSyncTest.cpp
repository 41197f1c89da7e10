// The sync's opening as liblo's tools see it: oscdump prints what the model sends over UDP,
// oscsend answers in the console's place.

#include "AppViewModelTestSupport.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"

#include <QUdpSocket>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

quint16 freeUDPPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

// The addresses oscdump printed, in order (each line: time tag, address, types, values).
QStringList dumpedAddresses(const QByteArray &output) {
  QStringList addresses;
  for (const QByteArray &line : output.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() > 1) addresses.append(QString::fromUtf8(fields[1]));
  }
  return addresses;
}

class InteropAppViewModelSyncTest : public AppViewModelTest {};

TEST_F(InteropAppViewModelSyncTest, OpensTheSyncAndFollowsACountOverUdp) {
  TARNIK_REQUIRE_PROGRAMS("oscsend", "oscdump");
  ProcessRunner dump;
  quint16 dumpPort = 0;
  for (int attempt = 0; attempt < 3 && dumpPort == 0; ++attempt) {
    const quint16 port = freeUDPPort();
    if (dump.start("oscdump", {"-L", u"osc.udp://:%1"_s.arg(port)}) && !dump.waitForFinished(100ms))
      dumpPort = port;
  }
  ASSERT_NE(dumpPort, 0);

  AppViewModel::Arguments arguments;
  arguments.oscManager = std::make_unique<OSCManager>(5, 5);
  arguments.oscManager->transport = OSCTransport::udp;
  const std::unique_ptr<AppViewModel> model = makeModel(std::move(arguments));
  const quint16 listenPort = freeUDPPort();
  model->oscManager()->connect(u"127.0.0.1"_s, dumpPort);
  model->oscManager()->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->isConnected(); }));
  model->requestFullSync(u"Initial sync"_s);

  // Waiting on oscdump's output does not turn the event loop, so the model sends first.
  const auto dumpedAfter = [&](const char *first, const char *last) {
    if (!dump.waitForOutput([&](const QByteArray &out) { return out.contains(last); }, 5s))
      return QStringList();
    const QStringList addresses = dumpedAddresses(dump.standardOutput());
    return addresses.mid(addresses.lastIndexOf(first));
  };
  EXPECT_EQ(dumpedAfter("/eos/get/show/path", "/eos/get/patch/count"),
            (QStringList{"/eos/get/show/path", "/eos/get/version", "/eos/get/cue/1/count",
                         "/eos/get/patch/count"}));

  ASSERT_TRUE(ProcessRunner::run(
      "oscsend",
      {u"osc.udp://127.0.0.1:%1"_s.arg(listenPort), "/eos/out/get/cue/1/count", "i", "2"}, 5s));
  ASSERT_TRUE(waitUntil(
      [&] { return model->showMirror().syncGeneration()->expectedCueCount.has_value(); }));
  EXPECT_EQ(dumpedAfter("/eos/get/cue/1/index/0", "/eos/get/cue/1/index/1"),
            (QStringList{"/eos/get/cue/1/index/0", "/eos/get/cue/1/index/1"}));
  dump.kill();
}

}  // namespace
}  // namespace tarnik::testing
