#include "OSCTestSupport.h"
#include "link/OSCMessage.h"
#include "link/OSCPacket.h"

#include <QElapsedTimer>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

using namespace osctest;

OSCArgument i(qint32 v) { return OSCArgument::fromInt(v); }
OSCArgument f(float v) { return OSCArgument::fromFloat(v); }
OSCArgument s(const QString &v) { return OSCArgument::fromString(v); }
OSCArgument b(bool v) { return OSCArgument::fromBool(v); }
OSCArgument blob(const QByteArray &v) { return OSCArgument::fromBlob(v); }

// A message "/" with one blob, sized so that the whole message is exactly `total` bytes.
QByteArray messageOfSize(qsizetype total) {
  return message("/", {blob(QByteArray(total - 12, 'x'))}).encoded();
}

// ---------------------------------------------------------------- encoding

struct GoldenCase {
  const char *name;
  OSCMessage message;
  const char *bytes;
  bool decodesBack = true;
};

TEST(OSCMessageEncoding, WritesGoldenBytes) {
  const QString clef = QString::fromUcs4(U"\U0001D11E");
  const GoldenCase cases[] = {
      {"ping is 16 bytes", message("/eos/ping"), "2f656f732f70696e67000000 2c000000"},
      {"int 1 fits the tag word", message("/eos/ping", {i(1)}),
       "2f656f732f70696e67000000 2c690000 00000001"},
      {"smallest message", message("/"), "2f000000 2c000000"},
      {"3-byte address takes 4", message("/ab"), "2f616200 2c000000"},
      {"4-byte address takes 8", message("/abc"), "2f616263 00000000 2c000000"},
      {"strings of 3, 4 and 0 bytes", message("/s", {s("abc"), s("abcd"), s("")}),
       "2f730000 2c737373 00000000 61626300 6162636400000000 00000000"},
      {"ints and floats",
       message("/n", {i(-1), i(std::numeric_limits<qint32>::min()), f(1.0f), f(-0.0f)}),
       "2f6e0000 2c696966 66000000 ffffffff 80000000 3f800000 80000000"},
      {"bools carry no data", message("/b", {b(true), b(false)}), "2f620000 2c544600"},
      {"blobs of 0, 1 and 4 bytes", message("/b", {blob({}), blob("\xaa"), blob(hex("01020304"))}),
       "2f620000 2c626262 00000000 00000000 00000001aa000000 0000000401020304"},
      {"UTF-8 texts", message(QString::fromUtf8("/é"), {s(clef)}),
       "2fc3a900 2c730000 f09d849e00000000"},
      {"address written unvalidated", message("x"), "78000000 2c000000", false},
  };
  for (const GoldenCase &c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray expected = hex(c.bytes);
    EXPECT_EQ(c.message.encoded(), expected);
    const auto decoded = OSCPacket::decode(expected);
    if (c.decodesBack) {
      ASSERT_TRUE(decoded.has_value());
      EXPECT_EQ(*decoded, QList<OSCMessage>{c.message});
    } else {
      EXPECT_FALSE(decoded.has_value());
    }
  }
}

TEST(OSCMessageEncoding, PaddedStringsMatchQtUtf8) {
  const QString texts[] = {
      "",
      "a",
      "abc",
      "abcd",
      "abcde",
      QString::fromUtf8("é"),
      QString::fromUtf8("日本語テキスト"),
      QString::fromUcs4(U"a\U0001F3A4b"),
      QString(QChar(0xD800)) + "a",
      "a" + QString(QChar(0xDC00)),
      QString(QChar(0xDBFF)) + QString(QChar(0xDFFF)),
      QString::fromUtf8("\u07ff\u0800\uffff"),
  };
  for (const QString &text : texts) {
    QByteArray expected = text.toUtf8();
    expected.append(4 - expected.size() % 4, '\0');
    EXPECT_EQ(OSCMessage::encodePaddedString(text), expected) << text.toStdString();
  }
}

TEST(OSCMessageEncoding, RefusesWhatCannotBeWritten) {
  const QString withNul = QStringLiteral("/a") + QChar(0) + QStringLiteral("b");
  EXPECT_TRUE(message(withNul).encoded().isEmpty());
  EXPECT_TRUE(message("/a", {s("ok"), s(QString(QChar(0)))}).encoded().isEmpty());
  // The size is refused before any byte of the blob is read, so raw data over a small
  // buffer stands in for two gigabytes.
  static const char anyBytes[4] = {};
  const QByteArray huge = QByteArray::fromRawData(anyBytes, qsizetype(1) << 31);
  EXPECT_TRUE(message("/a", {blob(huge)}).encoded().isEmpty());
}

TEST(OSCMessageEncoding, RoundTripsEveryCase) {
  const OSCMessage original =
      message(QString::fromUtf8("/eos/out/ü"),
              {i(std::numeric_limits<qint32>::max()), f(-1234.125f),
               f(std::numeric_limits<float>::infinity()), s(QString::fromUtf8("Cue 1 — Ä 🎤")),
               b(true), b(false), blob(hex("00c0db7f")), blob(hex("ff"))});
  const auto decoded = OSCMessage::decode(original.encoded());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, original);

  const float nan = std::bit_cast<float>(0x7fc01234u);
  const auto decodedNaN = OSCMessage::decode(message("/n", {f(nan)}).encoded());
  ASSERT_TRUE(decodedNaN.has_value());
  EXPECT_EQ(std::bit_cast<quint32>(std::get<float>(decodedNaN->arguments[0].value)), 0x7fc01234u);
  EXPECT_NE(*decodedNaN, message("/n", {f(nan)}));
}

// ---------------------------------------------------------------- equality

TEST(OSCEquality, FollowsCaseAndValueRules) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const QString composed = QString::fromUtf8("Caf\u00e9");
  const QString decomposed = QString::fromUtf8("Cafe\u0301");
  struct Case {
    const char *name;
    OSCArgument lhs, rhs;
    bool equal;
  } cases[] = {
      {"int by value", i(7), i(7), true},
      {"int differs", i(7), i(8), false},
      {"int is not float", i(1), f(1.0f), false},
      {"bool is not int", b(true), i(1), false},
      {"positive equals negative zero", f(0.0f), f(-0.0f), true},
      {"NaN equals nothing", f(nan), f(nan), false},
      {"canonically equivalent texts", s(composed), s(decomposed), true},
      {"different texts", s("a"), s("A"), false},
      {"string is not blob", s("a"), blob("a"), false},
      {"blobs byte for byte", blob(hex("0001")), blob(hex("0001")), true},
      {"blob lengths differ", blob(hex("0001")), blob(hex("000100")), false},
      {"bools", b(false), b(true), false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.lhs == c.rhs, c.equal) << c.name;
  }
  EXPECT_EQ(message("/" + composed, {s(composed)}), message("/" + decomposed, {s(decomposed)}));
  EXPECT_NE(message("/a", {i(1)}), message("/a", {i(1), i(1)}));
  EXPECT_NE(message("/a"), message("/b"));
}

// ---------------------------------------------------------------- decoding messages

QByteArray stringMessage(const QByteArray &textBytes) {
  QByteArray field = textBytes;
  field.append(4 - field.size() % 4, '\0');
  return hex("2f000000 2c730000") + field;
}

TEST(OSCMessageDecoding, RejectsMalformedMessages) {
  const struct {
    const char *name;
    QByteArray bytes;
  } cases[] = {
      {"empty", {}},
      {"address without tag string", hex("2f000000")},
      {"address not starting with slash", hex("61000000 2c000000")},
      {"address without NUL", hex("2f616263 64656667")},
      {"address not UTF-8", hex("2fc30000 2c000000")},
      {"tag string without comma", hex("2f000000 69000000")},
      {"unknown tag", hex("2f000000 2c780000")},
      {"64-bit tag", hex("2f000000 2c680000 0000000000000001")},
      {"nonzero address padding", hex("2f000100 2c000000")},
      {"nonzero tag padding", hex("2f000000 2c000001")},
      {"nonzero string padding", hex("2f000000 2c730000 61000100")},
      {"nonzero blob padding", hex("2f000000 2c620000 00000001 aa000100")},
      {"string without NUL", hex("2f000000 2c730000 61626364")},
      {"missing argument data", hex("2f000000 2c690000")},
      {"int cut short", hex("2f000000 2c690000 000000")},
      {"blob longer than the rest", hex("2f000000 2c620000 00000008 01020304")},
      {"blob size with top bit", hex("2f000000 2c620000 80000000")},
      {"blob padding past the end", hex("2f000000 2c620000 00000001 aa")},
      {"trailing bytes", hex("2f000000 2c000000 00000000")},
      {"overlong UTF-8", stringMessage(hex("c0af"))},
      {"UTF-8 surrogate", stringMessage(hex("eda080"))},
      {"UTF-8 above U+10FFFF", stringMessage(hex("f4908080"))},
      {"UTF-8 lead F5", stringMessage(hex("f5808080"))},
      {"lone continuation byte", stringMessage(hex("6180"))},
      {"truncated sequence", stringMessage(hex("e282"))},
      {"overlong three-byte form", stringMessage(hex("e09f bf"))},
      {"invalid UTF-8 early in a long text", stringMessage(hex("61c0af") + QByteArray(40, 'a'))},
  };
  for (const auto &c : cases) {
    EXPECT_FALSE(OSCPacket::decode(c.bytes).has_value()) << c.name;
  }
}

// A largest-size message "/x" with the given tag letters and data.
QByteArray largestWithTags(char tag, qsizetype tagCount, const QByteArray &data = {}) {
  QByteArray packet = QByteArray("/x\0\0,", 5) + QByteArray(tagCount, tag);
  return packet + QByteArray(4 - packet.size() % 4, '\0') + data;
}

// The best of a few runs, in microseconds.
qint64 decodeMicroseconds(const QByteArray &packet) {
  qint64 best = std::numeric_limits<qint64>::max();
  for (int run = 0; run < 3; ++run) {
    QElapsedTimer timer;
    timer.start();
    const auto decoded = OSCPacket::decode(packet);
    best = std::min(best, timer.nsecsElapsed() / 1000);
  }
  return best;
}

// A million tags with no data behind them are refused before any argument is made: no
// dearer than a valid message of the same size, where every tag carries its data.
TEST(OSCMessageDecoding, RefusesTagsTheDataCannotHoldBeforeMakingArguments) {
  constexpr qsizetype tagCount = OSCPacket::maximumPacketSize - 12;
  constexpr qsizetype intCount = tagCount / 5;
  const QByteArray valid = largestWithTags('i', intCount, QByteArray(4 * intCount, '\0'));
  ASSERT_EQ(OSCPacket::decode(valid)->first().arguments.size(), intCount);
  for (const char tag : {'x', 'i', 'f', 's', 'b'}) {
    const QByteArray hostile = largestWithTags(tag, tagCount);
    ASSERT_LE(hostile.size(), OSCPacket::maximumPacketSize);
    EXPECT_EQ(OSCPacket::decode(hostile), std::nullopt) << tag;
    EXPECT_LE(decodeMicroseconds(hostile), 2 * decodeMicroseconds(valid) + 1000) << tag;
  }
  // True and false carry no data: a tag list of them alone is a valid message.
  EXPECT_EQ(OSCMessage::decode(largestWithTags('T', 1000))->arguments.size(), 1000);
  // One "i" more than the data holds is refused.
  EXPECT_EQ(OSCMessage::decode(largestWithTags('i', 3, QByteArray(8, '\0'))), std::nullopt);
}

TEST(OSCMessageDecoding, AcceptsBoundaryUtf8AndEmptyBlob) {
  const struct {
    const char *bytes;
    QString text;
  } texts[] = {
      {"c280", QString(QChar(0x80))},
      {"dfbf", QString(QChar(0x7FF))},
      {"e0a080", QString(QChar(0x800))},
      {"efbfbf", QString(QChar(0xFFFF))},
      {"f0908080", QString::fromUcs4(U"\U00010000")},
      {"f48fbfbf", QString::fromUcs4(U"\U0010FFFF")},
  };
  for (const auto &t : texts) {
    const auto decoded = OSCMessage::decode(stringMessage(hex(t.bytes)));
    ASSERT_TRUE(decoded.has_value()) << t.bytes;
    EXPECT_EQ(*decoded, message("/", {s(t.text)})) << t.bytes;
  }
  const auto emptyBlob = OSCMessage::decode(hex("2f000000 2c620000 00000000"));
  ASSERT_TRUE(emptyBlob.has_value());
  EXPECT_EQ(*emptyBlob, message("/", {blob({})}));
}

TEST(OSCMessageDecoding, ReadersMoveTheCursorOnlyOnSuccess) {
  const QByteArray bytes = hex("61626300 00000005 00000002 abcd0000");
  qsizetype cursor = 0;
  EXPECT_EQ(OSCMessage::readPaddedString(bytes, cursor), QString("abc"));
  EXPECT_EQ(cursor, 4);
  EXPECT_EQ(OSCMessage::readInt32(bytes, cursor), 5u);
  EXPECT_EQ(cursor, 8);
  EXPECT_EQ(OSCMessage::readBlob(bytes, cursor), hex("abcd"));
  EXPECT_EQ(cursor, 16);
  EXPECT_FALSE(OSCMessage::readInt32(bytes, cursor).has_value());
  EXPECT_FALSE(OSCMessage::readPaddedString(bytes, cursor).has_value());
  EXPECT_EQ(cursor, 16);
}

// ---------------------------------------------------------------- packets and bundles

TEST(OSCPacketDecoding, BoundsThePacketSize) {
  const QByteArray largest = messageOfSize(OSCPacket::maximumPacketSize);
  ASSERT_EQ(largest.size(), 1'048'576);
  EXPECT_TRUE(OSCPacket::decode(largest).has_value());
  // The next well-formed size is refused by the packet limit alone.
  const QByteArray tooLarge = messageOfSize(OSCPacket::maximumPacketSize + 4);
  EXPECT_TRUE(OSCMessage::decode(tooLarge).has_value());
  EXPECT_FALSE(OSCPacket::decode(tooLarge).has_value());
  EXPECT_FALSE(OSCPacket::decode(largest + '\0').has_value());
}

TEST(OSCPacketDecoding, FlattensBundlesDepthFirst) {
  const OSCMessage m1 = message("/m1", {i(1)}), m2 = message("/m2", {s("two")}),
                   m3 = message("/m3"), m4 = message("/m4", {b(true)});
  const QByteArray tree =
      bundle({m1.encoded(), bundle({m2.encoded(), m3.encoded()}), m4.encoded()});
  const QList<OSCMessage> expected{m1, m2, m3, m4};
  EXPECT_EQ(OSCPacket::decode(tree), expected);
  // Time tags are never read.
  for (const char *timeTag : {"0000000000000000", "ffffffffffffffff", "0000000000000001"}) {
    EXPECT_EQ(OSCPacket::decode(bundle({m1.encoded()}, hex(timeTag))), QList<OSCMessage>{m1})
        << timeTag;
  }
}

TEST(OSCPacketDecoding, RejectsMalformedBundles) {
  const QByteArray ping = message("/eos/ping").encoded();
  const QByteArray bad = hex("2f000000 2c780000");
  const struct {
    const char *name;
    QByteArray bytes;
  } cases[] = {
      {"marker only", QByteArray("#bundle", 8)},
      {"marker and time tag", bundle({})},
      {"only an empty bundle", bundle({bundle({})})},
      {"element size 0", bundle({}) + bigEndian(0)},
      {"element size 1,048,577", bundle({}) + bigEndian(1'048'577) + ping},
      {"element longer than the rest", bundle({}) + bigEndian(20) + ping},
      {"size cut short", bundle({ping}) + hex("0000")},
      {"malformed element", bundle({ping, bad})},
      {"malformed message deep inside", bundle({ping, bundle({ping, bundle({bad})})})},
      {"empty bundle beside messages", bundle({ping, bundle({})})},
  };
  for (const auto &c : cases) {
    EXPECT_FALSE(OSCPacket::decode(c.bytes).has_value()) << c.name;
  }
}

TEST(OSCPacketDecoding, LimitsElementSizeCountAndNesting) {
  // Element size: the limit itself, checked on a bundle that is not a whole packet.
  EXPECT_TRUE(OSCPacket::decodeBundle(bundle({messageOfSize(1'048'576)}), 0).has_value());
  EXPECT_FALSE(OSCPacket::decodeBundle(bundle({messageOfSize(1'048'580)}), 0).has_value());

  const QByteArray ping = message("/eos/ping").encoded();
  const auto bundleOf = [&](int count) { return bundle(QList<QByteArray>(count, ping)); };
  const auto many = OSCPacket::decode(bundleOf(4096));
  ASSERT_TRUE(many.has_value());
  EXPECT_EQ(many->size(), 4096);
  EXPECT_FALSE(OSCPacket::decode(bundleOf(4097)).has_value());

  const auto nested = [&](int levels) {
    QByteArray bytes = ping;
    for (int level = 0; level < levels; ++level) bytes = bundle({bytes});
    return bytes;
  };
  EXPECT_EQ(OSCPacket::decode(nested(8)), QList<OSCMessage>{message("/eos/ping")});
  EXPECT_FALSE(OSCPacket::decode(nested(9)).has_value());
}

}  // namespace
}  // namespace tarnik
