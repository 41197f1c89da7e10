// The console double's show: generated records read back in slices over every transport,
// faults, changes and show events.

#include "EosConsoleDoubleClient.h"
#include "support/EosConsoleDoubleThread.h"
#include "support/SanitizedBuild.h"

#include <QElapsedTimer>

#include <ctime>
#include <gtest/gtest.h>
#include <map>

namespace tarnik::testing {
namespace {

OSCArgument i(qint32 v) { return OSCArgument::fromInt(v); }
OSCArgument s(const QString &v) { return OSCArgument::fromString(v); }

// Collects the slices of one record as the synchronisation will: start and total count
// from the address, then the arguments from there on.
struct Accumulated {
  std::map<qsizetype, OSCArgument> fields;
  qsizetype total = -1;
  qsizetype slices = 0;

  void add(const OSCMessage &message) {
    const QStringList components = message.address.split(u'/');
    const qsizetype start = components.value(components.size() - 2).toLongLong();
    total = components.last().toLongLong();
    for (qsizetype k = 0; k < message.arguments.size(); ++k)
      fields.insert_or_assign(start + k, message.arguments[k]);
    ++slices;
  }
  QList<OSCArgument> completed() const {
    QList<OSCArgument> list;
    for (const auto &[index, field] : fields) {
      if (index != list.size()) return {};
      list.append(field);
    }
    return list.size() == total ? list : QList<OSCArgument>{};
  }
};

Accumulated accumulate(const EosConsoleDoubleClient &client, const QString &prefix) {
  Accumulated record;
  for (const OSCMessage &m : client.messages()) {
    if (m.address.startsWith(prefix)) record.add(m);
  }
  return record;
}

class EosConsoleDoubleShowTest : public ::testing::TestWithParam<TransportCase> {};

TEST_P(EosConsoleDoubleShowTest, ReadsCountsAndShuffledOverlappingSlices) {
  const ConsoleShow show = generateConsoleShow(40, 30, 7);
  EosConsoleDouble console;
  console.recordSlicing = {.slices = 5, .overlap = 3, .shuffled = true, .seed = 11};
  console.setShow(show);
  EosConsoleDoubleClient client(console, GetParam());
  ASSERT_TRUE(client.isConnected());

  client.send(QStringLiteral("/eos/get/cue/1/count"));
  client.send(QStringLiteral("/eos/get/patch/count"));
  client.send(QStringLiteral("/eos/get/cue/1/index/13"));
  client.send(QStringLiteral("/eos/get/patch/index/17"));
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/cue/1/count")).value(0).arguments,
            QList<OSCArgument>{i(40)});
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/patch/count")).value(0).arguments,
            QList<OSCArgument>{i(30)});

  QList<OSCArgument> cue = show.cueLists.at(1)[13].fields;
  cue[0] = i(13);
  const Accumulated cueReply = accumulate(
      client, QStringLiteral("/eos/out/get/cue/1/%1/0/list/").arg(show.cueLists.at(1)[13].number));
  EXPECT_EQ(cueReply.slices, 5);
  EXPECT_EQ(cueReply.completed(), cue);

  const ConsolePatchPart &row = show.patch[17];
  QList<OSCArgument> part = row.fields;
  part[0] = i(17);
  const Accumulated patchReply = accumulate(
      client, QStringLiteral("/eos/out/get/patch/%1/%2/list/").arg(row.channel).arg(row.part));
  EXPECT_EQ(patchReply.slices, 5);
  EXPECT_EQ(patchReply.completed(), part);
}

INSTANTIATE_TEST_SUITE_P(Transports, EosConsoleDoubleShowTest,
                         ::testing::Values(udpCase, packetLengthCase, slipCase), transportCaseName);

TEST(EosConsoleDoubleShow, GeneratesVariedShowsAtTheCountLimitsQuickly) {
  // Processor time, so that other programs busy on the machine do not count.
  const std::clock_t start = std::clock();
  const ConsoleShow show = generateConsoleShow(20000, 20000, 3);
  const auto milliseconds = 1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC;
  RecordProperty("generatedMilliseconds", int(milliseconds));
  if (!underAddressSanitizer) {
    EXPECT_LT(milliseconds, 1000);
  }
  QElapsedTimer timer;
  EosConsoleDouble console;
  timer.start();
  console.setShow(show);  // encodes every reply
  RecordProperty("encodedMilliseconds", int(timer.elapsed()));
  ASSERT_EQ(show.cueLists.at(1).size(), 20000);
  ASSERT_EQ(show.patch.size(), 20000);

  // Index order: ascending cue numbers, whole and decimal; ascending channel and part.
  int decimals = 0;
  for (qsizetype k = 1; k < 20000; ++k) {
    const auto &[a, b] =
        std::pair(show.cueLists.at(1)[k - 1].number, show.cueLists.at(1)[k].number);
    EXPECT_LT(a.toDouble(), b.toDouble()) << k;
    decimals += b.contains(u'.');
  }
  EXPECT_GT(decimals, 5000);
  bool multipart = false;
  int highestUniverse = 0;
  for (qsizetype k = 1; k < 20000; ++k) {
    const ConsolePatchPart &a = show.patch[k - 1];
    const ConsolePatchPart &b = show.patch[k];
    EXPECT_LT(std::pair(a.channel, a.part), std::pair(b.channel, b.part)) << k;
    multipart |= b.part > 1;
    const auto address = consoleAbsoluteAddress(b.text(ConsolePatchPart::startAddress));
    if (address) highestUniverse = std::max(highestUniverse, (*address - 1) / 512 + 1);
  }
  EXPECT_TRUE(multipart);
  EXPECT_GT(highestUniverse, 10);
  // The same seed gives the same show.
  EXPECT_EQ(generateConsoleShow(50, 50, 3).cueLists.at(1)[49].fields,
            show.cueLists.at(1)[49].fields);
}

class EosConsoleDoubleShowFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console.setShow(generateConsoleShow(6, 6, 5));
    ASSERT_TRUE(client.isConnected());
  }

  EosConsoleDouble console;
  EosConsoleDoubleClient client{console, packetLengthCase};
};

TEST_F(EosConsoleDoubleShowFaultTest, FaultsBendTheRecordOfOneIndex) {
  const QString cue3 = console.show().cueLists.at(1)[3].number;
  const ConsolePatchPart row3 = console.show().patch[3];
  const QString patch3 = QStringLiteral("/eos/out/get/patch/%1/").arg(row3.channel);
  const struct {
    EosConsoleDouble::RecordFault fault;
    QString cueAddress;    // empty: no answer
    QString patchAddress;  // empty: no answer
  } cases[] = {
      {EosConsoleDouble::RecordFault::noAnswer, {}, {}},
      {EosConsoleDouble::RecordFault::wrongCount, "/eos/out/get/cue/1/" + cue3 + "/0/list/0/32",
       patch3 + QString::number(row3.part) + "/list/0/22"},
      {EosConsoleDouble::RecordFault::otherListOrPart,
       "/eos/out/get/cue/2/" + cue3 + "/0/list/0/31",
       patch3 + QString::number(row3.part + 1) + "/list/0/21"},
      {EosConsoleDouble::RecordFault::numberNotANumber,
       "/eos/out/get/cue/1/A" + cue3 + "/0/list/0/31",
       patch3 + QString::number(row3.part + 1) + "/list/0/21"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.cueAddress.toStdString());
    console.cueFaults = {{3, c.fault}};
    console.patchFaults = {{3, c.fault}};
    client.forget();
    client.send(QStringLiteral("/eos/get/cue/1/index/3"));
    client.send(QStringLiteral("/eos/get/patch/index/3"));
    client.send(QStringLiteral("/eos/get/cue/1/index/4"));  // untouched
    ASSERT_TRUE(client.settle());
    QStringList addresses;
    for (const OSCMessage &m : client.messages()) addresses.append(m.address);
    QStringList expected;
    if (!c.cueAddress.isEmpty()) expected += {c.cueAddress, c.patchAddress};
    expected += "/eos/out/get/cue/1/" + console.show().cueLists.at(1)[4].number + "/0/list/0/31";
    expected += "/eos/out/ping";
    EXPECT_EQ(addresses, expected);
  }
}

TEST_F(EosConsoleDoubleShowFaultTest, ChannelReadsNotificationsAndShowEvents) {
  EosConsoleDoubleClient bystander(console, udpCase);
  ASSERT_TRUE(bystander.isConnected());
  client.send(QStringLiteral("/eos/subscribe"), {i(1)});
  EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/show/name")).value(0).arguments,
            QList<OSCArgument>{s("Generated 5")});

  // A channel read answers every part of the channel with the index field -1.
  const ConsolePatchPart first = console.show().patch[0];
  const qsizetype parts = console.show().channelParts(first.channel).size();
  client.send(QStringLiteral("/eos/get/patch/%1").arg(first.channel));
  ASSERT_TRUE(client.settle());
  QList<OSCArgument> expected = first.fields;
  expected[0] = i(-1);
  EXPECT_EQ(accumulate(client, QStringLiteral("/eos/out/get/patch/%1/1/list/").arg(first.channel))
                .completed(),
            expected);
  EXPECT_EQ(accumulate(client, QStringLiteral("/eos/out/get/patch/%1/").arg(first.channel)).slices,
            parts);

  console.setCue(1, ConsoleCue{.number = QStringLiteral("0.5")});
  console.setPatchPart(ConsolePatchPart::dimmer(900, 1, 1));
  client.send(QStringLiteral("/eos/set/patch/900/label"), {s("Front \"left\"")});
  client.type(QStringLiteral("Patch Enter"));
  client.type(QStringLiteral("901 At 2 / 1 Enter"));
  client.waitFor(QStringLiteral("/eos/out/notify/patch"), 3);
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/notify/cue/1")).value(0).arguments,
            QList<OSCArgument>{s("0.5")});
  EXPECT_EQ(console.show().channelParts(900).value(0).text(ConsolePatchPart::label),
            "Front \"left\"");
  EXPECT_EQ(console.show().cueLists.at(1)[0].number, "0.5");

  // The new rows are read at their new indexes.
  client.forget();
  client.send(QStringLiteral("/eos/get/patch/count"));
  client.send(QStringLiteral("/eos/get/patch/index/7"));
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/patch/count")).value(0).arguments,
            QList<OSCArgument>{i(8)});
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/patch/901/1/list/0/21")).size(), 1);

  ConsoleShow next = generateConsoleShow(2, 2, 9);
  console.setShow(next);
  console.sendShowEvent(QStringLiteral("loaded"));
  EXPECT_EQ(bystander.waitFor(QStringLiteral("/eos/out/event/show/loaded")).value(0).arguments,
            QList<OSCArgument>{s(next.path)});
  client.send(QStringLiteral("/eos/get/show/path"));
  EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/get/show/path")).value(0).arguments,
            QList<OSCArgument>{s(next.path)});
  ASSERT_TRUE(bystander.settle());
  EXPECT_TRUE(bystander.messagesTo(QStringLiteral("/eos/out/notify/patch")).isEmpty());
}

TEST(EosConsoleDoubleShow, RunsOnAThreadOfItsOwn) {
  EosConsoleDoubleThread console;
  console.run([](EosConsoleDouble &double_) { double_.setShow(generateConsoleShow(300, 200)); });
  EosConsoleDoubleClient client(console.tcpPort(OSCTCPFraming::slip), slipCase);
  ASSERT_TRUE(client.isConnected());
  for (int index = 0; index < 300; ++index)
    client.send(QStringLiteral("/eos/get/cue/1/index/%1").arg(index));
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(accumulate(client, QStringLiteral("/eos/out/get/cue/1/")).slices, 300);
  qsizetype indexRequests = 0;
  console.run([&](EosConsoleDouble &double_) {
    for (const OSCMessage &request : double_.requests())
      indexRequests += request.address.startsWith(QLatin1String("/eos/get/cue/1/index/"));
  });
  EXPECT_EQ(indexRequests, 300);
}

}  // namespace
}  // namespace tarnik::testing
