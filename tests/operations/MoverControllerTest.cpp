#include "operations/MoverController.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::waitUntil;

constexpr double tick = 1.0 / 30.0;

struct FakePads final : GamePadSource {
  QList<GamePad> pads;
  QList<GamePad> poll() override { return pads; }
};

// The real transport, counting selection requests and replies, so that a test can wait
// until the console has answered them all.
struct CountingTransport final : MoverOSCTransport {
  explicit CountingTransport(UptimeSource uptime) : inner(std::move(uptime)) {
    inner.onState = [this](bool connected, bool verified) {
      if (onState) onState(connected, verified);
    };
    inner.onMessage = [this](const OSCMessage &message) {
      if (message.address == u"/eos/out/get/chans") ++selectionReplies;
      if (onMessage) onMessage(message);
    };
    inner.onContext = [this](const MoverContextObservation &observation) {
      if (onContext) onContext(observation);
    };
    inner.onError = [this](const QString &error) {
      if (onError) onError(error);
    };
  }
  void connect(const OSCEndpoint &endpoint, OSCTCPFraming framing) override {
    inner.connect(endpoint, framing);
  }
  void disconnect() override { inner.disconnect(); }
  bool send(const OSCMessage &message) override {
    if (message.address == u"/eos/get/chans") ++selectionRequests;
    return inner.send(message);
  }
  bool startProbe(const QUuid &requestID, int user) override {
    return inner.startProbe(requestID, user);
  }
  void cancelProbe() override { inner.cancelProbe(); }

  MoverDedicatedOSCTransport inner;
  qsizetype selectionRequests = 0;
  qsizetype selectionReplies = 0;
};

GamePad xboxPad(float x = 0, bool rightShoulder = false, qint64 id = 1) {
  GamePad pad;
  pad.id = id;
  pad.name = QStringLiteral("Xbox One Controller");
  pad.isXbox = true;
  pad.leftStickX = x;
  pad.rightShoulder = rightShoulder;
  return pad;
}

// A controller on virtual time and fake pads, with its real transport talking to a double
// whose user 5 is in Live with channels 1 to 5 selected.
class MoverControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureCoreApplication();
    console.commandLines[5] = {QStringLiteral("LIVE: Chan 1 Thru 5 #"), 0};
    console.selections[5] = {1, 2, 3, 4, 5};
    auto fakePads = std::make_unique<FakePads>();
    pads = fakePads.get();
    const UptimeSource uptime = [this] { return clock; };
    auto countingTransport = std::make_unique<CountingTransport>(uptime);
    transport = countingTransport.get();
    controller = std::make_unique<MoverController>(std::move(countingTransport),
                                                   std::move(fakePads), false, uptime);
    QObject::connect(controller.get(), &MoverController::statusChanged, controller.get(),
                     [this](const QString &status) {
                       if (statuses.isEmpty() || statuses.last() != status) statuses.append(status);
                     });
  }

  void connectUser(int user = 5) {
    controller->connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                              console.tcpPort(OSCTCPFraming::packetLength)),
                        OSCTCPFraming::packetLength, user);
  }

  // Connected, with the user, its Live line and its selection confirmed.
  void connectFresh() {
    connectUser();
    ASSERT_TRUE(waitUntil([&] {
      return controller->selection() == u"1-5" && controller->commandContext() == u"Live";
    }));
    settle();
  }

  // Until every probe has ended and every selection request has its answer.
  void settle() {
    waitUntil(
        [&] {
          return console.tcpClientCount() <= 1 &&
                 transport->selectionReplies >= transport->selectionRequests;
        },
        2000);
  }

  void poll(const QList<GamePad> &present) {
    clock += tick;
    pads->pads = present;
    controller->pollController();
    settle();
  }

  void armAfterRest() {
    for (int i = 0; i < 9; ++i) poll({xboxPad()});
    controller->arm();
    ASSERT_TRUE(controller->isArmed()) << controller->status().toStdString();
  }

  double clock = 1000;
  EosConsoleDouble console;
  FakePads *pads = nullptr;
  CountingTransport *transport = nullptr;
  std::unique_ptr<MoverController> controller;
  QStringList statuses;
};

TEST_F(MoverControllerTest, RefusesABoardUserOutOfRange) {
  connectUser(100);
  EXPECT_EQ(controller->status(), "Enter a board user from 1 through 99.");
  EXPECT_EQ(controller->user(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(console.tcpClientCount(), 0);
}

TEST_F(MoverControllerTest, MovesOnlyWhileArmedAndFreshThenWalksBackAfterAChangedLine) {
  connectFresh();
  EXPECT_TRUE(controller->connected());
  EXPECT_EQ(console.connectionUsers().value(0), 5);
  armAfterRest();
  poll({xboxPad(-1.0f, true)});
  ASSERT_TRUE(waitUntil([&] { return !console.wheelMoves().isEmpty(); }));
  const OSCMessage wheel = console.wheelMoves().first().message;
  EXPECT_EQ(wheel.address, "/eos/user/5/wheel/coarse/pan");
  EXPECT_NEAR(std::get<float>(wheel.arguments.first().value), -0.4f, 1e-6);

  statuses.clear();
  const qsizetype requestsBefore = transport->selectionRequests;
  console.pushCommandLine(5, QStringLiteral("LIVE: Chan 2 #"));
  ASSERT_TRUE(waitUntil([&] { return !controller->isArmed(); }));
  EXPECT_EQ(transport->selectionRequests, requestsBefore + 1);
  settle();
  for (int i = 0; i < 9; ++i) poll({xboxPad()});
  if (statuses.value(0) == u"Armed. Hold RB and move the left stick; LT selects fine.")
    statuses.removeFirst();  // republished by the refresh of whatever came first
  EXPECT_EQ(statuses, (QStringList{"Waiting for fresh board selection and Live feedback.",
                                   "Release sticks, LT, and RB, then arm.",
                                   "Release all controls for 0.25 seconds.",
                                   "Ready to arm. Hold RB after arming to move."}));
}

TEST_F(MoverControllerTest, StopsOnAnyOtherBoardUser) {
  const struct {
    const char *name;
    OSCArgument user;
    bool keeps;
  } rows[] = {
      {"int 5", OSCArgument::fromInt(5), true},
      {"int 6", OSCArgument::fromInt(6), false},
      {"float 5.0", OSCArgument::fromFloat(5.0f), false},
  };
  for (const auto &row : rows) {
    connectFresh();
    console.send({{QStringLiteral("/eos/out/user"), {row.user}}});
    const QString stopped =
        QStringLiteral("OSC user changed or was not confirmed; reconnect to the board user.");
    waitUntil([&] { return controller->status() == stopped; }, row.keeps ? 300 : 10000);
    EXPECT_EQ(controller->connected(), row.keeps) << row.name;
    EXPECT_EQ(controller->status() == stopped, !row.keeps) << row.name;
  }
}

TEST_F(MoverControllerTest, ReadsTheCommandLineAndSelectionFeedback) {
  const QString waiting = QStringLiteral("Waiting for fresh board selection and Live feedback.");
  const QString ready = QStringLiteral("Release all controls for 0.25 seconds.");
  const struct {
    const char *name;
    OSCMessage feedback;
    QString context;
    QString status;
  } rows[] = {
      {"Live line, status 1",
       {QStringLiteral("/eos/out/user/5/cmd"),
        {OSCArgument::fromString(QStringLiteral("LIVE: Chan 1 Thru 5 #")),
         OSCArgument::fromInt(1)}},
       "Not confirmed Live",
       waiting},
      {"Blind line",
       {QStringLiteral("/eos/out/user/5/cmd"),
        {OSCArgument::fromString(QStringLiteral("BLIND: Chan 1 #")), OSCArgument::fromInt(0)}},
       "Not confirmed Live",
       waiting},
      {"the same Live line again",
       {QStringLiteral("/eos/out/user/5/cmd"),
        {OSCArgument::fromString(QStringLiteral("LIVE: Chan 1 Thru 5 #")),
         OSCArgument::fromInt(0)}},
       "Live",
       ready},
      {"active channels as selected",
       {QStringLiteral("/eos/out/active/chan"),
        {OSCArgument::fromString(QStringLiteral("1-5 [3]"))}},
       "Live",
       ready},
      {"other active channels",
       {QStringLiteral("/eos/out/active/chan"), {OSCArgument::fromString(QStringLiteral("7 [3]"))}},
       "Live",
       waiting},
  };
  for (const auto &row : rows) {
    connectFresh();
    poll({xboxPad()});
    ASSERT_EQ(controller->status(), ready) << row.name;
    console.send({row.feedback});
    waitUntil([&] { return controller->status() != ready; }, 300);
    EXPECT_EQ(controller->commandContext(), row.context) << row.name;
    EXPECT_EQ(controller->status(), row.status) << row.name;
  }
}

TEST_F(MoverControllerTest, RejectsAnInvalidSelectionAndIgnoresALateReply) {
  connectFresh();
  poll({xboxPad()});
  console.selections[5].clear();
  clock += MoverController::feedbackLifetime / 2;
  poll({xboxPad()});
  EXPECT_EQ(controller->selection(), "");
  EXPECT_EQ(controller->status(), "Waiting for fresh board selection and Live feedback.");

  // A reply more than 2.0 s after its request is dropped; the next poll asks again.
  console.setHandler(QStringLiteral("/eos/get/chans"),
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  clock += 1;
  controller->pollController();
  const qsizetype asked = transport->selectionRequests;
  clock += 2.5;
  console.send(
      {{QStringLiteral("/eos/out/get/chans"), {OSCArgument::fromString(QStringLiteral("1-5"))}}});
  waitUntil([&] { return !controller->selection().isEmpty(); }, 300);
  EXPECT_EQ(controller->selection(), "");
  pads->pads = {xboxPad()};
  controller->pollController();
  EXPECT_EQ(transport->selectionRequests, asked + 1);
}

TEST_F(MoverControllerTest, DisarmsWhenFeedbackGoesStale) {
  connectFresh();
  armAfterRest();
  console.silent = true;
  clock += 2.1;
  pads->pads = {xboxPad()};
  controller->pollController();
  EXPECT_EQ(controller->commandContext(), "Live feedback stale");
  EXPECT_FALSE(controller->isArmed());
  EXPECT_EQ(controller->status(), "Waiting for fresh board selection and Live feedback.");
  controller->arm();
  EXPECT_EQ(controller->status(),
            "Arm requires fresh Live selection and neutral controls for 0.25 seconds.");
}

TEST_F(MoverControllerTest, NamesThePadsAndStopsOnFocusLossAndSleep) {
  connectFresh();
  poll({xboxPad(0, false, 1), xboxPad(0, false, 2)});
  EXPECT_FALSE(controller->controllerConnected());
  EXPECT_EQ(controller->controllerName(), "Connect exactly one Xbox controller");
  EXPECT_EQ(controller->status(), "Connect exactly one Xbox controller.");
  poll({});
  EXPECT_EQ(controller->controllerName(), "No Xbox controller connected");

  armAfterRest();
  controller->setApplicationActive(false);
  EXPECT_FALSE(controller->isArmed());
  EXPECT_FALSE(controller->connected());
  EXPECT_EQ(controller->status(), "App lost focus; reconnect and arm to resume.");
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
  controller->setApplicationActive(true);
  EXPECT_FALSE(controller->isArmed());

  connectFresh();
  armAfterRest();
  controller->systemWillSleep();
  EXPECT_FALSE(controller->isArmed());
  EXPECT_EQ(controller->status(), "Disconnected; movement disarmed.");
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
}

QString longList(const char *head, const char *item, int count) {
  return QString::fromLatin1(head) + QString::fromLatin1(item).repeated(count);
}

TEST(MoverSelectionList, AcceptsChannelListsOnly) {
  const struct {
    QString text;
    std::optional<QString> accepted;
  } rows[] = {
      {"1-5, 7 10.2", "1-5, 7 10.2"},
      {" 1 - 5 ,7\t", "1 - 5 ,7"},
      {"1-5\n", "1-5"},
      {"999999.99999", "999999.99999"},
      {"0", std::nullopt},
      {"1--2", std::nullopt},
      {"1 Thru 5", std::nullopt},
      {"1234567", std::nullopt},
      {" ", std::nullopt},
      {"1-5\n#", std::nullopt},
      {"١", std::nullopt},
      {longList("11", " 1", 2047), longList("11", " 1", 2047)},
      {longList("1", " 1", 2048), std::nullopt},
      {longList("11", "\r\n1", 2047), longList("11", "\r\n1", 2047)},  // CR LF: one character
  };
  for (const auto &row : rows) {
    EXPECT_EQ(MoverController::parseSelectionList(row.text), row.accepted)
        << row.text.toStdString();
  }
}

}  // namespace
}  // namespace tarnik
