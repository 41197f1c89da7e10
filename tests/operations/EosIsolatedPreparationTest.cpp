// The console user's preparation is one piece of code for the park, Live and patch sessions;
// where they react differently on purpose, each row shows all three reactions side by side.

#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosParkSession.h"
#include "operations/EosPatchCommandSession.h"

namespace tarnik {
namespace {

using testing::ConsoleRig;
using testing::spinUntil;

enum class Kind { park, live, patch };

// The rig's clock, running a step once just as the next deadline is armed.
struct ArmingClock final : LevelCommandScheduling {
  explicit ArmingClock(std::shared_ptr<LevelCommandScheduling> clock) : clock(std::move(clock)) {}
  std::unique_ptr<LevelCommandScheduledAction> schedule(double delaySeconds,
                                                        std::function<void()> action) override {
    if (auto step = std::exchange(atNextArm, nullptr)) step();
    return clock->schedule(delaySeconds, std::move(action));
  }
  std::shared_ptr<LevelCommandScheduling> clock;
  std::function<void()> atNextArm;
};

// One session of the given kind on the console double, with a ping clock the test sets.
struct PreparationRig : ConsoleRig {
  explicit PreparationRig(Kind kind) : ConsoleRig({OSCTCPFraming::packetLength, std::nullopt}) {
    const UptimeSource pingClock = [this] { return now; };
    // The bootstrap ping leaves while the connection is prepared: its departure is read
    // `sentShift` away from the stamps of the replies.
    const EosIsolatedSession::DeferConnectionPreparation defer =
        [this](std::function<void()> prepare) {
          QMetaObject::invokeMethod(
              &console,
              [this, prepare = std::move(prepare)] {
                now += sentShift;
                prepare();
                now -= sentShift;
              },
              Qt::QueuedConnection);
        };
    const auto record = [this](QString outcome) { outcomes.append(std::move(outcome)); };
    const EosIsolatedSession::Gate gate = [this] { return gateOpen; };
    // Park and Live take the shared options, on the rig's scheduler.
    const auto isolatedOptions = [&] {
      Options made = options();
      made.timeoutScheduler = arming;
      made.pingClock = pingClock;
      made.deferConnectionPreparation = defer;
      return made;
    };
    switch (kind) {
      case Kind::park: {
        auto park = std::make_unique<EosParkSession>(isolatedOptions());
        start = [this, park = park.get(), record, gate] {
          park->start(
              console.showPath, std::nullopt, gate,
              [record](EosParkSession::Result result) {
                record(result ? QStringLiteral("done") : result.error().text);
              },
              endpoint(), framing);
        };
        session = std::move(park);
        break;
      }
      case Kind::live: {
        auto live = std::make_unique<EosLiveControlSession>(isolatedOptions());
        start = [this, live = live.get(), record, gate] {
          live->start(
              console.showPath, gate, [record] { record("done"); }, [](const OSCMessage &) {},
              record, endpoint(), framing);
        };
        session = std::move(live);
        break;
      }
      case Kind::patch: {
        EosPatchCommandSession::Options made;
        made.timeoutScheduler = arming;
        made.pingClock = pingClock;
        made.deferConnectionPreparation = defer;
        auto patch = std::make_unique<EosPatchCommandSession>(std::move(made));
        start = [this, patch = patch.get(), record, gate] {
          patch->start(
              console.showPath, {QStringLiteral("5 At 1 / 10 Enter")}, {}, gate,
              [] { return true; },
              [record](EosPatchCommandSession::Result result) {
                record(result ? QStringLiteral("done") : result.error().text);
              },
              endpoint(), framing, std::nullopt);
        };
        session = std::move(patch);
        break;
      }
    }
  }

  using Options = EosIsolatedSession::Options;

  std::shared_ptr<ArmingClock> arming = std::make_shared<ArmingClock>(clock);
  bool gateOpen = true;
  double now = 10;  // the ping clock
  double sentShift = 0;
  QStringList outcomes;
  std::function<void()> start;
  std::unique_ptr<EosIsolatedSession> session;
};

struct Expected {
  QString park, live, patch;
};

struct Row {
  const char *what;
  std::function<void(PreparationRig &)> script;
  // The reply after which a session that does not take it would sit and wait (a message, or
  // the n-th ping reply), and the requests that show it took it instead.
  std::function<bool(const OSCMessage &)> waitAtMessage;
  int waitAtPingReply = 0;
  QStringList progress;
  Expected expected;
};

// An echo of the run's user (the console's first automatic one) whose line holds `part`.
bool isEchoOf(const OSCMessage &message, QStringView part) {
  const QString *line =
      message.arguments.isEmpty() ? nullptr : std::get_if<QString>(&message.arguments[0].value);
  return message.address == u"/eos/out/user/100/cmd" && line && line->contains(part);
}

// The run's user echoes a line of these arguments once the marker is typed: only an exact
// text and int is an echo to the Live session, while park and patch read past the rest.
std::function<void(PreparationRig &)> echoWhileTheMarkerIsAwaited(QList<OSCArgument> arguments) {
  return [arguments](PreparationRig &rig) {
    rig.on("<marker>", [&rig, arguments] {
      rig.console.send({{"/eos/out/user/100/cmd", arguments}});
    });
  };
}

// "done" for a session that got through its run, "waits" for one that sits at the row's
// wait point, or the session's failure text.
QString outcome(Kind kind, const Row &row) {
  PreparationRig rig(kind);
  row.script(rig);
  OSCManager &transport = rig.session->transport();
  // Connected after the session: by then the session has handled the reply. A probe behind
  // whatever the session sent next tells when the console has read all of it.
  const QString probe = QStringLiteral("/tarnik/probe");
  QObject::connect(&transport, &OSCManager::lastReceivedMessageChanged, &transport,
                   [&](const std::optional<OSCMessage> &message) {
                     if (message && row.waitAtMessage && row.waitAtMessage(*message))
                       transport.send({probe, {}});
                   });
  int pingReplies = 0;
  QObject::connect(&transport, &OSCManager::lastPingResponseUptimeChanged, &transport,
                   [&](std::optional<double> at) {
                     if (at && ++pingReplies == row.waitAtPingReply) transport.send({probe, {}});
                   });
  rig.start();
  EXPECT_TRUE(
      spinUntil([&] { return !rig.outcomes.isEmpty() || !rig.console.requests(probe).isEmpty(); }));
  if (rig.outcomes.isEmpty()) {
    const QStringList typed = rig.sent(false) + rig.typed();
    const bool moved = std::ranges::any_of(
        row.progress, [&](const QString &request) { return typed.contains(request); });
    if (!moved) return QStringLiteral("waits");
    EXPECT_TRUE(spinUntil([&] { return !rig.outcomes.isEmpty(); }));
  }
  return rig.outcomes.value(0, QStringLiteral("nothing"));
}

TEST(IsolatedPreparation, EachSessionKeepsItsOwnReactionWhereTheyDifferOnPurpose) {
  const QString liveEmpty = QStringLiteral("LIVE:");
  const Row rows[] = {
      {"a negative allocated user",
       [](PreparationRig &rig) {
         testing::answer(rig.console, "/eos/user/auto",
                         {"/eos/out/user", {OSCArgument::fromInt(-1)}});
       },
       [](const OSCMessage &message) {
         return message.address == u"/eos/out/user" &&
                message.arguments == QList{OSCArgument::fromInt(-1)};
       },
       0,
       {"<marker>"},
       {"Eos returned a malformed allocated park user.",
        "Eos returned a malformed allocated Live user.", "waits"}},
      {"an allocated user with a further argument",
       [](PreparationRig &rig) {
         testing::answer(rig.console, "/eos/user/auto",
                         {"/eos/out/user", {OSCArgument::fromInt(100), OSCArgument::fromInt(1)}});
       },
       nullptr,
       0,
       {},
       {"Eos returned a malformed allocated park user.",
        "Eos returned a malformed allocated Live user.", "done"}},
      {"an echo of the user with a float status while the marker is awaited",
       echoWhileTheMarkerIsAwaited({OSCArgument::fromString("LIVE:"), OSCArgument::fromFloat(0)}),
       nullptr,
       0,
       {},
       {"done", "Eos returned malformed Live command feedback.", "done"}},
      {"an echo of the user with a string status while the marker is awaited",
       echoWhileTheMarkerIsAwaited(
           {OSCArgument::fromString("LIVE:"), OSCArgument::fromString("0")}),
       nullptr,
       0,
       {},
       {"done", "Eos returned malformed Live command feedback.", "done"}},
      {"an echo of the user with a true status while the marker is awaited",
       echoWhileTheMarkerIsAwaited({OSCArgument::fromString("LIVE:"), OSCArgument::fromBool(true)}),
       nullptr,
       0,
       {},
       {"done", "Eos returned malformed Live command feedback.", "done"}},
      {"an echo of the user with a further argument while the marker is awaited",
       echoWhileTheMarkerIsAwaited(
           {OSCArgument::fromString("LIVE:"), OSCArgument::fromInt(0), OSCArgument::fromInt(0)}),
       nullptr,
       0,
       {},
       {"done", "Eos returned malformed Live command feedback.", "done"}},
      {"a line with status 1 before the empty one after the clear key",
       [liveEmpty](PreparationRig &rig) {
         rig.console.echoOverrides["/eos/key/clear_cmd"] = {{liveEmpty, 1}, {liveEmpty, 0}};
       },
       nullptr,
       0,
       {},
       {"done", "Eos rejected the isolated Live context: LIVE:", "done"}},
      {"an empty line in lower case after the clear key",
       [](PreparationRig &rig) {
         rig.console.echoOverrides["/eos/key/clear_cmd"] = {{"live:", 0}};
       },
       nullptr,
       3,  // the transport's own, the bootstrap's, the clear key's
       {"Live Enter", "Patch Enter"},
       {"done", "waits", "done"}},
      {"the gate closing as the clear key's deadline is armed",
       [](PreparationRig &rig) {
         rig.on("<marker>", [&rig] { rig.arming->atNextArm = [&rig] { rig.gateOpen = false; }; });
         rig.on("/eos/key/clear_cmd", [&rig] { rig.console.silent = true; });
       },
       [](const OSCMessage &message) { return isEchoOf(message, u"Chan 1 "); },
       0,
       {},
       {"The main console session changed.", "waits",
        "The console session changed before patching."}},
      {"a typed line after the clear key, the gate closed and the ping left unanswered",
       [](PreparationRig &rig) {
         rig.console.echoOverrides["/eos/key/clear_cmd"] = {{"LIVE: Chan 5", 0}};
         rig.on("/eos/key/clear_cmd", [&rig] { rig.gateOpen = false; });
         // The transport's own ping, the bootstrap's, the clear key's.
         rig.on("/eos/ping#3", [&rig] { rig.console.silent = true; });
       },
       [](const OSCMessage &message) { return isEchoOf(message, u"Chan 5"); },
       0,
       {},
       {"The main console session changed.", "waits",
        "The console session changed before patching."}},
      {"a ping reply dated half a millisecond before its ping left",
       [](PreparationRig &rig) { rig.sentShift = 0.0005; },
       nullptr,
       2,
       {"/eos/user/auto"},
       {"waits", "done", "waits"}},
      {"a ping reply handled six seconds after it arrived",
       [](PreparationRig &rig) {
         OSCManager &transport = rig.session->transport();
         // Once a reply is in, before the session reads its stamp, the clock moves on.
         QObject::connect(&transport, &OSCManager::lastReceivedMessageChanged, &transport,
                          [&rig](const std::optional<OSCMessage> &message) {
                            if (message && message->address == u"/eos/out/ping") rig.now += 6;
                          });
       },
       nullptr,
       2,
       {"/eos/user/auto"},
       {"done", "done", "waits"}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(outcome(Kind::park, row), row.expected.park);
    EXPECT_EQ(outcome(Kind::live, row), row.expected.live);
    EXPECT_EQ(outcome(Kind::patch, row), row.expected.patch);
  }
}

TEST(IsolatedPreparation, OnlyTheLiveSessionForgetsItsUserWhenItsRunEnds) {
  for (const Kind kind : {Kind::park, Kind::live, Kind::patch}) {
    PreparationRig rig(kind);
    rig.on("<marker>", [&rig] { rig.console.sendShowEvent(QStringLiteral("loaded")); });
    rig.start();
    ASSERT_TRUE(spinUntil([&] { return !rig.outcomes.isEmpty(); }));
    EXPECT_EQ(rig.session->virtualUser(), kind == Kind::live ? std::nullopt : std::optional(100));
  }
}

}  // namespace
}  // namespace tarnik
