#include "app/CueReplyFields.h"
#include "app/PatchPartReply.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

OSCArgument i(qint32 value) { return OSCArgument::fromInt(value); }
OSCArgument s(const QString &value) { return OSCArgument::fromString(value); }

QList<OSCArgument> record(qsizetype count) { return QList<OSCArgument>(count, i(0)); }

TEST(CueRecordBuilding, FieldsOfAWholeRecord) {
  QList<OSCArgument> fields = record(cueReplyFieldCount);
  fields[2] = s(u"Opening \"wash\" — Bühne"_s);
  fields[3] = i(2000);
  fields[5] = i(-1);
  fields[7] = s(u"3"_s);
  fields[13] = s(u"yes"_s);
  fields[14] = i(7);
  fields[16] = s(u"M"_s);
  fields[18] = i(1);  // not a string: no assert text
  fields[19] = OSCArgument::fromBool(true);
  fields[20] = s(u"0"_s);
  fields[22] = OSCArgument::fromFloat(1.0f);
  fields[28] = s(u"  Act 2\n"_s);
  fields[29] = s(u"TRUE"_s);

  const std::optional<Cue> cue = makeCue(fields, u"12.5"_s);
  ASSERT_TRUE(cue);
  EXPECT_EQ(*cue, (Cue{.number = u"12.5"_s,
                       .label = u"Opening \"wash\" — Bühne"_s,
                       .duration = u"2"_s,
                       .upTime = u"2"_s,
                       .downTime = u"2"_s,
                       .focusTime = u"3"_s,
                       .mark = u"M"_s,
                       .preheat = u"P"_s,
                       .allFade = u"AF"_s,
                       .link = u"On"_s,
                       .curve = u"7"_s,
                       .sceneLabel = u"Act 2"_s,
                       .sceneEnd = true}));
}

TEST(CueRecordBuilding, DurationFallsBackToTheDownTime) {
  QList<OSCArgument> fields = record(cueReplyFieldCount);
  fields[3] = i(0);
  fields[5] = i(3500);
  const std::optional<Cue> cue = makeCue(fields, u"1"_s);
  ASSERT_TRUE(cue);
  EXPECT_EQ(cue->upTime, u""_s);
  EXPECT_EQ(cue->downTime, u"3.5"_s);
  EXPECT_EQ(cue->duration, u"3.5"_s);
}

TEST(CueRecordBuilding, RefusesShortRecordsAndNumbersThatAreNotCueNumbers) {
  EXPECT_FALSE(makeCue(record(cueReplyFieldCount - 1), u"1"_s));
  for (const QString &number : {u"1"_s, u"0.5"_s, u"105.25"_s})
    EXPECT_TRUE(makeCue(record(cueReplyFieldCount), number)) << number.toStdString();
  for (const QString &number : {u""_s, u"1."_s, u".5"_s, u"-1"_s, u"1.2.3"_s, u"1\n"_s, u" 1"_s,
                                u"1e3"_s, u"\u0661"_s, u"A"_s}) {
    EXPECT_FALSE(makeCue(record(cueReplyFieldCount), number)) << number.toStdString();
  }
}

TEST(CueRecordBuilding, SceneFieldsNeedTheFieldsThatHoldThem) {
  QList<OSCArgument> fields = record(29);
  fields[28] = s(u" Finale "_s);
  EXPECT_EQ(sceneFields(fields).label, u"Finale"_s);
  EXPECT_FALSE(sceneFields(fields).end);
  fields.append(i(1));
  EXPECT_TRUE(sceneFields(fields).end);
  EXPECT_EQ(sceneFields(record(28)).label, u""_s);
}

TEST(PatchRecordBuilding, FieldsAndLevelClamp) {
  QList<OSCArgument> fields = record(patchReplyFieldCount);
  fields[1] = s(u"UID-1"_s);
  fields[2] = s(u"Front wash"_s);
  fields[3] = s(u"Acme"_s);
  fields[4] = i(4);  // not a string: no model text
  fields[5] = i(1025);
  fields[6] = s(u" 3/2 "_s);
  fields[7] = i(140);
  fields[19] = s(u"2"_s);
  fields[20] = i(1040);
  const std::optional<PatchPart> part = makePatchPart(fields, 12, 1);
  ASSERT_TRUE(part);
  EXPECT_EQ(*part, (PatchPart{.channelNumber = 12,
                              .partNumber = 1,
                              .label = u"Front wash"_s,
                              .manufacturer = u"Acme"_s,
                              .startAddress = u"3/1"_s,
                              .endAddress = u"3/16"_s,
                              .partCount = 2,
                              .intensityAddress = u"3/2"_s,
                              .uid = u"UID-1"_s,
                              .snapshotLevel = 100}));

  const struct {
    OSCArgument level;
    qint64 stored;
  } levels[] = {{i(-5), 0}, {i(55), 55}, {s(u"full"_s), 0}, {OSCArgument::fromFloat(12.5f), 0}};
  for (const auto &row : levels) {
    fields[7] = row.level;
    EXPECT_EQ(makePatchPart(fields, 12, 1)->snapshotLevel, row.stored);
  }
  fields[19] = s(u"two"_s);
  EXPECT_EQ(makePatchPart(fields, 12, 1)->partCount, std::nullopt);

  EXPECT_FALSE(makePatchPart(fields, 0, 1));
  EXPECT_FALSE(makePatchPart(record(patchReplyFieldCount - 1), 12, 1));
}

TEST(ChannelFromRows, TakesEachValueFromTheRightPart) {
  const PatchPart second{.channelNumber = 7,
                         .partNumber = 2,
                         .label = u"Spot"_s,
                         .model = u"Spot 700"_s,
                         .startAddress = u"1/20"_s,
                         .endAddress = u"1/35"_s,
                         .snapshotLevel = 80};
  const PatchPart first{.channelNumber = 7,
                        .partNumber = 1,
                        .manufacturer = u"Acme"_s,
                        .startAddress = u"1/1"_s,
                        .partCount = 2,
                        .snapshotLevel = 40};

  const Channel channel = makeChannel(7, {second, first}, 812.5);
  EXPECT_EQ(channel.number, 7);
  EXPECT_EQ(channel.level, 40);
  EXPECT_EQ(channel.label, u"Spot"_s);
  EXPECT_EQ(channel.address, u"1/1"_s);
  EXPECT_EQ(channel.addressEnd, u"1/35"_s);
  EXPECT_EQ(channel.type, u"Acme Spot 700"_s);
  EXPECT_EQ(channel.interfaceInfo, u"sACN"_s);
  EXPECT_EQ(channel.levelSnapshotAt, 812.5);
  ASSERT_EQ(channel.parts.size(), 2);
  EXPECT_EQ(channel.parts[0], (EosPatchPart{.channelNumber = 7,
                                            .partNumber = 1,
                                            .manufacturer = u"Acme"_s,
                                            .address = u"1/1"_s,
                                            .partCount = 2,
                                            .intensityAddress = u""_s,
                                            .uid = u""_s,
                                            .level = 40}));
  EXPECT_EQ(channel.parts[1].partNumber, 2);

  PatchPart bare = first;
  bare.startAddress = u"101"_s;
  EXPECT_EQ(makeChannel(7, {bare}, 0).interfaceInfo, u"DMX"_s);

  const Channel empty = makeChannel(9, {}, 1);
  EXPECT_EQ(empty.level, 0);
  EXPECT_EQ(empty.type, u""_s);
  EXPECT_EQ(empty.interfaceInfo, u"DMX"_s);
}

}  // namespace
}  // namespace tarnik
