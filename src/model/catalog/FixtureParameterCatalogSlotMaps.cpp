#include "foundation/TextRules.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace tarnik {
namespace {

constexpr int maximumNestingDepth = 32;

}  // namespace

// Flattens a profile and its parts straight into one mapping list, in the order of the
// result: own channels first, then each part's mappings, depth first. A part adds its
// offset - 1 to everything below it, and every enclosing profile's total footprint caps
// the shifted offsets; so each mapping is shifted and checked once, against the tightest
// cap on its path, instead of being copied again at every level it passes.
class FixtureParameterCatalogDatabase::Expansion {
 public:
  explicit Expansion(const FixtureParameterCatalogDatabase &database) : database_(database) {}

  std::optional<QList<FixtureParameterSlotMapping>> run(int root) {
    if (!collect(root, 0, 0, std::numeric_limits<int>::max())) return std::nullopt;
    return std::move(result_);
  }

 private:
  // `shift` is added to the profile's own offsets; `limit` is the largest offset the
  // enclosing footprints leave it. Part offsets are at least 1, so nothing shifts below 1.
  bool collect(int index, int depth, int shift, int limit) {
    if (depth > maximumNestingDepth || index < 0 || index >= database_.profiles_.size() ||
        path_.contains(index) || ++visits_ > slotMapVisitLimit) {
      return false;
    }
    const ProfileRecord &profile = database_.profiles_[index];
    if (!profile.parts.isEmpty() && !profile.totalFootprint) return false;
    if (profile.totalFootprint) limit = std::min(limit, shift + *profile.totalFootprint);
    path_.append(index);
    bool collected = appendShifted(ownMappings(index), depth > 0, shift, limit);
    for (const ProfilePart &part : profile.parts) {
      if (!collected) break;
      collected = collect(part.profileIndex, depth + 1, shift + part.offset - 1, limit);
    }
    path_.removeLast();
    return collected;
  }

  // The root's own mappings are as many as its channel records say, read once; what parts
  // add is what shared children can multiply, and that is counted.
  bool appendShifted(const QList<FixtureParameterSlotMapping> &mappings, bool throughPart,
                     int shift, int limit) {
    for (const FixtureParameterSlotMapping &mapping : mappings) {
      if (throughPart && ++mappingsThroughParts_ > slotMapMappingLimit) return false;
      FixtureParameterSlotMapping shifted = mapping;
      for (int &offset : shifted.relativeOffsets) {
        offset += shift;
        if (offset > limit) return false;
      }
      result_.append(std::move(shifted));
    }
    return true;
  }

  // A profile's own channels, read from the decoded bytes once per slot map however many
  // paths reach it. Data that does not read back leaves the profile without own mappings.
  const QList<FixtureParameterSlotMapping> &ownMappings(int index) {
    const auto known = ownMappingsByProfile_.constFind(index);
    if (known != ownMappingsByProfile_.constEnd()) return known.value();
    return ownMappingsByProfile_[index] = readOwnMappings(database_.profiles_[index]);
  }

  QList<FixtureParameterSlotMapping> readOwnMappings(const ProfileRecord &profile) const {
    QList<FixtureParameterSlotMapping> mappings;
    Reader reader(QByteArrayView(database_.decodedData_).sliced(profile.channelDataOffset));
    try {
      for (int channel = 0; channel < profile.channelCount; ++channel) {
        const quint8 offsetCount = reader.readUInt8("offset count");
        const QByteArrayView offsetBytes =
            reader.read(2 * qsizetype(offsetCount), "channel offset");
        const quint8 parameterCount = reader.readUInt8("parameter count");
        const QByteArrayView idBytes =
            reader.read(4 * qsizetype(parameterCount), "channel parameter ID");
        QList<int> offsets;
        offsets.reserve(offsetCount);
        for (int i = 0; i < offsetCount; ++i)
          offsets.append(qFromLittleEndian<qint16>(offsetBytes.data() + 2 * i));
        if (std::any_of(offsets.begin(), offsets.end(), [](int offset) { return offset < 1; }))
          continue;
        for (int i = 0; i < parameterCount; ++i) {
          const auto parameter = database_.parametersByID_.constFind(
              qFromLittleEndian<qint32>(idBytes.data() + 4 * i));
          if (parameter == database_.parametersByID_.constEnd()) return {};
          mappings.append({parameter.value(), offsets});
        }
      }
    } catch (const FixtureParameterCatalogError &) {
      return {};
    }
    return mappings;
  }

  const FixtureParameterCatalogDatabase &database_;
  QList<int> path_;
  qint64 visits_ = 0;
  qint64 mappingsThroughParts_ = 0;
  QHash<int, QList<FixtureParameterSlotMapping>> ownMappingsByProfile_;
  QList<FixtureParameterSlotMapping> result_;
};

std::optional<FixtureParameterSlotMap> FixtureParameterCatalogDatabase::slotMap(
    const std::optional<QString> &reportedLibraryVersion, QStringView manufacturer,
    QStringView fixtureType) const {
  if (!reportedLibraryVersion || trimmedText(*reportedLibraryVersion) != metadata_.libraryVersion)
    return std::nullopt;
  const auto found = profileIndexByAlias_.constFind(foldedKey(manufacturer, fixtureType));
  if (found == profileIndexByAlias_.constEnd()) return std::nullopt;
  auto mappings = Expansion(*this).run(found.value());
  if (!mappings) return std::nullopt;
  const ProfileRecord &profile = profiles_[found.value()];
  return FixtureParameterSlotMap{profile.id.text(), profile.manufacturer, profile.name,
                                 profile.totalFootprint, std::move(*mappings)};
}

}  // namespace tarnik
