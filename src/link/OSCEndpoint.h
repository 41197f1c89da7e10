#pragma once

#include <QString>
#include <QtGlobal>

#include <expected>
#include <functional>
#include <optional>
#include <variant>

namespace tarnik {

// A host (name or address literal) and port.
struct OSCHostPort {
  QString host;
  quint16 port = 0;
  friend bool operator==(const OSCHostPort &, const OSCHostPort &) = default;
};

// A Bonjour service, optionally bound to one network interface.
struct OSCBonjourService {
  QString name;
  QString type;
  QString domain;
  std::optional<QString> interfaceName;
  friend bool operator==(const OSCBonjourService &, const OSCBonjourService &) = default;
};

// Where a console connection goes: a host and port, or a Bonjour service that has to be
// resolved to one first.
struct OSCEndpoint {
  using HostPort = OSCHostPort;
  using Service = OSCBonjourService;

  std::variant<HostPort, Service> value;

  static OSCEndpoint hostPort(QString host, quint16 port);
  static OSCEndpoint service(QString name, QString type, QString domain,
                             std::optional<QString> interfaceName = std::nullopt);

  const HostPort *asHostPort() const { return std::get_if<HostPort>(&value); }
  const Service *asService() const { return std::get_if<Service>(&value); }

  // "host:port" ("[address]:port" for an IPv6 literal), or "name.type.domain" with
  // "%interface" behind it when the service is bound to one interface.
  QString description() const;

  friend bool operator==(const OSCEndpoint &, const OSCEndpoint &) = default;
};

// Turns a service endpoint into the host and port to open. The Bonjour layer provides
// the real one; a manager without a resolver refuses service endpoints.
class OSCServiceResolver {
 public:
  // Called once, on the thread that asked, with the address or a failure text.
  using Completion = std::function<void(std::expected<OSCEndpoint::HostPort, QString>)>;

  virtual ~OSCServiceResolver() = default;
  virtual void resolve(const OSCEndpoint::Service &service, Completion completion) = 0;
};

}  // namespace tarnik
