// Patch edits against the console double: the preflight's refusals in the order the user
// reads them, and a write typed on a connection of its own, read back and confirmed.

#include "AppViewModelPatchTestSupport.h"
#include "support/QtPrinting.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString libraryVersion = u"3.2.0.1"_s;
const QString selectAgain =
    u"Select this fixture again from the library matching the connected Eos console."_s;

FixtureCatalogMode beamMode() {
  return {.id = u"0E3A8F4C-5B1D-4C7A-9E2F-112233445566"_s,
          .manufacturer = u"Acme"_s,
          .model = u"Beam"_s,
          .mode = u"Mode 2"_s,
          .name = u"Acme Beam Mode 2"_s,
          .profileFootprint = 12,
          .totalFootprint = 16,
          .cellCount = 1,
          .libraryVersion = libraryVersion,
          .sourceFile = {},
          .sourceSHA256 = {}};
}

PatchFixtureChoice choiceOf(const FixtureCatalogMode &mode) {
  return {.source = u"Installed ETC Eos fixture library"_s,
          .version = mode.libraryVersion,
          .id = mode.id,
          .manufacturer = mode.manufacturer,
          .model = mode.model,
          .mode = mode.mode,
          .footprint = mode.totalFootprint,
          .nativeTypeName = mode.name,
          .cellCount = mode.cellCount};
}

TEST(AppViewModelLibraryChoice, RefusesEveryChoiceThatNoLongerMatchesTheConsoleLibrary) {
  struct Case {
    const char *name;
    std::function<void(PatchFixtureChoice &, FixtureCatalogMode &, QString &)> change;
    std::optional<QString> issue;
  };
  const std::vector<Case> cases{
      {"matching", [](auto &, auto &, auto &) {}, std::nullopt},
      {"other source", [](auto &c, auto &, auto &) { c.source = u"Eos"_s; }, selectAgain},
      {"no footprint for 16", [](auto &c, auto &, auto &) { c.footprint.reset(); }, selectAgain},
      {"profile footprint of 16", [](auto &c, auto &, auto &) { c.footprint = 12; }, selectAgain},
      {"only a profile footprint",
       [](auto &c, auto &m, auto &) {
         m.totalFootprint.reset();
         c.footprint = 12;
       },
       std::nullopt},
      {"no footprint known",
       [](auto &c, auto &m, auto &) {
         m.totalFootprint.reset();
         m.profileFootprint.reset();
         c.footprint = 1;
       },
       selectAgain},
      {"ambiguous type name", [](auto &, auto &m, auto &) { m.isCommandIdentityUnique = false; },
       u"Eos exposes the same type name for multiple library modes. Select this profile on the "
       "console to avoid an ambiguous patch."_s},
  };
  for (const Case &test : cases) {
    FixtureCatalogMode mode = beamMode();
    PatchFixtureChoice choice = choiceOf(mode);
    QString version = libraryVersion;
    test.change(choice, mode, version);
    EXPECT_EQ(PatchWrite::libraryChoiceIssue(choice, mode, version), test.issue) << test.name;
  }
  EXPECT_EQ(PatchWrite::libraryChoiceIssue(choiceOf(beamMode()), std::nullopt, libraryVersion),
            selectAgain);
}

using PatchOnTCP = AppViewModelPatchEditTest;
using PatchOnUDP = AppViewModelPatchEditTest;

TEST_P(PatchOnUDP, RefusesInCheckOrderAndNeverChecksOnUDP) {
  model->setInteractionMode(InteractionMode::viewer);
  EXPECT_EQ(model->patchAuthoringAvailability(dimmerRange(5, 10, 10)),
            u"Connect in Editor mode and complete a sync before patching."_s);
  model->setInteractionMode(InteractionMode::editor);
  makeReady();
  PatchDraft fixture{.operation = PatchOperation::fixture,
                     .channelStart = 5,
                     .fixture = choiceOf(beamMode()),
                     .universe = 1,
                     .addressStart = 10};
  EXPECT_EQ(model->patchAuthoringAvailability(fixture),
            u"Fixture patching needs the bundled library version to match this Eos console."_s);
  model->beginPatchEditing(dimmerRange(5, 10, 10));
  EXPECT_EQ(model->patchSubmissionState(),
            PatchSubmissionState::failed(u"Patch authoring requires an Eos TCP connection."_s));
}

TEST_P(PatchOnTCP, ConfirmsDimmerPatchesReadBackAfterTheWrite) {
  makeReady();
  // A plan with issues is refused with its first issue; nothing is recorded.
  PatchDraft taken = dimmerRange(1, 1, 1);
  model->beginPatchEditing(taken);
  ASSERT_EQ(model->patchSubmissionState().kind, PatchSubmissionState::Kind::failed);
  ASSERT_FALSE(model->planPatch(taken).issues.isEmpty());
  EXPECT_EQ(submissionText(), model->planPatch(taken).issues.first().message());

  states.clear();
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  model->beginPatchEditing(dimmerRange(8, 31, 31));  // already checking: ignored
  ASSERT_TRUE(reachesVerifying());
  ASSERT_TRUE(confirmed());
  EXPECT_EQ(states,
            (QList{PatchSubmissionState::Kind::checking, PatchSubmissionState::Kind::sending,
                   PatchSubmissionState::Kind::verifying, PatchSubmissionState::Kind::confirmed}));
  EXPECT_EQ(submissionText(), u"Eos confirmed 1 channel and 1 part."_s);
  EXPECT_EQ(model->commandHistory().last().text, submissionText());
  EXPECT_EQ(model->commandHistory().last().source, u"Console"_s);
  EXPECT_TRUE(console.show().channelParts(8).isEmpty());

  PatchDraft range{.operation = PatchOperation::channelRange,
                   .channelStart = 3,
                   .channelThru = 5,
                   .universe = 1,
                   .addressStart = 40};
  const qsizetype before = console.requests().size();
  model->beginPatchEditing(range);
  ASSERT_TRUE(reachesVerifying());
  ASSERT_TRUE(confirmed());
  EXPECT_EQ(submissionText(), u"Eos confirmed 3 channels and 3 parts."_s);
  EXPECT_EQ(labelRequests(before),
            (QStringList{u"/eos/set/patch/3/label"_s, u"/eos/set/patch/4/label"_s,
                         u"/eos/set/patch/5/label"_s}));

  model->beginPatchEditing(dimmerRange(9, 50, 51));
  ASSERT_TRUE(reachesVerifying());
  ASSERT_TRUE(confirmed());
  EXPECT_EQ(submissionText(), u"Eos confirmed 1 channel and 2 parts."_s);
}

TEST_P(PatchOnTCP, ASubmitWithoutALiveShowFailsWithItsReasonAndAnEditorClearsOnlyResults) {
  makeReady();
  // A write under way is never cleared by an editor coming on screen.
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  ASSERT_EQ(model->patchSubmissionState(), PatchSubmissionState::checking());
  model->clearPatchSubmissionResult();
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::checking());

  model->handleOSCMessage(u"/eos/out/event/show/cleared"_s, {});
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  EXPECT_EQ(model->patchSubmissionState(),
            PatchSubmissionState::failed(
                u"Connect in Editor mode and complete a sync before patching."_s));
  model->clearPatchSubmissionResult();
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle());
}

TEST_P(PatchOnTCP, EndsAWriteWhoseReviewedTargetChangedOnTheConsole) {
  makeReady();
  PatchDraft readdress = dimmerRange(2, 60, 60);
  readdress.partsToReplace = {{2, 1}};
  ASSERT_EQ(model->patchAuthoringAvailability(readdress), std::nullopt);
  model->beginPatchEditing(readdress);
  ASSERT_EQ(model->patchSubmissionState(), PatchSubmissionState::checking());
  // The level moves on the console before the checking sync reads the patch.
  ConsoleShow show = console.show();
  show.patchPart(2, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(40);
  console.setShow(show);
  ASSERT_TRUE(waitUntil(
      [&] { return model->patchSubmissionState().kind == PatchSubmissionState::Kind::failed; }));
  EXPECT_EQ(submissionText(),
            u"A replacement target changed after review. Review the current "
            "patch before trying again."_s);
  EXPECT_EQ(console.show().channelParts(2).first().text(ConsolePatchPart::startAddress),
            show.channelParts(2).first().text(ConsolePatchPart::startAddress));
}

TEST_P(PatchOnTCP, ChannelReadsAnswerTheNewestReasonAndWaitForASync) {
  makeReady();
  const auto requestsFor = [this](QStringView address) {
    return std::ranges::count(console.requests(), address, &OSCMessage::address);
  };
  const auto settled = [this] {
    return waitUntil([&] { return model->showMirror().outstandingChannelReads() == 0; });
  };
  ConsoleShow show = console.show();
  show.patchPart(1, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(77);
  show.patchPart(2, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(55);
  console.setShow(show);

  // A newer reason while the read is out: its answer is not applied and the channel is read
  // again for the newer one, which is no longer current either.
  using Purpose = AppViewModel::DirectPatchReadPurpose;
  model->readChannelPatch(1, {0, Purpose::levelRefresh});
  model->readChannelPatch(1, {1, Purpose::levelRefresh});
  EXPECT_EQ(model->showMirror().outstandingChannelReads(), 1);
  ASSERT_TRUE(waitUntil([&] { return requestsFor(u"/eos/get/patch/1") == 2; }));
  ASSERT_TRUE(settled());
  EXPECT_EQ(requestsFor(u"/eos/get/patch/1"), 2);
  EXPECT_EQ(model->channels().at(0).level, 0);

  model->readChannelPatch(2, {0, Purpose::levelRefresh});
  ASSERT_TRUE(settled());
  EXPECT_EQ(model->channels().at(1).level, 55);
  EXPECT_EQ(model->channels().at(1).levelSnapshotAt, timing->date());

  // Reads asked for during a sync go out after it, by channel.
  model->requestFullSync(u"Console data changed"_s);
  const qsizetype before = console.requests().size();
  model->readChannelPatch(2, {0, Purpose::levelRefresh});
  model->readChannelPatch(1, {0, Purpose::levelRefresh});
  ASSERT_TRUE(synced());
  ASSERT_TRUE(settled());
  QStringList reads;
  for (const OSCMessage &request : console.requests().mid(before)) {
    static const QRegularExpression channelRead(u"^/eos/get/patch/\\d+$"_s);
    if (channelRead.match(request.address).hasMatch()) {
      reads.append(request.address);
    }
  }
  EXPECT_EQ(reads, (QStringList{u"/eos/get/patch/1"_s, u"/eos/get/patch/2"_s}));

  // A sync asked for while a read is out waits for its answer, and starts after it.
  const qsizetype syncs = requestsFor(u"/eos/get/patch/count");
  model->readChannelPatch(2, {0, Purpose::levelRefresh});
  model->requestFullSync(u"Console data changed"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Waiting for channel readback"_s);
  EXPECT_EQ(requestsFor(u"/eos/get/patch/count"), syncs);
  ASSERT_TRUE(synced());
  EXPECT_EQ(requestsFor(u"/eos/get/patch/count"), syncs + 1);

  // An unanswered read is a lost console.
  console.setHandler(u"/eos/get/patch/12"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>(); });
  model->readChannelPatch(12, {0, Purpose::levelRefresh});
  model->requestFullSync(u"Console data changed"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Waiting for channel readback"_s);
  timing->advance(2);
  EXPECT_TRUE(model->dataStatusMessage().startsWith(
      u"Channel 12 readback timed out — cached data retained"_s))
      << model->dataStatusMessage().toStdString();
  EXPECT_TRUE(model->supervisor().isReconnectScheduled());
  EXPECT_FALSE(model->channels().isEmpty());
}

TEST_P(PatchOnTCP, ACueReadOnItsOwnReplacesOnlyAPublishedCue) {
  makeReady();
  ConsoleCue cue = console.show().cueLists.at(1).first();
  cue.fields[0] = OSCArgument::fromInt(-1);
  cue.fields[2] = OSCArgument::fromString(u"Renamed"_s);
  const auto sendCue = [&](const QString &number) {
    console.send({{u"/eos/out/get/cue/1/"_s + number + u"/0/list/0/31"_s, cue.fields}});
  };
  sendCue(u"999"_s);
  sendCue(cue.number);
  ASSERT_TRUE(waitUntil([&] { return model->cues().first().label == "Renamed"_L1; }));
  EXPECT_EQ(model->cues().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Transports, PatchOnTCP, ::testing::Values(packetLengthCase, slipCase),
                         transportCaseName);
INSTANTIATE_TEST_SUITE_P(Transports, PatchOnUDP, ::testing::Values(udpCase), transportCaseName);

}  // namespace
}  // namespace tarnik::testing
