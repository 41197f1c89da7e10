#include "model/Channel.h"

#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple channelFields{
    jsonField("number"_L1, &Channel::number),
    jsonFieldWithDefault("level"_L1, &Channel::level),
    jsonFieldWithDefault("label"_L1, &Channel::label),
    jsonFieldWithDefault("address"_L1, &Channel::address),
    jsonFieldWithDefault("addressEnd"_L1, &Channel::addressEnd),
    jsonFieldWithDefault("type"_L1, &Channel::type),
    jsonFieldWithDefault("parts"_L1, &Channel::parts),
    jsonFieldWithDefault("sacnPriority"_L1, &Channel::sacnPriority),
    jsonFieldWithDefault("interfaceInfo"_L1, &Channel::interfaceInfo),
    jsonFieldWithDefault("output"_L1, &Channel::output),
    jsonField("levelSnapshotAt"_L1, &Channel::levelSnapshotAt),
};
}  // namespace

QJsonObject Channel::toJson() const { return encodeJsonFields(*this, channelFields); }

std::expected<Channel, JsonError> Channel::fromJson(const QJsonObject &object) {
  return decodeJsonFields<Channel>(object, channelFields);
}

bool operator==(const Channel &lhs, const Channel &rhs) {
  return values::fieldsEqual(lhs, rhs, channelFields);
}

size_t qHash(const Channel &channel, size_t seed) {
  return values::fieldsHash(channel, seed, channelFields);
}

}  // namespace tarnik
