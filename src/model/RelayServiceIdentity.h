#pragma once

#include "foundation/JsonCoding.h"

#include <QString>

namespace tarnik {

// A Bonjour relay service as found by browsing; a usable Mac relay has the type
// "_tarnik-relay._tcp".
struct RelayServiceIdentity {
  QString name{};
  QString type{};
  QString domain{};

  QJsonObject toJson() const;
  static std::expected<RelayServiceIdentity, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const RelayServiceIdentity &, const RelayServiceIdentity &);
};

}  // namespace tarnik
