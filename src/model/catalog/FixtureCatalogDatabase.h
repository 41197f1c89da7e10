#pragma once

#include "model/catalog/CatalogIdentity.h"
#include "model/catalog/CatalogReader.h"
#include "model/catalog/FixtureCatalogError.h"
#include "model/catalog/FixtureCatalogRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <expected>
#include <optional>
#include <string>
#include <vector>

namespace tarnik {

// The decoded fixture catalog: names, groupings and every search text computed once, so
// that queries only compare precomputed folded texts. Mode texts stay in the decoded
// bytes and become strings only for the modes a query hands out. Immutable once parsed;
// the stores share it between threads behind a pointer to const.
class FixtureCatalogDatabase {
 public:
  static constexpr qint64 resourceSizeLimit = 16'777'216;
  static constexpr qint64 decodedSizeLimit = 33'554'432;

  // Size check, the container when the resource has one, then the payload.
  static std::expected<FixtureCatalogDatabase, FixtureCatalogError> load(QByteArrayView resource);
  // The container step alone: the proven, inflated payload.
  static std::expected<QByteArray, FixtureCatalogError> unwrap(QByteArrayView resource);
  static std::expected<FixtureCatalogDatabase, FixtureCatalogError> parse(QByteArray payload);

  // Manufacturer, mode name and total footprint as the console tells modes apart.
  static QString commandIdentityKey(QStringView manufacturer, QStringView modeName,
                                    std::optional<int> totalFootprint);

  // Half-open run of positions in the list below a parent.
  struct Range {
    int begin = 0;
    int end = 0;
    int size() const { return end - begin; }
    bool operator==(const Range &) const = default;
  };

  const FixtureCatalogMetadata &metadata() const { return metadata_; }
  const QList<FixtureCatalogManufacturer> &manufacturers() const { return manufacturers_; }

  // The folded texts the queries match, by position.
  QString manufacturerSearchText(int manufacturer) const {
    return QString::fromUtf8(manufacturerSearchText_[manufacturer]);
  }
  QString modelSearchText(int model) const { return QString::fromUtf8(modelSearchText_[model]); }
  QString modeSearchText(int mode) const { return QString::fromUtf8(modeSearchText_[mode]); }

  // The mode at a position, with its model's and manufacturer's names.
  FixtureCatalogMode mode(int position) const;
  // Looks an identity up whatever the case of its hexadecimal digits.
  std::optional<FixtureCatalogMode> mode(QStringView id) const;

  // Ranked search over every mode; the limit is clamped to 1...500.
  QList<FixtureCatalogMode> searchModes(QStringView query, int limit) const;
  // The models of one manufacturer whose search text holds every query token.
  QList<FixtureCatalogModel> modelsOfManufacturer(int manufacturer, QStringView query) const;
  // The modes of one model that hold every query token; the limit is clamped to 1...2000.
  QList<FixtureCatalogMode> modesOfModel(int model, QStringView query, int limit) const;

 private:
  using Reader = CatalogReader<FixtureCatalogError>;

  struct ModelRecord {
    int manufacturerIndex = 0;
    QString name;
  };
  // Where a text field lies in the decoded bytes (valid UTF-8, checked when read).
  struct TextSpan {
    qint32 offset = 0;
    quint16 size = 0;
  };
  struct ModeRecord {
    CatalogIdentity id;
    int modelIndex = 0;
    TextSpan mode;
    TextSpan name;
    quint16 profileFootprint = 0;  // 0: unknown
    quint16 totalFootprint = 0;
    quint16 cellCount = 0;
  };

  // Texts back to back in one UTF-8 buffer: less than half the memory of separate
  // strings, and a search walks them in order through contiguous memory.
  class PackedTexts {
   public:
    void reserve(qsizetype count, qsizetype bytes) {
      bytes_.reserve(std::size_t(bytes));
      ends_.reserve(std::size_t(count));
    }
    void append(QByteArrayView text) {
      bytes_.append(text.data(), std::size_t(text.size()));
      ends_.push_back(bytes_.size());
    }
    QByteArrayView operator[](qsizetype index) const {
      const std::size_t begin = index == 0 ? 0 : ends_[std::size_t(index - 1)];
      return QByteArrayView(bytes_.data() + begin, qsizetype(ends_[std::size_t(index)] - begin));
    }

   private:
    // Standard containers: their appends are inlined, which counts at half a million texts.
    std::string bytes_;
    std::vector<std::size_t> ends_;
  };

  void parseOrThrow();
  void readManufacturers(Reader &reader);
  void readModels(Reader &reader);
  void readModes(Reader &reader);
  void buildIndexes();
  void findAmbiguousCommandIdentities(const QList<int> &manufacturerGroup,
                                      const QList<quint32> &identityHashes);

  QByteArrayView textBytes(TextSpan span) const {
    return QByteArrayView(decodedData_).sliced(span.offset, span.size);
  }
  QString text(TextSpan span) const { return QString::fromUtf8(textBytes(span)); }
  bool precedesInResults(int rankA, int modeA, int rankB, int modeB) const;

  FixtureCatalogMetadata metadata_;
  QByteArray decodedData_;
  QList<FixtureCatalogManufacturer> manufacturers_;
  QStringList manufacturerNames_;
  PackedTexts manufacturerSearchText_;
  QList<Range> manufacturerModelRanges_;
  QList<ModelRecord> models_;
  PackedTexts modelSearchText_;
  QList<Range> modelModeRanges_;
  QList<ModeRecord> modes_;
  QHash<CatalogIdentity, int> modeIndexByID_;
  PackedTexts modeSearchText_;
  QSet<CatalogIdentity> ambiguousCommandIdentityIDs_;
  // For ranking without folding: the bytes of the folded model name at the end of each
  // model's search text, and of the folded mode text at the start of each mode's.
  QList<int> foldedModelNameSizes_;
  QList<int> foldedModeTextSizes_;
};

}  // namespace tarnik
