#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosLiveEchoLines.h"
#include "operations/EosOSCAddress.h"

#include <cmath>
#include <limits>

namespace tarnik {
namespace {

using testing::ConsoleRig;
using testing::EosConsoleDouble;
using testing::SessionCase;
using testing::spinUntil;

const QString virtualUserCmd = QStringLiteral("/eos/out/user/100/cmd");

struct LiveRig : ConsoleRig {
  explicit LiveRig(const SessionCase &session) : ConsoleRig(session), session(options()) {}

  std::optional<QString> start() {
    session.onShowInvalidated = [this](const QString &text) { invalidations.append(text); };
    session.onIdentifyReleased = [this](int channel) { released.append(channel); };
    session.onColorReadback = [this](int channel, double hue, double saturation) {
      colors.append({channel, hue, saturation});
    };
    return session.start(
        console.showPath, [this] { return gateOpen; }, [this] { ++readyCount; },
        [this](const OSCMessage &message) { messages.append(message); },
        [this](const QString &text) { failures.append(text); }, endpoint(), framing);
  }

  bool startReady() {
    return start() == std::nullopt && spinUntil([this] { return readyCount > 0; });
  }

  QString awaitFailure() {
    spinUntil([this] { return !failures.isEmpty() || !invalidations.isEmpty(); });
    return failures.value(0, invalidations.value(0, QStringLiteral("none")));
  }

  // What a selection of channel 7 reports, sent by the test in place of the console.
  void scriptSelection() { console.echoOverrides["Chan 7 Enter"] = {}; }
  bool awaitRequest(const QString &line) {
    return spinUntil([&] { return typed().contains(line); });
  }

  struct Color {
    int channel;
    double hue, saturation;
    friend bool operator==(const Color &, const Color &) = default;
  };

  bool gateOpen = true;
  int readyCount = 0;
  QList<OSCMessage> messages;
  QStringList failures;
  QStringList invalidations;
  QList<int> released;
  QList<Color> colors;
  EosLiveControlSession session;
};

OSCMessage message(const QString &address, QList<OSCArgument> arguments = {}) {
  return {address, std::move(arguments)};
}

// The Live line of a body as the console of this case shows it.
QString liveLineOf(const SessionCase &session, const QString &body) {
  return session.activeCue ? QStringLiteral("LIVE: Cue %1 : %2").arg(*session.activeCue, body)
                           : QStringLiteral("LIVE: ") + body;
}

class LiveControlSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(LiveControlSession, BootsToReadyOnceAfterTheBarrierTheClearedLineLiveAndTheShow) {
  LiveRig rig(GetParam());
  ASSERT_TRUE(rig.startReady());
  EXPECT_EQ(rig.sessionRequests(),
            (QStringList{"/eos/subscribe", "/eos/get/show/path", "/eos/user/auto", "/eos/newcmd",
                         "/eos/key/clear_cmd", "/eos/newcmd", "/eos/get/show/path"}));
  EXPECT_EQ(rig.typed(), (QStringList{"<marker>", "/eos/key/clear_cmd", "Live Enter"}));
  rig.clock->advance(100);  // no deadline runs while ready
  EXPECT_TRUE(rig.session.isReady());
  EXPECT_EQ(rig.readyCount, 1);
  EXPECT_TRUE(rig.failures.isEmpty());
}

TEST_P(LiveControlSession, ReadsTheBootstrapLinesItsOwnWay) {
  struct Row {
    const char *name;
    QString overridden;
    QList<EosConsoleDouble::Echo> echoes;
    QString failure;  // empty: ready
  };
  LiveRig forms(GetParam());
  const Row rows[] = {
      {"a user still in Patch shows an empty line",
       "/eos/key/clear_cmd",
       {{"Patch Channel:", 0}},
       ""},
      {"an unfinished Live line is ignored",
       "Live Enter",
       {{"LIVE: Live", 0}, {forms.liveLine("Live #"), 0}},
       ""},
      {"a finished line that is not Live",
       "Live Enter",
       {{forms.liveLine("Chan 3 #"), 0}},
       "Eos rejected the isolated Live context: " + forms.liveLine("Chan 3 #")},
      {"a refused line in the clear barrier",
       "/eos/key/clear_cmd",
       {{"Clear #", 1}},
       "Eos rejected the isolated Live context: Clear #"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LiveRig rig(GetParam());
    rig.console.echoOverrides[row.overridden] = row.echoes;
    ASSERT_EQ(rig.start(), std::nullopt);
    if (row.failure.isEmpty()) {
      EXPECT_TRUE(spinUntil([&] { return rig.readyCount == 1; }));
    } else {
      EXPECT_EQ(rig.awaitFailure(), row.failure);
    }
  }
}

TEST_P(LiveControlSession, EachWaitingStepTimesOutWithItsOwnText) {
  const std::pair<QString, QString> rows[] = {
      {"", "Eos did not complete the Live connection handshake."},
      {"/eos/user/auto", "Eos did not allocate a Live control user."},
      {"/eos/key/clear_cmd", "Eos did not acknowledge Live control preparation."},
      {"Live Enter", "Eos did not confirm Live mode."},
      {"/eos/get/show/path#2", "Eos did not confirm the Live control show."},
  };
  for (const auto &[quietFrom, failure] : rows) {
    SCOPED_TRACE(quietFrom.toStdString());
    LiveRig rig(GetParam());
    const auto fall = [&rig] {
      rig.console.silent = true;
      QMetaObject::invokeMethod(
          &rig.console, [&rig] { rig.clock->advance(8); }, Qt::QueuedConnection);
    };
    if (quietFrom.isEmpty()) {
      rig.console.silent = true;
      QObject::connect(&rig.console, &EosConsoleDouble::clientConnected, &rig.console, fall);
    } else if (quietFrom.endsWith("#2")) {
      QObject::connect(&rig.console, &EosConsoleDouble::requestReceived, &rig.console,
                       [&rig, fall](const OSCMessage &request) {
                         if (request.address == u"/eos/get/show/path" &&
                             rig.console.requests(request.address).size() == 2)
                           fall();
                       });
    } else {
      rig.onRequest(quietFrom, fall);
    }
    ASSERT_EQ(rig.start(), std::nullopt);
    EXPECT_EQ(rig.awaitFailure(), failure);
  }
  // The marker's step: the console goes quiet once the marker is typed.
  LiveRig marker(GetParam());
  QObject::connect(&marker.console, &EosConsoleDouble::requestReceived, &marker.console, [&] {
    if (marker.typed().endsWith("<marker>") && !marker.console.silent) {
      marker.console.silent = true;
      QMetaObject::invokeMethod(
          &marker.console, [&] { marker.clock->advance(8); }, Qt::QueuedConnection);
    }
  });
  ASSERT_EQ(marker.start(), std::nullopt);
  EXPECT_EQ(marker.awaitFailure(), "Eos did not confirm isolated Live preparation.");
}

TEST_P(LiveControlSession, EndsOnMalformedRepliesLossAndLeavingLive) {
  struct Row {
    const char *name;
    std::function<void(LiveRig &)> act;  // once ready
    QString failure;
  };
  const Row rows[] = {
      {"own echo with a float status",
       [](LiveRig &rig) {
         rig.console.send({message("/eos/out/user/5/cmd", {OSCArgument::fromString("LIVE: #"),
                                                           OSCArgument::fromFloat(0)})});
         rig.console.send({message(
             virtualUserCmd, {OSCArgument::fromString("LIVE: #"), OSCArgument::fromFloat(0)})});
       },
       "Eos returned malformed Live command feedback."},
      {"the connection drops", [](LiveRig &rig) { rig.console.closeClients(); },
       "The isolated Live connection was lost; no control will be replayed."},
      {"the user leaves Live",
       [](LiveRig &rig) { rig.console.pushCommandLine(100, "Patch Channel: 5 #"); },
       "The isolated control user left Live: Patch Channel: 5 #"},
      {"a refused line", [](LiveRig &rig) { rig.console.pushCommandLine(100, "Chan #", 1); },
       "Eos rejected the isolated Live context: Chan #"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LiveRig rig(GetParam());
    ASSERT_TRUE(rig.startReady());
    row.act(rig);
    EXPECT_EQ(rig.awaitFailure(), row.failure);
  }
  for (const int user : {0, -1}) {
    LiveRig rig(GetParam());
    rig.console.setHandler(
        "/eos/user/auto", [user](const OSCMessage &, EosConsoleDouble::Asker &asker) {
          asker.setUser(user);
          return QList<OSCMessage>{message("/eos/out/user", {OSCArgument::fromInt(user)})};
        });
    ASSERT_EQ(rig.start(), std::nullopt);
    if (user == 0) {
      EXPECT_TRUE(spinUntil([&] { return rig.readyCount == 1; }));
    } else {
      EXPECT_EQ(rig.awaitFailure(), "Eos returned a malformed allocated Live user.");
    }
  }
}

TEST_P(LiveControlSession, CarriesOnlyCanonicalQueriesAndHandsOnTheirReplies) {
  LiveRig rig(GetParam());
  rig.console.fixtures[7] = {};
  ASSERT_TRUE(rig.startReady());
  EXPECT_FALSE(rig.session.sendQuery(message("/eos/get/params/012")));
  EXPECT_FALSE(rig.session.sendQuery(message("/eos/get/params/1000000")));
  EXPECT_FALSE(rig.session.sendQuery(message("/eos/get/params/1", {OSCArgument::fromInt(1)})));
  EXPECT_TRUE(rig.session.isReady());
  rig.console.send({message("/eos/out/get/params/7/x", {OSCArgument::fromString("Generic")})});
  EXPECT_TRUE(rig.session.sendQuery(message("/eos/get/params/7")));
  ASSERT_TRUE(spinUntil([&] { return !rig.messages.isEmpty(); }));
  EXPECT_EQ(rig.messages.size(), 1);
  EXPECT_EQ(rig.messages[0].address, "/eos/out/get/params/7");
  EXPECT_TRUE(
      rig.session.send(message("/eos/chan/7/param/Intensity", {OSCArgument::fromFloat(40)})));
  ASSERT_TRUE(spinUntil([&] { return rig.console.fixtures[7].parameters[0].value == 40; }));

  rig.console.sendShowEvent("loaded");
  ASSERT_TRUE(spinUntil([&] { return !rig.invalidations.isEmpty(); }));
  EXPECT_EQ(rig.invalidations,
            QStringList{"The console show changed during the Live control session."});
  EXPECT_TRUE(rig.failures.isEmpty());
  EXPECT_FALSE(
      rig.session.send(message("/eos/chan/7/param/Intensity", {OSCArgument::fromFloat(1)})));
}

TEST_P(LiveControlSession, IdentifyHoldsTheFlashFromItsProofAndProvesTheRelease) {
  LiveRig rig(GetParam());
  ASSERT_TRUE(rig.startReady());
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto &[channel, duration] : std::initializer_list<std::pair<int, double>>{
           {5, 0.09}, {5, 30.01}, {5, inf}, {5, nan}, {0, 1}, {1'000'000, 1}}) {
    EXPECT_FALSE(rig.session.identify(channel, duration)) << channel << " " << duration;
  }
  EXPECT_FALSE(rig.typed().contains("Chan 5 Flash"));

  // The acknowledgement comes late: the hold counts from it.
  rig.console.echoOverrides["Chan 5 Flash"] = {};
  ASSERT_TRUE(rig.session.identify(5, 2.0));
  EXPECT_FALSE(rig.session.readColor(7));
  ASSERT_TRUE(rig.awaitRequest("Chan 5 Flash"));
  rig.clock->advance(1.5);
  rig.console.pushCommandLine(100, rig.liveLine("Chan 5 Flash #"));
  ASSERT_TRUE(spinUntil([&] {
    return rig.session.flashState().stage == EosLiveControlSession::FlashState::Stage::active;
  }));
  // A repeat is harmless; the query's reply comes behind it.
  rig.console.pushCommandLine(100, rig.liveLine("Chan 5 Flash #"));
  rig.console.fixtures[7] = {};
  ASSERT_TRUE(rig.session.sendQuery(message("/eos/get/params/7")));
  ASSERT_TRUE(spinUntil([&] { return !rig.messages.isEmpty(); }));
  rig.clock->advance(1.9);
  EXPECT_FALSE(rig.typed().contains("/eos/key/flash"));
  rig.clock->advance(0.1);
  ASSERT_TRUE(spinUntil([&] { return rig.released == QList<int>{5}; }));
  rig.console.echoOverrides.clear();

  // An identify while a flash is held releases it; the next one after the release works.
  ASSERT_TRUE(rig.session.identify(5, 30.0));
  ASSERT_TRUE(spinUntil([&] {
    return rig.session.flashState().stage == EosLiveControlSession::FlashState::Stage::active;
  }));
  EXPECT_FALSE(rig.session.identify(6, 0.1));
  ASSERT_TRUE(spinUntil([&] { return rig.released == QList<int>{5, 5}; }));
  EXPECT_TRUE(rig.session.identify(6, 0.1));
  ASSERT_TRUE(spinUntil([&] {
    return rig.session.flashState().stage == EosLiveControlSession::FlashState::Stage::active;
  }));

  // The release on reset sends the key and leaves the flash owned; the end drops it, and
  // the release echo after the end does nothing.
  rig.session.releaseFlashOnReset();
  EXPECT_EQ(rig.session.flashState().stage, EosLiveControlSession::FlashState::Stage::active);
  ASSERT_TRUE(spinUntil([&] { return rig.console.flashes.isEmpty(); }));
  rig.session.finish();
  EXPECT_EQ(rig.session.flashState().stage, EosLiveControlSession::FlashState::Stage::idle);
  rig.console.pushCommandLine(100, rig.liveLine("Chan 6 #"));
  EXPECT_FALSE(spinUntil([&] { return rig.released.size() > 2; }, 50));
  EXPECT_TRUE(rig.failures.isEmpty());
}

TEST_P(LiveControlSession, AFlashEchoOfAnotherChannelOrAnotherLineEndsTheSession) {
  struct Row {
    const char *name;
    int channel;
    QList<EosConsoleDouble::Echo> flashEchoes;
    QString pushedWhileHeld;
    QString failure;  // "%1": the offending line
  };
  LiveRig forms(GetParam());
  const Row rows[] = {
      {"channel 12's flash for channel 1",
       1,
       {{forms.liveLine("Chan 12 Flash #"), 0}},
       "",
       "Eos returned mismatched private Flash feedback: %1"},
      {"another selection while held",
       5,
       {{forms.liveLine("Chan 5 Flash #"), 0}},
       forms.liveLine("Chan 9 #"),
       "The isolated control user replaced its owned Flash: %1"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LiveRig rig(GetParam());
    rig.console.echoOverrides[QStringLiteral("Chan %1 Flash").arg(row.channel)] = row.flashEchoes;
    ASSERT_TRUE(rig.startReady());
    ASSERT_TRUE(rig.session.identify(row.channel, 3.0));
    if (!row.pushedWhileHeld.isEmpty()) {
      ASSERT_TRUE(spinUntil([&] {
        return rig.session.flashState().stage == EosLiveControlSession::FlashState::Stage::active;
      }));
      rig.console.pushCommandLine(100, row.pushedWhileHeld);
    }
    EXPECT_EQ(rig.awaitFailure(),
              row.failure.arg(row.pushedWhileHeld.isEmpty() ? row.flashEchoes[0].text
                                                            : row.pushedWhileHeld));
  }
}

TEST_P(LiveControlSession, ReadsTheNativeColourOfTheSelectedChannel) {
  LiveRig rig(GetParam());
  rig.console.fixtures[7].hue = 212.5;
  rig.console.fixtures[7].saturation = 64;
  ASSERT_TRUE(rig.startReady());
  ASSERT_TRUE(rig.session.readColor(7));
  EXPECT_FALSE(rig.session.readColor(8));
  EXPECT_FALSE(rig.session.identify(7, 1));
  ASSERT_TRUE(spinUntil([&] { return !rig.colors.isEmpty(); }));
  EXPECT_EQ(rig.colors, (QList<LiveRig::Color>{{7, 212.5, 64}}));
  // Another read starts at once. This time the ping comes back before the line is empty,
  // and an empty line followed by another one before the ping leaves the read waiting.
  for (const bool emptyThenTyped : {false, true}) {
    rig.colors.clear();
    rig.console.echoOverrides["/eos/key/clear_cmd"] =
        emptyThenTyped ? QList<EosConsoleDouble::Echo>{{rig.liveLine("").trimmed(), 0},
                                                       {rig.liveLine("Chan 3"), 0}}
                       : QList<EosConsoleDouble::Echo>{};
    int pingReplies = 0;
    auto counting =
        QObject::connect(&rig.session.transport(), &OSCManager::lastPingResponseUptimeChanged,
                         &rig.session.transport(), [&] { ++pingReplies; });
    ASSERT_TRUE(rig.session.readColor(7));
    ASSERT_TRUE(spinUntil([&] { return pingReplies == 1; }));
    QObject::disconnect(counting);
    EXPECT_EQ(rig.typed().count("Chan 7 Enter"), emptyThenTyped ? 2 : 1);
    rig.console.pushCommandLine(100, rig.liveLine("").trimmed());
    ASSERT_TRUE(spinUntil([&] { return !rig.colors.isEmpty(); }));
  }
  EXPECT_TRUE(rig.failures.isEmpty());
}

TEST_P(LiveControlSession, EveryColourMismatchEndsTheSession) {
  using Send = std::function<void(LiveRig &)>;
  const auto active = [](QString report) -> Send {
    return [report](LiveRig &rig) {
      rig.console.send({message("/eos/out/active/chan", {OSCArgument::fromString(report)})});
    };
  };
  const auto colour = [](OSCArgument hue, OSCArgument saturation) -> Send {
    return [hue, saturation](LiveRig &rig) {
      rig.console.send({message("/eos/out/color/hs", {hue, saturation})});
    };
  };
  const auto line = [](QString body) -> Send {
    return [body](LiveRig &rig) { rig.console.pushCommandLine(100, rig.liveLine(body)); };
  };
  const auto f = [](float value) { return OSCArgument::fromFloat(value); };
  const QString malformed = QStringLiteral("Eos returned malformed private color feedback.");
  struct Row {
    const char *name;
    QList<Send> script;
    QString failure;  // empty: read back hue 360, saturation 100
  };
  const QString chan8 = liveLineOf(GetParam(), "Chan 8 #"),
                chan9 = liveLineOf(GetParam(), "Chan 9 #");
  const Row rows[] = {
      {"the selection of another channel",
       {line("Chan 8 #")},
       "Eos returned mismatched private color-selection feedback: " + chan8},
      {"another line after the selection",
       {line("Chan 7 #"), line("Chan 9 #")},
       "The isolated control user replaced its color selection: " + chan9},
      {"a leading zero",
       {line("Chan 7 #"), active("07 [0] Dimmer")},
       "Eos returned a mismatched private active channel."},
      {"the active channel moves",
       {line("Chan 7 #"), active("7 [0] Dimmer"), active("8 [0] Dimmer")},
       "The isolated control user's active channel changed."},
      {"hue 360.5", {line("Chan 7 #"), active("7"), colour(f(360.5), f(10))}, malformed},
      {"saturation -0.1", {line("Chan 7 #"), active("7"), colour(f(10), f(-0.1f))}, malformed},
      {"an int hue",
       {line("Chan 7 #"), active("7"), colour(OSCArgument::fromInt(10), f(10))},
       malformed},
      {"NaN", {line("Chan 7 #"), active("7"), colour(f(std::nanf("")), f(10))}, malformed},
      {"the show saved",
       {line("Chan 7 #"), [](LiveRig &rig) { rig.console.sendShowEvent("saved"); }},
       "The console show changed during the Live control session."},
      {"both ends of the ranges", {line("Chan 7 #"), active("7 [0]"), colour(f(360), f(100))}, ""},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LiveRig rig(GetParam());
    rig.scriptSelection();
    ASSERT_TRUE(rig.startReady());
    ASSERT_TRUE(rig.session.readColor(7));
    // The console's own reports of the selection go out before anything scripted.
    ASSERT_TRUE(rig.awaitRequest("Chan 7 Enter"));
    for (const Send &send : row.script) send(rig);
    if (row.failure.isEmpty()) {
      ASSERT_TRUE(spinUntil([&] { return !rig.colors.isEmpty(); }));
      EXPECT_EQ(rig.colors, (QList<LiveRig::Color>{{7, 360, 100}}));
    } else {
      EXPECT_EQ(rig.awaitFailure(), row.failure);
    }
  }
  LiveRig quiet(GetParam());
  quiet.scriptSelection();
  ASSERT_TRUE(quiet.startReady());
  ASSERT_TRUE(quiet.session.readColor(7));
  ASSERT_TRUE(quiet.awaitRequest("Chan 7 Enter"));
  quiet.clock->advance(8);
  EXPECT_EQ(quiet.awaitFailure(), "Native color readback timed out.");
}

INSTANTIATE_TEST_SUITE_P(Cases, LiveControlSession, ::testing::ValuesIn(testing::sessionCases),
                         testing::sessionCaseName);

TEST(LiveEchoLines, EmptyFlashAndSelectionLinesInBothForms) {
  using namespace EosLiveEchoLines;
  EXPECT_TRUE(isEmptyLiveLine("LIVE:"));
  EXPECT_TRUE(isEmptyLiveLine("LIVE: Cue 2.5 :"));
  EXPECT_TRUE(isEmptyLiveLine("LIVE: Cue 1/5 :"));
  EXPECT_FALSE(isEmptyLiveLine("LIVE: Cue 2.5 : Chan 3"));
  EXPECT_FALSE(isEmptyLiveLine("LIVE: Cue 2a :"));
  EXPECT_FALSE(isEmptyLiveLine("Patch Channel:"));
  EXPECT_TRUE(isEmptyBootstrapLine("Patch Channel:"));
  for (const QString prefix : {"LIVE: ", "LIVE: Cue 12 : "}) {
    EXPECT_TRUE(isFlashLine(prefix + "Chan 1 Flash #", 1));
    EXPECT_FALSE(isFlashLine(prefix + "Chan 12 Flash #", 1));
    EXPECT_FALSE(isFlashLine(prefix + "Chan 1 #", 1));
    EXPECT_TRUE(isSelectionLine(prefix + "Chan 7 #", 7));
    EXPECT_FALSE(isSelectionLine(prefix + "Chan 17 #", 7));
  }
  EXPECT_FALSE(isSelectionLine("Patch Channel: Chan 7 #", 7));
  EXPECT_FALSE(isSelectionLine("LIVE: Group 2 : Chan 7 # x", 7));
}

TEST(LiveAddresses, UsersQueriesRepliesAndWrites) {
  using namespace EosOSCAddress;
  EXPECT_EQ(parseUser(u"/eos/out/user/0/cmd"), 0);
  EXPECT_EQ(parseUser(u"/eos/out/user/100/cmd"), 100);
  for (const char *address : {"/eos/out/user/07/cmd", "/eos/out/user/-1/cmd",
                              "/eos//out/user/7/cmd", "/eos/out/user/7/cmd/", "/eos/out/user//cmd"})
    EXPECT_EQ(parseUser(QString::fromLatin1(address)), std::nullopt) << address;

  EXPECT_EQ(parseParamsReply(message("/eos/get/emitters/999999"), ParamsForm::query), 999999);
  EXPECT_EQ(parseParamsReply(message("/eos/out/get/params/7", {OSCArgument::fromInt(1)}),
                             ParamsForm::reply),
            7);
  EXPECT_EQ(parseParamsReply(message("/eos/out/get/params/7"), ParamsForm::query), std::nullopt);
  EXPECT_EQ(parseParamsReply(message("/eos/get/params/0"), ParamsForm::query), std::nullopt);
  EXPECT_EQ(parseParamsReply(message("/eos/get/levels/7"), ParamsForm::query), std::nullopt);

  const auto f = [](float value) { return OSCArgument::fromFloat(value); };
  const QString longName(129, u'x');
  const std::pair<OSCMessage, bool> writes[] = {
      {message("/eos/chan/7/color/hs", {f(360), f(100)}), true},
      {message("/eos/chan/7/color/hs", {f(0), f(0)}), true},
      {message("/eos/chan/7/color/hs", {f(360.5), f(50)}), false},
      {message("/eos/chan/7/color/hs", {f(std::nanf("")), f(50)}), false},
      {message("/eos/chan/7/color/hs", {f(10), OSCArgument::fromInt(50)}), false},
      {message("/eos/chan/7/param/Pan Tilt", {f(-270.5)}), true},
      {message("/eos/chan/7/param/" + QString(128, u'x'), {f(1)}), true},
      {message("/eos/chan/7/param/" + longName, {f(1)}), false},
      {message("/eos/chan/7/param/Zoom\u200d", {f(1)}), false},
      {message("/eos/chan/7/param/", {f(1)}), false},
      {message("/eos/chan/7/param/Zoom", {f(std::numeric_limits<float>::infinity())}), false},
      {message("/eos/chan/07/param/Zoom", {f(1)}), false},
      {message("/eos/chan/7/param/Zoom/x", {f(1)}), false},
  };
  for (const auto &[write, accepted] : writes)
    EXPECT_EQ(parseChannelHueSaturation(write), accepted) << write.address.toStdString();
}

}  // namespace
}  // namespace tarnik
