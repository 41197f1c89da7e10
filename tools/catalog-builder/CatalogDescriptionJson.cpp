#include "CatalogDescriptionJson.h"

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnik {
namespace {

// A text is a JSON string, or {"hex": "...", "declaredLength": n} for bytes that are not
// UTF-8 or a length that disagrees with them.
TextField text(const QJsonValue &value) {
  if (!value.isObject()) return value.toString();
  const QJsonObject object = value.toObject();
  std::optional<quint16> declared;
  if (object.contains(QStringLiteral("declaredLength")))
    declared = quint16(object.value(QStringLiteral("declaredLength")).toInteger());
  return TextField::raw(
      QByteArray::fromHex(object.value(QStringLiteral("hex")).toString().toLatin1()), declared);
}

template <class T>
T number(const QJsonObject &object, QStringView key, T fallback = 0) {
  return object.contains(key) ? T(object.value(key).toInteger()) : fallback;
}

std::optional<quint32> count(const QJsonObject &object, QStringView key) {
  if (!object.contains(key)) return std::nullopt;
  return quint32(object.value(key).toInteger());
}

QByteArray hex(const QJsonObject &object, QStringView key) {
  return QByteArray::fromHex(object.value(key).toString().toLatin1());
}

FixtureCatalogDescription fixtureDescription(const QJsonObject &json) {
  FixtureCatalogDescription d;
  if (json.contains(QStringLiteral("magic")))
    d.magic = json.value(QStringLiteral("magic")).toString().toLatin1();
  d.schemaVersion = number<quint32>(json, QStringLiteral("schemaVersion"), 1);
  d.libraryVersion = text(json.value(QStringLiteral("libraryVersion")));
  d.libraryDate = text(json.value(QStringLiteral("libraryDate")));
  d.sourceFile = text(json.value(QStringLiteral("sourceFile")));
  d.sourceSHA256 = text(json.value(QStringLiteral("sourceSHA256")));
  d.sourceBytes = number<quint64>(json, QStringLiteral("sourceBytes"));
  d.manufacturerCount = count(json, QStringLiteral("manufacturerCount"));
  d.modelCount = count(json, QStringLiteral("modelCount"));
  d.modeCount = count(json, QStringLiteral("modeCount"));
  for (const QJsonValue manufacturer : json.value(QStringLiteral("manufacturers")).toArray())
    d.manufacturers.append(text(manufacturer));
  for (const QJsonValue model : json.value(QStringLiteral("models")).toArray()) {
    d.models.append({number<quint32>(model.toObject(), QStringLiteral("manufacturer")),
                     text(model[QStringLiteral("name")])});
  }
  for (const QJsonValue value : json.value(QStringLiteral("modes")).toArray()) {
    const QJsonObject mode = value.toObject();
    d.modes.append({QUuid::fromString(mode.value(QStringLiteral("id")).toString()),
                    number<quint32>(mode, QStringLiteral("model")),
                    text(mode.value(QStringLiteral("mode"))),
                    text(mode.value(QStringLiteral("name"))),
                    number<quint16>(mode, QStringLiteral("profileFootprint")),
                    number<quint16>(mode, QStringLiteral("totalFootprint")),
                    number<quint16>(mode, QStringLiteral("cellCount"))});
  }
  d.trailing = hex(json, QStringLiteral("trailingHex"));
  return d;
}

ParameterCatalogDescription::Source source(const QJsonValue &value) {
  const QJsonObject object = value.toObject();
  return {text(object.value(QStringLiteral("file"))),
          number<quint64>(object, QStringLiteral("bytes")),
          text(object.value(QStringLiteral("sha256")))};
}

ParameterCatalogDescription parameterDescription(const QJsonObject &json) {
  ParameterCatalogDescription d;
  if (json.contains(QStringLiteral("magic")))
    d.magic = json.value(QStringLiteral("magic")).toString().toLatin1();
  d.schema = number<quint32>(json, QStringLiteral("schema"), 1);
  d.libraryVersion = text(json.value(QStringLiteral("libraryVersion")));
  d.libraryDate = text(json.value(QStringLiteral("libraryDate")));
  d.fixtureSource = source(json.value(QStringLiteral("fixtureSource")));
  d.profileSource = source(json.value(QStringLiteral("profileSource")));
  d.parameterSource = source(json.value(QStringLiteral("parameterSource")));
  d.parameterCount = count(json, QStringLiteral("parameterCount"));
  d.profileCount = count(json, QStringLiteral("profileCount"));
  d.aliasCount = count(json, QStringLiteral("aliasCount"));
  d.ambiguousAliasCount = number<quint32>(json, QStringLiteral("ambiguousAliasCount"));
  for (const QJsonValue value : json.value(QStringLiteral("parameters")).toArray()) {
    const QJsonObject parameter = value.toObject();
    d.parameters.append({number<quint32>(parameter, QStringLiteral("id")),
                         text(parameter.value(QStringLiteral("name"))),
                         number<quint32>(parameter, QStringLiteral("categoryID"), 0xFFFF'FFFF),
                         text(parameter.value(QStringLiteral("categoryName")))});
  }
  for (const QJsonValue value : json.value(QStringLiteral("profiles")).toArray()) {
    const QJsonObject object = value.toObject();
    ParameterCatalogDescription::Profile profile;
    profile.id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
    profile.manufacturer = text(object.value(QStringLiteral("manufacturer")));
    profile.name = text(object.value(QStringLiteral("name")));
    profile.totalFootprint = number<quint16>(object, QStringLiteral("totalFootprint"));
    profile.channelCount = count(object, QStringLiteral("channelCount"));
    profile.partCount = count(object, QStringLiteral("partCount"));
    for (const QJsonValue channelValue : object.value(QStringLiteral("channels")).toArray()) {
      ParameterCatalogDescription::Channel channel;
      for (const QJsonValue offset : channelValue[QStringLiteral("offsets")].toArray())
        channel.offsets.append(quint16(offset.toInteger()));
      for (const QJsonValue id : channelValue[QStringLiteral("parameters")].toArray())
        channel.parameters.append(quint32(id.toInteger()));
      profile.channels.append(channel);
    }
    for (const QJsonValue part : object.value(QStringLiteral("parts")).toArray()) {
      profile.parts.append({number<quint32>(part.toObject(), QStringLiteral("child")),
                            number<quint16>(part.toObject(), QStringLiteral("offset"), 1)});
    }
    d.profiles.append(profile);
  }
  for (const QJsonValue value : json.value(QStringLiteral("aliases")).toArray()) {
    const QJsonObject alias = value.toObject();
    d.aliases.append({text(alias.value(QStringLiteral("manufacturer"))),
                      text(alias.value(QStringLiteral("fixtureType"))),
                      number<quint32>(alias, QStringLiteral("profile"))});
  }
  d.trailing = hex(json, QStringLiteral("trailingHex"));
  return d;
}

}  // namespace

std::expected<QByteArray, QString> writeCatalogFromJson(const QByteArray &json) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
  if (!document.isObject()) return std::unexpected(parseError.errorString());
  const QJsonObject root = document.object();
  const QString format = root.value(QStringLiteral("format")).toString();
  const QJsonObject payloadJson = root.value(QStringLiteral("payload")).toObject();
  QByteArray payload;
  QByteArray defaultMagic;
  if (format == QStringLiteral("fixture")) {
    payload = writeFixturePayload(fixtureDescription(payloadJson));
    defaultMagic = fixtureContainerMagic;
  } else if (format == QStringLiteral("parameter")) {
    payload = writeParameterPayload(parameterDescription(payloadJson));
    defaultMagic = parameterContainerMagic;
  } else {
    return std::unexpected(QStringLiteral("\"format\" must be \"fixture\" or \"parameter\""));
  }
  if (!root.contains(QStringLiteral("container"))) return payload;

  const QJsonObject container = root.value(QStringLiteral("container")).toObject();
  ContainerDescription description;
  description.magic = container.contains(QStringLiteral("magic"))
                          ? container.value(QStringLiteral("magic")).toString().toLatin1()
                          : defaultMagic;
  description.schema = number<quint32>(container, QStringLiteral("schema"), 1);
  description.payload = payload;
  if (container.contains(QStringLiteral("declaredSize")))
    description.declaredSize = number<quint64>(container, QStringLiteral("declaredSize"));
  if (container.contains(QStringLiteral("digestHex")))
    description.digest = hex(container, QStringLiteral("digestHex"));
  if (container.contains(QStringLiteral("compressedHex")))
    description.compressed = hex(container, QStringLiteral("compressedHex"));
  return writeContainer(description);
}

}  // namespace tarnik
