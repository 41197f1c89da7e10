#include "model/Cue.h"

#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple cueFields{
    jsonField("number"_L1, &Cue::number),
    jsonFieldWithDefault("label"_L1, &Cue::label),
    jsonFieldWithDefault("duration"_L1, &Cue::duration),
    jsonFieldWithDefault("upTime"_L1, &Cue::upTime),
    jsonFieldWithDefault("downTime"_L1, &Cue::downTime),
    jsonFieldWithDefault("focusTime"_L1, &Cue::focusTime),
    jsonFieldWithDefault("colorTime"_L1, &Cue::colorTime),
    jsonFieldWithDefault("beamTime"_L1, &Cue::beamTime),
    jsonFieldWithDefault("mark"_L1, &Cue::mark),
    jsonFieldWithDefault("block"_L1, &Cue::block),
    jsonFieldWithDefault("assert"_L1, &Cue::assert),
    jsonFieldWithDefault("preheat"_L1, &Cue::preheat),
    jsonFieldWithDefault("allFade"_L1, &Cue::allFade),
    jsonFieldWithDefault("moves"_L1, &Cue::moves),
    jsonFieldWithDefault("release"_L1, &Cue::release),
    jsonFieldWithDefault("follow"_L1, &Cue::follow),
    jsonFieldWithDefault("hang"_L1, &Cue::hang),
    jsonFieldWithDefault("link"_L1, &Cue::link),
    jsonFieldWithDefault("loop"_L1, &Cue::loop),
    jsonFieldWithDefault("curve"_L1, &Cue::curve),
    jsonFieldWithDefault("rate"_L1, &Cue::rate),
    jsonFieldWithDefault("fx"_L1, &Cue::fx),
    jsonFieldWithDefault("execute"_L1, &Cue::execute),
    jsonFieldWithDefault("sceneLabel"_L1, &Cue::sceneLabel),
    jsonFieldWithDefault("sceneEnd"_L1, &Cue::sceneEnd),
};
}  // namespace

QJsonObject Cue::toJson() const { return encodeJsonFields(*this, cueFields); }

std::expected<Cue, JsonError> Cue::fromJson(const QJsonObject &object) {
  return decodeJsonFields<Cue>(object, cueFields);
}

bool operator==(const Cue &lhs, const Cue &rhs) { return values::fieldsEqual(lhs, rhs, cueFields); }

size_t qHash(const Cue &cue, size_t seed) { return values::fieldsHash(cue, seed, cueFields); }

}  // namespace tarnik
