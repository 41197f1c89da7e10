#include "model/catalog/CatalogResourceLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnik {

CatalogResourceLocator::CatalogResourceLocator(QStringList folders)
    : folders_(std::move(folders)) {}

CatalogResourceLocator CatalogResourceLocator::standard() {
  QStringList folders;
  if (const QString overridden = qEnvironmentVariable("TARNIK_RESOURCE_DIR");
      !overridden.isEmpty()) {
    folders.append(overridden);
  }
  if (QCoreApplication::instance()) {
    folders.append(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/tarnik")));
  }
#ifdef TARNIK_SOURCE_RESOURCE_DIR
  folders.append(QStringLiteral(TARNIK_SOURCE_RESOURCE_DIR));
#endif
  return CatalogResourceLocator(std::move(folders));
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
