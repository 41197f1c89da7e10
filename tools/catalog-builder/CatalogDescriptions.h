#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace tarnik {

// Descriptions of catalog files exactly as they are to be written. The writer checks
// nothing, so a description may break any rule on purpose: wrong magics and counts,
// indexes out of order, invalid UTF-8, lengths that point past the end, trailing bytes.

// A text field: its bytes, and for broken catalogs a declared length that disagrees.
struct TextField {
  TextField() = default;
  TextField(const char *text) : bytes(text) {}
  TextField(const QString &text) : bytes(text.toUtf8()) {}
  TextField(QByteArray utf8) : bytes(std::move(utf8)) {}
  static TextField raw(QByteArray bytes, std::optional<quint16> declaredLength = std::nullopt) {
    TextField field;
    field.bytes = std::move(bytes);
    field.declaredLength = declaredLength;
    return field;
  }

  QByteArray bytes;
  std::optional<quint16> declaredLength;
};

struct FixtureCatalogDescription {
  struct Model {
    quint32 manufacturer = 0;
    TextField name;
  };
  struct Mode {
    QUuid id;
    quint32 model = 0;
    TextField mode;
    TextField name;
    quint16 profileFootprint = 0;
    quint16 totalFootprint = 0;
    quint16 cellCount = 0;
  };

  QByteArray magic = "TFCAT001";
  quint32 schemaVersion = 1;
  TextField libraryVersion;
  TextField libraryDate;
  TextField sourceFile;
  TextField sourceSHA256;
  quint64 sourceBytes = 0;
  // Written instead of the list sizes when set.
  std::optional<quint32> manufacturerCount;
  std::optional<quint32> modelCount;
  std::optional<quint32> modeCount;
  QList<TextField> manufacturers;
  QList<Model> models;
  QList<Mode> modes;
  QByteArray trailing;
};

struct ParameterCatalogDescription {
  struct Source {
    TextField file;
    quint64 bytes = 0;
    TextField sha256;
  };
  struct Parameter {
    quint32 id = 0;
    TextField name;
    quint32 categoryID = 0xFFFF'FFFF;  // none
    TextField categoryName;
  };
  struct Channel {
    QList<quint16> offsets;
    QList<quint32> parameters;
  };
  struct Part {
    quint32 child = 0;
    quint16 offset = 1;
  };
  struct Profile {
    QUuid id;
    TextField manufacturer;
    TextField name;
    quint16 totalFootprint = 0;
    QList<Channel> channels;
    QList<Part> parts;
    // Written instead of the list sizes when set.
    std::optional<quint32> channelCount;
    std::optional<quint32> partCount;
  };
  struct Alias {
    TextField manufacturer;
    TextField fixtureType;
    quint32 profile = 0;
  };

  QByteArray magic = "TFPSL001";
  quint32 schema = 1;
  TextField libraryVersion;
  TextField libraryDate;
  Source fixtureSource;
  Source profileSource;
  Source parameterSource;
  // Written instead of the list sizes when set.
  std::optional<quint32> parameterCount;
  std::optional<quint32> profileCount;
  std::optional<quint32> aliasCount;
  quint32 ambiguousAliasCount = 0;
  QList<Parameter> parameters;
  QList<Profile> profiles;
  QList<Alias> aliases;
  QByteArray trailing;
};

// The compressed container around a payload. Unset fields take the honest value: the
// payload's size, its SHA-256 and its raw DEFLATE stream.
struct ContainerDescription {
  QByteArray magic;
  quint32 schema = 1;
  QByteArray payload;
  std::optional<quint64> declaredSize;
  std::optional<QByteArray> digest;
  std::optional<QByteArray> compressed;
};

}  // namespace tarnik
