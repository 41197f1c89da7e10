#include "model/CommandHistoryEntry.h"
#include "model/SavedShowFile.h"

#include <QJsonDocument>

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

QJsonObject objectFrom(const QByteArray &text) { return QJsonDocument::fromJson(text).object(); }

EosPatchPart fullPart() {
  return {.channelNumber = 12,
          .partNumber = 2,
          .label = u"Spot SR"_s,
          .manufacturer = u"Acme"_s,
          .model = u"Beam 700"_s,
          .address = u"2/101"_s,
          .addressEnd = u"2/124"_s,
          .partCount = 2,
          .intensityAddress = u"2/101"_s,
          .uid = u"0x3F2A"_s,
          .level = 55};
}

SavedShowFile sampleShow() {
  EosPatchPart bare = fullPart();
  bare.partNumber = 1;
  bare.partCount.reset();
  bare.intensityAddress.reset();
  bare.uid.reset();
  Channel channel{.number = 12,
                  .level = 55,
                  .label = u"Spots"_s,
                  .address = u"2/101"_s,
                  .addressEnd = u"2/124"_s,
                  .type = u"Beam 700 Mode 2"_s,
                  .parts = {bare, fullPart()},
                  .levelSnapshotAt = 786540123.456789};
  Cue cue{.number = u"12.5"_s,
          .label = u"Sunrise – slow"_s,
          .duration = u"5"_s,
          .upTime = u"3.5"_s,
          .block = u"B"_s,
          .follow = u"0.5"_s,
          .sceneLabel = u"Act 1"_s,
          .sceneEnd = true};
  return {.storageKey = u"console-10.0.0.1|/shows/demo.esf3d"_s,
          .name = u"demo"_s,
          .consoleName = u"Main"_s,
          .consoleIP = u"10.0.0.1"_s,
          .savedAt = 786540123.000001,
          .cues = {cue, Cue{.number = u"13"_s}},
          .channels = {channel, Channel{.number = 1}},
          .activeCueNumber = u"12.5"_s,
          .activeCueLabel = u"Sunrise – slow"_s};
}

TEST(ShowRecordsJson, SnapshotsRoundTripExactly) {
  // Record equality compares dates exactly, so this also proves the dates survive.
  const QList<SavedShowFile> shows{sampleShow(), SavedShowFile{.storageKey = u"empty"_s}};
  EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(encodeJsonText(shows)), shows);
  EXPECT_EQ(sampleShow().toJson().size(), 9);
}

TEST(ShowRecordsJson, ChannelsAndCuesTakeDefaultsForMissingKeys) {
  const auto channel = Channel::fromJson(objectFrom(R"({"number":7,"unknown":{"x":1}})"));
  ASSERT_TRUE(channel.has_value());
  EXPECT_EQ(*channel, (Channel{.number = 7, .sacnPriority = 100, .interfaceInfo = u"sACN"_s}));
  EXPECT_EQ(channel->toJson().keys(),
            (QStringList{u"address"_s, u"addressEnd"_s, u"interfaceInfo"_s, u"label"_s, u"level"_s,
                         u"number"_s, u"output"_s, u"parts"_s, u"sacnPriority"_s, u"type"_s}));
  const auto nulls =
      Channel::fromJson(objectFrom(R"({"number":7,"sacnPriority":null,"parts":null})"));
  EXPECT_EQ(nulls, Channel{.number = 7});

  const auto cue = Cue::fromJson(objectFrom(R"({"number":"4","sceneEnd":null})"));
  ASSERT_TRUE(cue.has_value());
  EXPECT_EQ(*cue, Cue{.number = u"4"_s});
  EXPECT_EQ(cue->toJson().size(), 25);
}

TEST(ShowRecordsJson, WrongTypesAndMissingRequiredKeysFail) {
  for (const QByteArray &text : {
           QByteArray(R"({"level":50})"),
           QByteArray(R"({"number":7,"level":"50"})"),
           QByteArray(R"({"number":7,"levelSnapshotAt":"yesterday"})"),
           QByteArray(R"({"number":7,"parts":{}})"),
           QByteArray(R"({"number":"7"})"),
       }) {
    EXPECT_FALSE(Channel::fromJson(objectFrom(text)).has_value()) << text.constData();
  }
  EXPECT_FALSE(Cue::fromJson(objectFrom(R"({"label":"x"})")).has_value());
  EXPECT_FALSE(Cue::fromJson(objectFrom(R"({"number":4})")).has_value());
  EXPECT_FALSE(Cue::fromJson(objectFrom(R"({"number":"4","sceneEnd":"true"})")).has_value());

  const QJsonObject part = fullPart().toJson();
  for (const char *key : {"channelNumber", "partNumber", "label", "manufacturer", "model",
                          "address", "addressEnd", "level"}) {
    QJsonObject lacking = part;
    lacking.remove(QLatin1StringView(key));
    EXPECT_FALSE(EosPatchPart::fromJson(lacking).has_value()) << key;
  }
  const QJsonObject show = sampleShow().toJson();
  for (const QString &key : show.keys()) {
    QJsonObject lacking = show;
    lacking.remove(key);
    EXPECT_FALSE(SavedShowFile::fromJson(lacking).has_value()) << key.toStdString();
  }
}

TEST(ShowRecordsJson, AFailingPartFailsItsChannelAndSnapshot) {
  QJsonObject show = sampleShow().toJson();
  QJsonArray channels = show.value(u"channels"_s).toArray();
  QJsonObject channel = channels[0].toObject();
  QJsonArray parts = channel.value(u"parts"_s).toArray();
  QJsonObject part = parts[1].toObject();
  part.remove(u"level"_s);
  parts[1] = part;
  channel[u"parts"_s] = parts;
  channels[0] = channel;
  show[u"channels"_s] = channels;
  const auto decoded = SavedShowFile::fromJson(show);
  ASSERT_FALSE(decoded.has_value());
  EXPECT_EQ(decoded.error().path(), u"channels[0].parts[1].level"_s);
}

TEST(ShowRecordsJson, RefusesToStoreADateThatIsNotFinite) {
  const QList<SavedShowFile> shows{sampleShow(), sampleShow()};
  EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(encodeSavedShows(shows).value()), shows);
  for (const double date :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    QList<SavedShowFile> broken = shows;
    broken[1].savedAt = date;
    const auto refused = encodeSavedShows(broken);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().path(), u"[1].savedAt"_s);

    broken = shows;
    broken[1].channels[0].levelSnapshotAt = date;
    EXPECT_EQ(encodeSavedShows(broken).error().path(), u"[1].channels[0].levelSnapshotAt"_s);
  }
}

TEST(ShowRecordsJson, PartsWriteOptionalsOnlyWhenPresent) {
  EosPatchPart part = fullPart();
  EXPECT_EQ(part.toJson().size(), 11);
  part.partCount.reset();
  part.intensityAddress.reset();
  part.uid.reset();
  EXPECT_EQ(part.toJson().size(), 8);
  EXPECT_EQ(EosPatchPart::fromJson(part.toJson()), part);
  const EosPatchPart::ID id{3, 4};
  EXPECT_EQ(EosPatchPart::ID::fromJson(id.toJson()), id);
  EXPECT_FALSE(EosPatchPart::ID::fromJson(objectFrom(R"({"channelNumber":3})")).has_value());
}

TEST(ShowRecords, EqualityAndHashingFollowEveryField) {
  const Channel channel = sampleShow().channels[0];
  Channel reordered = channel;
  std::swap(reordered.parts[0], reordered.parts[1]);
  EXPECT_NE(reordered, channel);
  Channel otherUid = channel;
  otherUid.parts[1].uid = u"0x0000"_s;
  EXPECT_NE(otherUid, channel);
  EosPatchPart brighter = fullPart();
  brighter.level = 100;
  EXPECT_EQ(brighter.id(), fullPart().id());
  EXPECT_NE(brighter, fullPart());

  // Texts compare by canonical equivalence, and equal records hash alike.
  Channel decomposed = channel;
  decomposed.label = u"Cafe\u0301"_s;
  Channel composed = channel;
  composed.label = u"Caf\u00E9"_s;
  EXPECT_EQ(decomposed, composed);
  EXPECT_EQ(qHash(decomposed, 7), qHash(composed, 7));

  const CommandHistoryEntry entry{QUuid::createUuid(), u"Chan 1 At Full"_s, 1.5, u"Sent"_s};
  EXPECT_NE(entry, (CommandHistoryEntry{entry.id, entry.text, entry.timestamp, u"Console"_s}));
}

}  // namespace
}  // namespace tarnik
