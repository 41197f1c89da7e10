#pragma once

#include "model/catalog/CatalogIdentity.h"
#include "model/catalog/CatalogLabel.h"
#include "model/catalog/CatalogText.h"

#include <QByteArrayView>
#include <QString>
#include <QtEndian>

#include <expected>
#include <optional>

namespace tarnik {

// Bounds-checked little-endian cursor over catalog bytes. Every read names its field; a
// read that would pass the end throws Error::truncated(label), a text that is not UTF-8
// throws Error::invalidUTF8(label), and a failed read leaves the offset where it was. The
// decoders catch the error at their boundary and return it, so nothing partial escapes.
template <class Error>
class CatalogReader {
 public:
  explicit CatalogReader(QByteArrayView bytes) : bytes_(bytes) {}

  qsizetype offset() const { return offset_; }
  qsizetype remaining() const { return bytes_.size() - offset_; }

  QByteArrayView read(qsizetype count, const CatalogLabel &label) {
    if (count < 0 || offset_ < 0 || remaining() < count) throw Error::truncated(label.text());
    const QByteArrayView bytes = bytes_.sliced(offset_, count);
    offset_ += count;
    return bytes;
  }

  quint8 readUInt8(const CatalogLabel &label) { return quint8(read(1, label)[0]); }
  quint16 readUInt16(const CatalogLabel &label) {
    return qFromLittleEndian<quint16>(read(2, label).data());
  }
  quint32 readUInt32(const CatalogLabel &label) {
    return qFromLittleEndian<quint32>(read(4, label).data());
  }
  quint64 readUInt64(const CatalogLabel &label) {
    return qFromLittleEndian<quint64>(read(8, label).data());
  }

  // A text field's bytes, proven to be strict UTF-8.
  QByteArrayView readUtf8(const CatalogLabel &label) {
    const qsizetype start = offset_;
    const quint16 length = readUInt16(label.lengthLabel());
    if (remaining() < length) {
      offset_ = start;
      throw Error::truncated(label.text());
    }
    const QByteArrayView bytes = bytes_.sliced(offset_, length);
    if (!isStrictUtf8(bytes.data(), std::size_t(length))) {
      offset_ = start;
      throw Error::invalidUTF8(label.text());
    }
    offset_ += length;
    return bytes;
  }

  QString readString(const CatalogLabel &label) { return utf8Text(readUtf8(label)); }

  // A UUID whose 16 bytes are the bytes read, in order.
  CatalogIdentity readUUID(const CatalogLabel &label) {
    return CatalogIdentity::fromBytes(read(16, label).data());
  }

 private:
  QByteArrayView bytes_;
  qsizetype offset_ = 0;
};

// Runs a decode step that throws Error and hands back its result or the error: the
// decoders' boundary between the throwing reader and their std::expected results.
template <class T, class Error, class Work>
std::expected<T, Error> catchingCatalogError(Work &&work) {
  try {
    return work();
  } catch (const Error &error) {
    return std::unexpected(error);
  }
}

}  // namespace tarnik
