// The console double's users, command lines, park, patch lines, fixtures and scripts, read
// through a real OSCManager as the isolated sessions use one.

#include "EosConsoleDoubleClient.h"
#include "foundation/UptimeClock.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

using Echoes = QList<std::pair<QString, int>>;

OSCArgument s(const QString &v) { return OSCArgument::fromString(v); }
OSCArgument i(qint32 v) { return OSCArgument::fromInt(v); }
OSCArgument f(float v) { return OSCArgument::fromFloat(v); }

const QString barrier = QStringLiteral("Chan 1 + 1 - 1 + 1 + 1 Thru 1 Enter");

class EosConsoleDoubleBootstrapTest : public ::testing::TestWithParam<TransportCase> {};

TEST_P(EosConsoleDoubleBootstrapTest, WalksTheIsolatedSessionBootstrap) {
  for (const std::optional<QString> &cue :
       {std::optional<QString>(), std::optional(QString("2.5"))}) {
    SCOPED_TRACE(cue.value_or("no active cue").toStdString());
    EosConsoleDouble console;
    console.activeCue = cue;
    console.showPath = QStringLiteral("/shows/Ä \"night\".esf");
    EosConsoleDoubleClient client(console, GetParam());
    ASSERT_TRUE(client.isConnected());
    const QString live = cue ? QStringLiteral("LIVE: Cue 2.5 :") : QStringLiteral("LIVE:");

    client.send(QStringLiteral("/eos/subscribe"), {i(1)});
    EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/user")).value(0).arguments,
              QList<OSCArgument>{i(1)});
    client.send(QStringLiteral("/eos/get/show/path"));
    EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/get/show/path")).value(0).arguments,
              QList<OSCArgument>{s(console.showPath)});
    ASSERT_TRUE(client.manager().sendPing());
    EXPECT_TRUE(waitUntil([&] { return client.manager().lastPingResponse().has_value(); }));

    client.send(QStringLiteral("/eos/user/auto"));
    EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/user"), 2).value(1).arguments,
              QList<OSCArgument>{i(100)});
    client.type(barrier);
    client.send(QStringLiteral("/eos/key/clear_cmd"));
    client.type(QStringLiteral("Live Enter"));
    client.waitFor(QStringLiteral("/eos/out/user/100/cmd"), 3);
    EXPECT_EQ(
        client.echoes(100),
        (Echoes{{live + " Chan 1 + 1 - 1 + 1 + 1 Thru 1 #", 0}, {live, 0}, {live + " Live #", 0}}));
    EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/cmd")).size(), 3);
  }
}

INSTANTIATE_TEST_SUITE_P(TCP, EosConsoleDoubleBootstrapTest,
                         ::testing::Values(packetLengthCase, slipCase), transportCaseName);

class EosConsoleDoubleTest : public ::testing::Test {
 protected:
  EosConsoleDouble console;
};

TEST_F(EosConsoleDoubleTest, KeepsOneUserPerConnectionAndShowsLinesToTheRightOnes) {
  console.fixtures[7] = {QStringLiteral("Acme"),
                         QStringLiteral("Spot"),
                         {{QStringLiteral("Intensity"), 42.4f, 0, 100}},
                         {},
                         210,
                         75};
  EosConsoleDoubleClient board(console, packetLengthCase);
  EosConsoleDoubleClient session(console, slipCase);
  ASSERT_TRUE(board.isConnected() && session.isConnected());
  session.send(QStringLiteral("/eos/user"), {i(5)});
  session.waitFor(QStringLiteral("/eos/out/user"));
  EXPECT_EQ(console.connectionUsers(), (QList<int>{1, 5}));

  session.type(QStringLiteral("Chan 7 Enter"));
  session.waitFor(QStringLiteral("/eos/out/color/hs"));
  QStringList order;
  for (const OSCMessage &m : session.messages()) order.append(m.address);
  EXPECT_EQ(order.mid(order.indexOf("/eos/out/user/5/cmd")),
            (QStringList{"/eos/out/user/5/cmd", "/eos/out/cmd", "/eos/out/active/chan",
                         "/eos/out/color/hs"}));
  EXPECT_EQ(session.messagesTo(QStringLiteral("/eos/out/active/chan")).value(0).arguments,
            QList<OSCArgument>{s("7 [42] Spot")});
  EXPECT_EQ(session.messagesTo(QStringLiteral("/eos/out/color/hs")).value(0).arguments,
            (QList<OSCArgument>{f(210), f(75)}));

  ASSERT_TRUE(board.settle());
  EXPECT_EQ(board.echoes(5), (Echoes{{"LIVE: Chan 7 #", 0}}));
  EXPECT_TRUE(board.messagesTo(QStringLiteral("/eos/out/cmd")).isEmpty());
  EXPECT_TRUE(board.messagesTo(QStringLiteral("/eos/out/active/chan")).isEmpty());

  EosConsoleDoubleClient late(console, packetLengthCase);
  ASSERT_TRUE(late.isConnected());
  EXPECT_EQ(late.echoes(5), (Echoes{{"LIVE: Chan 7 #", 0}}));
}

TEST_F(EosConsoleDoubleTest, ParksQueriesAndListsChannels) {
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  const auto listed = [&] {
    client.forget();
    client.send(QStringLiteral("/eos/get/chans"));
    return client.waitFor(QStringLiteral("/eos/out/get/chans")).value(0).arguments;
  };

  client.type(QStringLiteral("Query Park Enter"));
  client.waitFor(QStringLiteral("/eos/out/user/1/cmd"));
  EXPECT_EQ(client.echoes(1), (Echoes{{"LIVE: Query Park : Channel List is Empty#", 1}}));
  EXPECT_EQ(listed(), QList<OSCArgument>{});

  for (const char *line :
       {"Chan 5 At Park Enter", "Chan 1 At Park Enter", "Chan 2 At Park Enter",
        "Chan 3 At Park Enter", "Chan 9 At Park Enter", "Chan 9 At Park Enter Enter"}) {
    client.type(QString::fromLatin1(line));
  }
  client.type(QStringLiteral("Query Park Enter"));
  client.waitFor(QStringLiteral("/eos/out/user/1/cmd"), 7);
  EXPECT_EQ(client.echoes(1).mid(5),
            (Echoes{{"LIVE: Chan 9 @ Park #", 0}, {"LIVE: Query Park #", 0}}));
  EXPECT_EQ(console.parkedChannels, (std::set<int>{1, 2, 3, 5}));
  EXPECT_EQ(listed(), QList<OSCArgument>{s("1-3, 5")});
}

// The command lines a patch write types, and what each leaves in the patch.
struct PatchLineCase {
  const char *line;
  int status;
  int channel;
  QStringList parts;  // "part start-end manufacturer/model" for each part of the channel
};

QStringList describedParts(const EosConsoleDouble &console, int channel) {
  QStringList parts;
  for (const ConsolePatchPart &p : console.show().channelParts(channel)) {
    parts.append(QStringLiteral("%1 %2-%3 %4/%5")
                     .arg(p.part)
                     .arg(p.text(ConsolePatchPart::startAddress),
                          p.text(ConsolePatchPart::endAddress),
                          p.text(ConsolePatchPart::manufacturer), p.text(ConsolePatchPart::model)));
  }
  return parts;
}

TEST_F(EosConsoleDoubleTest, PatchLinesChangeTheOnePatchTable) {
  ConsoleShow existing;
  existing.setPatchPart(ConsolePatchPart::dimmer(11, 1, 600));
  console.footprints[QStringLiteral("Beam 300 Mode 2")] = 16;
  const QList<PatchLineCase> cases{
      {"5 At 1 / 10 Thru 1 / 12 Enter",
       0,
       5,
       {"1 1/10-1/10 Generic/Dimmer", "2 1/11-1/11 Generic/Dimmer", "3 1/12-1/12 Generic/Dimmer"}},
      {"5 At 1 / 10 Enter", 0, 5, {"1 1/10-1/10 Generic/Dimmer"}},
      {"10 Thru 12 At 2 / 1 Enter", 0, 12, {"1 2/3-2/3 Generic/Dimmer"}},
      {"11 Part 1 At 2 / 2 Enter", 0, 11, {"1 2/2-2/2 Generic/Dimmer"}},
      {"7 Type Acme_Stage Beam_300_Mode_2 Enter", 0, 7, {"1 - Acme Stage/Beam 300 Mode 2"}},
      {"5 At 1 / 513 Enter", 1, 5, {}},
      {"5 At 1 / 10", 1, 5, {}},
      {"Chan 5 Enter", 1, 5, {}},
  };
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  client.type(QStringLiteral("Patch Enter"));
  client.waitFor(QStringLiteral("/eos/out/user/1/cmd"));
  for (const PatchLineCase &c : cases) {
    SCOPED_TRACE(c.line);
    console.setShow(existing);
    client.forget();
    client.type(QString::fromLatin1(c.line));
    client.waitFor(QStringLiteral("/eos/out/user/1/cmd"));
    const QString body = QString::fromLatin1(c.line).remove(QRegularExpression(" Enter$"));
    EXPECT_EQ(client.echoes(1), (Echoes{{c.status == 0 ? "Patch Channel: " + body + " #"
                                                       : QString::fromLatin1(c.line) + " #",
                                         c.status}}));
    EXPECT_EQ(describedParts(console, c.channel), c.parts);
    if (c.status != 0) {
      EXPECT_EQ(console.show().patch.size(), 1);
    }
  }

  // A type line and then the address line of part 1, as a fixture write types them.
  client.type(QStringLiteral("7 Type Acme_Stage Beam_300_Mode_2 Enter"));
  client.type(QStringLiteral("7 Part 1 At 1 / 20 Enter"));
  client.waitFor(QStringLiteral("/eos/out/user/1/cmd"), 2);
  EXPECT_EQ(describedParts(console, 7), QStringList{"1 1/20-1/35 Acme Stage/Beam 300 Mode 2"});
}

TEST_F(EosConsoleDoubleTest, AnswersAndChangesFixtureParameters) {
  console.fixtures[7] = {
      QStringLiteral("Acme"),
      QStringLiteral("Spot"),
      {{QStringLiteral("Intensity"), 50, 0, 100}, {QStringLiteral("Color/Mix"), 0.5f, 0, 1}},
      {{QStringLiteral("Red"), 10, 0, 100}}};
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  client.send(QStringLiteral("/eos/get/emitters/7"));
  client.send(QStringLiteral("/eos/get/params/8"));  // no fixture there: no answer
  client.send(QStringLiteral("/eos/chan/7/param/color\\mix"), {f(0.25f)});
  client.send(QStringLiteral("/eos/chan/7/color/hs"), {f(120), f(50)});
  client.send(QStringLiteral("/eos/get/params/7"));
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/emitters/7")).value(0).arguments,
            (QList<OSCArgument>{s("Acme"), s("Spot"), s("Red"), f(10), f(0), f(100)}));
  EXPECT_TRUE(client.messagesTo(QStringLiteral("/eos/out/get/params/8")).isEmpty());
  EXPECT_EQ(client.messagesTo(QStringLiteral("/eos/out/get/params/7")).value(0).arguments,
            (QList<OSCArgument>{s("Acme"), s("Spot"), s("Intensity"), f(50), f(0), f(100),
                                s("Color/Mix"), f(0.25f), f(0), f(1)}));
  EXPECT_EQ(console.fixtures[7].hue, 120);
  EXPECT_EQ(console.fixtures[7].saturation, 50);
}

TEST_F(EosConsoleDoubleTest, FlashIsHeldByTheLineAndReleasedByTheKey) {
  console.activeCue = QStringLiteral("4");
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  client.type(QStringLiteral("Chan 12 Flash"));
  client.waitFor(QStringLiteral("/eos/out/user/1/cmd"));
  EXPECT_EQ(console.flashes.value(1), 12);
  client.send(QStringLiteral("/eos/key/flash"));
  client.send(QStringLiteral("/eos/key/flash"));  // nothing held any more: no echo
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(client.echoes(1),
            (Echoes{{"LIVE: Cue 4 : Chan 12 Flash #", 0}, {"LIVE: Cue 4 : Chan 12 #", 0}}));
  EXPECT_FALSE(console.flashes.contains(1));
}

TEST_F(EosConsoleDoubleTest, ScriptsBendTheEchoes) {
  console.parkedChannels = {3};
  console.duplicateEchoes = true;
  console.intermediateEchoes = true;
  console.echoOverrides[QStringLiteral("Query Park Enter")] = {
      {QStringLiteral("LIVE: Query Park : Channel List is Empty#"), 1}, {QStringLiteral("odd"), 2}};
  console.echoOverrides[QStringLiteral("/eos/key/clear_cmd")] = {};
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  client.type(QStringLiteral("Chan 5 At Park Enter"));
  client.type(QStringLiteral("Query Park Enter"));
  client.send(QStringLiteral("/eos/key/clear_cmd"));
  ASSERT_TRUE(client.settle());
  EXPECT_EQ(client.echoes(1), (Echoes{{"LIVE: Chan 5 At Park", 0},
                                      {"LIVE: Chan 5 At Park", 0},
                                      {"LIVE: Chan 5 @ Park #", 0},
                                      {"LIVE: Chan 5 @ Park #", 0},
                                      {"LIVE: Query Park : Channel List is Empty#", 1},
                                      {"LIVE: Query Park : Channel List is Empty#", 1},
                                      {"odd", 2},
                                      {"odd", 2}}));
  // An override replaces the echoes only: the query still selected the parked channels.
  EXPECT_EQ(console.selections.value(1), (std::set<int>{3, 5}));
  EXPECT_EQ(console.commandLines.value(1), (EosConsoleDouble::Echo{"odd", 2}));
}

TEST_F(EosConsoleDoubleTest, PushedLinesAndSilenceAndLatePings) {
  EosConsoleDoubleClient client(console, packetLengthCase);
  ASSERT_TRUE(client.isConnected());
  client.send(QStringLiteral("/eos/user"), {i(3)});
  client.waitFor(QStringLiteral("/eos/out/user"));
  console.pushCommandLine(3, QStringLiteral("LIVE: Chan 1 Thru 5 #"));
  EXPECT_EQ(client.waitFor(QStringLiteral("/eos/out/cmd")).value(0).arguments,
            QList<OSCArgument>{s("LIVE: Chan 1 Thru 5 #")});

  console.silent = true;
  client.send(QStringLiteral("/eos/get/show/path"));
  ASSERT_TRUE(waitUntil([&] { return console.requests("/eos/get/show/path").size() == 1; }));
  console.silent = false;
  ASSERT_TRUE(client.settle());
  EXPECT_TRUE(client.messagesTo(QStringLiteral("/eos/out/get/show/path")).isEmpty());

  console.pingReplyDelay = std::chrono::milliseconds(300);
  QElapsedTimer sentAt;
  sentAt.start();
  client.send(QStringLiteral("/eos/ping"), {s("late")});
  client.send(QStringLiteral("/eos/get/show/path"));
  const OSCMessage latePing{QStringLiteral("/eos/out/ping"), {s("late")}};
  ASSERT_TRUE(waitUntil([&] { return client.messages().contains(latePing); }));
  EXPECT_GE(sentAt.elapsed(), 300);
  const QList<OSCMessage> &order = client.messages();
  const auto position = [&](const QString &address) {
    return std::find_if(order.begin(), order.end(),
                        [&](const OSCMessage &m) { return m.address == address; }) -
           order.begin();
  };
  EXPECT_LT(position(QStringLiteral("/eos/out/get/show/path")), order.indexOf(latePing));
}

TEST_F(EosConsoleDoubleTest, RecordsWheelMovesWithTheirTime) {
  EosConsoleDoubleClient client(console, udpCase);
  ASSERT_TRUE(client.isConnected());
  const double before = systemUptime();
  client.send(QStringLiteral("/eos/user/5/wheel/coarse/pan"), {f(0.4f)});
  ASSERT_TRUE(waitUntil([&] { return console.wheelMoves().size() == 1; }));
  EXPECT_EQ(console.wheelMoves()[0].message.arguments, QList<OSCArgument>{f(0.4f)});
  EXPECT_GE(console.wheelMoves()[0].decodedAt, before);
  EXPECT_LE(console.wheelMoves()[0].decodedAt, systemUptime());
}

}  // namespace
}  // namespace tarnik::testing
