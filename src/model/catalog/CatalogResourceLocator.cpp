#include "model/catalog/CatalogResourceLocator.h"

#include <QDir>
#include <QFileInfo>

namespace tarnik {

CatalogResourceLocator::CatalogResourceLocator(QStringList folders)
    : folders_(std::move(folders)) {}

CatalogResourceLocator CatalogResourceLocator::standard() {
  return CatalogResourceLocator({QStringLiteral(":/catalogs")});
}

std::optional<QString> CatalogResourceLocator::url(const QString &name,
                                                   const QString &extension) const {
  const QString fileName = name + u'.' + extension;
  for (const QString &folder : folders_) {
    const QFileInfo candidate(QDir(folder), fileName);
    if (candidate.isFile()) return candidate.filePath();
  }
  return std::nullopt;
}

}  // namespace tarnik
