#pragma once

#include <QString>

#include <utility>

namespace tarnik {

// Where a catalog store's one load stands.
struct CatalogLoadState {
  enum class Kind { idle, loading, ready, failed };
  Kind kind = Kind::idle;
  QString message;  // the failure's description, for failed only

  static CatalogLoadState failed(QString message) { return {Kind::failed, std::move(message)}; }
  bool operator==(const CatalogLoadState &) const = default;
};

}  // namespace tarnik
