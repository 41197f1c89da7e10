#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosParkSession.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>

#include <limits>

namespace tarnik {
namespace {

using testing::ConsoleRig;
using testing::EosConsoleDouble;
using testing::SessionCase;
using testing::spinUntil;
using Action = EosParkSession::Action;
using Result = EosParkSession::Result;

std::set<int> channelRange(int first, int last) {
  std::set<int> channels;
  for (int c = first; c <= last; ++c) channels.insert(c);
  return channels;
}

struct ParkRig : ConsoleRig {
  explicit ParkRig(const SessionCase &session, EosIsolatedSession::Options made = {})
      : ConsoleRig(session), session([&] {
          made.timeoutScheduler = clock;
          return std::move(made);
        }()) {}

  std::optional<QString> start(std::optional<Action> action = Action{5, FixtureParkAction::park},
                               std::optional<OSCEndpoint> to = std::nullopt) {
    return session.start(
        console.showPath, action,
        [this] { return gateOpen && (gateAnswers < 0 || gateAnswers-- > 0); },
        [this](Result result) { results.append(result); }, to.value_or(endpoint()), framing);
  }

  // The failure text, or "succeeded".
  QString outcome() {
    EXPECT_TRUE(spinUntil([this] { return !results.isEmpty(); }));
    if (results.isEmpty()) return QStringLiteral("none");
    return results[0] ? QStringLiteral("succeeded") : results[0].error().text;
  }

  bool gateOpen = true;
  int gateAnswers = -1;  // how many more times the gate answers true; -1: no limit
  QList<Result> results;
  EosParkSession session;
};

class ParkSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(ParkSession, TypesOnlyWhatTheRequestNeedsAndProvesTheResult) {
  struct Row {
    std::set<int> parkedBefore;
    std::optional<Action> action;
    bool noisy;  // every echo twice, with the unfinished line before it
    QStringList typedAfterLive;
    std::set<int> result;
  };
  const QString query = QStringLiteral("Query Park Enter");
  const Row rows[] = {
      {{3, 4, 5, 9}, std::nullopt, false, {query}, {3, 4, 5, 9}},
      {{}, Action{5, FixtureParkAction::park}, false, {query, "Chan 5 At Park Enter", query}, {5}},
      {{}, Action{5, FixtureParkAction::park}, true, {query, "Chan 5 At Park Enter", query}, {5}},
      {{5, 7},
       Action{5, FixtureParkAction::unpark},
       true,
       {query, "Chan 5 At Park Enter Enter", query},
       {7}},
      {{5}, Action{5, FixtureParkAction::park}, false, {query}, {5}},
      {{7}, Action{5, FixtureParkAction::unpark}, false, {query}, {7}},
  };
  ParkRig rig(GetParam());
  // Other users' lines, at every step, change nothing.
  QObject::connect(&rig.console, &EosConsoleDouble::requestReceived, &rig.console,
                   [&rig] { rig.console.pushCommandLine(1, "Chan 5 @ Park #", 1); });
  for (const Row &row : rows) {
    rig.results.clear();
    rig.console.parkedChannels = row.parkedBefore;
    rig.console.duplicateEchoes = rig.console.intermediateEchoes = row.noisy;
    const qsizetype typedBefore = rig.typed().size();
    ASSERT_EQ(rig.start(row.action), std::nullopt);
    EXPECT_EQ(rig.outcome(), "succeeded");
    EXPECT_EQ(rig.results.value(0), Result(row.result));
    EXPECT_EQ(rig.typed().mid(typedBefore),
              QStringList({"<marker>", "/eos/key/clear_cmd", "Live Enter"}) + row.typedAfterLive);
  }
  EXPECT_EQ(rig.sent(false).mid(0, 9),
            (QStringList{"/eos/subscribe", "/eos/get/show/path", "/eos/user/auto", "/eos/newcmd",
                         "/eos/key/clear_cmd", "/eos/newcmd", "/eos/newcmd", "/eos/get/chans",
                         "/eos/get/show/path"}));
}

TEST_P(ParkSession, EndsWithOneTextForEveryDoubtAboutTheConsole) {
  const QString changed = QStringLiteral("The main console session changed.");
  const QString notSent = QStringLiteral("The isolated park command was not sent.");
  const QString ambiguous = QStringLiteral("Eos returned an ambiguous parked-channel list.");
  const QString showChanged = QStringLiteral("The console show changed during the park query.");
  using Act = std::function<void(ParkRig &)>;
  struct Row {
    QString trigger;  // a request label ("#2": the second one); empty: before the start
    Act act;
    QString outcome;
  };
  const auto closeGate = [](ParkRig &rig) { rig.gateOpen = false; };
  const auto answering = [](QString request, OSCMessage reply) -> Act {
    return [=](ParkRig &rig) { testing::answer(rig.console, request, reply); };
  };
  const auto chans = [](OSCArgument argument) {
    return OSCMessage{"/eos/out/get/chans", {argument}};
  };
  const auto user = [](int n) { return OSCMessage{"/eos/out/user", {OSCArgument::fromInt(n)}}; };
  const Row rows[] = {
      // Lists that disagree with the query's echo, or cannot be read, or do not prove the park.
      {"", answering("/eos/get/chans", chans(OSCArgument::fromString("5"))), ambiguous},
      {"Chan 5 At Park Enter", answering("/eos/get/chans", {"/eos/out/get/chans", {}}), ambiguous},
      {"", answering("/eos/get/chans", chans(OSCArgument::fromFloat(3))), ambiguous},
      {"Chan 5 At Park Enter", answering("/eos/get/chans", chans(OSCArgument::fromString("3"))),
       "Eos did not confirm the requested park state."},
      {"",
       [](ParkRig &rig) {
         rig.console.echoOverrides["Chan 5 At Park Enter"] = {{rig.liveLine("Chan 5 @ Park #"), 1}};
       },
       "Eos rejected the park operation: %1"},
      {"Live Enter",
       [](ParkRig &rig) {
         rig.console.send({{"/eos/out/user/100/cmd", {OSCArgument::fromString("LIVE: #")}}});
       },
       "Eos returned malformed park command feedback."},
      {"", answering("/eos/user/auto", user(0)), "succeeded"},
      {"", answering("/eos/user/auto", user(-1)), "Eos returned a malformed allocated park user."},
      // The gate closing between two steps: the next step's own text.
      {"", [](ParkRig &rig) { rig.gateAnswers = 1; }, changed},
      {"", [](ParkRig &rig) { rig.gateAnswers = 2; }, "Could not prepare the isolated park user."},
      {"/eos/get/show/path", closeGate, "Could not allocate the isolated park user."},
      {"/eos/user/auto", closeGate, notSent},
      {"<marker>", closeGate, "Could not clear the isolated park user's prior command."},
      {"/eos/key/clear_cmd", closeGate, changed},
      {"Live Enter", closeGate, notSent},
      {"Query Park Enter", closeGate, "Could not read the isolated user's queried channels."},
      {"/eos/get/chans#2", closeGate, "Could not revalidate the show after the park query."},
      {"/eos/get/show/path#2", closeGate, changed},
      // The show, the connection and the deadline.
      {"Live Enter", [](ParkRig &rig) { rig.console.sendShowEvent("saved"); }, showChanged},
      {"/eos/user/auto", [](ParkRig &rig) { rig.console.sendShowEvent("loaded"); }, showChanged},
      {"/eos/get/chans#2", [](ParkRig &rig) { rig.console.showPath = "/other.esf"; }, showChanged},
      {"", answering("/eos/get/show/path", {"/eos/out/get/show/path", {OSCArgument::fromInt(1)}}),
       "Eos returned malformed show identity feedback."},
      {"Query Park Enter", [](ParkRig &rig) { rig.console.closeClients(); },
       "The isolated park connection was lost; no command will be replayed."},
      {"Live Enter", [](ParkRig &rig) { rig.fallQuiet(); }, "Park command confirmation timed out."},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.trigger.toStdString() + " -> " + row.outcome.toStdString());
    ParkRig rig(GetParam());
    if (row.trigger.isEmpty()) {
      row.act(rig);
    } else {
      rig.on(row.trigger, [&rig, act = row.act] { act(rig); });
    }
    ASSERT_EQ(rig.start(), std::nullopt);
    EXPECT_EQ(rig.outcome(), QString(row.outcome).replace("%1", rig.liveLine("Chan 5 @ Park #")));
  }
}

TEST_P(ParkSession, BootstrapFactsArePingsRepliedAfterTheyLeftAndTheLatestEmptyLine) {
  // The user is asked for only after the last of show, ping and baseline user.
  ParkRig late(GetParam());
  late.console.pingReplyDelay = std::chrono::milliseconds(200);
  std::optional<bool> showSeenFirst;
  QObject::connect(&late.session.transport(), &OSCManager::lastReceivedMessageChanged,
                   &late.session.transport(), [&](const std::optional<OSCMessage> &message) {
                     if (message && message->address == u"/eos/out/get/show/path" && !showSeenFirst)
                       showSeenFirst = late.console.requests("/eos/user/auto").isEmpty();
                   });
  ASSERT_EQ(late.start(), std::nullopt);
  EXPECT_EQ(late.outcome(), "succeeded");
  EXPECT_EQ(showSeenFirst, true);

  // A reply dated before its ping left proves nothing: the clock steps back once the
  // bootstrap ping is out.
  double shift = 0;
  EosIsolatedSession::Options shifted;
  shifted.pingClock = [&shift] { return systemUptime() + shift; };
  ParkRig early(GetParam(), std::move(shifted));
  early.on("/eos/ping#2", [&shift] { shift = -1000; });
  ASSERT_EQ(early.start(), std::nullopt);
  ASSERT_TRUE(spinUntil([&] { return early.console.requests("/eos/ping").size() >= 2; }));
  early.clock->advance(8);
  EXPECT_EQ(early.outcome(), "Park command confirmation timed out.");
  EXPECT_TRUE(early.console.requests("/eos/user/auto").isEmpty());

  // An empty line followed by a typed one, before the clear's ping came back, is not empty.
  ParkRig barrier(GetParam());
  barrier.console.echoOverrides["/eos/key/clear_cmd"] = {{barrier.liveLine(""), 0},
                                                         {barrier.liveLine("Chan 3"), 0}};
  int pingReplies = 0;  // the transport's own, the bootstrap's, the clear's
  QObject::connect(&barrier.session.transport(), &OSCManager::lastPingResponseUptimeChanged,
                   &barrier.session.transport(),
                   [&](std::optional<double> uptime) { pingReplies += uptime ? 1 : 0; });
  ASSERT_EQ(barrier.start(), std::nullopt);
  ASSERT_TRUE(spinUntil([&] { return pingReplies == 3; }));
  EXPECT_FALSE(barrier.typed().contains("Live Enter"));
  barrier.console.pushCommandLine(100, barrier.liveLine(""));
  EXPECT_EQ(barrier.outcome(), "succeeded");
}

TEST_P(ParkSession, StartsOnceEndsOnceAndWaitsForAConnectionUntilTheDeadline) {
  ParkRig rig(GetParam());
  const QString unavailable = QStringLiteral("The park observer session is unavailable.");
  EXPECT_EQ(rig.session.start(
                "", std::nullopt, [] { return true; }, {}, rig.endpoint(), rig.framing),
            unavailable);
  EXPECT_EQ(rig.start(Action{0, FixtureParkAction::park}), unavailable);
  EXPECT_EQ(rig.start(Action{1'000'000, FixtureParkAction::unpark}), unavailable);
  rig.gateOpen = false;
  EXPECT_EQ(rig.start(), unavailable);
  rig.gateOpen = true;

  // Nothing listens: the connection never comes up, and only the deadline ends the wait.
  const quint16 closedPort = [] {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
  }();
  ASSERT_EQ(rig.start(std::nullopt, OSCEndpoint::hostPort("127.0.0.1", closedPort)), std::nullopt);
  EXPECT_EQ(rig.start(), "A park observer session is already active.");
  ASSERT_TRUE(spinUntil([&] {
    return rig.session.transport().connectionStateDescription().startsWith("Waiting to connect");
  }));
  rig.clock->advance(7.9);
  EXPECT_TRUE(rig.results.isEmpty());
  rig.clock->advance(0.1);
  EXPECT_EQ(rig.outcome(), "Park command confirmation timed out.");

  // The owner's cancel, twice: one completion.
  rig.results.clear();
  ASSERT_EQ(rig.start(), std::nullopt);
  rig.session.finish(QStringLiteral("The park observer session was canceled."));
  rig.session.finish(QStringLiteral("again"));
  rig.clock->advance(8);
  EXPECT_EQ(rig.results, QList<Result>{std::unexpected(
                             EosParkSession::Failure{"The park observer session was canceled."})});

  // An owner that drops the session from inside its completion.
  QPointer<EosParkSession> owned = new EosParkSession(rig.options());
  ASSERT_EQ(owned->start(
                rig.console.showPath, std::nullopt, [] { return true; },
                [&](const Result &) { owned->deleteLater(); }, rig.endpoint(), rig.framing),
            std::nullopt);
  EXPECT_TRUE(spinUntil([&] { return owned.isNull(); }));
}

INSTANTIATE_TEST_SUITE_P(Cases, ParkSession, ::testing::ValuesIn(testing::sessionCases),
                         testing::sessionCaseName);

TEST(ParkChannelList, ReadsChannelsAndRangesUpToOneHundredThousand) {
  const std::pair<const char *, std::optional<std::set<int>>> rows[] = {
      {"1-5, 7, 10 - 12", std::set<int>{1, 2, 3, 4, 5, 7, 10, 11, 12}},
      {"1-3,5", std::set<int>{1, 2, 3, 5}},
      {"7 - 9", std::set<int>{7, 8, 9}},
      {" 4\t4 ,, 999999", std::set<int>{4, 999999}},
      {"1-100000", channelRange(1, 100000)},
  };
  for (const auto &[text, expected] : rows) {
    EXPECT_EQ(EosParkSession::parseChannelList(QString::fromUtf8(text)), expected) << text;
  }
  for (const char *text : {"", " , ", "-", "5-", "-5", "1-2-3", "3-1", "0", "1000000", "7 -",
                           "7 - x", "1-100001", "five", "1-100000, 200000"}) {
    EXPECT_EQ(EosParkSession::parseChannelList(QString::fromUtf8(text)), std::nullopt) << text;
  }
  // A reply adds its ints and its texts to one set under the same bound.
  const auto reply = [](QList<OSCArgument> arguments) {
    return EosParkSession::parkedChannelSet({"/eos/out/get/chans", std::move(arguments)});
  };
  EXPECT_EQ(reply({}), std::set<int>{});
  EXPECT_EQ(reply({OSCArgument::fromString("1-99999"), OSCArgument::fromInt(100000)}),
            channelRange(1, 100000));
  EXPECT_EQ(reply({OSCArgument::fromString("1-100000"), OSCArgument::fromInt(100001)}),
            std::nullopt);
  EXPECT_EQ(reply({OSCArgument::fromInt(0)}), std::nullopt);
  EXPECT_EQ(reply({OSCArgument::fromBool(true)}), std::nullopt);
}

// A reply may repeat one long range to fill its packet: the parse follows the length of the
// text, not the ranges' sizes times their repeats (which took seconds before).
TEST(ParkChannelList, RepeatedLongRangesCostTheirTextOnly) {
  const QString repeated = QStringLiteral("1-99999 ").repeated(1000);
  const QString overlapping = QStringLiteral("1-50000 25000-75000 50001-99999 ").repeated(1000);
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_EQ(EosParkSession::parseChannelList(repeated), channelRange(1, 99999));
  EXPECT_EQ(EosParkSession::parseChannelList(overlapping), channelRange(1, 99999));
  EXPECT_EQ(EosParkSession::parseChannelList(repeated + QStringLiteral("200000-200001")),
            std::nullopt);
  QList<OSCArgument> arguments(1000, OSCArgument::fromString("1-99999"));
  EXPECT_EQ(EosParkSession::parkedChannelSet({"/eos/out/get/chans", arguments}),
            channelRange(1, 99999));
  EXPECT_LT(elapsed.elapsed(), 2000);  // seconds in a Debug build before
  // Neighbouring and nested pieces join into one union.
  EXPECT_EQ(EosParkSession::parseChannelList(u"8-9 1-3 4 6-7 5 2-8"), channelRange(1, 9));
}

TEST(ParkSessionDeathTest, ATimeLimitNotAboveZeroStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const double timeout : {0.0, std::numeric_limits<double>::quiet_NaN()}) {
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
