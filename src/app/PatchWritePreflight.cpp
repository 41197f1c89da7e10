#include "app/PatchWrite.h"
#include "model/PatchPlanner.h"
#include "operations/EosPatchCommands.h"

#include <algorithm>

using namespace Qt::StringLiterals;

// Everything checked before a patch edit is recorded: whether this draft may be written now,
// whether a library choice still matches the connected console, and the write's start, which
// re-reads the whole show so the edit is planned against fresh data.

namespace tarnik {

namespace {

const QString syncBeforePatchingText =
    u"Connect in Editor mode and complete a sync before patching."_s;
const QString installedLibrarySource = u"Installed ETC Eos fixture library"_s;
const QString selectAgainText =
    u"Select this fixture again from the library matching the connected Eos console."_s;
const QString ambiguityText =
    u"Eos exposes the same type name for multiple library modes. Select this profile on the "
    "console to avoid an ambiguous patch."_s;

}  // namespace

QList<EosPatchPart> PatchWrite::mirroredPatchParts() const {
  QList<EosPatchPart> parts;
  for (const Channel &channel : mirror_.channels()) parts.append(channel.parts);
  return parts;
}

QList<EosPatchPart> PatchWrite::mirroredPatchParts(const PatchPlan &plan) const {
  // The channels are published in channel order, so each planned one is found by halving.
  const QList<Channel> &channels = mirror_.channels();
  std::set<qint64> planned;
  for (const PatchPlannedPart &part : plan.parts) planned.insert(part.channelNumber);
  QList<EosPatchPart> parts;
  for (const qint64 number : planned) {
    const auto channel = std::ranges::lower_bound(channels, number, {}, &Channel::number);
    if (channel != channels.cend() && channel->number == number) parts.append(channel->parts);
  }
  return parts;
}

std::optional<QString> PatchWrite::patchAuthoringAvailability(const PatchDraft &draft) const {
  return patchAuthoringAvailability(draft, planPatch(draft));
}

std::optional<QString> PatchWrite::patchAuthoringAvailability(const PatchDraft &draft,
                                                              const PatchPlan &plan) const {
  if (!gate_.canControlFixtures()) return syncBeforePatchingText;
  if (draft.operation == PatchOperation::fixture) {
    // A library still decoding has no version to compare yet; it differs from nothing.
    if (fixtureCatalog_.state().kind == CatalogLoadState::Kind::loading) {
      return u"Checking the bundled fixture library…"_s;
    }
    if (!fixtureCatalog_.compareLibraryVersion(mirror_.eosFixtureLibraryVersion())) {
      return u"Fixture patching needs the bundled library version to match this Eos console."_s;
    }
    if (draft.fixture) {
      if (auto issue = libraryFixtureIssue(*draft.fixture)) return issue;
    }
  }
  if (supervisor_.transport() != OSCTransport::tcp) {
    return u"Patch authoring requires an Eos TCP connection."_s;
  }
  // A plan with issues is refused by the caller with the first issue's own text.
  if (!plan.issues.isEmpty()) return std::nullopt;
  // The command lines read only the parts already on the planned channels.
  const auto commands = EosPatchCommands::makeCommands(draft, plan, mirroredPatchParts(plan),
                                                       mirror_.eosFixtureLibraryVersion());
  if (!commands) return commands.error().reason;
  return std::nullopt;
}

std::optional<FixtureCatalogMode> PatchWrite::catalogMode(const QString &id) const {
  if (fixtureCatalog_.state().kind != CatalogLoadState::Kind::ready) return std::nullopt;
  const auto database = fixtureCatalog_.database();
  if (!database) return std::nullopt;
  return database->mode(id);
}

std::optional<QString> PatchWrite::libraryFixtureIssue(const PatchFixtureChoice &choice) const {
  return libraryChoiceIssue(choice, catalogMode(choice.id), mirror_.eosFixtureLibraryVersion());
}

std::optional<QString> PatchWrite::libraryChoiceIssue(
    const PatchFixtureChoice &choice, const std::optional<FixtureCatalogMode> &mode,
    const std::optional<QString> &consoleLibraryVersion) {
  if (!mode) return selectAgainText;
  const std::optional<int> modeFootprint =
      mode->totalFootprint ? mode->totalFootprint : mode->profileFootprint;
  const bool footprintMatches = modeFootprint
                                    ? choice.footprint == std::optional<qint64>(*modeFootprint)
                                    : !choice.footprint.has_value();
  const bool matches = consoleLibraryVersion == mode->libraryVersion &&
                       choice.version == mode->libraryVersion &&
                       choice.source == installedLibrarySource &&
                       choice.manufacturer == mode->manufacturer && choice.model == mode->model &&
                       choice.mode == mode->mode && choice.nativeTypeName == mode->name &&
                       footprintMatches && choice.cellCount == mode->cellCount;
  if (!matches) return selectAgainText;
  if (!mode->isCommandIdentityUnique) return ambiguityText;
  return std::nullopt;
}

std::optional<QString> PatchWrite::libraryModeAmbiguity(const PatchFixtureChoice &choice) const {
  const std::optional<FixtureCatalogMode> mode = catalogMode(choice.id);
  if (mode && !mode->isCommandIdentityUnique) return ambiguityText;
  return std::nullopt;
}

const PatchIndex &PatchWrite::mirroredPatchIndex() const {
  if (!mirroredPatchIndex_) mirroredPatchIndex_.emplace(mirroredPatchParts());
  return *mirroredPatchIndex_;
}

PatchPlan PatchWrite::planPatch(const PatchDraft &draft) const {
  return PatchPlanner::plan(draft, mirroredPatchIndex(), patchChannelMaximum, patchUniverseMaximum);
}

QList<EosPatchPart> PatchWrite::currentReplacementTargets(
    const std::set<EosPatchPart::ID> &ids) const {
  QList<EosPatchPart> targets;
  for (const EosPatchPart &part : mirroredPatchParts()) {
    if (ids.contains({part.channelNumber, part.partNumber})) targets.append(part);
  }
  std::ranges::sort(targets, {}, [](const EosPatchPart &part) {
    return EosPatchPart::ID{part.channelNumber, part.partNumber};
  });
  return targets;
}

void PatchWrite::beginPatchEditing(const PatchDraft &draft) {
  if (patchSubmissionState_.isInProgress()) return;
  PatchPlan plan = planPatch(draft);
  if (auto refusal = patchAuthoringAvailability(draft, plan)) {
    publish(patchSubmissionState_, PatchSubmissionState::failed(*refusal),
            &PatchWrite::patchSubmissionStateChanged);
    return;
  }
  if (!plan.issues.isEmpty()) {
    publish(patchSubmissionState_, PatchSubmissionState::failed(plan.issues.first().message()),
            &PatchWrite::patchSubmissionStateChanged);
    return;
  }
  // Without a live show the write could not be bound to one; saying nothing would leave the
  // editor waiting on a request that never started.
  if (!session_.liveShowIdentity) {
    publish(patchSubmissionState_, PatchSubmissionState::failed(syncBeforePatchingText),
            &PatchWrite::patchSubmissionStateChanged);
    return;
  }
  pendingPatchWrite_ = PendingPatchWrite{
      .sessionID = session_.id,
      .showIdentity = *session_.liveShowIdentity,
      .draft = draft,
      .plan = std::move(plan),
      .reviewedReplacements = currentReplacementTargets(draft.partsToReplace),
  };
  publish(patchSubmissionState_, PatchSubmissionState::checking(),
          &PatchWrite::patchSubmissionStateChanged);
  mirror_.requestFullSync(u"Checking patch before editing"_s);
}

void PatchWrite::clearPatchSubmissionResult() {
  if (patchSubmissionState_.isInProgress()) return;
  publish(patchSubmissionState_, PatchSubmissionState::idle(),
          &PatchWrite::patchSubmissionStateChanged);
}

}  // namespace tarnik
