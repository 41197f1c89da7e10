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

  // The folder named by TARNIK_RESOURCE_DIR when set, then the installed data folder
  // "<executable>/../share/tarnik", then the source tree's resources/ of this build.
  static CatalogResourceLocator standard();

  std::optional<QString> url(const QString &name, const QString &extension) const;

 private:
  QStringList folders_;
};

}  // namespace tarnik
