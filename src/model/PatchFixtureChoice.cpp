#include "model/PatchFixtureChoice.h"

#include "foundation/TextRules.h"
#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple choiceFields{
    jsonField("source"_L1, &PatchFixtureChoice::source),
    jsonField("version"_L1, &PatchFixtureChoice::version),
    jsonField("id"_L1, &PatchFixtureChoice::id),
    jsonField("manufacturer"_L1, &PatchFixtureChoice::manufacturer),
    jsonField("model"_L1, &PatchFixtureChoice::model),
    jsonField("mode"_L1, &PatchFixtureChoice::mode),
    jsonField("footprint"_L1, &PatchFixtureChoice::footprint),
    jsonField("nativeTypeName"_L1, &PatchFixtureChoice::nativeTypeName),
    jsonField("cellCount"_L1, &PatchFixtureChoice::cellCount),
};
}  // namespace

bool PatchFixtureChoice::isSourceBacked() const {
  return !trimmedText(source).isEmpty() && !trimmedText(version).isEmpty() &&
         !trimmedText(id).isEmpty();
}

QJsonObject PatchFixtureChoice::toJson() const { return encodeJsonFields(*this, choiceFields); }

std::expected<PatchFixtureChoice, JsonError> PatchFixtureChoice::fromJson(
    const QJsonObject &object) {
  return decodeJsonFields<PatchFixtureChoice>(object, choiceFields);
}

bool operator==(const PatchFixtureChoice &lhs, const PatchFixtureChoice &rhs) {
  return values::fieldsEqual(lhs, rhs, choiceFields);
}

size_t qHash(const PatchFixtureChoice &choice, size_t seed) {
  return values::fieldsHash(choice, seed, choiceFields);
}

}  // namespace tarnik
