#pragma once

#include "foundation/JsonCoding.h"

#include <QString>

#include <optional>

namespace tarnik {

// One fixture mode picked from the installed fixture library for patching.
struct PatchFixtureChoice {
  QString source{};
  QString version{};  // library version of the source
  QString id{};       // the mode's identity in the library
  QString manufacturer{};
  QString model{};
  QString mode{};
  std::optional<qint64> footprint{};  // DMX addresses the mode takes, absent when unknown
  std::optional<QString> nativeTypeName{};
  qint64 cellCount = 0;

  // True when source, version and id all say something once trimmed.
  bool isSourceBacked() const;

  QJsonObject toJson() const;
  static std::expected<PatchFixtureChoice, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const PatchFixtureChoice &, const PatchFixtureChoice &);
};

size_t qHash(const PatchFixtureChoice &choice, size_t seed = 0);

}  // namespace tarnik
