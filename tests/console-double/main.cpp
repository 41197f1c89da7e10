// A loopback Eos console for trying Tarnik by hand: the test double with a small show (40
// cues, ten dimmers, and channel 5 a colour wash), serving until it is stopped. Start it,
// then connect ./run.sh to 127.0.0.1 and one of the printed ports.

#include "support/EosConsoleDouble.h"
#include "support/EosConsoleShow.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using tarnik::OSCTCPFraming;
using tarnik::testing::ConsolePatchPart;
using tarnik::testing::EosConsoleDouble;

namespace {

quint16 portOption(const QCommandLineParser &parser, const QString &name) {
  bool valid = false;
  const uint port = parser.value(name).toUInt(&valid);
  if (!valid || port > 65535) {
    std::fprintf(stderr, "--%s takes a port from 0 to 65535\n", qPrintable(name));
    std::exit(2);
  }
  return quint16(port);
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("A loopback Eos console double."));
  parser.addHelpOption();
  parser.addOption({QStringLiteral("udp"), QStringLiteral("UDP port (0: any free one)."),
                    QStringLiteral("port"), QStringLiteral("0")});
  parser.addOption({QStringLiteral("tcp"),
                    QStringLiteral("TCP port with packet-length framing (0: any free one)."),
                    QStringLiteral("port"), QStringLiteral("0")});
  parser.addOption({QStringLiteral("slip"),
                    QStringLiteral("TCP port with SLIP framing (0: any free one)."),
                    QStringLiteral("port"), QStringLiteral("0")});
  parser.process(application);

  EosConsoleDouble::Options options;
  options.udpPort = portOption(parser, QStringLiteral("udp"));
  options.packetLengthPort = portOption(parser, QStringLiteral("tcp"));
  options.slipPort = portOption(parser, QStringLiteral("slip"));
  EosConsoleDouble console(options);

  tarnik::testing::ConsoleShow show = tarnik::testing::generateConsoleShow(40, 0);
  for (int channel = 1; channel <= 10; ++channel)
    show.patch.append(ConsolePatchPart::dimmer(channel, 1, channel == 5 ? 100 : channel));
  ConsolePatchPart &wash = *show.patchPart(5, 1);
  wash.setText(ConsolePatchPart::manufacturer, QStringLiteral("Acme"));
  wash.setText(ConsolePatchPart::model, QStringLiteral("Wash"));
  console.setShow(std::move(show));
  EosConsoleDouble::FixtureChannel colour;
  colour.manufacturer = QStringLiteral("Acme");
  colour.model = QStringLiteral("Wash");
  colour.emitters = {{QStringLiteral("Red"), 100, 0, 100},
                     {QStringLiteral("Green"), 50, 0, 100},
                     {QStringLiteral("Blue"), 40, 0, 100}};
  colour.hue = 30;
  colour.saturation = 60;
  console.fixtures[5] = colour;

  std::printf("Eos console double on 127.0.0.1: UDP %u, TCP packet-length %u, TCP SLIP %u\n",
              console.udpPort(), console.tcpPort(OSCTCPFraming::packetLength),
              console.tcpPort(OSCTCPFraming::slip));
  std::fflush(stdout);
  return application.exec();
}
