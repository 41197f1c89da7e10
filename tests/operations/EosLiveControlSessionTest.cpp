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
using Stage = EosLiveControlSession::FlashState::Stage;

OSCMessage message(const QString &address, QList<OSCArgument> arguments = {}) {
  return {address, std::move(arguments)};
}
OSCArgument f(float value) { return OSCArgument::fromFloat(value); }

struct LiveRig : ConsoleRig {
  explicit LiveRig(const SessionCase &session) : ConsoleRig(session), session(options()) {}

  std::optional<QString> start() {
    session.onShowInvalidated = [this](const QString &text) { ends.append("show: " + text); };
    session.onIdentifyReleased = [this](int channel) { released.append(channel); };
    session.onColorReadback = [this](int channel, double hue, double saturation) {
      ends.append(QStringLiteral("read %1 %2 %3").arg(channel).arg(hue).arg(saturation));
    };
    return session.start(
        console.showPath, [this] { return gateOpen; }, [this] { ends.append("ready"); },
        [this](const OSCMessage &reply) { messages.append(reply); },
        [this](const QString &text) { ends.append(text); }, endpoint(), framing);
  }
  bool startReady() { return start() == std::nullopt && awaitEnd() == "ready" && ends.isEmpty(); }

  // The next thing the owner was told: "ready", "read <channel> <hue> <saturation>", the
  // failure text, or "show: " and the show text.
  QString awaitEnd(int milliseconds = 10000) {
    if (!spinUntil([this] { return !ends.isEmpty(); }, milliseconds))
      return QStringLiteral("nothing");
    return ends.takeFirst();
  }
  // A read of channel 7 up to the selection, whose echo and reports the test then sends.
  bool readScripted() {
    console.echoOverrides["Chan 7 Enter"] = {};
    return session.readColor(7) && spinUntil([this] { return typed().contains("Chan 7 Enter"); });
  }
  void echo(const QString &body, int status = 0) {
    console.pushCommandLine(100, liveLine(body), status);
  }
  bool flashIs(Stage stage) {
    return spinUntil([&] { return session.flashState().stage == stage; });
  }

  bool gateOpen = true;
  QStringList ends;
  QList<OSCMessage> messages;
  QList<int> released;
  EosLiveControlSession session;
};

class LiveControlSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(LiveControlSession, BootsToReadyOnceAndStaysWithoutADeadline) {
  LiveRig rig(GetParam());
  ASSERT_TRUE(rig.startReady());
  EXPECT_EQ(rig.sent(false),
            (QStringList{"/eos/subscribe", "/eos/get/show/path", "/eos/user/auto", "/eos/newcmd",
                         "/eos/key/clear_cmd", "/eos/newcmd", "/eos/get/show/path"}));
  EXPECT_EQ(rig.typed(), (QStringList{"<marker>", "/eos/key/clear_cmd", "Live Enter"}));
  rig.clock->advance(100);
  EXPECT_TRUE(rig.session.isReady());
  EXPECT_EQ(rig.awaitEnd(50), "nothing");
}

TEST_P(LiveControlSession, EndsWithOneTextForEveryDoubtAboutTheConsole) {
  using Act = std::function<void(LiveRig &)>;
  const Act quiet = [](LiveRig &rig) { rig.fallQuiet(); };
  const Act close = [](LiveRig &rig) { rig.console.closeClients(); };
  const Act timeOut = [](LiveRig &rig) { rig.clock->advance(8); };
  const auto show = [](QString kind) -> Act {
    return [kind](LiveRig &rig) { rig.console.sendShowEvent(kind); };
  };
  // Bodies become Live lines; a body starting with "!" is the whole line.
  const auto overrideEchoes = [](QString typed, QStringList bodies, int status = 0) -> Act {
    return [=](LiveRig &rig) {
      for (const QString &body : bodies)
        rig.console.echoOverrides[typed].append(
            {body.startsWith("!") ? body.mid(1) : rig.liveLine(body), status});
    };
  };
  const auto echo = [](QString body, int status = 0) -> Act {
    return [=](LiveRig &rig) {
      rig.console.pushCommandLine(100, body.startsWith("!") ? body.mid(1) : rig.liveLine(body),
                                  status);
    };
  };
  const auto send = [](QList<OSCMessage> messages) -> Act {
    return [messages](LiveRig &rig) { rig.console.send(messages); };
  };
  const auto allocate = [](int user) -> Act {
    return [user](LiveRig &rig) {
      testing::answer(rig.console, "/eos/user/auto",
                      message("/eos/out/user", {OSCArgument::fromInt(user)}));
    };
  };
  const auto identify = [](int channel) -> Act {
    return [channel](LiveRig &rig) { rig.session.identify(channel, 3); };
  };
  const auto silence = [](QString typed) -> Act {
    return [typed](LiveRig &rig) { rig.console.echoOverrides[typed] = {}; };
  };
  // The flash of the identify above is proven and held until the key goes out.
  const Act held = [](LiveRig &rig) {
    ASSERT_TRUE(rig.flashIs(Stage::active));
    rig.clock->advance(3);
  };
  const auto timeOutAfter = [](QString typed) -> Act {
    return [typed](LiveRig &rig) {
      ASSERT_TRUE(spinUntil([&] { return rig.typed().contains(typed); }));
      rig.clock->advance(8);
    };
  };
  const auto active = [](QString report) {
    return message("/eos/out/active/chan", {OSCArgument::fromString(report)});
  };
  const auto colour = [&](OSCArgument hue, OSCArgument saturation) -> Act {
    return send({active("7"), message("/eos/out/color/hs", {hue, saturation})});
  };
  const OSCMessage badStatus{"/eos/out/user/100/cmd", {OSCArgument::fromString("LIVE: #"), f(0)}};
  const QString rejected = QStringLiteral("Eos rejected the isolated Live context: ");
  const QString malformedColour = QStringLiteral("Eos returned malformed private color feedback.");
  // Told through onShowInvalidated, never as a failure.
  const QString showChanged =
      QStringLiteral("show: The console show changed during the Live control session.");
  const Act selected = echo("Chan 7 #");
  struct Row {
    QString when;  // "": before the start; a request label ("#2": the second); "ready"; "read"
    QList<Act> acts;
    QString end;  // %1, %2, %3: the Live lines of "Chan 9 #", "Chan 12 Flash #", "Chan 8 #"
  };
  const Row rows[] = {
      // Bootstrap lines.
      {"", {overrideEchoes("/eos/key/clear_cmd", {"!Patch Channel:"})}, "ready"},
      {"", {overrideEchoes("Live Enter", {"!LIVE: Live", "Live #"})}, "ready"},
      {"", {overrideEchoes("Live Enter", {"Chan 9 #"})}, rejected + "%1"},
      {"", {overrideEchoes("/eos/key/clear_cmd", {"!Clear #"}, 1)}, rejected + "Clear #"},
      {"", {allocate(0)}, "ready"},
      {"", {allocate(-1)}, "Eos returned a malformed allocated Live user."},
      // A console that goes quiet at each step.
      {"/eos/subscribe", {quiet}, "Eos did not complete the Live connection handshake."},
      {"/eos/user/auto", {quiet}, "Eos did not allocate a Live control user."},
      {"<marker>", {quiet}, "Eos did not confirm isolated Live preparation."},
      {"/eos/key/clear_cmd", {quiet}, "Eos did not acknowledge Live control preparation."},
      {"Live Enter", {quiet}, "Eos did not confirm Live mode."},
      {"/eos/get/show/path#2", {quiet}, "Eos did not confirm the Live control show."},
      // Once ready; another user's malformed line is ignored, the session's own is not.
      {"ready",
       {send({message("/eos/out/user/5/cmd", badStatus.arguments), badStatus})},
       "Eos returned malformed Live command feedback."},
      {"ready", {close}, "The isolated Live connection was lost; no control will be replayed."},
      {"ready",
       {echo("!Patch Channel: 5 #")},
       "The isolated control user left Live: Patch Channel: 5 #"},
      {"ready", {echo("Chan 9 #", 1)}, rejected + "%1"},
      {"ready", {show("loaded")}, showChanged},
      {"ready",
       {overrideEchoes("Chan 1 Flash", {"Chan 12 Flash #"}), identify(1)},
       "Eos returned mismatched private Flash feedback: %2"},
      {"ready",
       {overrideEchoes("Chan 5 Flash", {"Chan 5 Flash #", "Chan 9 #"}), identify(5)},
       "The isolated control user replaced its owned Flash: %1"},
      {"ready",
       {silence("Chan 5 Flash"), identify(5), timeOutAfter("Chan 5 Flash")},
       "Private Flash acknowledgement timed out."},
      {"ready",
       {silence("/eos/key/flash"), identify(5), held, timeOutAfter("/eos/key/flash")},
       "Private Flash release timed out."},
      {"ready",
       {overrideEchoes("/eos/key/flash", {"Chan 9 #"}), identify(5), held},
       "Eos returned mismatched private Flash release feedback: %1"},
      // Colour reads of channel 7, once the selection was typed.
      {"read", {echo("Chan 8 #")}, "Eos returned mismatched private color-selection feedback: %3"},
      {"read",
       {selected, echo("Chan 9 #")},
       "The isolated control user replaced its color selection: %1"},
      {"read",
       {selected, send({active("07 [0] Dimmer")})},
       "Eos returned a mismatched private active channel."},
      {"read",
       {selected, send({active("7 [0] Dimmer"), active("8 [0] Dimmer")})},
       "The isolated control user's active channel changed."},
      {"read", {selected, colour(f(360.5), f(10))}, malformedColour},
      {"read", {selected, colour(f(10), f(-0.1f))}, malformedColour},
      {"read", {selected, colour(OSCArgument::fromInt(1), f(1))}, malformedColour},
      {"read", {selected, colour(f(std::nanf("")), f(1))}, malformedColour},
      {"read", {selected, show("saved")}, showChanged},
      {"read", {selected, colour(f(360), f(100))}, "read 7 360 100"},
      {"read", {timeOut}, "Native color readback timed out."},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE((row.when + " -> " + row.end).toStdString());
    LiveRig rig(GetParam());
    const auto act = [&rig, &row] {
      for (const Act &act : row.acts) act(rig);
    };
    if (row.when.isEmpty()) act();
    if (!row.when.isEmpty() && row.when != "ready" && row.when != "read") rig.on(row.when, act);
    if (row.when == "ready" || row.when == "read") {
      ASSERT_TRUE(rig.startReady());
      if (row.when == "read") {
        ASSERT_TRUE(rig.readScripted());
      }
      act();
    } else {
      ASSERT_EQ(rig.start(), std::nullopt);
    }
    EXPECT_EQ(rig.awaitEnd(), QString(row.end)
                                  .replace("%1", rig.liveLine("Chan 9 #"))
                                  .replace("%2", rig.liveLine("Chan 12 Flash #"))
                                  .replace("%3", rig.liveLine("Chan 8 #")));
  }
}

TEST_P(LiveControlSession, CarriesCanonicalQueriesAndWritesAndHandsOnTheirReplies) {
  LiveRig rig(GetParam());
  rig.console.fixtures[7] = {};
  ASSERT_TRUE(rig.startReady());
  for (const OSCMessage &refused :
       {message("/eos/get/params/012"), message("/eos/get/params/1000000"),
        message("/eos/get/params/1", {OSCArgument::fromInt(1)})})
    EXPECT_FALSE(rig.session.sendQuery(refused)) << refused.address.toStdString();
  rig.console.send({message("/eos/out/get/params/7/x")});
  EXPECT_TRUE(rig.session.sendQuery(message("/eos/get/emitters/7")));
  ASSERT_TRUE(spinUntil([&] { return !rig.messages.isEmpty(); }));
  EXPECT_EQ(rig.messages.size(), 1);
  EXPECT_EQ(rig.messages.value(0).address, "/eos/out/get/emitters/7");
  EXPECT_TRUE(rig.session.send(message("/eos/chan/7/param/Intensity", {f(40)})));
  EXPECT_TRUE(spinUntil([&] { return rig.console.fixtures[7].parameters[0].value == 40; }));
  EXPECT_TRUE(rig.ends.isEmpty());
}

TEST_P(LiveControlSession, IdentifyHoldsTheFlashFromItsProofAndProvesTheRelease) {
  LiveRig rig(GetParam());
  ASSERT_TRUE(rig.startReady());
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto &[channel, duration] : std::initializer_list<std::pair<int, double>>{
           {5, 0.09}, {5, 30.01}, {5, inf}, {5, std::nan("")}, {0, 1}, {1'000'000, 1}})
    EXPECT_FALSE(rig.session.identify(channel, duration)) << channel << " " << duration;

  // A late acknowledgement: the hold counts from it, not from the command.
  rig.console.echoOverrides["Chan 5 Flash"] = {};
  ASSERT_TRUE(rig.session.identify(5, 2.0));
  EXPECT_FALSE(rig.session.readColor(7));
  ASSERT_TRUE(spinUntil([&] { return rig.typed().contains("Chan 5 Flash"); }));
  rig.clock->advance(1.5);
  rig.echo("Chan 5 Flash #");
  ASSERT_TRUE(rig.flashIs(Stage::active));
  rig.echo("Chan 5 Flash #");  // a repeat is harmless; the query's reply comes behind it
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
  ASSERT_TRUE(rig.flashIs(Stage::active));
  EXPECT_FALSE(rig.session.identify(6, 0.1));
  ASSERT_TRUE(spinUntil([&] { return rig.released == QList<int>{5, 5}; }));
  ASSERT_TRUE(rig.session.identify(6, 0.1));
  ASSERT_TRUE(rig.flashIs(Stage::active));

  // The release on reset sends the key and leaves the flash owned; the end drops it.
  rig.session.releaseFlashOnReset();
  EXPECT_EQ(rig.session.flashState().stage, Stage::active);
  ASSERT_TRUE(spinUntil([&] { return rig.console.flashes.isEmpty(); }));
  rig.session.finish();
  EXPECT_EQ(rig.session.flashState().stage, Stage::idle);
  EXPECT_EQ(rig.awaitEnd(50), "nothing");
  EXPECT_EQ(rig.released, (QList<int>{5, 5}));
}

TEST_P(LiveControlSession, ReadsColoursOneAfterAnotherWhicheverClearProofComesFirst) {
  LiveRig rig(GetParam());
  rig.console.fixtures[7].hue = 212.5;
  rig.console.fixtures[7].saturation = 64;
  ASSERT_TRUE(rig.startReady());
  ASSERT_TRUE(rig.session.readColor(7));
  EXPECT_FALSE(rig.session.readColor(8));
  EXPECT_FALSE(rig.session.identify(7, 1));
  EXPECT_EQ(rig.awaitEnd(), "read 7 212.5 64");
  // The ping back before the empty line; an empty line, then a typed one, before the ping.
  for (const bool emptyThenTyped : {false, true}) {
    rig.console.echoOverrides["/eos/key/clear_cmd"].clear();
    if (emptyThenTyped)
      rig.console.echoOverrides["/eos/key/clear_cmd"] = {{rig.liveLine(""), 0},
                                                         {rig.liveLine("Chan 3"), 0}};
    int pingReplies = 0;
    const auto counting =
        QObject::connect(&rig.session.transport(), &OSCManager::lastPingResponseUptimeChanged,
                         &rig.session.transport(), [&] { ++pingReplies; });
    ASSERT_TRUE(rig.session.readColor(7));
    ASSERT_TRUE(spinUntil([&] { return pingReplies == 1; }));
    QObject::disconnect(counting);
    EXPECT_EQ(rig.typed().count("Chan 7 Enter"), emptyThenTyped ? 2 : 1);
    rig.echo("");
    EXPECT_EQ(rig.awaitEnd(), "read 7 212.5 64");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LiveControlSession, ::testing::ValuesIn(testing::sessionCases),
                         testing::sessionCaseName);

TEST(LiveEchoLines, EmptyLinesFlashesAndSelectionsInBothForms) {
  using namespace EosLiveEchoLines;
  EXPECT_TRUE(isEmptyLiveLine("LIVE: Cue 2.5 :") && isEmptyBootstrapLine("Patch Channel:"));
  EXPECT_FALSE(isEmptyLiveLine("LIVE: Cue 2.5 : Chan 3") || isEmptyLiveLine("LIVE: Cue 2a :") ||
               isEmptyLiveLine("Patch Channel:"));
  for (const QString prefix : {"LIVE: ", "LIVE: Cue 12 : "}) {
    EXPECT_TRUE(isFlashLine(prefix + "Chan 1 Flash #", 1) &&
                isSelectionLine(prefix + "Chan 7 #", 7));
    EXPECT_FALSE(isFlashLine(prefix + "Chan 12 Flash #", 1) ||
                 isSelectionLine(prefix + "Chan 17 #", 7));
  }
}

TEST(LiveAddresses, UsersAndWrites) {
  using namespace EosOSCAddress;
  EXPECT_EQ(parseUser(u"/eos/out/user/0/cmd"), 0);
  for (const char *address :
       {"/eos/out/user/07/cmd", "/eos//out/user/7/cmd", "/eos/out/user/7/cmd/"})
    EXPECT_EQ(parseUser(QString::fromLatin1(address)), std::nullopt) << address;
  const std::pair<OSCMessage, bool> writes[] = {
      {message("/eos/chan/7/color/hs", {f(360), f(100)}), true},
      {message("/eos/chan/7/color/hs", {f(360.5), f(50)}), false},
      {message("/eos/chan/7/color/hs", {f(std::nanf("")), f(50)}), false},
      {message("/eos/chan/7/param/" + QString(128, u'x'), {f(1)}), true},
      {message("/eos/chan/7/param/" + QString(129, u'x'), {f(1)}), false},
      {message("/eos/chan/7/param/Zoom\u200d", {f(1)}), false},
      {message("/eos/chan/07/param/Zoom", {f(1)}), false},
  };
  for (const auto &[write, accepted] : writes)
    EXPECT_EQ(parseChannelHueSaturation(write), accepted) << write.address.toStdString();
  EXPECT_EQ(parseParamsReply(message("/eos/out/get/emitters/999999"), ParamsForm::reply),
            (ParamsAddress{ParamsKind::emitters, 999'999}));
  EXPECT_EQ(parseParamsReply(message("/eos/get/params/1"), ParamsForm::query),
            (ParamsAddress{ParamsKind::parameters, 1}));
  for (const char *address : {"/eos/out/get/params/1000000", "/eos/out/get/params/0",
                              "/eos/out/get/params/01", "/eos/out/get/param/1"})
    EXPECT_EQ(parseParamsReply(message(address), ParamsForm::reply), std::nullopt) << address;
}

}  // namespace
}  // namespace tarnik
