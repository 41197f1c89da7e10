#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tarnik {

// Finds the catalog resources the application carries, the way a bundle answers for its
// resources: the first of its folders that holds "<name>.<extension>" wins. A folder may be
// a Qt resource path (":/...").
class CatalogResourceLocator {
 public:
  explicit CatalogResourceLocator(QStringList folders);

  // The catalogs built into the program (":/catalogs").
  static CatalogResourceLocator standard();

  std::optional<QString> url(const QString &name, const QString &extension) const;

 private:
  QStringList folders_;
};

}  // namespace tarnik
