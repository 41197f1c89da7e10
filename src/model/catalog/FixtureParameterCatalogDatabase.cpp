#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include "model/catalog/CatalogContainer.h"
#include "model/catalog/CatalogText.h"

namespace tarnik {
namespace {

using Error = FixtureParameterCatalogError;

constexpr CatalogContainerFormat containerFormat{
    .magic = "TFPSZ001",
    .decodedSizeLimit = FixtureParameterCatalogDatabase::decodedSizeLimit,
    .magicLabel = "compressed magic",
    .schemaLabel = "compressed schema",
    .decodedSizeLabel = "decoded size",
    .digestLabel = "decoded SHA-256",
    .payloadLabel = "compressed payload",
};
constexpr QByteArrayView payloadMagic("TFPSL001");
constexpr quint32 parameterLimit = 100'000;
constexpr quint32 profileLimit = 500'000;
constexpr quint32 aliasLimit = 500'000;
constexpr quint32 channelCountLimit = 65'535;
constexpr quint32 partCountLimit = 65'535;

struct SourceLabels {
  const char *file;
  const char *bytes;
  const char *sha256;
  const char *record;
};
constexpr SourceLabels fixtureSourceLabels{"fixture filename", "fixture byte count",
                                           "fixture SHA-256", "fixture source"};
constexpr SourceLabels profileSourceLabels{"profile filename", "profile byte count",
                                           "profile SHA-256", "profile source"};
constexpr SourceLabels parameterSourceLabels{"parameter filename", "parameter byte count",
                                             "parameter SHA-256", "parameter source"};

Error invalidMetadata(const CatalogLabel &label) { return Error::invalidMetadata(label.text()); }

FixtureParameterSourceMetadata readSource(CatalogReader<Error> &reader,
                                          const SourceLabels &labels) {
  FixtureParameterSourceMetadata source;
  source.file = reader.readString(labels.file);
  source.bytes = reader.readUInt64(labels.bytes);
  source.sha256 = reader.readString(labels.sha256).toLower();
  if (source.file.isEmpty() || source.bytes == 0 || !isLowerHexDigest(source.sha256)) {
    throw invalidMetadata(labels.record);
  }
  return source;
}

}  // namespace

std::expected<FixtureParameterCatalogDatabase, Error> FixtureParameterCatalogDatabase::load(
    QByteArrayView resource) {
  if (resource.size() > resourceSizeLimit)
    return std::unexpected(Error::resourceTooLarge(resource.size()));
  auto payload = unwrap(resource);
  if (!payload) return std::unexpected(payload.error());
  return parse(std::move(*payload));
}

std::expected<QByteArray, Error> FixtureParameterCatalogDatabase::unwrap(QByteArrayView resource) {
  return catchingCatalogError<QByteArray, Error>(
      [&] { return unwrapCatalogContainer<Error>(resource, containerFormat); });
}

std::expected<FixtureParameterCatalogDatabase, Error> FixtureParameterCatalogDatabase::parse(
    QByteArray payload) {
  return catchingCatalogError<FixtureParameterCatalogDatabase, Error>([&] {
    FixtureParameterCatalogDatabase database;
    database.decodedData_ = std::move(payload);
    database.parseOrThrow();
    return database;
  });
}

QString FixtureParameterCatalogDatabase::foldedKey(QStringView manufacturer,
                                                   QStringView fixtureType) {
  const QString manufacturerWords = identityWords(manufacturer);
  const QString typeWords = identityWords(fixtureType);
  if (manufacturerWords.isEmpty() || typeWords.isEmpty()) return {};
  return manufacturerWords + QChar(0x1F) + typeWords;
}

void FixtureParameterCatalogDatabase::parseOrThrow() {
  Reader reader(decodedData_);
  if (reader.read(catalogMagicSize, "magic") != payloadMagic) throw Error::invalidMagic();
  const quint32 schema = reader.readUInt32("schema");
  if (schema != 1) throw Error::unsupportedSchema(schema);
  metadata_.libraryVersion = reader.readString("library version");
  metadata_.libraryDate = reader.readString("library date");
  if (!isLibraryVersion(metadata_.libraryVersion) || metadata_.libraryDate.isEmpty()) {
    throw invalidMetadata("library provenance");
  }
  metadata_.fixtureSource = readSource(reader, fixtureSourceLabels);
  metadata_.profileSource = readSource(reader, profileSourceLabels);
  metadata_.parameterSource = readSource(reader, parameterSourceLabels);
  const quint32 parameterCount = reader.readUInt32("parameter count");
  const quint32 profileCount = reader.readUInt32("profile count");
  const quint32 aliasCount = reader.readUInt32("alias count");
  metadata_.ambiguousAliasCount = reader.readUInt32("ambiguous alias count");
  // Minus one wraps a count of 0 around, so one comparison refuses both ends.
  if (parameterCount - 1 >= parameterLimit || profileCount - 1 >= profileLimit ||
      aliasCount - 1 >= aliasLimit) {
    throw invalidMetadata("record counts");
  }
  metadata_.parameterCount = parameterCount;
  metadata_.profileCount = profileCount;
  metadata_.aliasCount = aliasCount;

  parametersByID_.reserve(parameterCount);
  for (quint32 i = 0; i < parameterCount; ++i) readParameter(reader, i);
  profiles_.reserve(profileCount);
  profileIndexByID_.reserve(profileCount);
  for (quint32 i = 0; i < profileCount; ++i) readProfile(reader, i, profileCount);
  profileIndexByAlias_.reserve(aliasCount);
  for (quint32 a = 0; a < aliasCount; ++a) readAlias(reader, a);
  if (reader.remaining() > 0) throw Error::trailingBytes(reader.remaining());
}

void FixtureParameterCatalogDatabase::readParameter(Reader &reader, quint32 index) {
  FixtureParameterDefinition parameter;
  parameter.id = qint32(reader.readUInt32({"parameter {} ID", index}));
  parameter.name = reader.readString({"parameter {} name", index});
  const qint32 categoryID = qint32(reader.readUInt32({"parameter {} category ID", index}));
  QString categoryName = reader.readString({"parameter {} category name", index});
  if (parameter.name.isEmpty()) throw invalidMetadata({"parameter {} name", index});
  if (categoryID >= 0) parameter.categoryID = categoryID;
  if (!categoryName.isEmpty()) parameter.categoryName = std::move(categoryName);
  if (parametersByID_.contains(parameter.id))
    throw Error::duplicate(QStringLiteral("parameter ID ") + QString::number(parameter.id));
  parametersByID_.insert(parameter.id, std::move(parameter));
}

void FixtureParameterCatalogDatabase::readProfile(Reader &reader, quint32 index,
                                                  quint32 profileCount) {
  ProfileRecord profile;
  profile.id = reader.readUUID({"profile {} UUID", index});
  profile.manufacturer = reader.readString({"profile {} manufacturer", index});
  profile.name = reader.readString({"profile {} name", index});
  if (const quint16 footprint = reader.readUInt16({"profile {} total footprint", index})) {
    profile.totalFootprint = footprint;
  }
  if (profile.manufacturer.isEmpty() || profile.name.isEmpty())
    throw invalidMetadata({"profile {} identity", index});

  const quint32 channelCount = reader.readUInt32({"profile {} channel count", index});
  if (channelCount > channelCountLimit) throw invalidMetadata({"profile {} channel count", index});
  profile.channelCount = int(channelCount);
  profile.channelDataOffset = reader.offset();
  for (quint32 channel = 0; channel < channelCount; ++channel) {
    const quint8 offsetCount =
        reader.readUInt8({"profile {} channel {} offset count", index, channel});
    if (offsetCount < 1 || offsetCount > 8)
      throw invalidMetadata({"profile {} channel offsets", index});
    reader.read(2 * qsizetype(offsetCount), "channel offset");
    const quint8 parameterCount = reader.readUInt8({"profile {} channel parameter count", index});
    if (parameterCount > 64) throw invalidMetadata({"profile {} channel parameters", index});
    for (quint8 i = 0; i < parameterCount; ++i) {
      const qint32 id = qint32(reader.readUInt32("channel parameter ID"));
      if (!parametersByID_.contains(id))
        throw Error::invalidReference(QStringLiteral("parameter ID ") + QString::number(id));
    }
  }

  const quint32 partCount = reader.readUInt32({"profile {} part count", index});
  if (partCount > partCountLimit) throw invalidMetadata({"profile {} part count", index});
  profile.parts.reserve(partCount);
  for (quint32 part = 0; part < partCount; ++part) {
    const quint32 child = reader.readUInt32({"profile {} part {} child", index, part});
    if (child >= profileCount)
      throw Error::invalidReference(CatalogLabel("profile {} part child", index).text());
    const quint16 offset = reader.readUInt16({"profile {} part {} offset", index, part});
    if (offset == 0) throw invalidMetadata({"profile {} part offset", index});
    profile.parts.append({int(child), int(offset)});
  }

  if (profileIndexByID_.contains(profile.id))
    throw Error::duplicate(QStringLiteral("profile UUID ") + profile.id.text());
  profileIndexByID_.insert(profile.id, int(index));
  profiles_.append(std::move(profile));
}

void FixtureParameterCatalogDatabase::readAlias(Reader &reader, quint32 index) {
  const QString manufacturer = reader.readString({"alias {} manufacturer", index});
  const QString fixtureType = reader.readString({"alias {} fixture type", index});
  const quint32 profile = reader.readUInt32({"alias {} profile", index});
  if (profile >= quint32(profiles_.size()))
    throw Error::invalidReference(CatalogLabel("alias {} profile", index).text());
  const QString key = foldedKey(manufacturer, fixtureType);
  if (key.isEmpty() || profileIndexByAlias_.contains(key))
    throw Error::duplicate(CatalogLabel("alias {}", index).text());
  profileIndexByAlias_.insert(key, int(profile));
}

}  // namespace tarnik
