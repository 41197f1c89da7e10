#include "foundation/JsonCoding.h"
#include "foundation/OSCTransportKinds.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UuidText.h"

#include <QJsonDocument>

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

struct Item {
  qint64 count = 0;
  QJsonObject toJson() const;
  static std::expected<Item, JsonError> fromJson(const QJsonObject &object);
  friend bool operator==(const Item &, const Item &) = default;
};

constexpr std::tuple itemFields{jsonField("count"_L1, &Item::count)};
QJsonObject Item::toJson() const { return encodeJsonFields(*this, itemFields); }
std::expected<Item, JsonError> Item::fromJson(const QJsonObject &object) {
  return decodeJsonFields<Item>(object, itemFields);
}

// One field of every kind the stored records use.
struct Sample {
  QString text;
  bool flag = false;
  qint64 count = 0;
  quint16 port = 0;
  double date = 0;
  QUuid id;
  OSCTCPFraming framing = OSCTCPFraming::packetLength;
  std::optional<qint64> maybe;
  qint64 fallback = 7;
  QList<Item> items;
  QJsonObject toJson() const;
  static std::expected<Sample, JsonError> fromJson(const QJsonObject &object);
  friend bool operator==(const Sample &, const Sample &) = default;
};

constexpr std::tuple sampleFields{
    jsonField("text"_L1, &Sample::text),
    jsonField("flag"_L1, &Sample::flag),
    jsonField("count"_L1, &Sample::count),
    jsonField("port"_L1, &Sample::port),
    jsonField("date"_L1, &Sample::date),
    jsonField("id"_L1, &Sample::id),
    jsonField("framing"_L1, &Sample::framing),
    jsonField("maybe"_L1, &Sample::maybe),
    jsonFieldWithDefault("fallback"_L1, &Sample::fallback),
    jsonFieldWithDefault("items"_L1, &Sample::items),
};
QJsonObject Sample::toJson() const { return encodeJsonFields(*this, sampleFields); }
std::expected<Sample, JsonError> Sample::fromJson(const QJsonObject &object) {
  return decodeJsonFields<Sample>(object, sampleFields);
}

const QByteArray validSample = R"({"text":"a","flag":true,"count":5,"port":3032,"date":1.5,)"
                               R"("id":"0f8fad5b-d9cb-469f-a165-70867728950e","framing":"slip"})";

// The valid sample with one key set to the given JSON value text, or removed when the
// text is empty.
std::expected<Sample, JsonError> sampleWith(const QString &key, const QByteArray &valueText) {
  QJsonObject object = QJsonDocument::fromJson(validSample).object();
  if (valueText.isEmpty()) {
    object.remove(key);
  } else {
    object.insert(key, QJsonDocument::fromJson("[" + valueText + "]").array().at(0));
  }
  return Sample::fromJson(object);
}

TEST(JsonCoding, AcceptsOnlyValuesOfTheFieldsType) {
  const struct {
    const char *key;
    QByteArray value;
    bool accepted;
  } rows[] = {
      {"count", "5.0", true},
      {"count", "1e2", true},
      {"count", "-9223372036854775808", true},
      {"count", "9223372036854775808", false},
      {"count", "5.5", false},
      {"count", "\"5\"", false},
      {"count", "true", false},
      {"port", "65535", true},
      {"port", "65536", false},
      {"port", "-1", false},
      {"flag", "1", false},
      {"flag", "\"true\"", false},
      {"text", "7", false},
      {"text", "null", false},  // null is no value for a required key
      {"text", "", false},
      {"date", "\"1.5\"", false},
      {"id", "\"0F8FAD5B-D9CB-469F-A165-70867728950E\"", true},
      {"id", "\"{0F8FAD5B-D9CB-469F-A165-70867728950E}\"", false},
      {"framing", "\"SLIP\"", false},
      {"maybe", "null", true},
      {"maybe", "\"3\"", false},
      {"fallback", "null", true},
      {"fallback", "\"3\"", false},  // the default does not replace a wrong type
      {"items", "[{\"count\":1}]", true},
      {"items", "[{\"count\":1},{}]", false},  // a failing nested record fails the whole
  };
  for (const auto &row : rows) {
    EXPECT_EQ(sampleWith(QString::fromLatin1(row.key), row.value).has_value(), row.accepted)
        << row.key << " = " << row.value.constData();
  }
  EXPECT_EQ(sampleWith(u"count"_s, "-9223372036854775808")->count, INT64_MIN);
}

TEST(JsonCoding, NamesWhereTheFirstProblemSits) {
  EXPECT_EQ(sampleWith(u"items"_s, "[{\"count\":1},{\"count\":true}]").error().description(),
            u"items[1].count: expected a whole number"_s);
  EXPECT_EQ(sampleWith(u"text"_s, "").error().description(), u"text: no value"_s);
  // Fields are read in order, so the earlier of two bad fields is reported.
  QJsonObject object = QJsonDocument::fromJson(validSample).object();
  object.insert(u"flag"_s, 1);
  object.remove(u"text"_s);
  EXPECT_EQ(Sample::fromJson(object).error().path(), u"text"_s);
  EXPECT_EQ(sampleWith(u"framing"_s, "\"tcp\"").error().description(),
            u"framing: unknown value \"tcp\""_s);
  EXPECT_FALSE(decodeJsonText<Sample>("{\"text\":").has_value());
}

TEST(JsonCoding, ReadsLowerCaseAndWritesOptionalsOnlyWhenPresent) {
  const std::expected<Sample, JsonError> read = decodeJsonText<Sample>(validSample);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(uuidText(read->id), u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s);
  EXPECT_EQ(read->fallback, 7);

  Sample sample = *read;
  sample.items = {Item{1}, Item{INT64_MAX}};
  const QJsonObject written = sample.toJson();
  EXPECT_EQ(written.size(), 9);  // no "maybe"
  EXPECT_EQ(written.value(u"id"_s).toString(), u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s);
  EXPECT_EQ(written.value(u"framing"_s).toString(), u"slip"_s);
  sample.maybe = 0;
  const QList<Sample> list{sample, Sample{}};
  EXPECT_EQ(decodeJsonText<QList<Sample>>(encodeJsonText(list)), list);
}

TEST(JsonCoding, DatesReadBackAsTheSameDouble) {
  for (const double date :
       {referenceSecondsNow(), 0.1, -0.0, 1e-9, -1234.5678, 978307200.123456, 1e20, 5e-324}) {
    Sample sample;
    sample.date = date;
    const std::expected<Sample, JsonError> back = decodeJsonText<Sample>(encodeJsonText(sample));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back->date + 0.0),
              std::bit_cast<std::uint64_t>(date + 0.0))
        << date;
  }
}

}  // namespace
}  // namespace tarnik
