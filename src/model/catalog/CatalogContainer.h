#pragma once

#include "model/catalog/CatalogReader.h"

#include <QByteArray>
#include <QByteArrayView>

#include <limits>

namespace tarnik {

// What tells the two catalogs' containers apart: magic, decoded-size limit and the labels
// their error texts quote.
struct CatalogContainerFormat {
  const char *magic;  // 8 ASCII bytes
  quint64 decodedSizeLimit;
  const char *magicLabel;
  const char *schemaLabel;
  const char *decodedSizeLabel;
  const char *digestLabel;
  const char *payloadLabel;
};

inline constexpr qsizetype catalogMagicSize = 8;

// Inflates a raw DEFLATE stream into exactly `size` bytes at `output` and returns how many
// bytes it produced; it stops when the output is full, so a longer stream is cut there.
qint64 inflateRawInto(QByteArrayView compressed, char *output, qint64 size);

// The 32-byte SHA-256 digest of `bytes`, through libcrypto (about ten times the speed of
// QCryptographicHash here, and the digest is a fixed part of every catalog load).
QByteArray sha256Digest(QByteArrayView bytes);

// Checks the container header, inflates the payload into a buffer of the declared size
// and proves it against the stored SHA-256; throws Error for the first check that fails.
template <class Error>
QByteArray unwrapCatalogContainer(QByteArrayView resource, const CatalogContainerFormat &format) {
  CatalogReader<Error> reader(resource);
  if (reader.read(catalogMagicSize, format.magicLabel) !=
      QByteArrayView(format.magic, catalogMagicSize)) {
    throw Error::invalidMagic();
  }
  const quint32 schema = reader.readUInt32(format.schemaLabel);
  if (schema != 1) throw Error::unsupportedSchema(schema);
  const quint64 decodedSize = reader.readUInt64(format.decodedSizeLabel);
  // Size minus one wraps a declared 0 around, so one comparison refuses both ends.
  if (decodedSize - 1 >= format.decodedSizeLimit) {
    constexpr quint64 largest = quint64(std::numeric_limits<qint64>::max());
    throw Error::resourceTooLarge(qint64(std::min(decodedSize, largest)));
  }
  const QByteArrayView expectedDigest = reader.read(32, format.digestLabel);
  const QByteArrayView compressed = reader.read(reader.remaining(), format.payloadLabel);
  if (compressed.isEmpty()) throw Error::decompressionFailed();

  QByteArray decoded(qsizetype(decodedSize), Qt::Uninitialized);
  if (inflateRawInto(compressed, decoded.data(), decoded.size()) != decoded.size()) {
    throw Error::decompressionFailed();
  }
  if (sha256Digest(decoded) != expectedDigest) {
    throw Error::resourceDigestMismatch();
  }
  return decoded;
}

}  // namespace tarnik
