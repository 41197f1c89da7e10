#include "operations/MoverController.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::waitUntil;

const QString waiting = QStringLiteral("Waiting for fresh board selection and Live feedback.");
const QString resting = QStringLiteral("Release all controls for 0.25 seconds.");

struct FakePads final : GamePadSource {
  QList<GamePad> pads;
  QList<GamePad> poll() override { return pads; }
};

// Counts selection requests, so that a test can wait until the console answered them all.
struct CountingTransport final : MoverDedicatedOSCTransport {
  using MoverDedicatedOSCTransport::MoverDedicatedOSCTransport;
  bool send(const OSCMessage &message) override {
    requests += message.address == u"/eos/get/chans";
    return MoverDedicatedOSCTransport::send(message);
  }
  qsizetype requests = 0;
  qsizetype replies = 0;
};

GamePad xboxPad(float x = 0, bool rightShoulder = false, qint64 id = 1) {
  return {id, QStringLiteral("Xbox One Controller"), true, x, 0, 0, rightShoulder, false, false};
}

OSCMessage line(const char *text, int status = 0) {
  return {QStringLiteral("/eos/out/user/5/cmd"),
          {OSCArgument::fromString(QString::fromLatin1(text)), OSCArgument::fromInt(status)}};
}

// A controller on virtual time and fake pads, its real transport talking to a double whose
// user 5 is in Live with channels 1 to 5 selected.
class MoverControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureCoreApplication();
    console.commandLines[5] = {QStringLiteral("LIVE: Chan 1 Thru 5 #"), 0};
    console.selections[5] = {1, 2, 3, 4, 5};
    const UptimeSource uptime = [this] { return clock; };
    auto counting = std::make_unique<CountingTransport>();
    transport = counting.get();
    controller = std::make_unique<MoverController>(std::move(counting),
                                                   std::unique_ptr<FakePads>(pads), false, uptime);
    transport->onMessage = [this, handle = transport->onMessage](const OSCMessage &message) {
      transport->replies += message.address == u"/eos/out/get/chans";
      handle(message);
    };
  }

  void connectFresh(int user = 5) {
    transport->requests = transport->replies = 0;
    controller->connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                              console.tcpPort(OSCTCPFraming::packetLength)),
                        OSCTCPFraming::packetLength, user);
    if (user > 99) return;
    ASSERT_TRUE(waitUntil([&] {
      return controller->selection() == u"1-5" && controller->commandContext() == u"Live";
    }));
    settle();
  }

  // Until every probe has ended and every selection request has its answer.
  void settle() {
    waitUntil(
        [&] { return console.tcpClientCount() <= 1 && transport->replies >= transport->requests; });
  }

  void poll(const QList<GamePad> &present = {xboxPad()}, double seconds = 1.0 / 30.0) {
    clock += seconds;
    pads->pads = present;
    controller->pollController();
    settle();
  }

  void armAfterRest() {
    for (int i = 0; i < 9; ++i) poll();
    controller->arm();
    ASSERT_TRUE(controller->isArmed()) << controller->status().toStdString();
  }

  double clock = 1000;
  EosConsoleDouble console;
  FakePads *pads = new FakePads;
  CountingTransport *transport = nullptr;
  std::unique_ptr<MoverController> controller;
};

TEST_F(MoverControllerTest, MovesWhileArmedThenWalksBackAfterAChangedLine) {
  connectFresh();
  EXPECT_EQ(console.connectionUsers().value(0), 5);
  armAfterRest();
  poll({xboxPad(-1.0f, true)});
  ASSERT_TRUE(waitUntil([&] { return !console.wheelMoves().isEmpty(); }));
  EXPECT_EQ(console.wheelMoves().first().message,
            (OSCMessage{QStringLiteral("/eos/user/5/wheel/coarse/pan"),
                        {OSCArgument::fromFloat(-0.4f)}}));

  const qsizetype requestsBefore = transport->requests;
  QStringList shown;
  QObject::connect(controller.get(), &MoverController::statusChanged, controller.get(),
                   [&shown](const QString &status) {
                     if (shown.value(shown.size() - 1) != status) shown.append(status);
                   });
  console.pushCommandLine(5, QStringLiteral("LIVE: Chan 2 #"));
  ASSERT_TRUE(waitUntil([&] { return !controller->isArmed(); }));
  EXPECT_EQ(transport->requests, requestsBefore + 1);
  settle();
  EXPECT_EQ(shown.mid(shown.indexOf(waiting), 2),
            (QStringList{waiting, "Release sticks, LT, and RB, then arm."}));
  poll();
  EXPECT_EQ(controller->status(), resting);
  for (int i = 0; i < 8; ++i) poll();
  EXPECT_EQ(controller->status(), "Ready to arm. Hold RB after arming to move.");
}

TEST_F(MoverControllerTest, ReadsTheBoardFeedback) {
  const QString otherUser =
      QStringLiteral("OSC user changed or was not confirmed; reconnect to the board user.");
  const struct {
    OSCMessage feedback;
    QString context, status;
  } rows[] = {
      {line("LIVE: Chan 1 Thru 5 #", 1), "Not confirmed Live", waiting},
      {line("BLIND: Chan 1 #"), "Not confirmed Live", waiting},
      {line("LIVE: Chan 1 Thru 5 #"), "Live", resting},
      {{QStringLiteral("/eos/out/active/chan"), {OSCArgument::fromString("1-5 [3]")}},
       "Live",
       resting},
      {{QStringLiteral("/eos/out/active/chan"), {OSCArgument::fromString("7 [3]")}},
       "Live",
       waiting},
      {{QStringLiteral("/eos/out/user"), {OSCArgument::fromInt(5)}}, "Live", resting},
      {{QStringLiteral("/eos/out/user"), {OSCArgument::fromInt(6)}}, "Unknown", otherUser},
      {{QStringLiteral("/eos/out/user"), {OSCArgument::fromFloat(5)}}, "Unknown", otherUser},
  };
  for (const auto &row : rows) {
    connectFresh();
    poll();
    ASSERT_EQ(controller->status(), resting);
    console.send({row.feedback});
    waitUntil([&] { return controller->status() != resting; }, 300);
    EXPECT_EQ(controller->commandContext(), row.context) << row.feedback.address.toStdString();
    EXPECT_EQ(controller->status(), row.status) << row.feedback.address.toStdString();
  }
}

TEST_F(MoverControllerTest, RejectsAnInvalidSelectionAndIgnoresALateReply) {
  connectFresh();
  console.selections[5].clear();
  poll({xboxPad()}, 1.0);
  EXPECT_EQ(controller->selection(), "");
  EXPECT_EQ(controller->status(), waiting);

  console.setHandler(QStringLiteral("/eos/get/chans"),
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  clock += 1;
  controller->pollController();
  const qsizetype asked = transport->requests;
  clock += 2.5;
  console.send({{QStringLiteral("/eos/out/get/chans"), {OSCArgument::fromString("1-5")}}});
  waitUntil([&] { return !controller->selection().isEmpty(); }, 300);
  EXPECT_EQ(controller->selection(), "");
  controller->pollController();
  EXPECT_EQ(transport->requests, asked + 1) << "the stale request is replaced";
}

TEST_F(MoverControllerTest, DisarmsWhenFeedbackGoesStale) {
  connectFresh();
  armAfterRest();
  console.silent = true;
  clock += 2.1;
  controller->pollController();
  EXPECT_EQ(controller->commandContext(), "Live feedback stale");
  EXPECT_FALSE(controller->isArmed());
  EXPECT_EQ(controller->status(), waiting);
  controller->arm();
  EXPECT_EQ(controller->status(),
            "Arm requires fresh Live selection and neutral controls for 0.25 seconds.");
}

TEST_F(MoverControllerTest, RefusesUser100NamesThePadsAndStopsOnFocusLossAndSleep) {
  connectFresh(100);
  EXPECT_EQ(controller->status(), "Enter a board user from 1 through 99.");
  EXPECT_EQ(controller->user(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(console.tcpClientCount(), 0);

  connectFresh();
  poll({xboxPad(0, false, 1), xboxPad(0, false, 2)});
  EXPECT_FALSE(controller->controllerConnected());
  EXPECT_EQ(controller->controllerName(), "Connect exactly one Xbox controller");
  poll({});
  EXPECT_EQ(controller->controllerName(), "No Xbox controller connected");

  const struct {
    void (*notice)(MoverController &);
    QString status;
  } rows[] = {
      {[](MoverController &c) { c.setApplicationActive(false); },
       "App lost focus; reconnect and arm to resume."},
      {[](MoverController &c) { c.systemWillSleep(); }, "Disconnected; movement disarmed."},
  };
  for (const auto &row : rows) {
    connectFresh();
    armAfterRest();
    row.notice(*controller);
    EXPECT_EQ(controller->status(), row.status);
    EXPECT_FALSE(controller->isArmed() || controller->connected());
    EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
    controller->setApplicationActive(true);
    EXPECT_FALSE(controller->isArmed());
  }
}

// Without a GUI application nothing says the program has focus, so a monitoring controller
// starts inactive and moves nothing until the shell says otherwise.
TEST(MoverControllerFocus, StartsInactiveWithoutAGuiApplication) {
  testing::ensureCoreApplication();
  ASSERT_FALSE(qobject_cast<QGuiApplication *>(QCoreApplication::instance()));
  auto *pads = new FakePads;
  pads->pads = {xboxPad()};
  MoverController controller(std::make_unique<MoverDedicatedOSCTransport>(),
                             std::unique_ptr<FakePads>(pads), true, [] { return 1000.0; });
  controller.pollController();
  EXPECT_FALSE(controller.gate().appActive);
  EXPECT_EQ(controller.status(), "App inactive; movement disarmed.");
  controller.setApplicationActive(true);
  EXPECT_TRUE(controller.gate().appActive);
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
      {"0", {}},
      {"1--2", {}},
      {"1 Thru 5", {}},
      {"1234567", {}},
      {" ", {}},
      {"1-5\n#", {}},
      {"١", {}},
      {longList("11", " 1", 2047), longList("11", " 1", 2047)},
      {longList("1", " 1", 2048), {}},
      {longList("11", "\r\n1", 2047), longList("11", "\r\n1", 2047)},  // CR LF: one character
  };
  for (const auto &row : rows) {
    EXPECT_EQ(MoverController::parseSelectionList(row.text), row.accepted)
        << row.text.toStdString();
  }
}

}  // namespace
}  // namespace tarnik
