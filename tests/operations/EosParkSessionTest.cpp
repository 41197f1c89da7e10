#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosParkSession.h"

#include <QPointer>
#include <QTcpServer>

#include <cmath>
#include <limits>

namespace tarnik {
namespace {

using testing::ConsoleRig;
using testing::EosConsoleDouble;
using testing::SessionCase;
using testing::spinUntil;
using Action = EosParkSession::Action;

std::set<int> channelRange(int first, int last) {
  std::set<int> channels;
  for (int c = first; c <= last; ++c) channels.insert(c);
  return channels;
}

struct ParkRig : ConsoleRig {
  explicit ParkRig(const SessionCase &session, EosIsolatedSession::Options made = {})
      : ConsoleRig(session), session(withDefaults(std::move(made))) {}

  EosIsolatedSession::Options withDefaults(EosIsolatedSession::Options made) const {
    if (!made.timeoutScheduler) made.timeoutScheduler = clock;
    return made;
  }

  std::optional<QString> start(std::optional<Action> action = std::nullopt) {
    return session.start(
        console.showPath, action,
        [this] { return gateOpen && (gateAnswers < 0 || gateAnswers-- > 0); },
        [this](EosParkSession::Result result) { results.append(result); }, endpoint(), framing);
  }

  EosParkSession::Result awaitResult() {
    EXPECT_TRUE(spinUntil([this] { return !results.isEmpty(); }));
    return results.value(0, std::unexpected(EosParkSession::Failure{QStringLiteral("none")}));
  }

  QString awaitFailure() {
    const auto result = awaitResult();
    return result ? QStringLiteral("succeeded") : result.error().text;
  }

  bool gateOpen = true;
  int gateAnswers = -1;  // how many more times the gate answers true; -1: no limit
  QList<EosParkSession::Result> results;
  EosParkSession session;
};

class ParkSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(ParkSession, PlainRefreshTypesLiveAndOneQueryThenReadsTheListAndTheShow) {
  ParkRig rig(GetParam());
  rig.console.parkedChannels = {3, 4, 5, 9};
  ASSERT_EQ(rig.start(), std::nullopt);
  EXPECT_EQ(rig.awaitResult(), EosParkSession::Result(std::set<int>{3, 4, 5, 9}));
  EXPECT_EQ(rig.sessionRequests(),
            (QStringList{"/eos/subscribe", "/eos/get/show/path", "/eos/user/auto", "/eos/newcmd",
                         "/eos/key/clear_cmd", "/eos/newcmd", "/eos/newcmd", "/eos/get/chans",
                         "/eos/get/show/path"}));
  EXPECT_EQ(rig.typed(),
            (QStringList{"<marker>", "/eos/key/clear_cmd", "Live Enter", "Query Park Enter"}));
}

TEST_P(ParkSession, ActsOnlyWhenTheChannelIsNotYetAsAskedAndProvesTheChange) {
  struct Row {
    std::set<int> parkedBefore;
    FixtureParkAction action;
    QStringList typedAfterLive;
    std::set<int> result;
  };
  const QString query = QStringLiteral("Query Park Enter");
  const Row rows[] = {
      {{}, FixtureParkAction::park, {query, "Chan 5 At Park Enter", query}, {5}},
      {{5, 7}, FixtureParkAction::unpark, {query, "Chan 5 At Park Enter Enter", query}, {7}},
      {{5}, FixtureParkAction::park, {query}, {5}},
      {{7}, FixtureParkAction::unpark, {query}, {7}},
  };
  ParkRig rig(GetParam());
  for (const Row &row : rows) {
    rig.results.clear();
    rig.console.parkedChannels = row.parkedBefore;
    const qsizetype typedBefore = rig.typed().size();
    ASSERT_EQ(rig.start(Action{5, row.action}), std::nullopt);
    EXPECT_EQ(rig.awaitResult(), EosParkSession::Result(row.result));
    EXPECT_EQ(rig.typed().mid(typedBefore + 3), row.typedAfterLive);
  }
}

TEST_P(ParkSession, EndsOnListsThatDisagreeWithTheirEchoAndOnUnprovenOrRejectedParks) {
  struct Row {
    const char *name;
    std::set<int> parked;
    std::optional<QList<OSCArgument>> listReply;  // in place of the console's own
    std::function<void(ParkRig &)> script;
    QString failure;  // "%1" stands for the rejected echo
  };
  const QString ambiguous = QStringLiteral("Eos returned an ambiguous parked-channel list.");
  const QList<OSCArgument> listOf3{OSCArgument::fromString("3")};
  const Row rows[] = {
      {"empty echo, then a list", {}, QList{OSCArgument::fromString("5")}, {}, ambiguous},
      {"plain echo, then no list", {3}, QList<OSCArgument>{}, {}, ambiguous},
      {"unreadable list", {3}, QList{OSCArgument::fromFloat(3)}, {}, ambiguous},
      {"second query lacks the channel",
       {3},
       listOf3,
       {},
       "Eos did not confirm the requested park state."},
      {"park echo with status 1",
       {},
       std::nullopt,
       [](ParkRig &rig) {
         rig.console.echoOverrides["Chan 5 At Park Enter"] = {{rig.liveLine("Chan 5 @ Park #"), 1}};
       },
       "Eos rejected the park operation: %1"},
      {"an echo that is not a string and an int",
       {},
       std::nullopt,
       [](ParkRig &rig) {
         rig.onRequest("Live Enter", [&rig] {
           rig.console.send({{"/eos/out/user/100/cmd", {OSCArgument::fromString("LIVE: #")}}});
         });
       },
       "Eos returned malformed park command feedback."},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    ParkRig rig(GetParam());
    rig.console.parkedChannels = row.parked;
    if (row.listReply) {
      rig.console.setHandler("/eos/get/chans", [reply = *row.listReply](const OSCMessage &) {
        return QList<OSCMessage>{{"/eos/out/get/chans", reply}};
      });
    }
    if (row.script) row.script(rig);
    ASSERT_EQ(rig.start(Action{5, FixtureParkAction::park}), std::nullopt);
    EXPECT_EQ(rig.awaitFailure(), row.failure.contains("%1")
                                      ? row.failure.arg(rig.liveLine("Chan 5 @ Park #"))
                                      : row.failure);
  }
}

TEST_P(ParkSession, RepeatedEchoesNeverSendACommandTwice) {
  ParkRig rig(GetParam());
  rig.console.duplicateEchoes = true;
  rig.console.intermediateEchoes = true;
  ASSERT_EQ(rig.start(Action{5, FixtureParkAction::park}), std::nullopt);
  EXPECT_EQ(rig.awaitResult(), EosParkSession::Result(std::set<int>{5}));
  EXPECT_EQ(rig.typed(),
            (QStringList{"<marker>", "/eos/key/clear_cmd", "Live Enter", "Query Park Enter",
                         "Chan 5 At Park Enter", "Query Park Enter"}));
}

TEST_P(ParkSession, AsksForAUserOnlyAfterTheShowThePingAndTheBaselineUser) {
  ParkRig rig(GetParam());
  rig.console.pingReplyDelay = std::chrono::milliseconds(300);
  bool showSeenWithoutUserRequest = false;
  QObject::connect(&rig.session.transport(), &OSCManager::lastReceivedMessageChanged,
                   &rig.session.transport(), [&](const std::optional<OSCMessage> &message) {
                     if (message && message->address == u"/eos/out/get/show/path" &&
                         rig.console.requests("/eos/user/auto").isEmpty())
                       showSeenWithoutUserRequest = true;
                   });
  ASSERT_EQ(rig.start(), std::nullopt);
  EXPECT_TRUE(rig.awaitResult());
  EXPECT_TRUE(showSeenWithoutUserRequest);
}

TEST_P(ParkSession, AReplyDatedBeforeItsPingProvesNothing) {
  EosIsolatedSession::Options shifted;
  shifted.pingClock = [] { return systemUptime() + 1000; };
  ParkRig rig(GetParam(), std::move(shifted));
  ASSERT_EQ(rig.start(), std::nullopt);
  ASSERT_TRUE(spinUntil([&] { return rig.console.requests("/eos/ping").size() >= 2; }));
  rig.clock->advance(8);
  EXPECT_EQ(rig.awaitFailure(), "Park command confirmation timed out.");
  EXPECT_TRUE(rig.console.requests("/eos/user/auto").isEmpty());
}

TEST_P(ParkSession, IgnoresEveryOtherUsersLinesInEveryPhase) {
  ParkRig rig(GetParam());
  QObject::connect(&rig.console, &EosConsoleDouble::requestReceived, &rig.console,
                   [&rig] { rig.console.pushCommandLine(1, "Chan 5 @ Park #", 1); });
  ASSERT_EQ(rig.start(Action{5, FixtureParkAction::park}), std::nullopt);
  EXPECT_EQ(rig.awaitResult(), EosParkSession::Result(std::set<int>{5}));
}

TEST_P(ParkSession, AcceptsAllocatedUserZeroAndRefusesANegativeOne) {
  for (const int user : {0, -1}) {
    ParkRig rig(GetParam());
    rig.console.setHandler(
        "/eos/user/auto", [user](const OSCMessage &, EosConsoleDouble::Asker &asker) {
          asker.setUser(user);
          return QList<OSCMessage>{{"/eos/out/user", {OSCArgument::fromInt(user)}}};
        });
    ASSERT_EQ(rig.start(), std::nullopt);
    EXPECT_EQ(rig.awaitFailure(),
              user == 0 ? "succeeded" : "Eos returned a malformed allocated park user.");
  }
}

TEST_P(ParkSession, TheClearBarrierWaitsForTheLatestLineToBeEmpty) {
  ParkRig rig(GetParam());
  rig.console.echoOverrides["/eos/key/clear_cmd"] = {{rig.liveLine("").trimmed(), 0},
                                                     {rig.liveLine("Chan 3"), 0}};
  int pingReplies = 0;
  QObject::connect(&rig.session.transport(), &OSCManager::lastPingResponseChanged,
                   &rig.session.transport(),
                   [&](std::optional<double> date) { pingReplies += date ? 1 : 0; });
  ASSERT_EQ(rig.start(), std::nullopt);
  // The verification ping, the bootstrap ping and the one behind the clear key: the echoes
  // went out before the last reply.
  ASSERT_TRUE(spinUntil([&] { return pingReplies == 3; }));
  EXPECT_FALSE(rig.typed().contains("Live Enter"));
  rig.console.pushCommandLine(100, rig.liveLine("").trimmed());
  EXPECT_TRUE(rig.awaitResult());
}

TEST_P(ParkSession, EndsWithTheTextOfEachStepWhenTheGateCloses) {
  const QString changed = QStringLiteral("The main console session changed.");
  const QString notSent = QStringLiteral("The isolated park command was not sent.");
  struct Row {
    QString closesOn;  // request or typed line
    QString failure;
  };
  const Row rows[] = {
      {"/eos/get/show/path", "Could not allocate the isolated park user."},
      {"/eos/user/auto", notSent},
      {"/eos/key/clear_cmd", changed},
      {"Live Enter", notSent},
      {"Query Park Enter", "Could not read the isolated user's queried channels."},
      {"/eos/get/chans", "Could not revalidate the show after the park query."},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.closesOn.toStdString());
    ParkRig rig(GetParam());
    rig.console.parkedChannels = {2};
    rig.onRequest(row.closesOn, [&rig] { rig.gateOpen = false; });
    ASSERT_EQ(rig.start(), std::nullopt);
    EXPECT_EQ(rig.awaitFailure(), row.failure);
  }
  // The marker's echo leads to the clear step, which needs the gate too.
  ParkRig marker(GetParam());
  QObject::connect(&marker.console, &EosConsoleDouble::requestReceived, &marker.console,
                   [&marker](const OSCMessage &request) {
                     if (marker.typed().endsWith("<marker>") && request.address == u"/eos/newcmd")
                       marker.gateOpen = false;
                   });
  ASSERT_EQ(marker.start(), std::nullopt);
  EXPECT_EQ(marker.awaitFailure(), "Could not clear the isolated park user's prior command.");
  // The revalidating show reply, and the preparation after the connection came up.
  ParkRig revalidation(GetParam());
  QObject::connect(&revalidation.console, &EosConsoleDouble::requestReceived, &revalidation.console,
                   [&revalidation](const OSCMessage &request) {
                     if (request.address == u"/eos/get/show/path" &&
                         revalidation.console.requests(request.address).size() == 2)
                       revalidation.gateOpen = false;
                   });
  ASSERT_EQ(revalidation.start(), std::nullopt);
  EXPECT_EQ(revalidation.awaitFailure(), changed);
  // At the preparation after the connection came up: before the first send, then at it.
  for (const int answers : {0, 1}) {
    EosIsolatedSession::Options closing;
    ParkRig *preparing = nullptr;
    closing.deferConnectionPreparation = [&preparing, answers](std::function<void()> preparation) {
      preparing->gateAnswers = answers;
      preparation();
    };
    ParkRig early(GetParam(), std::move(closing));
    preparing = &early;
    ASSERT_EQ(early.start(), std::nullopt);
    EXPECT_EQ(early.awaitFailure(),
              answers == 0 ? changed : QStringLiteral("Could not prepare the isolated park user."));
  }
}

TEST_P(ParkSession, EndsOnShowChangesLossesAndTheDeadline) {
  const QString showChanged = QStringLiteral("The console show changed during the park query.");
  struct Row {
    const char *name;
    QString trigger;
    std::function<void(ParkRig &)> act;
    QString failure;
  };
  const Row rows[] = {
      {"show saved", "Live Enter", [](ParkRig &rig) { rig.console.sendShowEvent("saved"); },
       showChanged},
      {"show loaded", "/eos/user/auto", [](ParkRig &rig) { rig.console.sendShowEvent("loaded"); },
       showChanged},
      {"another show at revalidation", "/eos/get/chans",
       [](ParkRig &rig) { rig.console.showPath = "/shows/other.esf"; }, showChanged},
      {"a show path that is not a text", "/eos/subscribe",
       [](ParkRig &rig) {
         rig.console.setHandler("/eos/get/show/path", [](const OSCMessage &) {
           return QList<OSCMessage>{{"/eos/out/get/show/path", {OSCArgument::fromInt(1)}}};
         });
       },
       "Eos returned malformed show identity feedback."},
      {"connection lost", "Query Park Enter", [](ParkRig &rig) { rig.console.closeClients(); },
       "The isolated park connection was lost; no command will be replayed."},
      {"console went quiet", "Live Enter",
       [](ParkRig &rig) {
         rig.console.silent = true;
         QMetaObject::invokeMethod(
             &rig.console, [&rig] { rig.clock->advance(8); }, Qt::QueuedConnection);
       },
       "Park command confirmation timed out."},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    ParkRig rig(GetParam());
    rig.onRequest(row.trigger, [&rig, act = row.act] { act(rig); });
    ASSERT_EQ(rig.start(), std::nullopt);
    EXPECT_EQ(rig.awaitFailure(), row.failure);
  }
}

TEST_P(ParkSession, ALossBeforeTheConnectionCameUpLeavesTheWaitToTheDeadline) {
  ParkRig rig(GetParam());
  const quint16 closedPort = [] {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
  }();
  ASSERT_EQ(rig.session.start(
                rig.console.showPath, std::nullopt, [] { return true; },
                [&rig](EosParkSession::Result result) { rig.results.append(result); },
                OSCEndpoint::hostPort("127.0.0.1", closedPort), rig.framing),
            std::nullopt);
  ASSERT_TRUE(spinUntil([&] {
    return rig.session.transport().connectionStateDescription().startsWith("Waiting to connect");
  }));
  rig.clock->advance(7.9);
  EXPECT_TRUE(rig.results.isEmpty());
  rig.clock->advance(0.1);
  EXPECT_EQ(rig.awaitFailure(), "Park command confirmation timed out.");
}

TEST_P(ParkSession, StartRefusalsAndASingleEndThatTheOwnerMayReleaseFrom) {
  ParkRig rig(GetParam());
  const QString unavailable = QStringLiteral("The park observer session is unavailable.");
  EXPECT_EQ(rig.session.start(
                "", std::nullopt, [] { return true; }, {}, rig.endpoint(), rig.framing),
            unavailable);
  EXPECT_EQ(rig.start(Action{0, FixtureParkAction::park}), unavailable);
  EXPECT_EQ(rig.start(Action{1'000'000, FixtureParkAction::park}), unavailable);
  rig.gateOpen = false;
  EXPECT_EQ(rig.start(), unavailable);
  rig.gateOpen = true;
  ASSERT_EQ(rig.start(), std::nullopt);
  EXPECT_EQ(rig.start(), "A park observer session is already active.");
  rig.session.finish(QStringLiteral("The park observer session was canceled."));
  rig.session.finish(QStringLiteral("again"));
  rig.clock->advance(8);
  ASSERT_EQ(rig.results.size(), 1);
  EXPECT_EQ(rig.results[0].error().text, "The park observer session was canceled.");

  // An owner that drops the session from inside its completion.
  auto *owned = new EosParkSession(rig.options());
  QPointer<EosParkSession> watch(owned);
  bool completed = false;
  ASSERT_EQ(owned->start(
                rig.console.showPath, std::nullopt, [] { return true; },
                [&](EosParkSession::Result result) {
                  completed = bool(result);
                  owned->deleteLater();
                },
                rig.endpoint(), rig.framing),
            std::nullopt);
  ASSERT_TRUE(spinUntil([&] { return watch.isNull(); }));
  EXPECT_TRUE(completed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParkSession, ::testing::ValuesIn(testing::sessionCases),
                         testing::sessionCaseName);

TEST(ParkChannelList, ReadsChannelsAndRangesAndRefusesEverythingElse) {
  const std::pair<const char *, std::optional<std::set<int>>> rows[] = {
      {"1-5, 7, 10 - 12", std::set<int>{1, 2, 3, 4, 5, 7, 10, 11, 12}},
      {"1-3,5", std::set<int>{1, 2, 3, 5}},
      {"7 - 9", std::set<int>{7, 8, 9}},
      {" 4\t4 ,, 999999", std::set<int>{4, 999999}},
      {"+3", std::set<int>{3}},
      {"", std::nullopt},
      {" , ", std::nullopt},
      {"-", std::nullopt},
      {"5-", std::nullopt},
      {"-5", std::nullopt},
      {"1-2-3", std::nullopt},
      {"3-1", std::nullopt},
      {"0", std::nullopt},
      {"1000000", std::nullopt},
      {"7 -", std::nullopt},
      {"7 - x", std::nullopt},
      {"1-100001", std::nullopt},
      {"five", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const auto &[text, expected] : rows) {
    EXPECT_EQ(EosParkSession::parseChannelList(QString::fromUtf8(text)), expected) << text;
  }
}

TEST(ParkChannelList, HoldsAtMostOneHundredThousandChannels) {
  EXPECT_EQ(EosParkSession::parseChannelList(u"1-100000"), channelRange(1, 100000));
  EXPECT_EQ(EosParkSession::parseChannelList(u"1-100000, 200000"), std::nullopt);
  // A reply adds its ints and its texts to one set under the same bound.
  const auto reply = [](QList<OSCArgument> arguments) {
    return EosParkSession::parkedChannelSet({"/eos/out/get/chans", std::move(arguments)});
  };
  EXPECT_EQ(reply({OSCArgument::fromInt(3), OSCArgument::fromString("1-2")}),
            (std::set<int>{1, 2, 3}));
  EXPECT_EQ(reply({}), std::set<int>{});
  EXPECT_EQ(reply({OSCArgument::fromString("1-99999"), OSCArgument::fromInt(100000)}),
            channelRange(1, 100000));
  EXPECT_EQ(reply({OSCArgument::fromString("1-100000"), OSCArgument::fromInt(100001)}),
            std::nullopt);
  EXPECT_EQ(reply({OSCArgument::fromInt(0)}), std::nullopt);
  EXPECT_EQ(reply({OSCArgument::fromBool(true)}), std::nullopt);
}

TEST(ParkSessionDeathTest, ATimeLimitNotAboveZeroStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const double timeout : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_DEATH(
        {
          testing::ensureCoreApplication();
          EosIsolatedSession::Options options;
          options.timeout = timeout;
          EosParkSession session(std::move(options));
        },
        "time limit above 0");
  }
}

}  // namespace
}  // namespace tarnik
