#pragma once

#include "model/Channel.h"
#include "model/EosPatchPart.h"
#include "model/PatchDraft.h"
#include "model/PatchPlan.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <expected>
#include <optional>

namespace tarnik::EosPatchCommands {

// Why a patch request is not typed into the console; the reason is shown unchanged.
struct Rejection {
  QString reason;
  friend bool operator==(const Rejection &, const Rejection &) = default;
};

// The command lines that carry out a validated plan while the patch user is in Patch mode,
// or the reason this program leaves the edit to the console. Labels are not included: the
// patch session sends them on their own. Pure; every refusal comes before any line exists.
std::expected<QStringList, Rejection> makeCommands(
    const PatchDraft &draft, const PatchPlan &plan, const QList<EosPatchPart> &existingParts,
    const std::optional<QString> &fixtureLibraryVersion);

// Whether the patch read back after a write matches the plan: absent when confirmed,
// otherwise the first mismatch found. The untouched parts before writing, when given, must
// come back unchanged but for their level.
std::optional<QString> verify(const QList<PatchPlannedPart> &plannedParts,
                              const QList<Channel> &channels,
                              const std::optional<QList<EosPatchPart>> &untouchedPartsBefore);

// A part of the console's own Generic Dimmer type, in any letter case: the one type this
// program patches without a fixture of the catalog.
bool isGenericDimmer(const EosPatchPart &part);

// A manufacturer or type name that may be typed as one command-line token: 1 to 512 bytes
// of UTF-8 from a small ASCII set, no blank.
bool isCommandToken(const QString &text);

}  // namespace tarnik::EosPatchCommands
