#pragma once

#include "foundation/OSCTransportKinds.h"
#include "foundation/ObservableObject.h"
#include "foundation/UptimeClock.h"
#include "link/OSCEndpoint.h"
#include "operations/MoverMotionGate.h"
#include "operations/MoverOSCTransport.h"
#include "platform/GamePadSource.h"

#include <QString>
#include <QTimer>
#include <QUuid>

#include <memory>
#include <optional>

namespace tarnik {

// Moves the selected channels of one console board user with an Xbox controller's left
// stick. It keeps a console session of its own, proves from the console's feedback that
// the board user is the one asked for, in Live, with a known selection, and keeps proving
// it: feedback older than 2.0 s stops movement. MoverMotionGate decides every tick.
//
// The application shell hands in focus and sleep through setApplicationActive() and
// systemWillSleep(). GUI thread only.
class MoverController final : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(bool connected READ connected NOTIFY connectedChanged)
  Q_PROPERTY(QString status READ status NOTIFY statusChanged)
  Q_PROPERTY(QString selection READ selection NOTIFY selectionChanged)
  Q_PROPERTY(QString controllerName READ controllerName NOTIFY controllerNameChanged)
  Q_PROPERTY(bool controllerConnected READ controllerConnected NOTIFY controllerConnectedChanged)
  Q_PROPERTY(bool isArmed READ isArmed NOTIFY isArmedChanged)
  Q_PROPERTY(bool canArm READ canArm NOTIFY canArmChanged)
  Q_PROPERTY(int user READ user NOTIFY userChanged)
  Q_PROPERTY(QString commandContext READ commandContext NOTIFY commandContextChanged)

 public:
  static constexpr double feedbackLifetime = 2.0;
  static constexpr double selectionRequestInterval = 0.25;
  static constexpr double contextRequestInterval = 0.75;
  static constexpr double contextRequestLifetime = 1.5;

  // With monitoring, a 1/30 s poll of the pads starts at once and the controller is active
  // only while the GUI application is (never without one).
  MoverController(std::unique_ptr<MoverOSCTransport> transport, std::unique_ptr<GamePadSource> pads,
                  bool startsMonitoring, UptimeSource now = systemUptime,
                  QObject *parent = nullptr);
  ~MoverController() override;

  bool connected() const { return connected_; }
  const QString &status() const { return status_; }
  const QString &selection() const { return selection_; }
  const QString &controllerName() const { return controllerName_; }
  bool controllerConnected() const { return controllerConnected_; }
  bool isArmed() const { return isArmed_; }
  bool canArm() const { return canArm_; }
  int user() const { return user_; }
  const QString &commandContext() const { return commandContext_; }
  const MoverMotionGate &gate() const { return gate_; }
  double now() const { return now_(); }

  void connect(const OSCEndpoint &endpoint, OSCTCPFraming framing, int user);
  void stopSession(const QString &reason);
  void arm();
  void disarm();

  // From the application shell: focus came or went; the machine is about to sleep.
  void setApplicationActive(bool active);
  void systemWillSleep();

  // One poll of the pads; monitoring runs it every 1/30 s.
  void pollController();

  // The trimmed text when it is a list of channel numbers and ranges, else nothing.
  static std::optional<QString> parseSelectionList(const QString &text);

 signals:
  void connectedChanged(bool value);
  void statusChanged(const QString &value);
  void selectionChanged(const QString &value);
  void controllerNameChanged(const QString &value);
  void controllerConnectedChanged(bool value);
  void isArmedChanged(bool value);
  void canArmChanged(bool value);
  void userChanged(int value);
  void commandContextChanged(const QString &value);

 private:
  struct ContextRequest {
    QUuid id;
    double startedAt = 0;
  };

  void handleTransportState(bool connected, bool verified);
  void handleMessage(const OSCMessage &message, std::optional<double> observedAt);
  void handleCommandLine(const OSCMessage &message, double at, bool requery);
  void handleActiveChannels(const OSCMessage &message, bool requery);
  void handleSelectionReply(const OSCMessage &message, double at, bool requery);
  void handleContext(const MoverContextObservation &observation);
  void handleInput(const MoverControllerInput &input, bool controllerConnected);
  void refreshGate();
  void publishGate();
  bool send(const OSCMessage &message);
  void requestSelection();
  void requestContext();
  void invalidateContext(bool requery);
  bool boardFeedbackIsFresh() const;

  bool connected_ = false;
  QString status_ = QStringLiteral("Connect a console and an Xbox controller.");
  QString selection_;
  QString controllerName_ = QStringLiteral("No Xbox controller connected");
  bool controllerConnected_ = false;
  bool isArmed_ = false;
  bool canArm_ = false;
  int user_ = 1;
  QString commandContext_ = QStringLiteral("Unknown");

  std::unique_ptr<MoverOSCTransport> transport_;
  std::unique_ptr<GamePadSource> pads_;
  UptimeSource now_;
  MoverMotionGate gate_;
  bool sessionActive_ = false;
  bool bootstrapped_ = false;
  bool userConfirmed_ = false;
  std::optional<double> selectionAt_;
  std::optional<double> liveAt_;
  std::optional<QString> commandLine_;
  std::optional<double> requestedSelectionAt_;
  std::optional<double> lastQueryAt_;
  std::optional<double> lastContextRequestAt_;
  std::optional<ContextRequest> pendingContextRequest_;
  std::optional<qint64> selectedController_;
  QTimer timer_;
  bool active_ = true;
};

}  // namespace tarnik
