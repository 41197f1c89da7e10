#pragma once

#include "foundation/JsonCoding.h"
#include "model/EosPatchPart.h"

#include <QList>
#include <QString>

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
  bool matches(const QString &search) const;

  QJsonObject toJson() const;
  static std::expected<Channel, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const Channel &, const Channel &);
};

size_t qHash(const Channel &channel, size_t seed = 0);

}  // namespace tarnik
