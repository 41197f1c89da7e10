#pragma once

// Patch requests and the lines they make, shared by the builder's tables and the session
// that types those lines into the console double.

#include "model/PatchPlanner.h"
#include "operations/EosPatchCommands.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace tarnik::testing {

inline const QString patchLibraryVersion = QStringLiteral("4.12.6.0");

inline EosPatchPart patchPart(qint64 channel, qint64 partNumber, QString manufacturer = "Generic",
                              QString model = "Dimmer", QString address = {}, QString label = {}) {
  EosPatchPart result;
  result.channelNumber = channel;
  result.partNumber = partNumber;
  result.manufacturer = manufacturer;
  result.model = model;
  result.address = address;
  result.addressEnd = address;
  result.label = label;
  return result;
}

// A 16-address mode; the console shows its names with blanks for the underscores.
inline PatchFixtureChoice acmeBeamChoice() {
  PatchFixtureChoice choice;
  choice.source = QStringLiteral("Eos");
  choice.version = patchLibraryVersion;
  choice.id = QStringLiteral("0E3A8F4C-5B1D-4C7A-9E2F-112233445566");
  choice.manufacturer = QStringLiteral("Acme_Stage");
  choice.model = QStringLiteral("Beam 300");
  choice.mode = QStringLiteral("Mode 2");
  choice.footprint = 16;
  choice.nativeTypeName = QStringLiteral("Beam_300_Mode_2");
  return choice;
}

inline PatchDraft dimmerDraft(qint64 channel, qint64 universe, qint64 first, qint64 last) {
  PatchDraft draft;
  draft.operation = PatchOperation::dimmerAddressRange;
  draft.channelStart = channel;
  draft.universe = universe;
  draft.addressStart = first;
  draft.addressThru = last;
  return draft;
}

inline PatchDraft channelRangeDraft(qint64 first, qint64 last, qint64 universe, qint64 address) {
  PatchDraft draft;
  draft.operation = PatchOperation::channelRange;
  draft.channelStart = first;
  draft.channelThru = last;
  draft.universe = universe;
  draft.addressStart = address;
  return draft;
}

inline PatchDraft fixtureDraft(qint64 channel,
                               std::optional<PatchFixtureChoice> choice = acmeBeamChoice()) {
  PatchDraft draft;
  draft.operation = PatchOperation::fixture;
  draft.channelStart = channel;
  draft.universe = 1;
  draft.addressStart = 101;
  draft.fixture = std::move(choice);
  return draft;
}

// The plan as the editor hands it on: the user agrees to every replacement it asks about.
inline PatchPlan consentedPlan(PatchDraft &draft, const QList<EosPatchPart> &existing) {
  PatchPlan plan = PatchPlanner::plan(draft, existing, 99999, 63999);
  for (const PatchValidationIssue &issue : plan.issues) {
    if (issue.kind == PatchValidationIssue::Kind::replacementRequiresExplicitIntent) {
      draft.partsToReplace.insert(issue.part);
    }
  }
  return PatchPlanner::plan(draft, existing, 99999, 63999);
}

inline std::expected<QStringList, EosPatchCommands::Rejection> buildPatchCommands(
    PatchDraft draft, const QList<EosPatchPart> &existing,
    std::optional<QString> version = patchLibraryVersion) {
  const PatchPlan plan = consentedPlan(draft, existing);
  return EosPatchCommands::makeCommands(draft, plan, existing, version);
}

struct PatchLineExample {
  const char *name;
  PatchDraft draft;
  QList<EosPatchPart> existing;
  QStringList lines;
};

// One request for each line form, on new and on existing channels.
inline const QList<PatchLineExample> &patchLineExamples() {
  static const QList<PatchLineExample> examples = {
      {"dimmer of three addresses",
       dimmerDraft(5, 1, 10, 12),
       {},
       {"5 At 1 / 10 Thru 1 / 12 Enter"}},
      {"dimmer of one address", dimmerDraft(5, 1, 10, 10), {}, {"5 At 1 / 10 Enter"}},
      {"channel range", channelRangeDraft(10, 12, 2, 1), {}, {"10 Thru 12 At 2 / 1 Enter"}},
      {"channel range of one", channelRangeDraft(10, 10, 2, 1), {}, {"10 At 2 / 1 Enter"}},
      {"channel range over a dimmer",
       channelRangeDraft(10, 12, 2, 1),
       {patchPart(11, 1, "Generic", "Dimmer", "2/2")},
       {"10 At 2 / 1 Enter", "11 Part 1 At 2 / 2 Enter", "12 At 2 / 3 Enter"}},
      {"dimmer readdress",
       dimmerDraft(7, 3, 20, 21),
       {patchPart(7, 1, "generic", "DIMMER", "1/1"), patchPart(7, 2, "generic", "DIMMER", "1/2")},
       {"7 Part 1 At 3 / 20 Enter", "7 Part 2 At 3 / 21 Enter"}},
      {"new fixture",
       fixtureDraft(40),
       {},
       {"40 Type Acme_Stage Beam_300_Mode_2 Enter", "40 Part 1 At 1 / 101 Enter"}},
      {"fixture over a dimmer",
       fixtureDraft(40),
       {patchPart(40, 1, "Generic", "Dimmer", "4/1")},
       {"40 Type Acme_Stage Beam_300_Mode_2 Enter", "40 Part 1 At 1 / 101 Enter"}},
  };
  return examples;
}

}  // namespace tarnik::testing
