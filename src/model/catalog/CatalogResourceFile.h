#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <expected>
#include <memory>

namespace tarnik {

// A catalog file's bytes, memory-mapped when the file system allows it and read whole
// otherwise. Opening does not read a mapped file, so an oversized one is refused by the
// decoder's size check without being paged in.
class CatalogResourceFile {
 public:
  // Fails with the platform's text when the file cannot be opened or read.
  static std::expected<CatalogResourceFile, QString> open(const QString &path);

  QByteArrayView bytes() const { return bytes_; }

 private:
  std::unique_ptr<QFile> file_;
  QByteArray contents_;
  QByteArrayView bytes_;
};

}  // namespace tarnik
