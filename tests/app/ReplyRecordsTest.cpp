#include "app/CueReplyFields.h"
#include "app/FragmentAccumulator.h"
#include "app/PatchPartReply.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>

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
  fields[13] = s(u"yes"_s);
  fields[18] = i(1);  // not a string: no assert text
  fields[19] = OSCArgument::fromBool(true);
  fields[20] = s(u"0"_s);
  fields[22] = OSCArgument::fromFloat(1.0f);
  fields[28] = s(u"  Act 2\n"_s);
  fields[29] = s(u"TRUE"_s);
  EXPECT_EQ(makeCue(fields, u"12.5"_s), (Cue{.number = u"12.5"_s,
                                             .label = u"Opening \"wash\" — Bühne"_s,
                                             .duration = u"2"_s,
                                             .upTime = u"2"_s,
                                             .downTime = u"2"_s,
                                             .preheat = u"P"_s,
                                             .allFade = u"AF"_s,
                                             .link = u"On"_s,
                                             .sceneLabel = u"Act 2"_s,
                                             .sceneEnd = true}));

  fields[3] = i(0);
  fields[5] = i(3500);
  const std::optional<Cue> downOnly = makeCue(fields, u"1"_s);
  EXPECT_EQ(downOnly->upTime + u'|' + downOnly->downTime + u'|' + downOnly->duration,
            u"|3.5|3.5"_s);

  for (const QString &number : {u""_s, u"1."_s, u".5"_s, u"-1"_s, u"1\n"_s, u"1e3"_s, u"\u0661"_s})
    EXPECT_FALSE(makeCue(fields, number)) << number.toStdString();
  EXPECT_FALSE(makeCue(record(cueReplyFieldCount - 1), u"1"_s));
}

TEST(CueRecordBuilding, CueNumbersAreDigitsWithAnOptionalFraction) {
  for (const QString &number : {u"3"_s, u"0"_s, u"2.5"_s, u"10.05"_s})
    EXPECT_TRUE(isCueNumber(number)) << number.toStdString();
  for (const QString &text : {u""_s, u"."_s, u".5"_s, u"3."_s, u"1.2.3"_s, u"-1"_s, u"+1"_s,
                              u"3 "_s, u"3\n"_s, u"1e3"_s, u"Intro"_s, u"\u0663"_s})
    EXPECT_FALSE(isCueNumber(text)) << text.toStdString();
}

TEST(PatchRecordBuilding, FieldsLevelsAndChannels) {
  QList<OSCArgument> fields = record(patchReplyFieldCount);
  fields[1] = s(u"UID-1"_s);
  fields[3] = s(u"Acme"_s);
  fields[5] = i(1025);
  fields[6] = s(u" 3/2 "_s);
  fields[7] = i(140);
  fields[19] = s(u"2"_s);
  fields[20] = i(1040);
  EXPECT_EQ(makePatchPart(fields, 12, 1), (PatchPart{.channelNumber = 12,
                                                     .partNumber = 1,
                                                     .manufacturer = u"Acme"_s,
                                                     .startAddress = u"3/1"_s,
                                                     .endAddress = u"3/16"_s,
                                                     .partCount = 2,
                                                     .intensityAddress = u"3/2"_s,
                                                     .uid = u"UID-1"_s,
                                                     .snapshotLevel = 100}));
  fields[7] = i(-5);
  EXPECT_EQ(makePatchPart(fields, 12, 1)->snapshotLevel, 0);
  EXPECT_FALSE(makePatchPart(fields, 0, 1));
  EXPECT_FALSE(makePatchPart(record(patchReplyFieldCount - 1), 12, 1));

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
                        .snapshotLevel = 40};
  const Channel channel = makeChannel(7, {second, first}, 812.5);
  EXPECT_EQ(channel.level, 40);
  EXPECT_EQ(channel.label, u"Spot"_s);
  EXPECT_EQ(channel.address + u'-' + channel.addressEnd, u"1/1-1/35"_s);
  EXPECT_EQ(channel.type, u"Acme Spot 700"_s);
  EXPECT_EQ(channel.interfaceInfo, u"sACN"_s);
  EXPECT_EQ(channel.parts.value(0), (EosPatchPart{.channelNumber = 7,
                                                  .partNumber = 1,
                                                  .manufacturer = u"Acme"_s,
                                                  .address = u"1/1"_s,
                                                  .intensityAddress = u""_s,
                                                  .uid = u""_s,
                                                  .level = 40}));
  PatchPart bare = first;
  bare.startAddress = u"101"_s;
  EXPECT_EQ(makeChannel(7, {bare}, 0).interfaceInfo, u"DMX"_s);
}

TEST(FragmentAccumulation, RefusesRunsThatDoNotFit) {
  constexpr qint64 maximum = std::numeric_limits<qint64>::max();
  const struct {
    qint64 total, start;
    qsizetype length;
    bool stored;
  } rows[] = {
      {3, 0, 3, true},
      {3, 1, 3, false},
      {3, 3, 1, false},
      {3, -1, 1, false},
      {3, 0, 0, false},
      {-5, 0, 1, false},
      {64, 63, 1, true},
      {65, 0, 1, true},
      {maximum, maximum - 1, 1, false},
      {31, maximum, 2, false},
      {1000, 990, 10, true},
      {FragmentAccumulator::maximumFieldCount, 0, 1, true},
      {FragmentAccumulator::maximumFieldCount + 1, 0, 1, false},
  };
  for (const auto &row : rows) {
    FragmentAccumulator accumulator{.totalFieldCount = row.total};
    EXPECT_EQ(accumulator.insert(row.start, QList<OSCArgument>(row.length, i(1))), row.stored)
        << row.total << " " << row.start << " " << row.length;
    const qint64 kept = std::min(row.total, FragmentAccumulator::keptFieldCount);
    EXPECT_EQ(accumulator.receivedCount,
              row.stored ? std::clamp(kept - row.start, qint64(0), qint64(row.length)) : 0);
    EXPECT_EQ(accumulator.fields.size(), row.stored && row.start < kept ? kept : 0);
  }
}

TEST(FragmentAccumulation, ALongRecordCompletesWithItsKeptFieldsInBoundedMemory) {
  constexpr qint64 total = 1000;
  constexpr qint64 kept = FragmentAccumulator::keptFieldCount;
  FragmentAccumulator accumulator{.totalFieldCount = total};
  // Every other field past the kept ones, one at a time: each leaves a gap behind it, until
  // one more gap than the limit is refused without a change.
  const auto limit = qint64(FragmentAccumulator::maximumCountedRuns);
  for (qint64 field = kept; field < kept + 2 * limit; field += 2)
    ASSERT_TRUE(accumulator.insert(field, {i(0)})) << field;
  EXPECT_FALSE(accumulator.insert(kept + 2 * limit + 1, {i(0)}));
  EXPECT_EQ(accumulator.countedRuns.size(), std::size_t(limit));

  // Filling the gaps and the rest, overlapping, completes it with the kept fields only.
  ASSERT_TRUE(accumulator.insert(kept, QList<OSCArgument>(total - kept, i(0))));
  ASSERT_TRUE(accumulator.insert(1, QList<OSCArgument>(kept - 1, i(7))));
  EXPECT_EQ(accumulator.completedFields(), std::nullopt);
  ASSERT_TRUE(accumulator.insert(0, {i(7)}));
  EXPECT_EQ(accumulator.completedFields(), QList<OSCArgument>(kept, i(7)));
}

TEST(FragmentAccumulation, CompletesOnceEveryFieldIsPresent) {
  FragmentAccumulator accumulator{.totalFieldCount = 3};
  ASSERT_TRUE(accumulator.insert(2, {i(12)}));
  ASSERT_TRUE(accumulator.insert(0, {i(99)}));
  EXPECT_EQ(accumulator.completedFields(), std::nullopt);
  ASSERT_TRUE(accumulator.insert(0, {i(10)}));  // a repeated field is replaced
  ASSERT_TRUE(accumulator.insert(1, {i(11)}));
  EXPECT_EQ(accumulator.completedFields(), (QList<OSCArgument>{i(10), i(11), i(12)}));
  EXPECT_EQ(FragmentAccumulator{}.completedFields(), std::nullopt);
}

}  // namespace
}  // namespace tarnik
