#include "model/catalog/FixtureCatalogDecoder.h"

#include "model/catalog/CatalogContainer.h"
#include "model/catalog/CatalogReader.h"
#include "model/catalog/CatalogText.h"

#include <charconv>

namespace tarnik {
namespace {

using Reader = CatalogReader<FixtureCatalogError>;
using Range = FixtureCatalogDatabase::Range;

constexpr CatalogContainerFormat containerFormat{
    .magic = "TFCATZ01",
    .decodedSizeLimit = quint64(FixtureCatalogDecoder::payloadSizeLimit),
    .magicLabel = "compressed magic",
    .schemaLabel = "compressed schema version",
    .decodedSizeLabel = "decoded resource size",
    .digestLabel = "decoded resource SHA-256",
    .payloadLabel = "compressed catalog payload",
};
constexpr QByteArrayView payloadMagic("TFCAT001");
constexpr quint32 manufacturerLimit = 100'000;
constexpr quint32 modelLimit = 1'000'000;
constexpr quint32 modeLimit = 500'000;

std::optional<int> knownFootprint(quint16 value) {
  return value == 0 ? std::nullopt : std::optional<int>(value);
}

// Appends the fold of `piece` and returns its size without the blank that joins it.
int appendFoldedPiece(QByteArray &text, QStringView piece) {
  const qsizetype before = text.size();
  appendSearchText(text, piece);
  const qsizetype added = text.size() - before;
  return int(added > 0 && before > 0 ? added - 1 : added);
}

void appendFootprintTokens(QByteArray &utf8, std::optional<int> profile, std::optional<int> total) {
  for (const std::optional<int> &footprint : {profile, total}) {
    if (!footprint) continue;
    if (!utf8.isEmpty()) utf8.append(' ');
    char digits[8];
    const auto written = std::to_chars(digits, digits + sizeof digits, *footprint);
    utf8.append(digits, written.ptr - digits).append("ch");
  }
}

QString identityKey(const QString &manufacturerWords, const QString &nameWords,
                    std::optional<int> totalFootprint) {
  QString key;
  key.reserve(manufacturerWords.size() + nameWords.size() + 8);
  key.append(manufacturerWords).append(QChar(0x1F)).append(nameWords).append(QChar(0x1F));
  key.append(totalFootprint ? QString::number(*totalFootprint) : QStringLiteral("-1"));
  return key;
}

}  // namespace

std::expected<FixtureCatalogDatabase, FixtureCatalogError> FixtureCatalogDecoder::load(
    QByteArrayView resource) {
  if (resource.size() > resourceSizeLimit)
    return std::unexpected(FixtureCatalogError::resourceTooLarge(resource.size()));
  if (!resource.startsWith(QByteArrayView(containerFormat.magic, catalogMagicSize)))
    return decodePayload(resource);
  return catchingCatalogError<FixtureCatalogDatabase, FixtureCatalogError>([&] {
    return decodePayloadOrThrow(
        unwrapCatalogContainer<FixtureCatalogError>(resource, containerFormat));
  });
}

std::expected<QByteArray, FixtureCatalogError> FixtureCatalogDecoder::decodeResource(
    QByteArrayView resource) {
  return catchingCatalogError<QByteArray, FixtureCatalogError>(
      [&] { return unwrapCatalogContainer<FixtureCatalogError>(resource, containerFormat); });
}

std::expected<FixtureCatalogDatabase, FixtureCatalogError> FixtureCatalogDecoder::decodePayload(
    QByteArrayView payload) {
  return catchingCatalogError<FixtureCatalogDatabase, FixtureCatalogError>(
      [&] { return decodePayloadOrThrow(payload); });
}

std::expected<QList<Range>, FixtureCatalogError> FixtureCatalogDecoder::groupRanges(
    int parentCount, const QList<int> &parentOfChild, const QString &label) {
  return catchingCatalogError<QList<Range>, FixtureCatalogError>(
      [&] { return groupRangesOrThrow(parentCount, parentOfChild, label); });
}

QString FixtureCatalogDecoder::commandIdentityKey(QStringView manufacturer, QStringView modeName,
                                                  std::optional<int> totalFootprint) {
  return identityKey(identityWords(manufacturer), identityWords(modeName), totalFootprint);
}

QList<Range> FixtureCatalogDecoder::groupRangesOrThrow(int parentCount,
                                                       const QList<int> &parentOfChild,
                                                       const QString &label) {
  QList<Range> ranges(parentCount);
  int previous = 0;
  for (int child = 0; child < parentOfChild.size(); ++child) {
    const int parent = parentOfChild[child];
    if (parent < previous)
      throw FixtureCatalogError::invalidMetadata(QStringLiteral("noncontiguous ") + label);
    if (parent >= parentCount) throw FixtureCatalogError::invalidReference(label);
    Range &range = ranges[parent];
    if (range.size() == 0) range.begin = child;
    range.end = child + 1;
    previous = parent;
  }
  return ranges;
}

FixtureCatalogDatabase FixtureCatalogDecoder::decodePayloadOrThrow(QByteArrayView payload) {
  if (payload.size() > payloadSizeLimit)
    throw FixtureCatalogError::resourceTooLarge(payload.size());
  Reader reader(payload);
  if (reader.read(catalogMagicSize, "magic") != payloadMagic)
    throw FixtureCatalogError::invalidMagic();
  const quint32 schema = reader.readUInt32("schema version");
  if (schema != 1) throw FixtureCatalogError::unsupportedSchema(schema);

  FixtureCatalogDatabase database;
  FixtureCatalogMetadata &metadata = database.metadata_;
  metadata.libraryVersion = reader.readString("library version");
  metadata.libraryDate = reader.readString("library date");
  metadata.sourceFile = reader.readString("source filename");
  metadata.sourceSHA256 = reader.readString("source SHA-256").toLower();
  metadata.sourceBytes = reader.readUInt64("source byte count");
  const quint32 manufacturerCount = reader.readUInt32("manufacturer count");
  const quint32 modelCount = reader.readUInt32("model count");
  const quint32 modeCount = reader.readUInt32("mode count");

  const auto invalid = [](const char *label) {
    return FixtureCatalogError::invalidMetadata(QString::fromUtf8(label));
  };
  if (!isLibraryVersion(metadata.libraryVersion)) throw invalid("library version");
  if (metadata.libraryDate.isEmpty()) throw invalid("library date");
  if (metadata.sourceFile.isEmpty()) throw invalid("source filename");
  if (metadata.sourceBytes == 0) throw invalid("source byte count");
  if (!isLowerHexDigest(metadata.sourceSHA256)) throw invalid("source SHA-256");
  // Minus one wraps a count of 0 around, so one comparison refuses both ends; the limits
  // are checked before any storage is reserved from the counts.
  if (manufacturerCount - 1 >= manufacturerLimit) throw invalid("manufacturer count");
  if (modelCount - 1 >= modelLimit) throw invalid("model count");
  if (modeCount - 1 >= modeLimit) throw invalid("mode count");
  metadata.manufacturerCount = int(manufacturerCount);
  metadata.modelCount = int(modelCount);
  metadata.modeCount = int(modeCount);

  database.manufacturerNames_.reserve(manufacturerCount);
  for (quint32 i = 0; i < manufacturerCount; ++i) {
    QString name = reader.readString({"manufacturer {}", i});
    if (name.isEmpty())
      throw FixtureCatalogError::invalidMetadata(CatalogLabel("manufacturer {} name", i).text());
    database.manufacturerNames_.append(std::move(name));
  }

  QList<int> manufacturerOfModel;
  manufacturerOfModel.reserve(modelCount);
  database.models_.reserve(modelCount);
  for (quint32 j = 0; j < modelCount; ++j) {
    const CatalogLabel manufacturerLabel("model {} manufacturer", j);
    const quint32 manufacturer = reader.readUInt32(manufacturerLabel);
    if (manufacturer >= manufacturerCount)
      throw FixtureCatalogError::invalidReference(manufacturerLabel.text());
    QString name = reader.readString({"model {} name", j});
    if (name.isEmpty())
      throw FixtureCatalogError::invalidMetadata(CatalogLabel("model {} name", j).text());
    manufacturerOfModel.append(int(manufacturer));
    database.models_.append({int(manufacturer), std::move(name)});
  }

  QList<int> modelOfMode;
  modelOfMode.reserve(modeCount);
  database.modes_.reserve(modeCount);
  database.modeIndexByID_.reserve(modeCount);
  for (quint32 k = 0; k < modeCount; ++k) {
    FixtureCatalogDatabase::ModeRecord mode;
    mode.id = reader.readUUID({"mode {} UUID", k});
    if (database.modeIndexByID_.contains(mode.id))
      throw FixtureCatalogError::duplicateModeID(mode.id.text());
    const CatalogLabel modelLabel("mode {} model", k);
    const quint32 model = reader.readUInt32(modelLabel);
    if (model >= modelCount) throw FixtureCatalogError::invalidReference(modelLabel.text());
    mode.modelIndex = int(model);
    mode.mode = reader.readString({"mode {} mode text", k});
    mode.name = reader.readString({"mode {} name", k});
    if (mode.name.isEmpty())
      throw FixtureCatalogError::invalidMetadata(CatalogLabel("mode {} name", k).text());
    mode.profileFootprint = knownFootprint(reader.readUInt16({"mode {} profile footprint", k}));
    mode.totalFootprint = knownFootprint(reader.readUInt16({"mode {} total footprint", k}));
    mode.cellCount = reader.readUInt16({"mode {} cell count", k});
    database.modeIndexByID_.insert(mode.id, int(k));
    modelOfMode.append(int(model));
    database.modes_.append(std::move(mode));
  }
  if (reader.remaining() > 0) throw FixtureCatalogError::trailingBytes(reader.remaining());

  database.manufacturerModelRanges_ = groupRangesOrThrow(
      int(manufacturerCount), manufacturerOfModel, QStringLiteral("manufacturer models"));
  database.modelModeRanges_ =
      groupRangesOrThrow(int(modelCount), modelOfMode, QStringLiteral("model modes"));
  buildIndexes(database);
  return database;
}

void FixtureCatalogDecoder::buildIndexes(FixtureCatalogDatabase &database) {
  const int manufacturerCount = database.metadata_.manufacturerCount;
  const int modelCount = database.metadata_.modelCount;
  const int modeCount = database.metadata_.modeCount;
  // Folding the pieces one after another into one buffer gives the fold of their
  // blank-separated concatenation, so each name is folded only once. The buffer is reused.
  QByteArray text;
  text.reserve(256);

  database.manufacturers_.reserve(manufacturerCount);
  database.manufacturerSearchText_.reserve(manufacturerCount, 16 * qsizetype(manufacturerCount));
  QStringList manufacturerIdentity;
  manufacturerIdentity.reserve(manufacturerCount);
  for (int i = 0; i < manufacturerCount; ++i) {
    const Range models = database.manufacturerModelRanges_[i];
    int modes = 0;
    for (int model = models.begin; model < models.end; ++model)
      modes += database.modelModeRanges_[model].size();
    const QString &name = database.manufacturerNames_[i];
    database.manufacturers_.append({i, name, models.size(), modes});
    text.truncate(0);
    appendSearchText(text, name);
    database.manufacturerSearchText_.append(text);
    manufacturerIdentity.append(identityWords(name));
  }

  database.foldedModelNameSizes_.reserve(modelCount);
  database.modelSearchText_.reserve(modelCount, 32 * qsizetype(modelCount));
  for (const FixtureCatalogDatabase::ModelRecord &model : std::as_const(database.models_)) {
    text.truncate(0);
    text.append(database.manufacturerSearchText_[model.manufacturerIndex]);
    database.foldedModelNameSizes_.append(appendFoldedPiece(text, model.name));
    database.modelSearchText_.append(text);
  }

  database.foldedModeTextSizes_.reserve(modeCount);
  database.modeSearchText_.reserve(modeCount, 40 * qsizetype(modeCount));
  // First mode of each command identity; a second one makes both ambiguous.
  QHash<QString, int> firstModeByIdentity;
  firstModeByIdentity.reserve(modeCount);
  for (int k = 0; k < modeCount; ++k) {
    const FixtureCatalogDatabase::ModeRecord &mode = database.modes_[k];
    text.truncate(0);
    database.foldedModeTextSizes_.append(appendFoldedPiece(text, mode.mode));
    appendSearchText(text, mode.name);
    appendFootprintTokens(text, mode.profileFootprint, mode.totalFootprint);
    database.modeSearchText_.append(text);

    const QString key =
        identityKey(manufacturerIdentity[database.models_[mode.modelIndex].manufacturerIndex],
                    identityWords(mode.name), mode.totalFootprint);
    const auto first = firstModeByIdentity.constFind(key);
    if (first == firstModeByIdentity.constEnd()) {
      firstModeByIdentity.insert(key, k);
    } else {
      database.ambiguousCommandIdentityIDs_.insert(database.modes_[first.value()].id);
      database.ambiguousCommandIdentityIDs_.insert(mode.id);
    }
  }
}

}  // namespace tarnik
