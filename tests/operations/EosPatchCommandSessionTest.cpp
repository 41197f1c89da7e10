#include "IsolatedSessionTestSupport.h"
#include "PatchCommandExamples.h"
#include "link/OSCManager.h"
#include "operations/EosPatchCommandSession.h"

namespace tarnik {
namespace {

using testing::ConsolePatchPart;
using testing::ConsoleRig;
using testing::ConsoleShow;
using testing::SessionCase;
using testing::spinUntil;
using Label = EosPatchCommandSession::Label;
using Result = EosPatchCommandSession::Result;

const QStringList threeLines = {"5 At 1 / 10 Enter", "6 At 1 / 11 Enter", "7 At 1 / 12 Enter"};
const QString timedOut =
    QStringLiteral("Patch command confirmation timed out. Sync to inspect any partial changes.");
const QString unavailable = QStringLiteral("The patch session is unavailable.");

struct PatchRig : ConsoleRig {
  explicit PatchRig(const SessionCase &session)
      : ConsoleRig(session), session([this] {
          EosPatchCommandSession::Options made;
          made.timeoutScheduler = clock;
          made.pingClock = [this] { return systemUptime() + pingClockShift; };
          // The bootstrap ping leaves while the connection is prepared: its departure is
          // read `sentShift` away from the stamps of the replies.
          made.deferConnectionPreparation = [this](std::function<void()> prepare) {
            QMetaObject::invokeMethod(
                &console,
                [this, prepare = std::move(prepare)] {
                  pingClockShift = sentShift;
                  prepare();
                  pingClockShift = 0;
                },
                Qt::QueuedConnection);
          };
          return made;
        }()) {
    // Each ping reply is handled `handledShift` after it was stamped: the clock moves once
    // the reply is in, before the session looks at it, and moves back once it has.
    OSCManager &transport = this->session.transport();
    QObject::connect(&transport, &OSCManager::lastReceivedMessageChanged, &transport,
                     [this](const std::optional<OSCMessage> &message) {
                       if (message && message->address == u"/eos/out/ping")
                         pingClockShift = handledShift;
                     });
    QObject::connect(&transport, &OSCManager::lastPingResponseUptimeChanged, &transport,
                     [this] { pingClockShift = 0; });
  }

  void start(QStringList commands = threeLines, QList<Label> labels = {}) {
    session.start(
        console.showPath, std::move(commands), std::move(labels),
        [this] { return gateOpen && (gateAnswers < 0 || gateAnswers-- > 0); },
        [this] { return mutationAllowed; }, [this](Result result) { results.append(result); },
        endpoint(), framing, std::nullopt);
  }

  // The failure text, or "succeeded".
  QString outcome() {
    EXPECT_TRUE(spinUntil([this] { return !results.isEmpty(); }));
    if (results.isEmpty()) return QStringLiteral("none");
    return results[0] ? QStringLiteral("succeeded") : results[0].error().text;
  }

  // The patch lines of an ended run: once the console has seen the connection close, it has
  // read everything sent before.
  QStringList patchLinesTyped() const {
    EXPECT_TRUE(spinUntil([this] { return console.tcpClientCount() == 0; }));
    QStringList lines = typed();
    lines.removeIf([](const QString &line) {
      return line == u"<marker>" || line == u"/eos/key/clear_cmd" || line == u"Patch Enter";
    });
    return lines;
  }

  bool gateOpen = true;
  int gateAnswers = -1;  // how many more times the gate answers true; -1: no limit
  bool mutationAllowed = true;
  // The session and its transport read one ping clock: the system uptime moved by this.
  double pingClockShift = 0;
  double sentShift = 0;
  double handledShift = 0;
  QList<Result> results;
  EosPatchCommandSession session;
};

// The double's patch as the application reads it back.
QList<Channel> channelsOf(const ConsoleShow &show) {
  QList<Channel> channels;
  for (const ConsolePatchPart &stored : show.patch) {
    if (channels.isEmpty() || channels.last().number != stored.channel) {
      channels.append(Channel{});
      channels.last().number = stored.channel;
    }
    EosPatchPart part = testing::patchPart(
        stored.channel, stored.part, stored.text(ConsolePatchPart::manufacturer),
        stored.text(ConsolePatchPart::model), stored.text(ConsolePatchPart::startAddress),
        stored.text(ConsolePatchPart::label));
    part.addressEnd = stored.text(ConsolePatchPart::endAddress);
    channels.last().parts.append(part);
  }
  return channels;
}

class PatchSession : public ::testing::TestWithParam<SessionCase> {};

// Every example of the builder's table is typed into the double, which reads the lines on its
// own: afterwards its patch table holds exactly the planned parts, and the bystander as it was.
TEST_P(PatchSession, TypesEveryExampleOnceInOrderAndTheConsoleHoldsThePlan) {
  PatchRig rig(GetParam());
  rig.console.footprints[QStringLiteral("Beam 300 Mode 2")] = 16;
  // With SLIP the console echoes every line twice, each after its unfinished form.
  rig.console.duplicateEchoes = rig.console.intermediateEchoes =
      GetParam().framing == OSCTCPFraming::slip;
  for (testing::PatchLineExample example : testing::patchLineExamples()) {
    SCOPED_TRACE(example.name);
    ConsoleShow show{rig.console.showPath, rig.console.showName, {}, {}};
    show.setPatchPart(ConsolePatchPart::dimmer(900, 1, 60 * 512 + 1));  // a bystander
    for (const EosPatchPart &part : example.existing) {
      ConsolePatchPart stored =
          ConsolePatchPart::dimmer(int(part.channelNumber), int(part.partNumber),
                                   testing::consoleAbsoluteAddress(part.address).value_or(0));
      stored.setText(ConsolePatchPart::manufacturer, part.manufacturer);
      stored.setText(ConsolePatchPart::model, part.model);
      show.setPatchPart(stored);
    }
    rig.console.setShow(show);
    const QList<Channel> before = channelsOf(show);
    QList<EosPatchPart> existing;
    for (const Channel &channel : before) existing += channel.parts;
    example.draft.label = QStringLiteral("Front ✦");
    const PatchPlan plan = testing::consentedPlan(example.draft, existing);
    const auto lines =
        EosPatchCommands::makeCommands(example.draft, plan, existing, testing::patchLibraryVersion);
    ASSERT_TRUE(lines);
    QList<Label> labels;  // one per planned channel, in ascending order like the parts
    for (const PatchPlannedPart &part : plan.parts) {
      if (labels.isEmpty() || labels.last().channel != part.channelNumber)
        labels.append({part.channelNumber, example.draft.label});
    }

    rig.results.clear();
    const qsizetype typedBefore = rig.typed().size();
    rig.start(*lines, labels);
    EXPECT_EQ(rig.outcome(), "succeeded");
    EXPECT_EQ(rig.typed().mid(typedBefore),
              QStringList({"<marker>", "/eos/key/clear_cmd", "Patch Enter"}) + *lines);
    EXPECT_EQ(rig.sent(false).last(2),
              QStringList({QStringLiteral("/eos/set/patch/%1/label").arg(labels.last().channel),
                           "/eos/get/show/path"}));
    // The bystander is the one part no example targets.
    EXPECT_EQ(
        EosPatchCommands::verify(plan.parts, channelsOf(rig.console.show()), before.last().parts),
        std::nullopt);
  }
}

TEST_P(PatchSession, EndsWithOneTextForEveryDoubtAndTypesNothingAfterIt) {
  const QString canceled =
      QStringLiteral("The console session changed; remaining patch commands were canceled.");
  const QString lineEcho = QStringLiteral("Patch Channel: 5 At 1 / 10 #");
  struct Row {
    QString trigger;  // a request label ("#2": the second one); empty: before the start
    std::function<void(PatchRig &)> act;
    QString outcome;
    qsizetype linesTyped;
  };
  const auto closeGate = [](PatchRig &rig) { rig.gateOpen = false; };
  const auto echoLine0 = [lineEcho](OSCArgument status) {
    return [lineEcho, status](PatchRig &rig) {
      rig.console.echoOverrides[threeLines[0]] = {};
      rig.console.send({{"/eos/out/user/100/cmd", {OSCArgument::fromString(lineEcho), status}}});
    };
  };
  const Row rows[] = {
      // Rejections and what counts as an echo.
      {"",
       [lineEcho](PatchRig &rig) {
         rig.console.echoOverrides[threeLines[0]] = {{lineEcho, 1}};
       },
       "Eos rejected the patch: " + lineEcho, 1},
      {threeLines[0], echoLine0(OSCArgument::fromBool(true)), "Eos rejected the patch: " + lineEcho,
       1},
      {threeLines[0], echoLine0(OSCArgument::fromBool(false)), "succeeded", 3},
      {"", [](PatchRig &rig) { rig.mutationAllowed = false; },
       "The patch changed after preflight. Review it before trying again.", 0},
      // Malformed replies are let be.
      {threeLines[1],
       [](PatchRig &rig) {
         rig.console.send({{"/eos/out/get/show/path", {}},
                           {"/eos/out/get/show/path", {OSCArgument::fromInt(1)}},
                           {"/eos/out/user/100/cmd", {OSCArgument::fromString("Patch Channel: #")}},
                           {"/eos/out/user/100/cmd", {OSCArgument::fromInt(0)}}});
       },
       "succeeded", 3},
      // The gate closing between two steps: the next step's own text.
      {"", [](PatchRig &rig) { rig.gateAnswers = 1; }, "The main console session changed.", 0},
      {"", [](PatchRig &rig) { rig.gateAnswers = 2; },
       "The console session changed before allocating the patch user.", 0},
      {"/eos/user/auto", closeGate, "The patch command was not sent.", 0},
      {"<marker>", closeGate, "Could not clear the isolated patch user's prior command.", 0},
      {"/eos/key/clear_cmd", closeGate, "The console session changed before patching.", 0},
      {"Patch Enter", closeGate, canceled, 0},
      {threeLines[1], closeGate, canceled, 2},
      {threeLines[2], [](PatchRig &rig) { rig.gateAnswers = 1; },
       "Patch labels were only partially sent. Sync to inspect the result.", 3},
      // The show, the connection and the deadline.
      {threeLines[2],
       [](PatchRig &rig) {
         rig.console.send({{"/eos/out/get/show/path", {OSCArgument::fromString("/shows/b.esf")}}});
       },
       "The console show changed before patching.", 3},
      {threeLines[1], [](PatchRig &rig) { rig.console.sendShowEvent("saved"); },
       "The console show changed while patching.", 2},
      {threeLines[1], [](PatchRig &rig) { rig.console.closeClients(); },
       "Patch connection was lost; no commands will be replayed.", 2},
      {"Patch Enter", [](PatchRig &rig) { rig.fallQuiet(); }, timedOut, 0},
      {threeLines[2], [](PatchRig &rig) { rig.console.showPath = "/shows/b.esf"; },
       "The console show changed before patching.", 3},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.trigger.toStdString() + " -> " + row.outcome.toStdString());
    PatchRig rig(GetParam());
    if (row.trigger.isEmpty()) {
      row.act(rig);
    } else {
      rig.on(row.trigger, [&rig, act = row.act] { act(rig); });
    }
    rig.start(threeLines, {{5, "Front"}});
    EXPECT_EQ(rig.outcome(), row.outcome);
    EXPECT_EQ(rig.patchLinesTyped(), threeLines.first(row.linesTyped));
    rig.clock->advance(8);
    EXPECT_EQ(rig.results.size(), 1);
  }

  // A repeat of the last acknowledged line, or an unfinished line, acknowledges nothing: the
  // second line waits, and the deadline ends the run.
  PatchRig held(GetParam());
  const QString unfinished = QStringLiteral("Patch Channel: 5 At 1 / 10");
  held.console.echoOverrides[threeLines[0]] = {{"Patch Channel: #", 0}, {unfinished, 0}};
  bool unfinishedSeen = false;
  QObject::connect(&held.session.transport(), &OSCManager::lastReceivedMessageChanged,
                   &held.session.transport(), [&](const std::optional<OSCMessage> &message) {
                     unfinishedSeen =
                         unfinishedSeen || (message && message->arguments.value(0) ==
                                                           OSCArgument::fromString(unfinished));
                   });
  held.start();
  ASSERT_TRUE(spinUntil([&] { return unfinishedSeen; }));
  // A line typed before this ping would reach the console before it.
  const qsizetype pings = held.console.requests("/eos/ping").size();
  held.session.transport().sendPing();
  ASSERT_TRUE(spinUntil([&] { return held.console.requests("/eos/ping").size() > pings; }));
  held.clock->advance(8);
  EXPECT_EQ(held.outcome(), timedOut);
  EXPECT_EQ(held.patchLinesTyped(), threeLines.first(1));
}

// A ping reply counts while it is less than 5 s old, or dated at most a second ahead, and
// never when it came before its ping left; the baseline user is a number of 0 or more.
// Otherwise no user is asked for, and the deadline ends the wait.
TEST_P(PatchSession, AsksForAUserOnlyAfterAFreshPingTheShowAndABaselineUser) {
  struct Row {
    double sent;     // on the ping clock when the bootstrap ping leaves, replies stamped at 0
    double handled;  // when the session handles a reply
    bool malformedBaseline;
    bool allocates;
  } const rows[] = {
      {0, 4.9, false, true},   {0, 5.0, false, false},   {0, -1.0, false, true},
      {0, -1.1, false, false}, {0.5, 0.5, false, false}, {0, 0, true, false},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(std::to_string(row.sent) + " " + std::to_string(row.handled));
    PatchRig rig(GetParam());
    if (row.malformedBaseline) {
      rig.console.setHandler("/eos/subscribe", [](const OSCMessage &) {
        return QList<OSCMessage>{{"/eos/out/user", {OSCArgument::fromInt(-1)}},
                                 {"/eos/out/user", {OSCArgument::fromFloat(1)}}};
      });
    }
    rig.sentShift = row.sent;
    rig.handledShift = row.handled;
    rig.on("/eos/user/auto", [&rig] { rig.handledShift = 0; });
    int pingReplies = 0;  // the transport's own and the bootstrap's
    QObject::connect(&rig.session.transport(), &OSCManager::lastPingResponseUptimeChanged,
                     &rig.session.transport(),
                     [&](std::optional<double> at) { pingReplies += bool(at); });
    rig.start();
    if (row.allocates) {
      EXPECT_EQ(rig.outcome(), "succeeded");
      continue;
    }
    // Asking for a user would re-arm the deadline from 4 s on, so only the start's passes at 8 s.
    rig.clock->advance(4);
    ASSERT_TRUE(spinUntil([&] { return pingReplies >= 2; }));
    rig.clock->advance(3.9);
    EXPECT_TRUE(rig.results.isEmpty());
    rig.clock->advance(0.1);
    EXPECT_EQ(rig.outcome(), timedOut);
  }
}

TEST_P(PatchSession, RefusesBeforeConnectingAndEndsEachRunOnce) {
  PatchRig rig(GetParam());
  const auto refusal = [&rig](QString show, QStringList commands, bool gateOpen) {
    rig.results.clear();
    rig.gateOpen = gateOpen;
    rig.session.start(
        show, commands, {}, [&rig] { return rig.gateOpen; }, [] { return true; },
        [&rig](Result result) { rig.results.append(result); }, rig.endpoint(), rig.framing, {});
    rig.gateOpen = true;
    return rig.results.size() == 1 && !rig.results[0] ? rig.results[0].error().text
                                                      : QStringLiteral("not refused at once");
  };
  const QStringList tooMany(513, threeLines[0]);
  EXPECT_EQ(refusal(rig.console.showPath, {}, true), unavailable);
  EXPECT_EQ(refusal(rig.console.showPath, tooMany, true), unavailable);
  EXPECT_EQ(refusal("", threeLines, true), unavailable);
  EXPECT_EQ(refusal(rig.console.showPath, threeLines, false), unavailable);
  EXPECT_FALSE(spinUntil([&] { return rig.console.tcpClientCount() > 0; }, 200));
  EXPECT_TRUE(rig.console.requests().isEmpty());

  // A second start while a run is active is refused through its own completion; the owner's
  // own end, twice, then gives the run one completion.
  rig.results.clear();
  rig.start(QStringList(512, threeLines[0]));  // the most one run may carry
  EXPECT_TRUE(rig.results.isEmpty());
  EXPECT_EQ(refusal(rig.console.showPath, threeLines, true),
            "A patch operation is already active.");
  rig.results.clear();
  rig.session.finish(QStringLiteral("Canceled."));
  rig.session.finish(QStringLiteral("again"));
  rig.clock->advance(8);
  EXPECT_EQ(rig.results,
            QList<Result>{std::unexpected(EosPatchCommandSession::Failure{"Canceled."})});
}

INSTANTIATE_TEST_SUITE_P(Cases, PatchSession, ::testing::ValuesIn(testing::sessionCases),
                         testing::sessionCaseName);

}  // namespace
}  // namespace tarnik
