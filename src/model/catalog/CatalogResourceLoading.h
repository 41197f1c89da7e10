#pragma once

#include "foundation/BackgroundWork.h"
#include "model/catalog/CatalogLogging.h"
#include "model/catalog/CatalogResourceFile.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace tarnik {

// Reads the catalog file at `path` and decodes it with `decode` (the file's bytes to a
// database or an error with a description) on the thread pool, then hands `finish` the
// shared database, or null and the failure's text, on the GUI thread while `receiver`
// lives. Without a path the resource is missing, and `finish` gets `missingText` at once.
template <class Decode, class Finish>
void loadCatalogResource(QObject *receiver, const std::optional<QString> &path,
                         const QString &missingText, Decode decode, Finish finish) {
  using Database = typename std::invoke_result_t<Decode, QByteArrayView>::value_type;
  struct Outcome {
    std::shared_ptr<const Database> database;
    QString failure;
  };
  if (!path) {
    qCInfo(tarnikCatalog).noquote() << "catalog resource missing:" << missingText;
    finish(std::shared_ptr<const Database>(), missingText);
    return;
  }
  runInBackground(
      receiver,
      [path = *path, decode]() -> Outcome {
        const auto file = CatalogResourceFile::open(path);
        if (!file) return {nullptr, file.error()};
        auto database = decode(file->bytes());
        if (!database) return {nullptr, database.error().description()};
        return {std::make_shared<const Database>(std::move(*database)), {}};
      },
      [finish, path = *path](const Outcome &outcome) {
        if (outcome.database)
          qCInfo(tarnikCatalog).noquote() << "catalog loaded from" << path;
        else
          qCInfo(tarnikCatalog).noquote()
              << "catalog load from" << path << "failed:" << outcome.failure;
        finish(outcome.database, outcome.failure);
      });
}

}  // namespace tarnik
