#pragma once

#include "operations/EosCommandLineBarrier.h"
#include "operations/EosIsolatedSession.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The isolated session through which single fixtures are changed live: a console user of
// its own, proven settled and empty, put into Live, the show checked, and then ready to
// carry parameter and emitter queries, parameter and colour writes, an identify flash and
// native colour reads. Any doubt about the console's state ends the session with one text;
// nothing is ever replayed.
//
// Its own files: EosLiveControlSession.cpp (bootstrap, ready traffic, the end),
// EosLiveIdentifyFlash.cpp and EosLiveColorRead.cpp.
class EosLiveControlSession final : public EosIsolatedSession {
  Q_OBJECT

 public:
  // An identify flash owned by the session.
  struct FlashState {
    enum class Stage { idle, awaitingAcknowledgement, active, awaitingRelease };
    Stage stage = Stage::idle;
    int channel = 0;
    double duration = 0;  // how long the flash is held, seconds
  };

  // Set by the owner before a run starts; each run's end clears them.
  std::function<void(int channel)> onIdentifyReleased;
  std::function<void(int channel, double hue, double saturation)> onColorReadback;
  // Told instead of the failure when the console's show changed.
  std::function<void(const QString &text)> onShowInvalidated;

  explicit EosLiveControlSession(Options options, QObject *parent = nullptr);
  ~EosLiveControlSession() override;

  // Starts a run; refused with the returned text while a run is active, or without a show
  // or a gate that answers true.
  std::optional<QString> start(const QString &expectedShow, Gate gate,
                               std::function<void()> onReady,
                               std::function<void(const OSCMessage &)> onMessage,
                               std::function<void(const QString &)> onFailure,
                               const OSCEndpoint &endpoint, OSCTCPFraming framing);
  bool isReady() const { return phase_ == Phase::ready; }
  const FlashState &flashState() const { return flash_; }

  // A write while ready; false (and the session ended) when it could not go out.
  bool send(const OSCMessage &message);
  // A parameter or emitter query ("/eos/get/params/<n>", ".../emitters/<n>"), as send.
  bool sendQuery(const OSCMessage &message);

  // Flashes the channel for `duration` seconds (0.1...30) and releases it; true when the
  // flash command went out. An identify while a flash is held releases that one instead.
  bool identify(int channel, double duration);
  bool releaseIdentify();
  // Best effort before the owner ends the session: the flash key, nothing awaited.
  void releaseFlashOnReset();
  // Reads the channel's hue and saturation; true when the read started.
  bool readColor(int channel);

  // Ends an active run once; the failure text, when given, goes to onFailure last.
  void finish(const std::optional<QString> &failureText = std::nullopt);

 private:
  enum class Phase {
    idle,
    preparing,  // the user's preparation, which EosIsolatedSession carries
    awaitingLive,
    awaitingShowBarrier,
    ready,
    finished,
  };

  struct ColorRead {
    enum class Stage {
      idle,
      awaitingMarker,
      awaitingClearBarrier,
      awaitingSelectionAcknowledgement,
      awaitingActiveChannel,
      awaitingHueSaturation,
      awaitingShowBarrier,
    };
    Stage stage = Stage::idle;
    int channel = 0;
    QUuid requestID;
    EosCommandLineBarrier barrier;
    double hue = 0;
    double saturation = 0;
  };

  using ColorStage = ColorRead::Stage;

  bool isActive() const { return phase_ != Phase::idle && phase_ != Phase::finished; }

  // EosIsolatedSession
  void userReady() override;
  void endWithFailure(const QString &text) override { finish(text); }
  void connectionLost() override;
  void messageReceived(const OSCMessage &message) override;
  void pingAnswered(double answeredAt) override;
  void deadlinePassed() override;

  // Bootstrap (EosLiveControlSession.cpp)
  bool sendBootstrap(const OSCMessage &message);
  void handleShowPath(const OSCMessage &message);
  void handleCommandLine(const OSCMessage &message, int user);
  void handleLiveConfirmation(const QString &text);
  void handleReadyEcho(const QString &text, qint32 status);
  void handleReadyMessage(const OSCMessage &message);
  void invalidateShow();
  // Ends the session with "The main console session changed." unless the console may be
  // touched.
  bool requireConsole();
  bool sendWrite(const OSCMessage &message);

  // Identify flash (EosLiveIdentifyFlash.cpp)
  void handleOperationEcho(const QString &text);
  void handleFlashEcho(const QString &text);
  void armFlashDeadline(const QString &step);

  // Colour read (EosLiveColorRead.cpp)
  // True when the echo was the read's barrier marker.
  bool takeColorMarkerEcho(const QString &text, qint32 status);
  void colorClearLineSeen(bool empty);
  void colorClearPingAnswered(double answeredAt);
  void checkColorClearBarrier();
  // False when the echo belongs to the flash checks instead.
  bool handleColorSelectionEcho(const QString &text);
  void handleActiveChannel(const OSCMessage &message);
  void handleHueSaturation(const OSCMessage &message);
  void completeColorRead();

  Phase phase_ = Phase::idle;
  FlashState flash_;
  ColorRead colorRead_;
  std::unique_ptr<LevelCommandScheduledAction> flashDeadline_;
  std::unique_ptr<LevelCommandScheduledAction> flashReleaseTimer_;
  std::unique_ptr<LevelCommandScheduledAction> colorReadDeadline_;
  QString expectedShow_;
  std::function<void()> onReady_;
  std::function<void(const OSCMessage &)> onMessage_;
  std::function<void(const QString &)> onFailure_;
};

}  // namespace tarnik
