#include "model/catalog/CatalogResourceFile.h"

namespace tarnik {

std::expected<CatalogResourceFile, QString> CatalogResourceFile::open(const QString &path) {
  CatalogResourceFile resource;
  resource.file_ = std::make_unique<QFile>(path);
  QFile &file = *resource.file_;
  if (!file.open(QIODevice::ReadOnly)) return std::unexpected(file.errorString());
  const qint64 size = file.size();
  if (size == 0) return resource;
  if (uchar *mapped = file.map(0, size)) {
    resource.bytes_ = QByteArrayView(mapped, size);
    return resource;
  }
  resource.contents_ = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::unexpected(file.errorString());
  resource.bytes_ = resource.contents_;
  return resource;
}

}  // namespace tarnik
