#include "model/ConsoleConnectionProfile.h"

#include "foundation/TextRules.h"
#include "model/ValueSemantics.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple profileFields{
    jsonField("id"_L1, &ConsoleConnectionProfile::id),
    jsonField("name"_L1, &ConsoleConnectionProfile::name),
    jsonField("host"_L1, &ConsoleConnectionProfile::host),
    jsonField("transport"_L1, &ConsoleConnectionProfile::transport),
    jsonField("destinationPort"_L1, &ConsoleConnectionProfile::destinationPort),
    jsonField("udpListenPort"_L1, &ConsoleConnectionProfile::udpListenPort),
    jsonField("tcpFraming"_L1, &ConsoleConnectionProfile::tcpFraming),
    jsonField("usesMacRelay"_L1, &ConsoleConnectionProfile::usesMacRelay),
    jsonField("relayService"_L1, &ConsoleConnectionProfile::relayService),
};

using Error = ConsoleConnectionProfileValidationError;

bool routeIsValid(const ConsoleConnectionProfile &profile) {
  if (profile.usesMacRelay.value_or(false)) {
    if (profile.transport != OSCTransport::tcp) return false;
    return !profile.relayService || (profile.relayService->type == u"_tarnik-relay._tcp"_s &&
                                     !profile.relayService->name.isEmpty());
  }
  return !profile.relayService;
}
}  // namespace

QString ConsoleConnectionProfileValidationError::errorDescription() const {
  switch (kind) {
    case Kind::missingName:
      return u"Enter a name for this connection."_s;
    case Kind::missingHost:
      return u"Enter the console IP address or DNS name."_s;
    case Kind::invalidHost:
      return u"The console address cannot contain spaces."_s;
    case Kind::invalidPort:
      return label + u" must be a whole number from 1 through 65535."_s;
    case Kind::invalidRoute:
      return u"A nearby Mac connection requires the Tarnik relay service over TCP."_s;
  }
  return {};
}

bool operator==(const ConsoleConnectionProfileValidationError &lhs,
                const ConsoleConnectionProfileValidationError &rhs) {
  if (lhs.kind != rhs.kind) return false;
  return lhs.kind != ConsoleConnectionProfileValidationError::Kind::invalidPort ||
         lhs.label == rhs.label;
}

std::expected<ConsoleConnectionProfile, ConsoleConnectionProfileValidationError>
ConsoleConnectionProfile::validated() const {
  ConsoleConnectionProfile copy = *this;
  copy.name = trimmedText(name);
  copy.host = trimmedText(host);
  if (copy.name.isEmpty()) return std::unexpected(Error{Error::Kind::missingName});
  if (copy.host.isEmpty()) return std::unexpected(Error{Error::Kind::missingHost});
  if (std::ranges::any_of(copy.host, [](QChar c) { return c.isSpace(); })) {
    return std::unexpected(Error{Error::Kind::invalidHost});
  }
  if (destinationPort == 0) return std::unexpected(Error::invalidPort(u"Destination port"_s));
  if (!routeIsValid(copy)) return std::unexpected(Error{Error::Kind::invalidRoute});
  if (transport == OSCTransport::udp && udpListenPort == 0) {
    return std::unexpected(Error::invalidPort(u"UDP listen port"_s));
  }
  return copy;
}

QJsonObject ConsoleConnectionProfile::toJson() const {
  return encodeJsonFields(*this, profileFields);
}

std::expected<ConsoleConnectionProfile, JsonError> ConsoleConnectionProfile::fromJson(
    const QJsonObject &object) {
  return decodeJsonFields<ConsoleConnectionProfile>(object, profileFields);
}

bool operator==(const ConsoleConnectionProfile &lhs, const ConsoleConnectionProfile &rhs) {
  return values::fieldsEqual(lhs, rhs, profileFields);
}

}  // namespace tarnik
