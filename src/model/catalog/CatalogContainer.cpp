#include "model/catalog/CatalogContainer.h"

#include <zlib.h>

#include <openssl/evp.h>

namespace tarnik {

qint64 inflateRawInto(QByteArrayView compressed, char *output, qint64 size) {
  z_stream stream{};
  // Negative window bits: a bare DEFLATE stream without the zlib header and trailer.
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return 0;
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data()));
  stream.avail_in = uInt(compressed.size());
  stream.next_out = reinterpret_cast<Bytef *>(output);
  stream.avail_out = uInt(size);
  // One call does it all: it ends at the stream's end, a full buffer or the first error,
  // and what was written until then is counted either way.
  inflate(&stream, Z_FINISH);
  const qint64 produced = size - qint64(stream.avail_out);
  inflateEnd(&stream);
  return produced;
}

QByteArray sha256Digest(QByteArrayView bytes) {
  QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), std::size_t(bytes.size()),
                 reinterpret_cast<unsigned char *>(digest.data()), &size, EVP_sha256(),
                 nullptr) != 1) {
    return {};  // compares unequal to every stored digest, so the catalog is refused
  }
  digest.truncate(int(size));
  return digest;
}

}  // namespace tarnik
