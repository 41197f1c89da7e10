#include "CatalogWriter.h"

#include <QCryptographicHash>
#include <QtEndian>

#include <zlib.h>

namespace tarnik {
namespace {

class ByteWriter {
 public:
  void bytes(const QByteArray &data) { out_.append(data); }
  void uint8(quint8 value) { out_.append(char(value)); }
  void uint16(quint16 value) { little(value); }
  void uint32(quint32 value) { little(value); }
  void uint64(quint64 value) { little(value); }
  void text(const TextField &field) {
    uint16(field.declaredLength.value_or(quint16(field.bytes.size())));
    out_.append(field.bytes);
  }
  void uuid(const QUuid &id) { out_.append(id.toRfc4122()); }
  QByteArray take() { return std::move(out_); }

 private:
  template <class T>
  void little(T value) {
    char buffer[sizeof(T)];
    qToLittleEndian(value, buffer);
    out_.append(buffer, sizeof(T));
  }

  QByteArray out_;
};

template <class List>
quint32 countOf(const std::optional<quint32> &override, const List &list) {
  return override.value_or(quint32(list.size()));
}

void writeSource(ByteWriter &out, const ParameterCatalogDescription::Source &source) {
  out.text(source.file);
  out.uint64(source.bytes);
  out.text(source.sha256);
}

}  // namespace

QByteArray writeFixturePayload(const FixtureCatalogDescription &description) {
  ByteWriter out;
  out.bytes(description.magic);
  out.uint32(description.schemaVersion);
  out.text(description.libraryVersion);
  out.text(description.libraryDate);
  out.text(description.sourceFile);
  out.text(description.sourceSHA256);
  out.uint64(description.sourceBytes);
  out.uint32(countOf(description.manufacturerCount, description.manufacturers));
  out.uint32(countOf(description.modelCount, description.models));
  out.uint32(countOf(description.modeCount, description.modes));
  for (const TextField &manufacturer : description.manufacturers) out.text(manufacturer);
  for (const FixtureCatalogDescription::Model &model : description.models) {
    out.uint32(model.manufacturer);
    out.text(model.name);
  }
  for (const FixtureCatalogDescription::Mode &mode : description.modes) {
    out.uuid(mode.id);
    out.uint32(mode.model);
    out.text(mode.mode);
    out.text(mode.name);
    out.uint16(mode.profileFootprint);
    out.uint16(mode.totalFootprint);
    out.uint16(mode.cellCount);
  }
  out.bytes(description.trailing);
  return out.take();
}

QByteArray writeParameterPayload(const ParameterCatalogDescription &description) {
  ByteWriter out;
  out.bytes(description.magic);
  out.uint32(description.schema);
  out.text(description.libraryVersion);
  out.text(description.libraryDate);
  writeSource(out, description.fixtureSource);
  writeSource(out, description.profileSource);
  writeSource(out, description.parameterSource);
  out.uint32(countOf(description.parameterCount, description.parameters));
  out.uint32(countOf(description.profileCount, description.profiles));
  out.uint32(countOf(description.aliasCount, description.aliases));
  out.uint32(description.ambiguousAliasCount);
  for (const ParameterCatalogDescription::Parameter &parameter : description.parameters) {
    out.uint32(parameter.id);
    out.text(parameter.name);
    out.uint32(parameter.categoryID);
    out.text(parameter.categoryName);
  }
  for (const ParameterCatalogDescription::Profile &profile : description.profiles) {
    out.uuid(profile.id);
    out.text(profile.manufacturer);
    out.text(profile.name);
    out.uint16(profile.totalFootprint);
    out.uint32(countOf(profile.channelCount, profile.channels));
    for (const ParameterCatalogDescription::Channel &channel : profile.channels) {
      out.uint8(quint8(channel.offsets.size()));
      for (const quint16 offset : channel.offsets) out.uint16(offset);
      out.uint8(quint8(channel.parameters.size()));
      for (const quint32 parameter : channel.parameters) out.uint32(parameter);
    }
    out.uint32(countOf(profile.partCount, profile.parts));
    for (const ParameterCatalogDescription::Part &part : profile.parts) {
      out.uint32(part.child);
      out.uint16(part.offset);
    }
  }
  for (const ParameterCatalogDescription::Alias &alias : description.aliases) {
    out.text(alias.manufacturer);
    out.text(alias.fixtureType);
    out.uint32(alias.profile);
  }
  out.bytes(description.trailing);
  return out.take();
}

QByteArray writeContainer(const ContainerDescription &description) {
  ByteWriter out;
  out.bytes(description.magic);
  out.uint32(description.schema);
  out.uint64(description.declaredSize.value_or(quint64(description.payload.size())));
  out.bytes(description.digest.value_or(
      QCryptographicHash::hash(description.payload, QCryptographicHash::Sha256)));
  out.bytes(description.compressed.value_or(rawDeflate(description.payload)));
  return out.take();
}

QByteArray rawDeflate(const QByteArray &data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
  stream.avail_in = uInt(data.size());
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = uInt(out.size());
  deflate(&stream, Z_FINISH);
  out.truncate(qsizetype(stream.total_out));
  deflateEnd(&stream);
  return out;
}

}  // namespace tarnik
