#include "PatchCommandExamples.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using EosPatchCommands::makeCommands;
using EosPatchCommands::Rejection;
using EosPatchCommands::verify;

using testing::acmeBeamChoice;
using testing::channelRangeDraft;
using testing::dimmerDraft;
using testing::fixtureDraft;
using testing::patchLineExamples;
using testing::patchPart;

const QString libraryVersion = testing::patchLibraryVersion;
const QString fixtureId = acmeBeamChoice().id;

std::expected<QStringList, Rejection> build(PatchDraft draft, const QList<EosPatchPart> &existing,
                                            std::optional<QString> version = libraryVersion) {
  return testing::buildPatchCommands(std::move(draft), existing, std::move(version));
}

QString rejection(const std::expected<QStringList, Rejection> &result) {
  return result ? QStringLiteral("<accepted>") : result.error().reason;
}

TEST(EosPatchCommandBuilder, WritesEachLineFormExactly) {
  for (const auto &row : patchLineExamples()) {
    const auto result = build(row.draft, row.existing);
    ASSERT_TRUE(result) << row.name << ": " << rejection(result).toStdString();
    EXPECT_EQ(*result, row.lines) << row.name;
  }
}

TEST(EosPatchCommandBuilder, RefusesInTheOrderOfItsChecks) {
  PatchFixtureChoice multicell = acmeBeamChoice();
  multicell.cellCount = 4;
  PatchFixtureChoice otherVersion = acmeBeamChoice();
  otherVersion.version = QStringLiteral("4.12.5.0");
  PatchFixtureChoice noTypeName = acmeBeamChoice();
  noTypeName.nativeTypeName.reset();
  PatchFixtureChoice blankInManufacturer = acmeBeamChoice();
  blankInManufacturer.manufacturer = QStringLiteral("Acme Stage");
  PatchFixtureChoice longTypeName = acmeBeamChoice();
  longTypeName.nativeTypeName = QString(513, QLatin1Char('A'));
  PatchFixtureChoice lineBreakInManufacturer = acmeBeamChoice();
  lineBreakInManufacturer.manufacturer = QStringLiteral("Acme\n");
  PatchFixtureChoice notUuid = acmeBeamChoice();
  notUuid.id = QStringLiteral("{0E3A8F4C-5B1D-4C7A-9E2F-112233445566}");
  PatchFixtureChoice lowerCaseUuid = acmeBeamChoice();
  lowerCaseUuid.id = fixtureId.toLower();

  const QString library =
      QStringLiteral("Choose a fixture from the library matching this Eos console.");
  const QString readdress = QStringLiteral(
      "An existing dimmer patch can be readdressed with the same part count. Changing its type or "
      "number of parts needs Eos.");
  const struct {
    const char *name;
    PatchDraft draft;
    QList<EosPatchPart> existing;
    std::optional<QString> version;
    QString reason;
  } rows[] = {
      {"dimmer readdress with a third part",
       dimmerDraft(7, 3, 20, 22),
       {patchPart(7, 1, "Generic", "Dimmer", "1/1"), patchPart(7, 2, "Generic", "Dimmer", "1/2")},
       libraryVersion,
       readdress},
      {"dimmer readdress of a fixture",
       dimmerDraft(7, 3, 20, 20),
       {patchPart(7, 1, "Acme", "Spot", "1/1")},
       libraryVersion,
       readdress},
      {"channel range over a fixture",
       channelRangeDraft(10, 12, 2, 1),
       {patchPart(11, 1, "Acme", "Spot", "2/2")},
       libraryVersion,
       "Channel 11 is not a single-part dimmer. Use the Fixture operation to change its type."},
      {"channel range over a dimmer's part 2",
       channelRangeDraft(10, 12, 2, 1),
       {patchPart(12, 2, "Generic", "Dimmer", "2/30")},
       libraryVersion,
       "Channel 12 is not a single-part dimmer. Use the Fixture operation to change its type."},
      {"no fixture", fixtureDraft(40, std::nullopt), {}, libraryVersion, "<planner>"},
      {"console version unknown", fixtureDraft(40), {}, std::nullopt, library},
      {"another library version", fixtureDraft(40, otherVersion), {}, libraryVersion, library},
      {"no native type name", fixtureDraft(40, noTypeName), {}, libraryVersion, library},
      {"blank in manufacturer", fixtureDraft(40, blankInManufacturer), {}, libraryVersion, library},
      {"line break after manufacturer",
       fixtureDraft(40, lineBreakInManufacturer),
       {},
       libraryVersion,
       library},
      {"type name of 513 bytes", fixtureDraft(40, longTypeName), {}, libraryVersion, library},
      {"id with braces", fixtureDraft(40, notUuid), {}, libraryVersion, library},
      {"multicell",
       fixtureDraft(40, multicell),
       {},
       libraryVersion,
       "Multicell modes can be inspected here; authoring their child channels still needs Eos."},
      {"multipart channel",
       fixtureDraft(40),
       {patchPart(40, 1, "Generic", "Dimmer", "4/1"), patchPart(40, 2, "Generic", "Dimmer", "4/2")},
       libraryVersion,
       "Changing a multipart fixture type is not supported. Edit its individual parts on Eos."},
      {"nonstandard part",
       fixtureDraft(40),
       {patchPart(40, 2, "Generic", "Dimmer", "4/1")},
       libraryVersion,
       "This fixture uses a nonstandard part number. Edit it on Eos to preserve its parts."},
  };
  for (const auto &row : rows) {
    const auto result = build(row.draft, row.existing, row.version);
    ASSERT_FALSE(result) << row.name;
    if (row.reason != QStringLiteral("<planner>")) {
      EXPECT_EQ(result.error().reason, row.reason) << row.name;
    }
  }
  EXPECT_TRUE(build(fixtureDraft(40, lowerCaseUuid), {})) << "either letter case is a UUID";
}

TEST(EosPatchCommandBuilder, ChecksPlanIssuesThenPartsThenLabel) {
  PatchDraft draft = dimmerDraft(5, 1, 10, 10);
  PatchPlan plan;
  EXPECT_EQ(rejection(makeCommands(draft, plan, {}, libraryVersion)), "Review the patch fields.");
  plan.issues = {PatchValidationIssue::of(PatchValidationIssue::Kind::missingUniverse),
                 PatchValidationIssue::of(PatchValidationIssue::Kind::missingAddress)};
  EXPECT_EQ(rejection(makeCommands(draft, plan, {}, libraryVersion)), plan.issues.first().message())
      << "a plan with issues and no parts reports its first issue";

  const QString labelText =
      QStringLiteral("Labels must be at most 256 characters and contain no control characters.");
  const QString combining = QStringLiteral("e\u0301");  // one character, two units
  const QString emoji = QStringLiteral("\U0001F3AD");   // one character, two units
  const QString joinedEmoji = QStringLiteral("\U0001F469\u200D\U0001F4BB");  // joined by a Cf
  const struct {
    QString label;
    bool accepted;
  } labels[] = {
      {QString(), true},
      {combining.repeated(255) + emoji, true},
      {combining.repeated(256) + emoji, false},
      {emoji.repeated(256), true},
      {QStringLiteral("Front\tWash"), false},
      {QStringLiteral("Front\n"), false},
      {joinedEmoji, false},
  };
  for (const auto &row : labels) {
    draft.label = row.label;
    const auto result = build(draft, {});
    EXPECT_EQ(bool(result), row.accepted) << row.label.toStdString();
    if (!row.accepted) {
      EXPECT_EQ(rejection(result), labelText);
    }
  }
}

TEST(EosPatchCommandBuilder, CommandTokens) {
  EXPECT_TRUE(EosPatchCommands::isCommandToken(QStringLiteral("Acme_Stage(2).v1,+/&%'-")));
  EXPECT_TRUE(EosPatchCommands::isCommandToken(QString(512, QLatin1Char('A'))));
  for (const QString &text : {QString(), QStringLiteral(" "), QStringLiteral("Acme\n"),
                              QString(513, QLatin1Char('A')), QStringLiteral("Acmé")}) {
    EXPECT_FALSE(EosPatchCommands::isCommandToken(text)) << text.toStdString();
  }
}

Channel channel(qint64 number, QList<EosPatchPart> parts) {
  Channel result;
  result.number = number;
  result.parts = std::move(parts);
  return result;
}

PatchPlannedPart planned(qint64 channelNumber, qint64 partNumber, EosDMXRange range,
                         QString label = {}, std::optional<PatchFixtureChoice> fixture = {}) {
  return {channelNumber, partNumber, label, std::move(fixture), range};
}

TEST(EosPatchVerification, ReportsTheFirstMismatchInOrder) {
  const PatchPlannedPart dimmer = planned(5, 1, {1, 12, 20});
  const PatchPlannedPart labelled = planned(5, 1, {1, 12, 20}, QStringLiteral("Front"));
  const PatchPlannedPart acme = planned(9, 1, {2, 1, 16}, {}, acmeBeamChoice());
  EosPatchPart untouched = patchPart(3, 1, "Generic", "Dimmer", "1/10");
  untouched.addressEnd = QStringLiteral("1/12");
  EosPatchPart levelChanged = untouched;
  levelChanged.level = 80;
  EosPatchPart relabelled = untouched;
  relabelled.label = QStringLiteral("Changed");
  const EosPatchPart blankAddress = patchPart(4, 1, "Generic", "Dimmer", " \n");
  const EosPatchPart unparsable = patchPart(4, 1, "Generic", "Dimmer", "1/513");
  const EosPatchPart otherUniverse = [&] {
    EosPatchPart result = untouched;
    result.address = QStringLiteral("2/10");
    result.addressEnd = QStringLiteral("2/12");
    return result;
  }();
  EosPatchPart acmeObserved = patchPart(9, 1, "Acme Stage", "Beam 300 Mode 2", "2/1");
  acmeObserved.addressEnd = QStringLiteral("2/16");
  EosPatchPart acmeLowerMode = acmeObserved;
  acmeLowerMode.model = QStringLiteral("Beam 300 mode 2");
  EosPatchPart dimmerObserved = patchPart(5, 1, "GENERIC", "dimmer", "1/12");
  dimmerObserved.addressEnd = QStringLiteral("1/20");
  EosPatchPart frontLower = dimmerObserved;
  frontLower.label = QStringLiteral("front");
  EosPatchPart moved = dimmerObserved;
  moved.address = moved.addressEnd = QStringLiteral("1/13");
  EosPatchPart fixtureOnDimmerChannel = dimmerObserved;
  fixtureOnDimmerChannel.manufacturer = QStringLiteral("Acme");

  const struct {
    const char *name;
    QList<PatchPlannedPart> plan;
    QList<Channel> channels;
    std::optional<QList<EosPatchPart>> before;
    std::optional<QString> text;
  } rows[] = {
      {"confirmed dimmer, any letter case",
       {dimmer},
       {channel(5, {dimmerObserved})},
       std::nullopt,
       std::nullopt},
      {"confirmed fixture with underscores shown as blanks",
       {acme},
       {channel(9, {acmeObserved})},
       std::nullopt,
       std::nullopt},
      {"empty plan, nothing observed", {}, {}, std::nullopt, std::nullopt},
      {"blank untouched address ignored",
       {dimmer},
       {channel(4, {blankAddress}), channel(5, {dimmerObserved})},
       std::nullopt,
       std::nullopt},
      {"unparsable untouched address",
       {dimmer},
       {channel(4, {unparsable}), channel(5, {dimmerObserved})},
       std::nullopt,
       "Channel 4, part 1 has an unknown occupied range."},
      {"shared bound conflicts",
       {dimmer},
       {channel(3, {untouched}), channel(5, {dimmerObserved})},
       std::nullopt,
       "Channel 3, part 1 conflicts with the requested DMX addresses."},
      {"another universe does not",
       {dimmer},
       {channel(3, {otherUniverse}), channel(5, {dimmerObserved})},
       QList<EosPatchPart>{otherUniverse},
       std::nullopt},
      {"a level change is no change",
       {acme},
       {channel(3, {levelChanged}), channel(9, {acmeObserved})},
       QList<EosPatchPart>{untouched},
       std::nullopt},
      {"a label change is",
       {acme},
       {channel(3, {relabelled}), channel(9, {acmeObserved})},
       QList<EosPatchPart>{untouched},
       "Other patch parts changed during this operation. Sync and inspect them before continuing."},
      {"empty before-list",
       {acme},
       {channel(3, {untouched}), channel(9, {acmeObserved})},
       QList<EosPatchPart>{},
       "Other patch parts changed during this operation. Sync and inspect them before continuing."},
      {"three observed for two planned",
       {planned(7, 1, {1, 1, 1}), planned(7, 2, {1, 2, 2})},
       {channel(7, {patchPart(7, 1, "Generic", "Dimmer", "1/1"),
                    patchPart(7, 2, "Generic", "Dimmer", "1/2"),
                    patchPart(7, 3, "Generic", "Dimmer", "1/3")})},
       std::nullopt,
       "Eos returned 3 parts; 2 were requested."},
      {"missing part",
       {dimmer},
       {channel(5, {patchPart(5, 2, "Generic", "Dimmer", "")})},
       std::nullopt,
       "Eos did not return channel 5, part 1."},
      {"moved part",
       {dimmer},
       {channel(5, {moved})},
       std::nullopt,
       "Channel 5, part 1 has a different address range on Eos."},
      {"label case counts",
       {labelled},
       {channel(5, {frontLower})},
       std::nullopt,
       "Channel 5, part 1 has a different label on Eos."},
      {"not a dimmer",
       {dimmer},
       {channel(5, {fixtureOnDimmerChannel})},
       std::nullopt,
       "Channel 5 is not the requested Generic Dimmer on Eos."},
      {"mode case counts",
       {acme},
       {channel(9, {acmeLowerMode})},
       std::nullopt,
       "Channel 9 returned a different manufacturer or fixture mode on Eos."},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(verify(row.plan, row.channels, row.before), row.text) << row.name;
  }
}

}  // namespace
}  // namespace tarnik
