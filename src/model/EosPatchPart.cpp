#include "model/EosPatchPart.h"

#include "foundation/TextRules.h"
#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple idFields{
    jsonField("channelNumber"_L1, &EosPatchPart::ID::channelNumber),
    jsonField("partNumber"_L1, &EosPatchPart::ID::partNumber),
};

constexpr std::tuple partFields{
    jsonField("channelNumber"_L1, &EosPatchPart::channelNumber),
    jsonField("partNumber"_L1, &EosPatchPart::partNumber),
    jsonField("label"_L1, &EosPatchPart::label),
    jsonField("manufacturer"_L1, &EosPatchPart::manufacturer),
    jsonField("model"_L1, &EosPatchPart::model),
    jsonField("address"_L1, &EosPatchPart::address),
    jsonField("addressEnd"_L1, &EosPatchPart::addressEnd),
    jsonField("partCount"_L1, &EosPatchPart::partCount),
    jsonField("intensityAddress"_L1, &EosPatchPart::intensityAddress),
    jsonField("uid"_L1, &EosPatchPart::uid),
    jsonField("level"_L1, &EosPatchPart::level),
};
}  // namespace

QJsonObject EosPatchPart::ID::toJson() const { return encodeJsonFields(*this, idFields); }

std::expected<EosPatchPart::ID, JsonError> EosPatchPart::ID::fromJson(const QJsonObject &object) {
  return decodeJsonFields<ID>(object, idFields);
}

std::optional<EosDMXRange> EosPatchPart::occupiedRange() const {
  const QString startText = trimmedText(address);
  const QString endText = trimmedText(addressEnd);
  if (startText.isEmpty() || endText.isEmpty()) return std::nullopt;
  const std::optional<EosDMXRange> first = EosDMXRange::parse(startText);
  const std::optional<EosDMXRange> last = EosDMXRange::parse(endText);
  if (!first || !last) return std::nullopt;
  if (first->start != first->end || last->start != last->end) return std::nullopt;
  if (first->universe != last->universe || last->start < first->start) return std::nullopt;
  return EosDMXRange{first->universe, first->start, last->start};
}

QJsonObject EosPatchPart::toJson() const { return encodeJsonFields(*this, partFields); }

std::expected<EosPatchPart, JsonError> EosPatchPart::fromJson(const QJsonObject &object) {
  return decodeJsonFields<EosPatchPart>(object, partFields);
}

bool operator==(const EosPatchPart &lhs, const EosPatchPart &rhs) {
  return values::fieldsEqual(lhs, rhs, partFields);
}

size_t qHash(const EosPatchPart::ID &id, size_t seed) {
  return qHashMulti(seed, id.channelNumber, id.partNumber);
}

size_t qHash(const EosPatchPart &part, size_t seed) {
  return values::fieldsHash(part, seed, partFields);
}

}  // namespace tarnik
