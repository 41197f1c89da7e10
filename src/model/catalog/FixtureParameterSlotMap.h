#pragma once

#include "model/catalog/FixtureParameterCatalogRecords.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace tarnik {

// One console parameter and the slots it occupies, counted from 1 at the part's first slot.
struct FixtureParameterSlotMapping {
  FixtureParameterDefinition parameter;
  QList<int> relativeOffsets;

  bool operator==(const FixtureParameterSlotMapping &) const = default;
};

// Where each console parameter of a patched fixture part lies, compound profiles flattened.
struct FixtureParameterSlotMap {
  QString modeID;
  QString nativeManufacturerToken;
  QString nativeTypeName;
  std::optional<int> totalFootprint;
  QList<FixtureParameterSlotMapping> mappings;

  // Every name's offsets over all its mappings, in mapping order, each offset once.
  QHash<QString, QList<int>> offsetsByParameterName() const;

  // The absolute slots start + offset - 1 of a parameter in a part patched at start...end;
  // none when the range is invalid, the name is unknown or a slot falls outside the range.
  std::optional<QList<qint64>> absoluteSlots(QStringView parameterName, qint64 start,
                                             qint64 end) const;

  bool operator==(const FixtureParameterSlotMap &) const = default;
};

}  // namespace tarnik
