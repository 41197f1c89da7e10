#pragma once

#include "foundation/JsonCoding.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tarnik {

// An inclusive span of DMX slots in one universe.
struct EosDMXRange {
  qint64 universe = 0;
  qint64 start = 0;
  qint64 end = 0;

  // Reads console address text: universe "/" start, optionally "-" (or an en dash) and an
  // end, such as "2/101" or "U1/1-16". Absent unless the universe is 1 or more and
  // 1 <= start <= end <= 512.
  static std::optional<EosDMXRange> parse(QStringView text);

  // "U2 · 001–010", or "U1 · 005" for a single address.
  QString displayText() const;

  QJsonObject toJson() const;
  static std::expected<EosDMXRange, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const EosDMXRange &, const EosDMXRange &) = default;
};

size_t qHash(const EosDMXRange &range, size_t seed = 0);

}  // namespace tarnik
