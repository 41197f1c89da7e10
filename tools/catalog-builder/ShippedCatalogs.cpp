#include "ShippedCatalogs.h"

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "DebianChangelog.h"
#include "ParameterMapping.h"
#include "QxfFixture.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace tarnik {
namespace {

// Name-based (version 5) mode identities live in this namespace, so a mode keeps its
// identity from one build to the next as long as its definition file and name stay.
const QUuid modeIdentityNamespace(QStringLiteral("cfb8f00d-4628-4bc8-b781-150bef6e8804"));

constexpr int footprintLimit = 65'535;

struct Definition {
  QString path;  // relative to the fixtures folder, "/"-separated
  QxfFixture fixture;
  QString manufacturerToken;
};

struct SourceDigest {
  QString file;
  quint64 bytes = 0;
  QString sha256;
};

// The console takes manufacturer and fixture type names as single words: letters, digits
// and a few marks, words joined by "_". Accents are dropped, anything else separates words.
QString commandToken(const QString &text) {
  static const QString marks = QStringLiteral("().,+/&%'-");
  const QString decomposed = text.normalized(QString::NormalizationForm_KD);
  QString token;
  bool separate = false;
  for (const QChar c : decomposed) {
    if (c.category() == QChar::Mark_NonSpacing) continue;
    const char16_t u = c.unicode();
    const bool word = (u < 0x80 && QChar::isLetterOrNumber(u)) || marks.contains(c);
    if (!word) {
      separate = true;
      continue;
    }
    if (separate && !token.isEmpty()) token += u'_';
    separate = false;
    token += c;
  }
  token.truncate(512);
  return token.isEmpty() ? QStringLiteral("Unnamed") : token;
}

bool byteOrder(const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); }

// Case-insensitive first, so the browser lists "Abstract" beside "ADB"; exact text next
// keeps the order total.
bool displayOrder(const QString &a, const QString &b) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : byteOrder(a, b);
}

QString fourPartVersion(const QString &upstream) {
  QStringList pieces = upstream.split(u'.');
  while (pieces.size() < 4) pieces.append(QStringLiteral("0"));
  return pieces.join(u'.');
}

std::expected<QList<Definition>, QString> readDefinitions(const QString &folder,
                                                          SourceDigest &digest,
                                                          std::optional<int> limit) {
  QStringList paths;
  QDirIterator files(folder, {QStringLiteral("*.qxf")}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) paths.append(QDir(folder).relativeFilePath(files.next()));
  std::sort(paths.begin(), paths.end(), byteOrder);
  if (limit) paths = paths.mid(0, *limit);
  if (paths.isEmpty()) return std::unexpected(folder + QStringLiteral(": no fixture definitions"));

  // The digest covers a sha256sum-style manifest of every definition, in the same order.
  QByteArray manifest;
  QList<Definition> definitions;
  for (const QString &path : paths) {
    QFile file(QDir(folder).filePath(path));
    if (!file.open(QIODevice::ReadOnly))
      return std::unexpected(path + QStringLiteral(": ") + file.errorString());
    const QByteArray data = file.readAll();
    digest.bytes += quint64(data.size());
    manifest += QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex() + "  " +
                path.toUtf8() + '\n';
    auto fixture = readQxfFixture(data);
    if (!fixture) return std::unexpected(path + QStringLiteral(": ") + fixture.error());
    definitions.append({path, std::move(*fixture), {}});
    definitions.last().manufacturerToken = commandToken(definitions.last().fixture.manufacturer);
  }
  digest.sha256 =
      QString::fromLatin1(QCryptographicHash::hash(manifest, QCryptographicHash::Sha256).toHex());
  std::stable_sort(definitions.begin(), definitions.end(),
                   [](const Definition &a, const Definition &b) {
                     if (a.manufacturerToken != b.manufacturerToken)
                       return displayOrder(a.manufacturerToken, b.manufacturerToken);
                     if (a.fixture.model != b.fixture.model)
                       return displayOrder(a.fixture.model, b.fixture.model);
                     return false;  // the path order stays
                   });
  return definitions;
}

// One channel record per parameter occurrence: its coarse slot and, when the definition
// has one in the same head, its fine slot.
QList<ParameterCatalogDescription::Channel> parameterChannels(const QxfFixture &fixture,
                                                              const QxfMode &mode,
                                                              const ParameterMapping &mapping,
                                                              ParameterMappingCounts &counts) {
  struct Occurrence {
    QString parameter;
    int head;
    quint16 coarse;
    std::optional<quint16> fine;
    QString coarseRule;
    QString fineRule;
  };
  const auto headOf = [&mode](int slot) {
    for (int head = 0; head < mode.heads.size(); ++head) {
      if (mode.heads[head].contains(slot)) return head;
    }
    return -1;
  };
  QList<Occurrence> occurrences;
  QList<std::pair<ChannelRole, int>> fineSlots;
  for (int slot = 0; slot < mode.channels.size(); ++slot) {
    const QxfChannel *channel = fixture.channel(mode.channels[slot]);
    const std::optional<ChannelRole> role = channel ? mapping.roleOf(*channel) : std::nullopt;
    if (!role) {
      ++counts.unmappedSlots;
    } else if (role->fine) {
      fineSlots.append({*role, slot});
    } else {
      occurrences.append(
          {role->parameter, headOf(slot), quint16(slot + 1), std::nullopt, role->rule, {}});
    }
  }
  for (const auto &[role, slot] : fineSlots) {
    const auto partner =
        std::find_if(occurrences.begin(), occurrences.end(), [&](const Occurrence &o) {
          return o.parameter == role.parameter && o.head == headOf(slot) && !o.fine;
        });
    if (partner != occurrences.end()) {
      partner->fine = quint16(slot + 1);
      partner->fineRule = role.rule;
    } else {
      ++counts.unpairedFineSlots;
    }
  }
  QList<ParameterCatalogDescription::Channel> channels;
  for (const Occurrence &occurrence : occurrences) {
    ++counts.slotsByRule[occurrence.parameter + QStringLiteral(" <- ") + occurrence.coarseRule];
    if (occurrence.fine)
      ++counts.slotsByRule[occurrence.parameter + QStringLiteral(" <- ") + occurrence.fineRule];
    ParameterCatalogDescription::Channel channel;
    channel.offsets.append(occurrence.coarse);
    if (occurrence.fine) channel.offsets.append(*occurrence.fine);
    channel.parameters.append(mapping.parameterID(occurrence.parameter));
    channels.append(channel);
  }
  return channels;
}

std::expected<SourceDigest, QString> fileDigest(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return std::unexpected(path + QStringLiteral(": ") + file.errorString());
  const QByteArray data = file.readAll();
  return SourceDigest{
      QFileInfo(path).fileName(), quint64(data.size()),
      QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex())};
}

}  // namespace

FixtureDataSource FixtureDataSource::installed() {
  return {QStringLiteral("/usr/share/qlcplus/fixtures"),
          QStringLiteral("/usr/share/doc/qlcplus-data/changelog.Debian.gz"),
          QStringLiteral(TARNIK_PARAMETER_MAPPING)};
}

std::expected<ShippedCatalogs, QString> buildShippedCatalogs(const FixtureDataSource &source,
                                                             std::optional<int> fixtureLimit) {
  const auto changelog = readNewestChangelogEntry(source.changelogPath);
  if (!changelog) return std::unexpected(changelog.error());
  QFile mappingFile(source.mappingPath);
  if (!mappingFile.open(QIODevice::ReadOnly)) {
    return std::unexpected(source.mappingPath + QStringLiteral(": ") + mappingFile.errorString());
  }
  const auto mapping = ParameterMapping::fromJson(mappingFile.readAll());
  if (!mapping) return std::unexpected(source.mappingPath + QStringLiteral(": ") + mapping.error());
  const auto mappingDigest = fileDigest(source.mappingPath);
  if (!mappingDigest) return std::unexpected(mappingDigest.error());

  SourceDigest fixtureDigest;
  fixtureDigest.file =
      QStringLiteral("qlcplus-data %1: fixtures/**.qxf").arg(changelog->packageVersion);
  const auto definitions = readDefinitions(source.fixturesFolder, fixtureDigest, fixtureLimit);
  if (!definitions) return std::unexpected(definitions.error());

  ShippedCatalogs result;
  result.libraryVersion = fourPartVersion(changelog->upstreamVersion);

  FixtureCatalogDescription fixtures;
  fixtures.libraryVersion = result.libraryVersion;
  fixtures.libraryDate = changelog->date;
  fixtures.sourceFile = fixtureDigest.file;
  fixtures.sourceBytes = fixtureDigest.bytes;
  fixtures.sourceSHA256 = fixtureDigest.sha256;

  ParameterCatalogDescription parameters;
  parameters.libraryVersion = result.libraryVersion;
  parameters.libraryDate = changelog->date;
  parameters.fixtureSource = {fixtureDigest.file, fixtureDigest.bytes, fixtureDigest.sha256};
  parameters.profileSource =
      parameters.fixtureSource;  // the profiles come from the same definitions
  parameters.parameterSource = {mappingDigest->file, mappingDigest->bytes, mappingDigest->sha256};
  for (const ParameterMapping::Parameter &parameter : mapping->parameters()) {
    parameters.parameters.append(
        {parameter.id, parameter.name, parameter.categoryID, parameter.categoryName});
  }

  QHash<QString, int> aliasClaims;
  for (const Definition &definition : *definitions) {
    if (fixtures.manufacturers.isEmpty() ||
        fixtures.manufacturers.last().bytes != definition.manufacturerToken.toUtf8()) {
      fixtures.manufacturers.append(definition.manufacturerToken);
    }
    fixtures.models.append({quint32(fixtures.manufacturers.size() - 1), definition.fixture.model});
    for (const QxfMode &mode : definition.fixture.modes) {
      const QUuid id =
          QUuid::createUuidV5(modeIdentityNamespace, definition.path + u'\n' + mode.name);
      const QString typeName = commandToken(definition.fixture.model + u' ' + mode.name);
      const quint16 footprint = quint16(std::min<qsizetype>(mode.channels.size(), footprintLimit));
      const quint16 cells = mode.heads.size() >= 2 ? quint16(mode.heads.size()) : 0;
      fixtures.modes.append({id, quint32(fixtures.models.size() - 1), mode.name, typeName,
                             footprint, footprint, cells});

      const quint32 profile = quint32(parameters.profiles.size());
      parameters.profiles.append(
          {id,
           definition.manufacturerToken,
           typeName,
           footprint,
           parameterChannels(definition.fixture, mode, *mapping, result.mappingCounts),
           {},
           {},
           {}});
      // A console name pair can only lead to one profile: the first definition keeps it.
      const QString key =
          FixtureParameterCatalogDatabase::foldedKey(definition.manufacturerToken, typeName);
      if (aliasClaims[key]++ == 0)
        parameters.aliases.append({definition.manufacturerToken, typeName, profile});
    }
  }
  parameters.ambiguousAliasCount = quint32(std::count_if(aliasClaims.cbegin(), aliasClaims.cend(),
                                                         [](int claims) { return claims > 1; }));

  result.fixturePayload = writeFixturePayload(fixtures);
  result.parameterPayload = writeParameterPayload(parameters);
  result.fixtureCatalog =
      writeContainer({fixtureContainerMagic, 1, result.fixturePayload, {}, {}, {}});
  result.parameterCatalog =
      writeContainer({parameterContainerMagic, 1, result.parameterPayload, {}, {}, {}});
  return result;
}

}  // namespace tarnik
