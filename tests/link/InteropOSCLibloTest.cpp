// Talks to liblo's command-line tools: oscsend sends to us, oscdump prints what we send.

#include "OSCTestSupport.h"
#include "link/OSCPacket.h"
#include "link/OSCTCPFramer.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <chrono>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace osctest;

constexpr auto patience = 5s;
constexpr char probeLine[] = "/probe ";
const QHostAddress loopback(QHostAddress::LocalHost);

OSCArgument i(qint32 v) { return OSCArgument::fromInt(v); }
OSCArgument f(float v) { return OSCArgument::fromFloat(v); }
OSCArgument s(const QString &v) { return OSCArgument::fromString(v); }
OSCArgument b(bool v) { return OSCArgument::fromBool(v); }
OSCArgument blob(const QByteArray &v) { return OSCArgument::fromBlob(v); }

// What oscsend is told, and the message it must arrive as.
struct SendCase {
  QStringList typesAndValues;
  OSCMessage expected;
};

QList<SendCase> sendCases() {
  return {
      {{}, message("/eos/ping")},
      {{"i", "0"}, message("/eos/key/go_0", {i(0)})},
      {{"ii", "2147483647", "-2147483648"}, message("/i", {i(2147483647), i(-2147483648)})},
      {{"ff", "0.5", "-1234.125"}, message("/f", {f(0.5f), f(-1234.125f)})},
      {{"f", "3.14"}, message("/f", {f(3.14f)})},
      {{"sss", "abc", "abcd", ""}, message("/s", {s("abc"), s("abcd"), s("")})},
      {{"s", QString::fromUtf8("Cue 1 — Ä 🎤")},
       message("/s", {s(QString::fromUtf8("Cue 1 — Ä 🎤"))})},
      {{"TF"}, message("/b", {b(true), b(false)})},
      {{"iTfsF", "1", "0.25", "Chan 1 Full"},
       message("/eos/out/cmd", {i(1), b(true), f(0.25f), s("Chan 1 Full"), b(false)})},
  };
}

QStringList oscsendArguments(const QString &destination, const SendCase &c) {
  QStringList arguments{destination, c.expected.address};
  if (!c.typesAndValues.isEmpty()) arguments += c.typesAndValues;
  return arguments;
}

// The line oscdump prints for a message, without its leading time tag.
QByteArray dumpLine(const OSCMessage &m) {
  QByteArray types;
  QByteArray values;
  for (const OSCArgument &argument : m.arguments) {
    values += ' ';
    switch (argument.value.index()) {
      case 0:
        types += 'i', values += QByteArray::number(std::get<qint32>(argument.value));
        break;
      case 1:
        types += 'f',
            values += QString::asprintf("%f", double(std::get<float>(argument.value))).toUtf8();
        break;
      case 2:
        types += 's', values += '"' + std::get<QString>(argument.value).toUtf8() + '"';
        break;
      case 3:
        types += std::get<bool>(argument.value) ? 'T' : 'F',
            values += std::get<bool>(argument.value) ? "#T" : "#F";
        break;
      default: {
        const QByteArray &bytes = std::get<QByteArray>(argument.value);
        types += 'b';
        values += '[' + QByteArray::number(bytes.size()) + "b ";
        QByteArrayList printed;
        for (char byte : bytes)
          printed += byte ? "0x" + QByteArray::number(quint8(byte), 16) : "00";
        values += printed.join(' ') + ']';
      }
    }
  }
  return m.address.toUtf8() + ' ' + types + values;
}

// The messages oscdump printed, without their time tags and without readiness probes.
QByteArrayList dumpedMessages(const QByteArray &output) {
  QByteArrayList lines;
  QByteArrayList complete = output.split('\n');
  complete.removeLast();  // a line still being written
  for (const QByteArray &line : complete) {
    const qsizetype afterTimeTag = line.indexOf(' ');
    if (afterTimeTag > 0 && line.sliced(afterTimeTag + 1) != probeLine)
      lines += line.sliced(afterTimeTag + 1);
  }
  return lines;
}

QList<OSCMessage> messagesToDump() {
  return {
      message("/eos/ping"),
      message("/eos/out/get/cue/1/2/0/list/0/1", {i(0), s("Full look"), f(2.5f), b(true), b(false),
                                                  i(-7), s(QString::fromUtf8("Ä — é 🎤"))}),
      message("/eos/out/blob", {blob({}), blob(hex("00107fc0db")), blob(hex("ffeeddcc"))}),
      message("/abcd", {s("abcd"), s("")}),
  };
}

quint16 freePort(bool tcp) {
  if (tcp) {
    QTcpServer probe;
    return probe.listen(loopback) ? probe.serverPort() : 0;
  }
  QUdpSocket probe;
  return probe.bind(loopback) ? probe.localPort() : 0;
}

class InteropOSCLibloTest : public ::testing::Test {
 protected:
  void SetUp() override { TARNIK_REQUIRE_PROGRAMS("oscsend", "oscdump"); }

  // Starts oscdump on a free port at the URL built from it; gives the port, or 0.
  quint16 startDump(bool tcp) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const quint16 port = freePort(tcp);
      const QString url = QStringLiteral("osc.%1://:%2").arg(tcp ? "tcp" : "udp").arg(port);
      if (port != 0 && dump_.start("oscdump", {"-L", url}) && !dump_.waitForFinished(100ms))
        return port;
    }
    return 0;
  }

  // Waits until oscdump has printed `count` messages; gives them.
  QByteArrayList waitForDump(qsizetype count) {
    dump_.waitForOutput(
        [count](const QByteArray &out) { return dumpedMessages(out).size() >= count; }, patience);
    return dumpedMessages(dump_.standardOutput());
  }

  ProcessRunner dump_;
};

TEST_F(InteropOSCLibloTest, DecodesWhatOscsendSendsOverUdp) {
  QUdpSocket receiver;
  ASSERT_TRUE(receiver.bind(loopback));
  for (const SendCase &c : sendCases()) {
    SCOPED_TRACE(c.typesAndValues.join(' ').toStdString());
    const auto sent = ProcessRunner::run(
        "oscsend", oscsendArguments(QString("osc.udp://127.0.0.1:%1").arg(receiver.localPort()), c),
        patience);
    ASSERT_TRUE(sent && sent->exitCode == 0)
        << (sent ? sent->standardError.toStdString() : "oscsend did not finish");
    ASSERT_TRUE(receiver.hasPendingDatagrams() ||
                receiver.waitForReadyRead(int(std::chrono::milliseconds(patience).count())));
    const QNetworkDatagram datagram = receiver.receiveDatagram();
    EXPECT_EQ(OSCPacket::decode(datagram.data()), QList<OSCMessage>{c.expected});
  }
}

TEST_F(InteropOSCLibloTest, OscdumpPrintsWhatWeSendOverUdp) {
  const quint16 port = startDump(false);
  ASSERT_NE(port, 0) << dump_.standardError().toStdString();
  QUdpSocket sender;
  // oscdump says nothing when it is ready, so a probe is sent until it shows up.
  const QByteArray probe = message("/probe").encoded();
  const auto probed = [](const QByteArray &out) { return out.contains(probeLine); };
  const QDeadlineTimer deadline(patience);
  while (!probed(dump_.standardOutput()) && !deadline.hasExpired()) {
    sender.writeDatagram(probe, loopback, port);
    dump_.waitForOutput(probed, 50ms);
  }
  ASSERT_TRUE(probed(dump_.standardOutput()));

  QByteArrayList expected;
  for (const OSCMessage &m : messagesToDump()) {
    sender.writeDatagram(m.encoded(), loopback, port);
    expected += dumpLine(m);
  }
  EXPECT_EQ(waitForDump(expected.size()), expected);
}

TEST_F(InteropOSCLibloTest, TakesApartOscsendsTcpStream) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(loopback));
  for (const SendCase &c : sendCases()) {
    SCOPED_TRACE(c.typesAndValues.join(' ').toStdString());
    ProcessRunner oscsend;
    ASSERT_TRUE(oscsend.start(
        "oscsend",
        oscsendArguments(QString("osc.tcp://127.0.0.1:%1").arg(server.serverPort()), c)));
    ASSERT_TRUE(server.waitForNewConnection(int(std::chrono::milliseconds(patience).count())));
    std::unique_ptr<QTcpSocket> connection(server.nextPendingConnection());
    OSCTCPFramer framer(OSCTCPFraming::packetLength);
    QList<QByteArray> packets;
    const QDeadlineTimer deadline(patience);
    while (packets.isEmpty() && !deadline.hasExpired()) {
      if (connection->bytesAvailable() == 0)
        connection->waitForReadyRead(int(deadline.remainingTime()));
      const auto received = framer.append(connection->readAll());
      ASSERT_TRUE(received.has_value()) << received.error().text().toStdString();
      packets += *received;
    }
    ASSERT_EQ(packets.size(), 1);
    EXPECT_EQ(OSCPacket::decode(packets[0]), QList<OSCMessage>{c.expected});
    EXPECT_TRUE(oscsend.waitForFinished(patience));
  }
}

TEST_F(InteropOSCLibloTest, OscdumpReadsOurTcpFramings) {
  // liblo's TCP server recognises both framings on its own.
  for (OSCTCPFraming framing : allCases(OSCTCPFraming{})) {
    SCOPED_TRACE(rawValue(framing).toStdString());
    const quint16 port = startDump(true);
    ASSERT_NE(port, 0) << dump_.standardError().toStdString();
    QTcpSocket socket;
    const QDeadlineTimer deadline(patience);
    do {
      socket.abort();
      socket.connectToHost(loopback, port);
    } while (!socket.waitForConnected(100) && !deadline.hasExpired());
    ASSERT_EQ(socket.state(), QAbstractSocket::ConnectedState);

    QByteArray stream;
    QByteArrayList expected;
    for (const OSCMessage &m : messagesToDump()) {
      stream += OSCTCPFramer::frame(m.encoded(), framing).value();
      expected += dumpLine(m);
    }
    socket.write(stream);
    ASSERT_TRUE(socket.waitForBytesWritten(int(std::chrono::milliseconds(patience).count())));
    EXPECT_EQ(waitForDump(expected.size()), expected);
    dump_.kill();
  }
}

}  // namespace
}  // namespace tarnik
