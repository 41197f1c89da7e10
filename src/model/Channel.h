#pragma once

#include "foundation/JsonCoding.h"
#include "model/EosPatchPart.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarnik {

// One channel of the mirrored patch. A stored channel lacking a key other than `number`
// takes the value that a default-made channel has.
struct Channel {
  struct ParsedAddress {
    qint64 universe = 0;
    qint64 address = 0;
    friend bool operator==(const ParsedAddress &, const ParsedAddress &) = default;
  };

  qint64 number = 0;
  qint64 level = 0;
  QString label{};
  QString address{};     // DMX start address text as reported
  QString addressEnd{};  // DMX end address text as reported
  QString type{};        // fixture type name as reported, such as "Generic Dimmer"
  QList<EosPatchPart> parts{};
  qint64 sacnPriority = 100;
  QString interfaceInfo = QStringLiteral("sACN");
  qint64 output = 0;
  std::optional<double> levelSnapshotAt{};  // seconds since 2001

  qint64 id() const { return number; }

  // Display helpers for the patch screens.
  QString displayTypeName() const;
  std::optional<QString> manufacturer() const;
  std::optional<QString> model() const;
  std::optional<ParsedAddress> parsedAddress() const;
  QString addressText() const;
  QString addressRangeText() const;
  // Whether any of the channel's search texts holds the query, both folded in the locale;
  // a query that is empty once trimmed matches every channel.
  bool matches(const QString &search, const QLocale &locale = QLocale()) const;
  // The texts a search looks in, each folded as a query is. A list that filters often
  // folds them once per change of its channels and compares with the folded query.
  QStringList foldedSearchTexts(const QLocale &locale = QLocale()) const;
  // Trimmed, and case- and diacritic-insensitive in the locale: "  Café " folds as "cafe".
  static QString foldedForSearch(const QString &text, const QLocale &locale = QLocale());

  QJsonObject toJson() const;
  static std::expected<Channel, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const Channel &, const Channel &);
};

size_t qHash(const Channel &channel, size_t seed = 0);

}  // namespace tarnik
