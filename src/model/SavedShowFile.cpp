#include "model/SavedShowFile.h"

#include "model/ValueSemantics.h"

#include <cmath>

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

std::expected<QByteArray, JsonError> encodeSavedShows(const QList<SavedShowFile> &shows) {
  const auto notFinite = [](QLatin1StringView key) {
    return JsonError::expected(u"a finite date").inKey(key);
  };
  for (qsizetype index = 0; index < shows.size(); ++index) {
    const SavedShowFile &show = shows[index];
    if (!std::isfinite(show.savedAt))
      return std::unexpected(notFinite("savedAt"_L1).atIndex(index));
    for (qsizetype channel = 0; channel < show.channels.size(); ++channel) {
      const std::optional<double> &snapshot = show.channels[channel].levelSnapshotAt;
      if (snapshot && !std::isfinite(*snapshot)) {
        return std::unexpected(
            notFinite("levelSnapshotAt"_L1).atIndex(channel).inKey("channels"_L1).atIndex(index));
      }
    }
  }
  return encodeJsonText(shows);
}

}  // namespace tarnik
