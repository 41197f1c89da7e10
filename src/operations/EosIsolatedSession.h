#pragma once

#include "foundation/OSCTransportKinds.h"
#include "foundation/UptimeClock.h"
#include "link/OSCEndpoint.h"
#include "link/OSCMessage.h"
#include "operations/LevelCommandScheduling.h"

#include <QObject>
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
// its run is the current one. What the events mean, which sends re-arm the deadline and
// every text belong to the session itself.
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

  ~EosIsolatedSession() override;

  // The private connection. The owner sets its relay pairing key before a run starts.
  OSCManager &transport() const { return *transport_; }
  double timeout() const { return timeout_; }
  const std::optional<QUuid> &operationID() const { return operationID_; }

  // A reply that arrived at `answeredAt` answers a ping sent at `sentAt` when it arrived no
  // earlier than the ping left, less the tolerance. Both times are monotonic: a wall-clock
  // step cannot make an older reply prove a newer ping.
  static bool answersPing(double answeredAt, std::optional<double> sentAt, double tolerance = 0);

 protected:
  explicit EosIsolatedSession(Options options, QObject *parent = nullptr);

  bool isRunning() const { return operationID_.has_value(); }
  bool hasConnected() const { return hasConnected_; }

  // A new operation id; the connection has not come up in this run yet.
  void beginRun();
  // Switches the private connection to TCP with the framing and connects it.
  void connectTransport(const OSCEndpoint &endpoint, OSCTCPFraming framing);
  // Operation id cleared, hasConnected false, the deadline cancelled and dropped. The
  // session clears its own fields after this and then calls disconnectTransport().
  void endRun();
  void disconnectTransport();

  // Cancels the armed step deadline and schedules a new one after timeout().
  void armDeadline();
  void cancelDeadline();
  // An action of this run after a delay on the timeout scheduler; it runs only while the
  // session lives and its run is still the same one. Keep the handle: dropping it cancels.
  std::unique_ptr<LevelCommandScheduledAction> scheduleInRun(double delaySeconds,
                                                             std::function<void()> action);

  // The gate is present and answers true, and the private connection is up.
  bool mayTouchConsole(const Gate &gate) const;
  // Now, on the clock ping replies are dated with.
  double pingClockNow() const { return pingClock_(); }
  // Sends a ping on the private connection; the time it left, for answersPing.
  double sendPing();
  // "/eos/out/event/show/loaded", ".../cleared" or ".../saved": the show changed under the
  // run, which every session ends on.
  static bool isShowEvent(const QString &address);

  // Events of the current run, each only while a run is active.
  // The connection came up, and the deferred preparation now runs for this same run.
  virtual void connectionEstablished() = 0;
  // The connection went down; hasConnected() tells whether it had come up in this run.
  virtual void connectionLost() = 0;
  virtual void messageReceived(const OSCMessage &message) = 0;
  // A matched ping reply arrived at this uptime.
  virtual void pingAnswered(double answeredAt) = 0;
  virtual void deadlinePassed() = 0;

 private:
  void connectionChanged(bool connected);

  std::unique_ptr<OSCManager> transport_;
  std::shared_ptr<LevelCommandScheduling> timeoutScheduler_;
  DeferConnectionPreparation deferConnectionPreparation_;
  double timeout_;
  UptimeSource pingClock_;
  std::unique_ptr<LevelCommandScheduledAction> deadline_;
  std::optional<QUuid> operationID_;
  bool hasConnected_ = false;
  bool lastConnected_ = false;
};

}  // namespace tarnik
