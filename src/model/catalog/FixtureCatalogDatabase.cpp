#include "model/catalog/FixtureCatalogDatabase.h"

#include "model/catalog/CatalogContainer.h"
#include "model/catalog/CatalogText.h"

#include <charconv>

namespace tarnik {
namespace {

using Error = FixtureCatalogError;
using Range = FixtureCatalogDatabase::Range;

constexpr CatalogContainerFormat containerFormat{
    .magic = "TFCATZ01",
    .decodedSizeLimit = quint64(FixtureCatalogDatabase::decodedSizeLimit),
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

Error invalidMetadata(const CatalogLabel &label) { return Error::invalidMetadata(label.text()); }

// One range per parent over children that name their parents' positions, which must not
// go backwards. The parent positions were checked against the parent count when read.
template <class Child>
QList<Range> groupRanges(int parentCount, const QList<Child> &children, int Child::*parentOf,
                         const char *label) {
  QList<Range> ranges(parentCount);
  int previous = 0;
  for (int child = 0; child < children.size(); ++child) {
    const int parent = children[child].*parentOf;
    if (parent < previous)
      throw Error::invalidMetadata(QStringLiteral("noncontiguous ") + QLatin1StringView(label));
    Range &range = ranges[parent];
    if (range.size() == 0) range.begin = child;
    range.end = child + 1;
    previous = parent;
  }
  return ranges;
}

// Appends the fold of `piece` and returns its size without the blank that joins it.
template <class Text>
int appendFoldedPiece(QByteArray &text, Text piece) {
  const qsizetype before = text.size();
  appendSearchText(text, piece);
  const qsizetype added = text.size() - before;
  return int(added > 0 && before > 0 ? added - 1 : added);
}

// " <footprint>ch" at `out`, the blank only when something precedes it since `begin`.
char *writeFootprintToken(char *out, const char *begin, quint16 footprint) {
  if (footprint == 0) return out;
  if (out != begin) *out++ = ' ';
  out = std::to_chars(out, out + 5, footprint).ptr;
  *out++ = 'c';
  *out++ = 'h';
  return out;
}

void appendFootprintToken(QByteArray &utf8, quint16 footprint) {
  const qsizetype size = utf8.size();
  utf8.resize(size + 8);
  char *const begin = utf8.data();
  utf8.truncate(writeFootprintToken(begin + size, begin, footprint) - begin);
}

std::optional<int> knownFootprint(quint16 value) {
  return value == 0 ? std::nullopt : std::optional<int>(value);
}

}  // namespace

std::expected<FixtureCatalogDatabase, Error> FixtureCatalogDatabase::load(QByteArrayView resource) {
  if (resource.size() > resourceSizeLimit)
    return std::unexpected(Error::resourceTooLarge(resource.size()));
  // A resource without the container is the bare payload.
  if (!resource.startsWith(QByteArrayView(containerFormat.magic, catalogMagicSize)))
    return parse(resource.toByteArray());
  auto payload = unwrap(resource);
  if (!payload) return std::unexpected(payload.error());
  return parse(std::move(*payload));
}

std::expected<QByteArray, Error> FixtureCatalogDatabase::unwrap(QByteArrayView resource) {
  return catchingCatalogError<QByteArray, Error>(
      [&] { return unwrapCatalogContainer<Error>(resource, containerFormat); });
}

std::expected<FixtureCatalogDatabase, Error> FixtureCatalogDatabase::parse(QByteArray payload) {
  return catchingCatalogError<FixtureCatalogDatabase, Error>([&] {
    FixtureCatalogDatabase database;
    database.decodedData_ = std::move(payload);
    database.parseOrThrow();
    return database;
  });
}

QString FixtureCatalogDatabase::commandIdentityKey(QStringView manufacturer, QStringView modeName,
                                                   std::optional<int> totalFootprint) {
  return identityWords(manufacturer) + QChar(0x1F) + identityWords(modeName) + QChar(0x1F) +
         (totalFootprint ? QString::number(*totalFootprint) : QStringLiteral("-1"));
}

void FixtureCatalogDatabase::parseOrThrow() {
  if (decodedData_.size() > decodedSizeLimit) throw Error::resourceTooLarge(decodedData_.size());
  Reader reader(decodedData_);
  if (reader.read(catalogMagicSize, "magic") != payloadMagic) throw Error::invalidMagic();
  const quint32 schema = reader.readUInt32("schema version");
  if (schema != 1) throw Error::unsupportedSchema(schema);

  metadata_.libraryVersion = reader.readString("library version");
  metadata_.libraryDate = reader.readString("library date");
  metadata_.sourceFile = reader.readString("source filename");
  metadata_.sourceSHA256 = reader.readString("source SHA-256").toLower();
  metadata_.sourceBytes = reader.readUInt64("source byte count");
  const quint32 manufacturerCount = reader.readUInt32("manufacturer count");
  const quint32 modelCount = reader.readUInt32("model count");
  const quint32 modeCount = reader.readUInt32("mode count");

  // Header values are checked only once all of them are read, so a short header reads
  // as truncated whatever else is wrong with it.
  if (!isLibraryVersion(metadata_.libraryVersion)) throw invalidMetadata("library version");
  if (metadata_.libraryDate.isEmpty()) throw invalidMetadata("library date");
  if (metadata_.sourceFile.isEmpty()) throw invalidMetadata("source filename");
  if (metadata_.sourceBytes == 0) throw invalidMetadata("source byte count");
  if (!isLowerHexDigest(metadata_.sourceSHA256)) throw invalidMetadata("source SHA-256");
  // Minus one wraps a count of 0 around, so one comparison refuses both ends; the limits
  // are checked before any storage is reserved from the counts.
  if (manufacturerCount - 1 >= manufacturerLimit) throw invalidMetadata("manufacturer count");
  if (modelCount - 1 >= modelLimit) throw invalidMetadata("model count");
  if (modeCount - 1 >= modeLimit) throw invalidMetadata("mode count");
  metadata_.manufacturerCount = int(manufacturerCount);
  metadata_.modelCount = int(modelCount);
  metadata_.modeCount = int(modeCount);

  readManufacturers(reader);
  readModels(reader);
  readModes(reader);
  if (reader.remaining() > 0) throw Error::trailingBytes(reader.remaining());
  // The groupings are checked only once every record is read, so that a file broken in
  // more than one way reports the fault a reader meets first.
  manufacturerModelRanges_ = groupRanges(metadata_.manufacturerCount, models_,
                                         &ModelRecord::manufacturerIndex, "manufacturer models");
  modelModeRanges_ =
      groupRanges(metadata_.modelCount, modes_, &ModeRecord::modelIndex, "model modes");
  buildIndexes();
}

void FixtureCatalogDatabase::readManufacturers(Reader &reader) {
  const int count = metadata_.manufacturerCount;
  manufacturerNames_.reserve(count);
  for (int i = 0; i < count; ++i) {
    QString name = reader.readString({"manufacturer {}", i});
    if (name.isEmpty()) throw invalidMetadata({"manufacturer {} name", i});
    manufacturerNames_.append(std::move(name));
  }
}

void FixtureCatalogDatabase::readModels(Reader &reader) {
  const int count = metadata_.modelCount;
  models_.reserve(count);
  for (int j = 0; j < count; ++j) {
    const CatalogLabel manufacturerLabel("model {} manufacturer", j);
    const quint32 manufacturer = reader.readUInt32(manufacturerLabel);
    if (manufacturer >= quint32(metadata_.manufacturerCount))
      throw Error::invalidReference(manufacturerLabel.text());
    QString name = reader.readString({"model {} name", j});
    if (name.isEmpty()) throw invalidMetadata({"model {} name", j});
    models_.append({int(manufacturer), std::move(name)});
  }
}

void FixtureCatalogDatabase::readModes(Reader &reader) {
  const int count = metadata_.modeCount;
  modes_.reserve(count);
  modeIndexByID_.reserve(count);
  const char *const base = decodedData_.constData();
  const auto span = [base](QByteArrayView bytes) {
    return TextSpan{qint32(bytes.data() - base), quint16(bytes.size())};
  };
  for (int k = 0; k < count; ++k) {
    ModeRecord mode;
    mode.id = reader.readUUID({"mode {} UUID", k});
    // The identity is checked before anything else of the record is read.
    const qsizetype known = modeIndexByID_.size();
    modeIndexByID_.insert(mode.id, k);
    if (modeIndexByID_.size() == known) throw Error::duplicateModeID(mode.id.text());
    const CatalogLabel modelLabel("mode {} model", k);
    const quint32 model = reader.readUInt32(modelLabel);
    if (model >= quint32(metadata_.modelCount)) throw Error::invalidReference(modelLabel.text());
    mode.modelIndex = int(model);
    mode.mode = span(reader.readUtf8({"mode {} mode text", k}));
    mode.name = span(reader.readUtf8({"mode {} name", k}));
    if (mode.name.size == 0) throw invalidMetadata({"mode {} name", k});
    mode.profileFootprint = reader.readUInt16({"mode {} profile footprint", k});
    mode.totalFootprint = reader.readUInt16({"mode {} total footprint", k});
    mode.cellCount = reader.readUInt16({"mode {} cell count", k});
    modes_.append(mode);
  }
}

void FixtureCatalogDatabase::buildIndexes() {
  const int manufacturerCount = metadata_.manufacturerCount;
  const int modelCount = metadata_.modelCount;
  const int modeCount = metadata_.modeCount;
  // Folding the pieces one after another into one buffer gives the fold of their
  // blank-separated concatenation, so each name is folded only once. The buffer is reused.
  QByteArray text;
  text.reserve(256);

  manufacturers_.reserve(manufacturerCount);
  manufacturerSearchText_.reserve(manufacturerCount, 16 * qsizetype(manufacturerCount));
  for (int i = 0; i < manufacturerCount; ++i) {
    const Range models = manufacturerModelRanges_[i];
    int modes = 0;
    for (int model = models.begin; model < models.end; ++model)
      modes += modelModeRanges_[model].size();
    manufacturers_.append({i, manufacturerNames_[i], models.size(), modes});
    text.truncate(0);
    appendSearchText(text, QStringView(manufacturerNames_[i]));
    manufacturerSearchText_.append(text);
  }

  foldedModelNameSizes_.reserve(modelCount);
  modelSearchText_.reserve(modelCount, 32 * qsizetype(modelCount));
  for (const ModelRecord &model : std::as_const(models_)) {
    text.truncate(0);
    text.append(manufacturerSearchText_[model.manufacturerIndex]);
    foldedModelNameSizes_.append(appendFoldedPiece(text, QStringView(model.name)));
    modelSearchText_.append(text);
  }

  // Manufacturers whose identity words are equal count as one in command identities.
  QHash<QString, int> groupByWords;
  groupByWords.reserve(manufacturerCount);
  QList<int> manufacturerGroup;
  manufacturerGroup.reserve(manufacturerCount);
  for (const QString &name : std::as_const(manufacturerNames_)) {
    const QString words = identityWords(name);
    auto group = groupByWords.constFind(words);
    if (group == groupByWords.constEnd()) group = groupByWords.insert(words, groupByWords.size());
    manufacturerGroup.append(group.value());
  }

  // One pass over each mode's texts gives its search text and the hash of its command
  // identity: its manufacturer's group, the words of its name and its total footprint.
  foldedModeTextSizes_.reserve(modeCount);
  modeSearchText_.reserve(modeCount, 40 * qsizetype(modeCount));
  QList<quint32> identityHashes;
  identityHashes.reserve(modeCount);
  QByteArray words;
  for (const ModeRecord &mode : std::as_const(modes_)) {
    const QByteArrayView modeText = textBytes(mode.mode);
    const QByteArrayView name = textBytes(mode.name);
    // There are up to half a million modes: an ASCII mode's texts are written in place,
    // with room for both folds, their joining blank and the two footprint tokens.
    const qsizetype room = modeText.size() + name.size() + 24;
    if (text.size() < room) text.resize(room);
    if (words.size() < name.size()) words.resize(name.size());
    char *const begin = text.data();
    char *const modeEnd = writeAsciiSearchText(begin, false, modeText);
    const auto ends = modeEnd ? writeAsciiSearchTextAndIdentityWords(modeEnd, modeEnd != begin,
                                                                     words.data(), name)
                              : std::nullopt;
    QByteArrayView identity;
    if (ends) {
      foldedModeTextSizes_.append(int(modeEnd - begin));
      char *const end =
          writeFootprintToken(writeFootprintToken(ends->first, begin, mode.profileFootprint), begin,
                              mode.totalFootprint);
      modeSearchText_.append(QByteArrayView(begin, end - begin));
      identity = QByteArrayView(words.constData(), ends->second - words.constData());
    } else {
      QByteArray folded;
      foldedModeTextSizes_.append(appendFoldedPiece(folded, modeText));
      appendSearchText(folded, name);
      appendFootprintToken(folded, mode.profileFootprint);
      appendFootprintToken(folded, mode.totalFootprint);
      modeSearchText_.append(folded);
      words = identityWords(QString::fromUtf8(name)).toUtf8();
      identity = words;
    }
    identityHashes.append(
        quint32(qHashMulti(0, manufacturerGroup[models_[mode.modelIndex].manufacturerIndex],
                           mode.totalFootprint, identity)));
  }
  findAmbiguousCommandIdentities(manufacturerGroup, identityHashes);
}

// Groups the modes by command identity through an open-addressing table of first modes by
// identity hash; only modes whose hashes meet have their identities compared in full.
void FixtureCatalogDatabase::findAmbiguousCommandIdentities(const QList<int> &manufacturerGroup,
                                                            const QList<quint32> &identityHashes) {
  const auto sameIdentity = [&](const ModeRecord &a, const ModeRecord &b) {
    return a.totalFootprint == b.totalFootprint &&
           manufacturerGroup[models_[a.modelIndex].manufacturerIndex] ==
               manufacturerGroup[models_[b.modelIndex].manufacturerIndex] &&
           identityWords(text(a.name)) == identityWords(text(b.name));
  };
  qsizetype tableSize = 16;
  while (tableSize < 2 * modes_.size()) tableSize *= 2;
  QList<qint32> firstModes(tableSize, -1);
  for (qint32 k = 0; k < modes_.size(); ++k) {
    const quint32 hash = identityHashes[k];
    for (qsizetype slot = qsizetype(hash) & (tableSize - 1);; slot = (slot + 1) & (tableSize - 1)) {
      qint32 &first = firstModes[slot];
      if (first < 0) {
        first = k;
        break;
      }
      if (identityHashes[first] == hash && sameIdentity(modes_[first], modes_[k])) {
        ambiguousCommandIdentityIDs_.insert(modes_[first].id);
        ambiguousCommandIdentityIDs_.insert(modes_[k].id);
        break;
      }
    }
  }
}

FixtureCatalogMode FixtureCatalogDatabase::mode(int position) const {
  const ModeRecord &record = modes_[position];
  const ModelRecord &model = models_[record.modelIndex];
  return FixtureCatalogMode{
      .id = record.id.text(),
      .manufacturer = manufacturerNames_[model.manufacturerIndex],
      .model = model.name,
      .mode = text(record.mode),
      .name = text(record.name),
      .profileFootprint = knownFootprint(record.profileFootprint),
      .totalFootprint = knownFootprint(record.totalFootprint),
      .cellCount = record.cellCount,
      .libraryVersion = metadata_.libraryVersion,
      .sourceFile = metadata_.sourceFile,
      .sourceSHA256 = metadata_.sourceSHA256,
      .isCommandIdentityUnique = !ambiguousCommandIdentityIDs_.contains(record.id),
  };
}

}  // namespace tarnik
