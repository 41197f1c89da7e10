#include "OSCTestSupport.h"
#include "foundation/JsonCoding.h"
#include "link/OSCTCPFramer.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace osctest;
using Packets = QList<QByteArray>;

constexpr qsizetype largestPacket = 1'048'576;

QByteArray framed(const QByteArray &packet, OSCTCPFraming framing) {
  return OSCTCPFramer::frame(packet, framing).value();
}

TEST(OSCTCPFraming, RawValuesAndDisplayTexts) {
  EXPECT_EQ(rawValue(OSCTCPFraming::packetLength), "packetLength");
  EXPECT_EQ(rawValue(OSCTCPFraming::slip), "slip");
  EXPECT_EQ(displayText(OSCTCPFraming::packetLength), "Packet length (OSC 1.0)");
  EXPECT_EQ(displayText(OSCTCPFraming::slip), "SLIP (OSC 1.1)");
  for (OSCTCPFraming framing : allCases(OSCTCPFraming{})) {
    EXPECT_EQ(fromRawValue<OSCTCPFraming>(rawValue(framing)), framing);
  }
  for (const char *other : {"", "SLIP", "Slip", "packetlength", " slip"}) {
    EXPECT_FALSE(fromRawValue<OSCTCPFraming>(QString(other)).has_value()) << other;
  }
}

TEST(OSCTCPFramerError, TextIsCaseNameWithDecimalPayload) {
  EXPECT_EQ(OSCTCPFramerError::invalidFrameLength(0).text(), "invalidFrameLength(0)");
  EXPECT_EQ(OSCTCPFramerError::invalidFrameLength(4294967295).text(),
            "invalidFrameLength(4294967295)");
  EXPECT_EQ(OSCTCPFramerError::invalidSLIPEscape(65).text(), "invalidSLIPEscape(65)");
  EXPECT_EQ(OSCTCPFramerError::bufferLimitExceeded().text(), "bufferLimitExceeded");
  EXPECT_NE(OSCTCPFramerError::invalidSLIPEscape(65), OSCTCPFramerError::invalidSLIPEscape(66));
}

TEST(OSCTCPFramerSending, FramesBothWays) {
  const QByteArray plain = message("/eos/ping").encoded();
  EXPECT_EQ(framed(plain, OSCTCPFraming::packetLength), bigEndian(16) + plain);
  EXPECT_EQ(framed(plain, OSCTCPFraming::slip), hex("c0") + plain + hex("c0"));
  EXPECT_EQ(framed(hex("c0db"), OSCTCPFraming::slip), hex("c0 dbdc dbdd c0"));
  for (OSCTCPFraming framing : allCases(OSCTCPFraming{})) {
    EXPECT_EQ(OSCTCPFramer::frame({}, framing).error(), OSCTCPFramerError::invalidFrameLength(0));
    EXPECT_EQ(OSCTCPFramer::frame(QByteArray(largestPacket + 1, 'x'), framing).error(),
              OSCTCPFramerError::invalidFrameLength(1'048'577));
    EXPECT_TRUE(OSCTCPFramer::frame(QByteArray(largestPacket, 'x'), framing).has_value());
  }
  // Worst case for SLIP: every byte escaped.
  EXPECT_EQ(framed(QByteArray(1000, char(0xc0)), OSCTCPFraming::slip).size(), 2002);
}

// A stream with packets of awkward content: special SLIP bytes at the edges, a byte that
// looks like a length prefix, a packet of one byte.
Packets samplePackets() {
  return {hex("c0"),
          hex("db"),
          hex("00000004 c0dbc0db"),
          message("/eos/out/ping", {OSCArgument::fromInt(7)}).encoded(),
          hex("dbdcdbdd"),
          QByteArray(300, char(0xdb))};
}

TEST(OSCTCPFramerReceiving, SameStreamSamePacketsHoweverCut) {
  const Packets packets = samplePackets();
  for (OSCTCPFraming framing : allCases(OSCTCPFraming{})) {
    SCOPED_TRACE(rawValue(framing).toStdString());
    QByteArray stream;
    for (const QByteArray &packet : packets) stream += framed(packet, framing);

    OSCTCPFramer whole(framing);
    EXPECT_EQ(whole.append(stream), packets);
    EXPECT_EQ(whole.bufferedSize(), 0);

    // One cut at every position, so that every prefix byte and every escape is split once.
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
      OSCTCPFramer framer(framing);
      Packets received = framer.append(QByteArrayView(stream).first(cut)).value();
      received += framer.append(QByteArrayView(stream).sliced(cut)).value();
      ASSERT_EQ(received, packets) << "cut at " << cut;
    }
    OSCTCPFramer byteByByte(framing);
    Packets received;
    for (char byte : stream) received += byteByByte.append(QByteArrayView(&byte, 1)).value();
    EXPECT_EQ(received, packets);
  }
}

TEST(OSCTCPFramerReceiving, PacketLengthPrefixLimits) {
  OSCTCPFramer framer(OSCTCPFraming::packetLength);
  EXPECT_EQ(framer.append(bigEndian(0)).error(), OSCTCPFramerError::invalidFrameLength(0));
  EXPECT_EQ(framer.append(bigEndian(1'048'577)).error(),
            OSCTCPFramerError::invalidFrameLength(1'048'577));
  EXPECT_EQ(framer.append(bigEndian(0xffffffff)).error(),
            OSCTCPFramerError::invalidFrameLength(4294967295));

  // The largest length waits for all its bytes.
  const QByteArray largest(largestPacket, 'p');
  EXPECT_EQ(framer.append(bigEndian(largestPacket) + largest.first(largestPacket - 1)), Packets{});
  EXPECT_EQ(framer.append(largest.last(1)), Packets{largest});
  EXPECT_EQ(framer.bufferedSize(), 0);
}

TEST(OSCTCPFramerReceiving, PacketLengthBufferLimit) {
  const QByteArray largest(largestPacket, 'p');
  const QByteArray twoFrames = framed(largest, OSCTCPFraming::packetLength).repeated(2);
  ASSERT_EQ(twoFrames.size(), OSCTCPFramer::maximumPacketLengthBuffer);
  ASSERT_EQ(twoFrames.size(), 2'097'160);

  OSCTCPFramer framer(OSCTCPFraming::packetLength);
  EXPECT_EQ(framer.append(twoFrames), (Packets{largest, largest}));

  // One byte already held takes the same input past the limit, complete frames or not.
  const QByteArray small = framed(hex("01"), OSCTCPFraming::packetLength);
  EXPECT_EQ(framer.append(small.first(1)), Packets{});
  EXPECT_EQ(framer.append(twoFrames).error(), OSCTCPFramerError::bufferLimitExceeded());
  EXPECT_EQ(framer.bufferedSize(), 0);
  EXPECT_EQ(framer.append(small), Packets{hex("01")});

  // A buffered partial frame plus input adding up to exactly the limit is allowed.
  const QByteArray frame = framed(largest, OSCTCPFraming::packetLength);
  EXPECT_EQ(framer.append(frame.first(10)), Packets{});
  EXPECT_EQ(framer.append(frame.sliced(10) + frame), (Packets{largest, largest}));
}

TEST(OSCTCPFramerReceiving, SLIPEmptyFramesAndEscapes) {
  OSCTCPFramer framer(OSCTCPFraming::slip);
  EXPECT_EQ(framer.append(hex("c0c0")), Packets{});
  EXPECT_EQ(framer.append(hex("c0 41 c0 c0 c0 42 c0")), (Packets{hex("41"), hex("42")}));
  // An escape pending at the end of one input is finished by the next.
  EXPECT_EQ(framer.append(hex("41db")), Packets{});
  EXPECT_EQ(framer.append(hex("dc c0")), Packets{hex("41c0")});

  const struct {
    const char *input;
    quint8 partner;
  } badEscapes[] = {{"c0 41 db 41", 65}, {"db c0", 192}, {"dbdb", 219}, {"db00", 0}};
  for (const auto &bad : badEscapes) {
    EXPECT_EQ(framer.append(hex(bad.input)).error(),
              OSCTCPFramerError::invalidSLIPEscape(bad.partner))
        << bad.input;
    EXPECT_EQ(framer.bufferedSize(), 0);
  }
}

TEST(OSCTCPFramerReceiving, SLIPFrameLimit) {
  const QByteArray largest(largestPacket, 'p');
  OSCTCPFramer framer(OSCTCPFraming::slip);
  EXPECT_EQ(framer.append(hex("c0") + largest + hex("c0")), Packets{largest});
  EXPECT_EQ(framer.append(hex("c0") + largest + hex("41c0")).error(),
            OSCTCPFramerError::bufferLimitExceeded());
  // The byte past the limit may also arrive escaped, or in a later input.
  EXPECT_EQ(framer.append(largest + hex("dbdc")).error(), OSCTCPFramerError::bufferLimitExceeded());
  EXPECT_EQ(framer.append(largest), Packets{});
  EXPECT_EQ(framer.append(hex("41")).error(), OSCTCPFramerError::bufferLimitExceeded());
}

TEST(OSCTCPFramerReceiving, ErrorsDropEverythingAndStartAfresh) {
  OSCTCPFramer lengths(OSCTCPFraming::packetLength);
  // Packets finished earlier in the failing input are dropped with it.
  const QByteArray good = framed(hex("01020304"), OSCTCPFraming::packetLength);
  EXPECT_FALSE(lengths.append(good + bigEndian(0) + good).has_value());
  EXPECT_EQ(lengths.append(good), Packets{hex("01020304")});

  OSCTCPFramer slip(OSCTCPFraming::slip);
  EXPECT_EQ(slip.append(hex("41")), Packets{});
  EXPECT_FALSE(slip.append(hex("42c0 43db41 44c0")).has_value());
  EXPECT_EQ(slip.append(hex("45c0")), Packets{hex("45")});
  // reset() forgets a pending escape too.
  EXPECT_EQ(slip.append(hex("46db")), Packets{});
  slip.reset();
  EXPECT_EQ(slip.append(hex("41c0")), Packets{hex("41")});
  EXPECT_EQ(slip.framing(), OSCTCPFraming::slip);
  // Empty input changes nothing.
  EXPECT_EQ(slip.append(hex("47")), Packets{});
  EXPECT_EQ(slip.append({}), Packets{});
  EXPECT_EQ(slip.append(hex("c0")), Packets{hex("47")});
}

// Handing packets on as they are cut drops the same ones on an error: none of the input.
TEST(OSCTCPFramerReceiving, PacketsHandedOnOneByOneFollowTheSameRules) {
  for (const OSCTCPFraming framing : allOSCTCPFramings) {
    OSCTCPFramer framer(framing);
    Packets taken;
    const auto take = [&taken](QByteArrayView packet) { taken.append(packet.toByteArray()); };
    const QByteArray broken = framing == OSCTCPFraming::packetLength ? bigEndian(0) : hex("db41");
    EXPECT_TRUE(framer.appendEach(framed(hex("0a"), framing) + broken, take).has_value());
    EXPECT_EQ(taken, Packets{});
    const QByteArray stream = framed(hex("0b"), framing) + framed(hex("0c0d"), framing);
    EXPECT_EQ(framer.appendEach(stream.first(3), take), std::nullopt);
    EXPECT_EQ(framer.appendEach(stream.sliced(3), take), std::nullopt);
    EXPECT_EQ(taken, (Packets{hex("0b"), hex("0c0d")}));
  }
}

}  // namespace
}  // namespace tarnik
