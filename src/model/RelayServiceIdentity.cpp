#include "model/RelayServiceIdentity.h"

#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple serviceFields{
    jsonField("name"_L1, &RelayServiceIdentity::name),
    jsonField("type"_L1, &RelayServiceIdentity::type),
    jsonField("domain"_L1, &RelayServiceIdentity::domain),
};
}  // namespace

QJsonObject RelayServiceIdentity::toJson() const { return encodeJsonFields(*this, serviceFields); }

std::expected<RelayServiceIdentity, JsonError> RelayServiceIdentity::fromJson(
    const QJsonObject &object) {
  return decodeJsonFields<RelayServiceIdentity>(object, serviceFields);
}

bool operator==(const RelayServiceIdentity &lhs, const RelayServiceIdentity &rhs) {
  return values::fieldsEqual(lhs, rhs, serviceFields);
}

}  // namespace tarnik
