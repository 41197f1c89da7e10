#include "app/ConnectionForm.h"
#include "foundation/UuidText.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// Fixed ids, so that an example keeps its identity from one launch to the next.
ConsoleConnectionProfile example(QStringView id, QString name, QString host) {
  ConsoleConnectionProfile profile;
  profile.id = *parseUuidText(id);
  profile.name = std::move(name);
  profile.host = std::move(host);
  profile.transport = OSCTransport::tcp;
  profile.destinationPort = 3037;
  profile.udpListenPort = 8001;
  profile.tcpFraming = OSCTCPFraming::slip;
  return profile;
}

}  // namespace

QList<ConsoleConnectionProfile> ConnectionForm::builtInConnectionProfiles() {
  return {
      example(u"C4A811E0-0000-4000-8000-000000000001", u"Vellick · School Ethernet"_s,
              u"10.101.100.101"_s),
      example(u"C4A811E0-0000-4000-8000-000000000002", u"Vellick · Lighting Ethernet"_s,
              u"192.168.1.101"_s),
  };
}

QString ConnectionForm::connectionSummary(const ConsoleConnectionProfile &profile) {
  const QString separator = u" · "_s;
  const QString target = profile.host + u':' + QString::number(profile.destinationPort);
  if (profile.transport == OSCTransport::udp) {
    return target + separator + u"UDP · listen "_s + QString::number(profile.udpListenPort);
  }
  const QString route = profile.usesMacRelay.value_or(false) ? u"Paired Mac relay"_s : u"TCP"_s;
  return target + separator + route + separator + displayText(profile.tcpFraming);
}

}  // namespace tarnik
