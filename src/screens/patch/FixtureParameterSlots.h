#pragma once

#include "model/EosPatchPart.h"
#include "model/catalog/FixtureParameterSlotMap.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <map>
#include <optional>

namespace tarnik {

// Where one fixture parameter sits in one patched part of its channel.
struct FixtureParameterPartDMX {
  struct Value {
    // virtualSlot: the profile has the parameter but gives it no slot of its own.
    enum class Kind { slotList, virtualSlot, unknown };
    Kind kind = Kind::unknown;
    QList<qint64> dmxSlots;  // absolute slots, for slotList only

    static Value slotList(QList<qint64> dmxSlots) { return {Kind::slotList, std::move(dmxSlots)}; }
    static Value virtualSlot() { return {Kind::virtualSlot, {}}; }
    static Value unknown() { return {}; }
    friend bool operator==(const Value &, const Value &) = default;
  };

  qint64 partNumber = 0;
  Value value;

  friend bool operator==(const FixtureParameterPartDMX &,
                         const FixtureParameterPartDMX &) = default;
};

// Everything that may change the DMX slots the parameters card shows. A part is compared
// field by field, so a relabelled part or a new level restarts the lookup as well.
struct FixtureParameterLookupID {
  qint64 channelNumber = 0;
  QList<EosPatchPart> parts;
  QStringList parameterNames;
  std::optional<QString> reportedFixtureLibraryVersion;
  std::optional<QUuid> sessionID;
  std::optional<QString> showIdentity;
  bool canControl = false;
  bool catalogIsReady = false;

  friend bool operator==(const FixtureParameterLookupID &,
                         const FixtureParameterLookupID &) = default;
};

using FixtureParameterSlotMaps = std::map<EosPatchPart::ID, FixtureParameterSlotMap>;
// Keyed by the name as the console reported it; one entry per part, in part order.
using FixtureParameterDMXByName = QHash<QString, QList<FixtureParameterPartDMX>>;

// Universe and address as one slot number counted over all universes:
// (universe - 1) * 512 + address. None when that does not fit 64 bits: a universe the
// address parser leaves unbounded must not reach an overflow, not even in its first step.
// Usable in constant expressions, where the compiler itself rejects any overflow.
constexpr std::optional<qint64> absoluteDMXSlot(qint64 universe, qint64 address) {
  constexpr qint64 universeSize = 512;
  qint64 universesBefore = 0;
  qint64 universeStart = 0;
  qint64 slot = 0;
  if (__builtin_sub_overflow(universe, 1, &universesBefore) ||
      __builtin_mul_overflow(universesBefore, universeSize, &universeStart) ||
      __builtin_add_overflow(universeStart, address, &slot))
    return std::nullopt;
  return slot;
}

// One parameter in one part. Intensity comes from the part's own intensity address; every
// other parameter needs the part's slot map and a patched span as long as its footprint.
FixtureParameterPartDMX::Value resolveParameterPartDMX(const QString &parameterName,
                                                       const EosPatchPart &part,
                                                       const FixtureParameterSlotMap *slotMap);

// Every name over every part; a channel without parts gives no entry, and a repeated name
// keeps the later entry.
FixtureParameterDMXByName resolveFixtureParameterDMX(const QStringList &parameterNames,
                                                     const QList<EosPatchPart> &parts,
                                                     const FixtureParameterSlotMaps &slotMaps);

// The library line is worth showing only when the catalog placed at least one parameter
// that the patch alone could not.
bool catalogResolvedAnyParameter(const FixtureParameterDMXByName &dmxByName);

}  // namespace tarnik
