#pragma once

#include "model/catalog/FixtureCatalogDatabase.h"
#include "model/catalog/FixtureCatalogError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// Turns the fixture catalog resource into its database: the optional "TFCATZ01" container
// first, then the "TFCAT001" payload, every field checked in reading order.
class FixtureCatalogDecoder {
 public:
  static constexpr qint64 resourceSizeLimit = 16'777'216;
  static constexpr qint64 payloadSizeLimit = 33'554'432;

  // The whole decode of the resource file's bytes.
  static std::expected<FixtureCatalogDatabase, FixtureCatalogError> load(QByteArrayView resource);
  // The container step alone: the proven, inflated payload.
  static std::expected<QByteArray, FixtureCatalogError> decodeResource(QByteArrayView resource);
  static std::expected<FixtureCatalogDatabase, FixtureCatalogError> decodePayload(
      QByteArrayView payload);

  // One range per parent over children listed with their parents' positions; the parents
  // must not go backwards, or the label is reported as noncontiguous.
  static std::expected<QList<FixtureCatalogDatabase::Range>, FixtureCatalogError> groupRanges(
      int parentCount, const QList<int> &parentOfChild, const QString &label);

  // Manufacturer, mode name and total footprint as the console tells modes apart.
  static QString commandIdentityKey(QStringView manufacturer, QStringView modeName,
                                    std::optional<int> totalFootprint);

 private:
  static FixtureCatalogDatabase decodePayloadOrThrow(QByteArrayView payload);
  static QList<FixtureCatalogDatabase::Range> groupRangesOrThrow(int parentCount,
                                                                 const QList<int> &parentOfChild,
                                                                 const QString &label);
  static void buildIndexes(FixtureCatalogDatabase &database);
};

}  // namespace tarnik
