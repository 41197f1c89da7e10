// How long a stick reversal takes to reach the console: a virtual Xbox pad, the mover
// controller on its own 1/30 s poll, and the console double on a thread of its own. A
// reversal waits for the next poll by design, so two delays are reported: from the
// reversal to the double's decode of the first wheel message the other way, and from the
// poll that first read the reversal to that decode. The ratio is the p99 of the second over
// one tick.

#include "foundation/UptimeClock.h"
#include "operations/MoverController.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "platform/SDLGamePadSource.h"
#include "support/EosConsoleDoubleThread.h"
#include "support/VirtualXboxPad.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tarnik {
namespace {

constexpr int reversals = 300;
constexpr double tick = 1.0 / 30.0;

// Stamps the poll that first reads the stick on the side it is waiting for.
class StampingPads final : public GamePadSource {
 public:
  explicit StampingPads(std::unique_ptr<GamePadSource> inner) : inner_(std::move(inner)) {}

  void expect(int direction) { expected_ = direction; }
  double readAt() const { return readAt_; }

  QList<GamePad> poll() override {
    const double startedAt = systemUptime();
    QList<GamePad> pads = inner_->poll();
    if (expected_ != 0 && pads.size() == 1 && pads[0].leftStickX * float(expected_) > 0.5f) {
      readAt_ = startedAt;
      expected_ = 0;
    }
    return pads;
  }

 private:
  std::unique_ptr<GamePadSource> inner_;
  int expected_ = 0;
  double readAt_ = 0;
};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto rank = std::size_t(std::ceil(fraction * double(values.size())));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

class ReversalRun {
 public:
  ReversalRun(MoverController &controller, StampingPads &stamps, testing::VirtualXboxPad &pad)
      : controller_(controller), stamps_(stamps), pad_(pad) {
    QObject::connect(&controller_, &MoverController::canArmChanged, &controller_,
                     [this](bool canArm) {
                       if (canArm && !controller_.isArmed()) armAndHold();
                     });
    QObject::connect(&controller_, &MoverController::isArmedChanged, &controller_,
                     [this](bool armed) {
                       if (!armed && holding_) release();
                     });
  }

  // On the GUI thread, in the order the double decoded them.
  void wheelDecoded(float value, double decodedAt) {
    if (!awaiting_ || value * float(direction_) <= 0 || decodedAt < reversedAt_) return;
    awaiting_ = false;
    if (counting_) {
      total_.push_back(decodedAt - reversedAt_);
      fromPoll_.push_back(decodedAt - stamps_.readAt());
    }
    counting_ = true;
    if (total_.size() == reversals) {
      QCoreApplication::quit();
      return;
    }
    const int delay = QRandomGenerator::global()->bounded(int(tick * 1000) + 1);
    QTimer::singleShot(delay, Qt::PreciseTimer, &controller_, [this] { reverse(); });
  }

  void report() const {
    std::printf("mover reversals measured: %zu (re-armed %d times)\n", total_.size(), rearms_);
    std::printf("reversal to decode: p50 %.2f ms, p99 %.2f ms\n", percentile(total_, 0.5) * 1e3,
                percentile(total_, 0.99) * 1e3);
    std::printf("poll to decode: p50 %.2f ms, p99 %.2f ms\n", percentile(fromPoll_, 0.5) * 1e3,
                percentile(fromPoll_, 0.99) * 1e3);
    std::printf("RATIO mover_wheel_latency %.4f\n", percentile(fromPoll_, 0.99) / tick);
  }

 private:
  void armAndHold() {
    controller_.arm();
    if (!controller_.isArmed()) return;
    holding_ = true;
    pad_.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    // The first movement after arming is not a reversal: it is waited for, not counted.
    counting_ = false;
    reverse();
  }

  // A hiccup longer than the gate allows disarms it: rest, arm again, go on.
  void release() {
    holding_ = false;
    awaiting_ = false;
    ++rearms_;
    pad_.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    pad_.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  }

  void reverse() {
    if (!holding_) return;
    direction_ = -direction_;
    stamps_.expect(direction_);
    pad_.setAxis(SDL_CONTROLLER_AXIS_LEFTX, direction_ < 0 ? -32768 : 32767);
    reversedAt_ = systemUptime();
    awaiting_ = true;
  }

  MoverController &controller_;
  StampingPads &stamps_;
  testing::VirtualXboxPad &pad_;
  int direction_ = 1;
  bool holding_ = false;
  bool awaiting_ = false;
  bool counting_ = false;
  double reversedAt_ = 0;
  int rearms_ = 0;
  std::vector<double> total_;
  std::vector<double> fromPoll_;
};

}  // namespace
}  // namespace tarnik

int main(int argc, char **argv) {
  using namespace tarnik;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  QCoreApplication application(argc, argv);
  tarnik::testing::EosConsoleDoubleThread console;

  auto sdl = std::make_unique<SDLGamePadSource>();
  if (!sdl->isAvailable()) {
    std::fprintf(stderr, "SDL could not start its game controller support\n");
    return 1;
  }
  tarnik::testing::VirtualXboxPad pad;
  auto stamping = std::make_unique<StampingPads>(std::move(sdl));
  StampingPads &stamps = *stamping;
  MoverController controller(std::make_unique<MoverDedicatedOSCTransport>(), std::move(stamping),
                             true);
  ReversalRun run(controller, stamps, pad);
  console.run([&](tarnik::testing::EosConsoleDouble &console_) {
    console_.commandLines[5] = {QStringLiteral("LIVE: Chan 1 Thru 5 #"), 0};
    console_.selections[5] = {1, 2, 3, 4, 5};
    QObject::connect(
        &console_, &tarnik::testing::EosConsoleDouble::requestReceived, &console_,
        [&console_, &run, &controller](const OSCMessage &request) {
          if (!request.address.contains(u"/wheel/")) return;
          const tarnik::testing::EosConsoleDouble::WheelMove &move = console_.wheelMoves().last();
          const float value = std::get<float>(move.message.arguments.first().value);
          const double decodedAt = move.decodedAt;
          QMetaObject::invokeMethod(
              &controller, [&run, value, decodedAt] { run.wheelDecoded(value, decodedAt); },
              Qt::QueuedConnection);
        },
        Qt::DirectConnection);
  });

  controller.setApplicationActive(true);
  controller.connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                           console.tcpPort(OSCTCPFraming::packetLength)),
                     OSCTCPFraming::packetLength, 5);
  QTimer::singleShot(std::chrono::minutes(2), &application, [] {
    std::fprintf(stderr, "mover latency run did not finish\n");
    std::exit(1);
  });
  application.exec();
  console.run([](tarnik::testing::EosConsoleDouble &console_) {
    QObject::disconnect(&console_, &tarnik::testing::EosConsoleDouble::requestReceived, nullptr,
                        nullptr);
  });
  run.report();
  return 0;
}
