#include "model/SavedShowFile.h"

#include "model/ValueSemantics.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
constexpr std::tuple showFields{
    jsonField("storageKey"_L1, &SavedShowFile::storageKey),
    jsonField("name"_L1, &SavedShowFile::name),
    jsonField("consoleName"_L1, &SavedShowFile::consoleName),
    jsonField("consoleIP"_L1, &SavedShowFile::consoleIP),
    jsonField("savedAt"_L1, &SavedShowFile::savedAt),
    jsonField("cues"_L1, &SavedShowFile::cues),
    jsonField("channels"_L1, &SavedShowFile::channels),
    jsonField("activeCueNumber"_L1, &SavedShowFile::activeCueNumber),
    jsonField("activeCueLabel"_L1, &SavedShowFile::activeCueLabel),
};
}  // namespace

QJsonObject SavedShowFile::toJson() const { return encodeJsonFields(*this, showFields); }

std::expected<SavedShowFile, JsonError> SavedShowFile::fromJson(const QJsonObject &object) {
  return decodeJsonFields<SavedShowFile>(object, showFields);
}

bool operator==(const SavedShowFile &lhs, const SavedShowFile &rhs) {
  return values::fieldsEqual(lhs, rhs, showFields);
}

size_t qHash(const SavedShowFile &show, size_t seed) {
  return values::fieldsHash(show, seed, showFields);
}

}  // namespace tarnik
