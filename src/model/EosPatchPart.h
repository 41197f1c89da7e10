#pragma once

#include "foundation/JsonCoding.h"
#include "model/EosDMXRange.h"

#include <QString>

#include <compare>
#include <optional>

namespace tarnik {

// One patched part of a channel, as the console reports it.
struct EosPatchPart {
  // Identity of a part; orders by channel, then part.
  struct ID {
    qint64 channelNumber = 0;
    qint64 partNumber = 0;

    QJsonObject toJson() const;
    static std::expected<ID, JsonError> fromJson(const QJsonObject &object);

    friend auto operator<=>(const ID &, const ID &) = default;
  };

  qint64 channelNumber = 0;
  qint64 partNumber = 0;
  QString label{};
  QString manufacturer{};
  QString model{};
  QString address{};     // universe/address text, such as "2/101"
  QString addressEnd{};  // same form
  std::optional<qint64> partCount{};
  std::optional<QString> intensityAddress{};
  std::optional<QString> uid{};
  qint64 level = 0;

  ID id() const { return {channelNumber, partNumber}; }

  // The DMX addresses the part takes: both address texts must be single addresses in one
  // universe with the end not before the start; anything else gives no range.
  std::optional<EosDMXRange> occupiedRange() const;

  QJsonObject toJson() const;
  static std::expected<EosPatchPart, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const EosPatchPart &, const EosPatchPart &);
};

size_t qHash(const EosPatchPart::ID &id, size_t seed = 0);
size_t qHash(const EosPatchPart &part, size_t seed = 0);

}  // namespace tarnik
