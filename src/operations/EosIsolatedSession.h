#pragma once

#include "foundation/OSCTransportKinds.h"
#include "foundation/UptimeClock.h"
#include "link/OSCEndpoint.h"
#include "link/OSCMessage.h"
#include "operations/EosCommandLine.h"
#include "operations/EosCommandLineBarrier.h"
#include "operations/LevelCommandScheduling.h"

#include <QObject>
#include <QStringView>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class OSCManager;

// The plumbing that the park, Live control and patch sessions share. Each of them types
// into the console on a private connection with a console user of its own, so the user's
// own line is never touched. This base owns that connection, follows it (connection
// state with repeats dropped, every received message, every ping reply), keeps the run's
// identity and the armed step deadline, and hands each event to the session only while
// its run is the current one.
//
// It also prepares the run's console user, the same way for every session: subscribe and
// ask for the show; once a ping is answered, the expected show seen and a baseline user
// reported, ask for a user of its own; type a barrier marker and wait for its echo; press
// the clear key and wait for an empty line and a ping answered after it. Then the session
// is told userReady() and types its own mode command. Where the sessions react differently
// on purpose, PreparationRules says how; every text belongs to the session.
//
// A run lasts from beginRun() to endRun(); the session keeps its phases in step with it.
// Everything happens on the GUI thread.
class EosIsolatedSession : public QObject {
  Q_OBJECT

 public:
  // The owner's test, at every step, that its main console session is still the one this
  // run was started for.
  using Gate = std::function<bool()>;
  // Runs the preparation that follows a new connection; the default queues it for a later
  // event-loop turn.
  using DeferConnectionPreparation = std::function<void(std::function<void()>)>;

  struct Options {
    // The private connection; none makes one with 8 s to connect and 5 s to verify.
    std::unique_ptr<OSCManager> transport;
    // Drives every deadline; none makes a SystemLevelCommandScheduler.
    std::shared_ptr<LevelCommandScheduling> timeoutScheduler;
    DeferConnectionPreparation deferConnectionPreparation;
    // The time limit of each awaited step, in seconds; a value not above 0 stops the process.
    double timeout = 8.0;
    // The clock a ping's departure and its reply's arrival are both read on (the transport
    // is handed it); none: the system uptime.
    UptimeSource pingClock;
  };

  // How far the preparation of the run's console user has come.
  enum class PreparationStep {
    idle,
    connecting,  // waiting for the ping, the show and a baseline user
    awaitingAutoUser,
    awaitingMarker,
    awaitingClearBarrier,
    ready,  // the session types its own lines
  };

  // One session's preparation: its failure texts, and where it reacts differently on purpose.
  struct PreparationRules {
    // The subscription or the first show request could not be sent.
    QString prepareFailedText;
    // The gate refused, or the transport did not take, "/eos/user/auto".
    QString allocateRefusedText;
    QString allocateFailedText;
    QString markerFailedText;
    // The gate or the connection refused the clear key, or the transport did not take it.
    QString clearRefusedText;
    QString clearFailedText;
    // The gate or the connection failed while the clear barrier was awaited.
    QString barrierRefusedText;
    // Lenient replies let extra arguments be, read a user only when it is 0 or more and an
    // echo's status also from a bool; strict ones take exactly the documented shapes.
    bool lenientReplies = false;
    // A malformed allocated user, or a malformed echo of the run's user: ended with this
    // text, or ignored without one.
    std::optional<QString> malformedUserText;
    std::optional<QString> malformedEchoText;
    // A non-zero echo status during the clear barrier: ended with this prefix and the line,
    // or without one read as a line that is not empty yet.
    std::optional<QString> clearRejectedPrefix;
    // Is the normalised line (status 0) the empty line the clear key leaves? By default an
    // empty Live or Patch line in any letter case.
    bool (*isEmptyLine)(const QString &normalizedText) = [](const QString &text) {
      return EosCommandLine::isEmptyEcho(text, 0);
    };
    // The user N of a command-line echo address, or nothing.
    std::optional<int> (*echoUser)(QStringView address) = EosCommandLine::commandAddressUser;
    // A ping reply up to this much older than its ping still counts.
    double pingTolerance = 0;
    // A ping reply counts only while it is younger than this, when given.
    std::optional<double> pingFreshness;
    // The deadline is re-armed once the bootstrap ping has left (else the start's bounds it).
    bool armAfterBootstrapPing = true;
    // The gate is asked again before the subscription, the show request and
    // "/eos/user/auto"; else the gate asked at the start of their step covers them.
    bool gateBeforeEachRequest = true;
    // The clear barrier is checked as soon as the clear key has gone out and after every
    // echo of the user; else only when a ping reply or an empty line has just proven one of
    // its facts.
    bool checkBarrierAtEveryStep = true;
    // The run's console user is forgotten when the run ends; else it stays until the next
    // start.
    bool forgetUserAtEnd = false;
  };

  ~EosIsolatedSession() override;

  // The private connection. The owner sets its relay pairing key before a run starts.
  OSCManager &transport() const { return *transport_; }
  double timeout() const { return timeout_; }
  const std::optional<QUuid> &operationID() const { return operationID_; }
  // The console user the run was given, once the console has handed it out.
  const std::optional<int> &virtualUser() const { return virtualUser_; }

  // A reply that arrived at `answeredAt` answers a ping sent at `sentAt` when it arrived no
  // earlier than the ping left, less the tolerance. Both times are monotonic: a wall-clock
  // step cannot make an older reply prove a newer ping.
  static bool answersPing(double answeredAt, std::optional<double> sentAt, double tolerance = 0);

 protected:
  EosIsolatedSession(Options options, PreparationRules rules, QObject *parent = nullptr);

  bool isRunning() const { return operationID_.has_value(); }
  bool hasConnected() const { return hasConnected_; }
  PreparationStep preparationStep() const { return step_; }

  // A new operation id and the gate of this run; the connection has not come up in this run
  // yet, and the preparation starts over.
  void beginRun(Gate gate);
  // Switches the private connection to TCP with the framing and connects it.
  void connectTransport(const OSCEndpoint &endpoint, OSCTCPFraming framing);
  // Operation id and gate cleared, hasConnected false, the deadline cancelled and dropped;
  // the console user too where the rules say so.
  // The session clears its own fields after this and then calls disconnectTransport().
  void endRun();
  void disconnectTransport();

  // Cancels the armed step deadline and schedules a new one after timeout().
  void armDeadline();
  void cancelDeadline();
  // An action of this run after a delay on the timeout scheduler; it runs only while the
  // session lives and its run is still the same one. Keep the handle: dropping it cancels.
  std::unique_ptr<LevelCommandScheduledAction> scheduleInRun(double delaySeconds,
                                                             std::function<void()> action);

  // The run's gate is present and answers true.
  bool gateHolds() const { return gate_ && gate_(); }
  // The gate holds, and the private connection is up.
  bool mayTouchConsole() const;
  // How much older than its ping a reply may be and still answer it.
  double pingTolerance() const { return rules_.pingTolerance; }
  // Now, on the clock ping replies are dated with.
  double pingClockNow() const { return pingClock_(); }
  // Sends a ping on the private connection; the time it left, for answersPing.
  double sendPing();
  // "/eos/out/event/show/loaded", ".../cleared" or ".../saved": the show changed under the
  // run, which every session ends on.
  static bool isShowEvent(const QString &address);
  // A command-line echo's text and status, read as the rules say.
  std::optional<EosCommandLine::Echo> readEcho(const OSCMessage &message) const;
  // The session saw the expected show; while connecting, that is one of the three facts.
  void showMatched();

  // Events of the current run, each only while a run is active.
  // The user is prepared: the session types its mode command now.
  virtual void userReady() = 0;
  // The run ends with this text.
  virtual void endWithFailure(const QString &text) = 0;
  // The connection went down after it had come up in this run, or once the session was
  // past connecting; a loss before that is left to the deadline.
  virtual void connectionLost() = 0;
  // Every message the preparation does not take.
  virtual void messageReceived(const OSCMessage &message) = 0;
  // A ping reply arrived at this uptime once the user is prepared.
  virtual void pingAnswered(double /*answeredAt*/) {}
  virtual void deadlinePassed() = 0;

 private:
  void connectionChanged(bool connected);
  void prepareConnection();
  // False when the message is not the preparation's.
  bool takePreparationMessage(const OSCMessage &message);
  void preparationPingAnswered(double answeredAt);
  bool countsAsPing(double answeredAt) const;
  std::optional<int> readUser(const OSCMessage &message) const;
  void handleUser(const OSCMessage &message);
  void requestUserWhenReady();
  void handlePreparationEcho(const OSCMessage &message);
  void startClearStep();
  void checkClearBarrier();
  // Sends a preparation step; false, and the run ended with the text, when it could not.
  bool sendPreparation(const OSCMessage &message, const QString &failureText, bool askGate = true);

  std::unique_ptr<OSCManager> transport_;
  std::shared_ptr<LevelCommandScheduling> timeoutScheduler_;
  DeferConnectionPreparation deferConnectionPreparation_;
  double timeout_;
  UptimeSource pingClock_;
  std::unique_ptr<LevelCommandScheduledAction> deadline_;
  std::optional<QUuid> operationID_;
  bool hasConnected_ = false;
  bool lastConnected_ = false;
  PreparationRules rules_;
  Gate gate_;
  PreparationStep step_ = PreparationStep::idle;
  std::optional<int> virtualUser_;
  bool baselineUserObserved_ = false;
  bool initialShowMatched_ = false;
  bool matchedPing_ = false;
  std::optional<double> pingSentAt_;
  EosCommandLineBarrier barrier_;
};

}  // namespace tarnik
