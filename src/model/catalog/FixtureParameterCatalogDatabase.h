#pragma once

#include "model/catalog/CatalogReader.h"
#include "model/catalog/FixtureParameterCatalogError.h"
#include "model/catalog/FixtureParameterCatalogRecords.h"
#include "model/catalog/FixtureParameterSlotMap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <expected>
#include <optional>

namespace tarnik {

// The decoded fixture parameter catalog: which console parameters lie at which slots of
// every fixture profile, and which console manufacturer and type texts name each profile.
// Channel records stay in the decoded bytes and are read again per slot-map request.
// Immutable once parsed; shared between threads behind a pointer to const.
class FixtureParameterCatalogDatabase {
 public:
  static constexpr qint64 resourceSizeLimit = 8'388'608;
  static constexpr quint64 decodedSizeLimit = 67'108'864;
  // Work allowed to one slot map. A child profile is expanded once per path that reaches
  // it, so a hostile catalog of shared children could ask for billions of expansions;
  // what bounds the work is the number of profile visits and of mappings that parts add
  // (each profile's own channels are read once per slot map, and the root's own mappings
  // are as many as its channel records). The limits hold any compound fixture that fills
  // the largest footprint, 65,535 slots, with up to 16 profile visits and 8 parameters per
  // slot; a profile without parts always resolves.
  static constexpr qint64 slotMapVisitLimit = 16 * 65'536;
  static constexpr qint64 slotMapMappingLimit = 8 * 65'536;

  // Size check, container and payload, from the resource file's bytes.
  static std::expected<FixtureParameterCatalogDatabase, FixtureParameterCatalogError> load(
      QByteArrayView resource);
  // The container step alone: the proven, inflated payload.
  static std::expected<QByteArray, FixtureParameterCatalogError> unwrap(QByteArrayView resource);
  static std::expected<FixtureParameterCatalogDatabase, FixtureParameterCatalogError> parse(
      QByteArray payload);

  // The alias key of a console manufacturer and fixture type: each normalised into its
  // words, joined by U+001F; empty when either side has no words.
  static QString foldedKey(QStringView manufacturer, QStringView fixtureType);

  const FixtureParameterCatalogMetadata &metadata() const { return metadata_; }

  // The slot map of the profile that the console's texts name, when the console runs this
  // catalog's library version and the profile's parts resolve.
  std::optional<FixtureParameterSlotMap> slotMap(
      const std::optional<QString> &reportedLibraryVersion, QStringView manufacturer,
      QStringView fixtureType) const;

 private:
  struct ProfilePart {
    int profileIndex = 0;
    int offset = 0;  // the parent's slot at which the child's slot 1 lies
  };
  struct ProfileRecord {
    CatalogIdentity id;
    QString manufacturer;
    QString name;
    std::optional<int> totalFootprint;
    qsizetype channelDataOffset = 0;
    int channelCount = 0;
    QList<ProfilePart> parts;
  };
  class Expansion;
  using Reader = CatalogReader<FixtureParameterCatalogError>;

  void parseOrThrow();
  void readParameter(Reader &reader, quint32 index);
  void readProfile(Reader &reader, quint32 index, quint32 profileCount);
  void readAlias(Reader &reader, quint32 index);

  FixtureParameterCatalogMetadata metadata_;
  QByteArray decodedData_;
  QHash<qint32, FixtureParameterDefinition> parametersByID_;
  QList<ProfileRecord> profiles_;
  QHash<CatalogIdentity, int> profileIndexByID_;
  QHash<QString, int> profileIndexByAlias_;
};

}  // namespace tarnik
