#pragma once

#include "foundation/JsonCoding.h"
#include "foundation/OSCTransportKinds.h"
#include "model/RelayServiceIdentity.h"

#include <QString>
#include <QUuid>

#include <expected>
#include <optional>

namespace tarnik {

// Why a connection profile cannot be used; errorDescription() is the message for the user.
struct ConsoleConnectionProfileValidationError {
  enum class Kind { missingName, missingHost, invalidHost, invalidPort, invalidRoute };

  Kind kind;
  QString label{};  // the port field's label, for invalidPort only

  explicit ConsoleConnectionProfileValidationError(Kind kind, QString label = {})
      : kind(kind), label(std::move(label)) {}
  static ConsoleConnectionProfileValidationError invalidPort(QString fieldLabel) {
    return ConsoleConnectionProfileValidationError(Kind::invalidPort, std::move(fieldLabel));
  }

  QString errorDescription() const;

  friend bool operator==(const ConsoleConnectionProfileValidationError &,
                         const ConsoleConnectionProfileValidationError &);
};

// One saved way of reaching an Eos console.
struct ConsoleConnectionProfile {
  QUuid id{};
  QString name{};
  QString host{};  // console IP address or DNS name
  OSCTransport transport = OSCTransport::tcp;
  quint16 destinationPort = 0;
  quint16 udpListenPort = 0;
  OSCTCPFraming tcpFraming = OSCTCPFraming::packetLength;
  std::optional<bool> usesMacRelay{};  // absent is not the same as false
  std::optional<RelayServiceIdentity> relayService{};

  // A copy with name and host trimmed, or the first problem found. Decoding keeps texts
  // exactly as stored; only this cleans them.
  std::expected<ConsoleConnectionProfile, ConsoleConnectionProfileValidationError> validated()
      const;

  QJsonObject toJson() const;
  static std::expected<ConsoleConnectionProfile, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const ConsoleConnectionProfile &, const ConsoleConnectionProfile &);
};

}  // namespace tarnik
