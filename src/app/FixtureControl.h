#pragma once

#include "app/ConnectionSupervisor.h"
#include "app/ConsoleSession.h"
#include "app/ControlGate.h"
#include "app/PatchWrite.h"
#include "app/ShowMirror.h"
#include "foundation/ObservableObject.h"
#include "link/OSCManager.h"
#include "link/OSCMessage.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosParkSession.h"
#include "operations/FixtureControlStore.h"
#include "operations/FixtureParkAction.h"
#include "operations/LevelCommandScheduling.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <set>

namespace tarnik {

// Control of single fixtures: the one fixture-control store, the isolated Live-control
// session that reads and writes their parameters, the park session that reads (and
// changes) which channels are parked, and the four status values the screens show. The
// sessions have connections of their own; every request the store makes comes here, where
// the control gate decides whether the console may be asked now and a pending patch write
// holds every fixture change back.
class FixtureControl final : public ObservableObject {
  Q_OBJECT

 public:
  using ParkSessionFactory = std::function<std::unique_ptr<EosParkSession>()>;
  using LiveControlSessionFactory = std::function<std::unique_ptr<EosLiveControlSession>()>;

  using Route = SideSessionRoute;

  // No factory: sessions of their own connection with 8 s steps; no scheduler: the store's
  // time-outs on the system scheduler. With networking started, a ready Live session
  // checks the park at once. The session is the model's, read whenever a run starts or
  // reports; it, the gate and the parts asked outlive the fixture control. The supervisor
  // gives the side sessions' route, the mirror the patched channels.
  FixtureControl(const ConsoleSession &session, ControlGate &gate, const ShowMirror &mirror,
                 const PatchWrite &patchWrite, const ConnectionSupervisor &supervisor,
                 ParkSessionFactory makeParkSession,
                 LiveControlSessionFactory makeLiveControlSession,
                 std::shared_ptr<LevelCommandScheduling> scheduler, bool startNetworking,
                 QObject *parent = nullptr);

  FixtureControlStore &store() const { return *store_; }

  // Starts a Live-control session when none runs and the show data is current.
  void prepareLiveControls();
  bool hasLiveControlSession() const { return static_cast<bool>(liveControlSession_); }
  // Binds the store to the show a sync completed or a save renamed.
  void bindStore(const QUuid &sessionID, const QString &showIdentity);
  bool parkSessionPreconditions() const;
  // True once a park session was made for the request, also when its start was refused.
  bool refreshParkedChannels(int channel, std::optional<FixtureParkAction> action);
  bool parkChannel(int channel, FixtureParkAction action);
  // Sets the channel's intensity parameter, when it has one that can be set.
  void setIntensity(int channel, double level);
  // False when no ready Live session takes the identify.
  bool identify(int channel, double duration);
  // A failed side step ends the Live session and says why.
  void reportLiveControlsUnavailable(const QString &text);
  void resetParkState();
  void resetLiveControls();

  // Published values
  bool isRefreshingParkedChannels() const { return isRefreshingParkedChannels_; }
  const QString &parkStatusMessage() const { return parkStatusMessage_; }
  bool isFixtureControlReady() const { return isFixtureControlReady_; }
  const QString &fixtureControlStatus() const { return fixtureControlStatus_; }

 signals:
  void isRefreshingParkedChannelsChanged(bool value);
  void parkStatusMessageChanged(const QString &value);
  void isFixtureControlReadyChanged(bool value);
  void fixtureControlStatusChanged(const QString &value);
  // A side session found another show on the console.
  void anotherShowFound(const QString &text);

 private:
  // Sessions may be dropped from inside their own callbacks, so they go on a later turn.
  struct LaterDeleter {
    void operator()(QObject *object) const { object->deleteLater(); }
  };
  // What a session's callbacks were made for; a callback whose run is no longer this
  // one's does nothing.
  struct FixtureRun {
    QUuid operationID;
    QUuid sessionID;
    QString showIdentity;
  };

  bool sendFixtureMutation(const OSCMessage &message);
  std::set<int> patchedChannels() const;
  bool runIsCurrent(const FixtureRun &run, const QUuid &operationID) const;
  void startLiveControlSession(const FixtureRun &run, const Route &route);
  bool liveControlCanSend(const FixtureRun &run) const;
  void liveControlSessionReady(const FixtureRun &run);
  bool canContinueParkOperation(const FixtureRun &run,
                                std::optional<FixtureParkAction> action) const;
  void handleParkResult(const EosParkSession::Result &result, const FixtureRun &run, int channel,
                        std::optional<FixtureParkAction> action);

  const ConsoleSession &session_;
  ControlGate &gate_;
  const ShowMirror &mirror_;
  const PatchWrite &patchWrite_;
  const ConnectionSupervisor &supervisor_;
  const bool startNetworking_;
  const ParkSessionFactory makeParkSession_;
  const LiveControlSessionFactory makeLiveControlSession_;
  QUuid parkOperationID_ = QUuid::createUuid();
  QUuid liveControlOperationID_ = QUuid::createUuid();
  std::unique_ptr<EosParkSession, LaterDeleter> parkSession_;
  std::unique_ptr<EosLiveControlSession, LaterDeleter> liveControlSession_;
  std::unique_ptr<FixtureControlStore> store_;

  bool isRefreshingParkedChannels_ = false;
  QString parkStatusMessage_ = QStringLiteral("Park status not checked");
  bool isFixtureControlReady_ = false;
  QString fixtureControlStatus_ = QStringLiteral("Live controls are offline");
};

}  // namespace tarnik
