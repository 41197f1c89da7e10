#pragma once

#include "foundation/ObservableObject.h"
#include "link/OSCMessage.h"
#include "operations/FixtureControlState.h"
#include "operations/LevelCommandScheduling.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace tarnik {

// The per-channel memory of what the console last proved about each fixture: identity,
// parameter and emitter lists with their ranges, native colour, park state, and the values
// written and not yet read back. It never touches the network: queries, changes, colour
// reads and park requests leave through the closures it was built with, and the replies come
// back through handleMessage, completeColorRead and applyParkedChannels. Everything is
// bound to one console session and show; while there is none, every request is refused and
// every reply ignored. GUI thread only.
class FixtureControlStore : public ObservableObject {
  Q_OBJECT

 public:
  // Those with a flag answer whether the request was handed over; an empty one refuses.
  struct Closures {
    std::function<bool(const OSCMessage &)> querySender;
    std::function<bool(int channel)> colorQuerySender;  // starts a native colour read
    std::function<bool(const OSCMessage &)> mutationSender;
    std::function<bool()> canControl;  // asked right before any change or park request
    std::function<bool(int channel, FixtureParkAction)> parkRequest;
    std::function<void(int channel)> onReadTimeout;  // after a time-out reset the store
  };

  static constexpr double defaultReadTimeout = 3.0;
  static constexpr double defaultParameterReadbackSettleDelay = 0.25;
  static constexpr int defaultMaximumQueuedColorReads = 64;

  // Without a scheduler the store makes its own SystemLevelCommandScheduler.
  explicit FixtureControlStore(
      Closures closures, double readTimeout = defaultReadTimeout,
      double parameterReadbackSettleDelay = defaultParameterReadbackSettleDelay,
      int maximumQueuedColorReads = defaultMaximumQueuedColorReads,
      std::shared_ptr<LevelCommandScheduling> timeoutScheduler = nullptr,
      QObject *parent = nullptr);

  const std::map<int, FixtureControlState> &statesByChannel() const { return statesByChannel_; }
  const std::optional<QUuid> &sessionID() const { return sessionID_; }
  const std::optional<QString> &showIdentity() const { return showIdentity_; }
  std::optional<FixtureControlState> state(int channel) const;
  bool hasActiveSession() const;

  // Sessions. A blank show identity resets; the same session and show change nothing.
  void updateSession(const std::optional<QUuid> &sessionID, const QString &showIdentity);
  void resetSession();

  // Reads.
  bool requestParameters(int channel);
  void requestLatestReadback(int channel);
  void handleMessage(const OSCMessage &message);

  // Writes, proven by a readback before the pending values go.
  bool sendParameterValue(double value, const QString &name, int channel);
  bool sendColor(double hue, double saturation, int channel);

  // Native colour, one read at a time for all channels.
  bool requestColorRead(int channel);
  bool completeColorRead(int channel, double hue, double saturation);

  // Park and unpark; only a readback proves the result.
  bool park(int channel);
  bool unpark(int channel);
  bool applyParkedChannels(const std::set<int> &parked, const std::set<int> &channels,
                           const QUuid &sessionID, const QString &showIdentity);
  bool resetPendingPark(int channel, FixtureParkAction action, const QUuid &sessionID,
                        const QString &showIdentity);

  // "/" becomes "\", then every blank "_", after trimming: how a name goes into an address.
  static QString escapedParameterName(const QString &name);

 signals:
  void statesByChannelChanged();
  void sessionIDChanged();
  void showIdentityChanged();

 private:
  enum class RequestKind { parameters, emitters };
  struct RequestKey {
    int channel;
    RequestKind kind;
    friend auto operator<=>(const RequestKey &, const RequestKey &) = default;
  };
  struct Reply {
    QString manufacturer;
    QString model;
    std::vector<FixtureControlParameter> parameters;
  };
  using Action = std::unique_ptr<LevelCommandScheduledAction>;

  // Bookkeeping and publication.
  void clearRequestBookkeeping();
  FixtureControlState stateOrEmpty(int channel) const;
  void storeState(FixtureControlState state);
  bool hasPendingValues(int channel) const;
  bool sameSession(const std::optional<QUuid> &sessionID, const QString &showIdentity) const;
  std::function<void()> timerAction(std::function<void(FixtureControlStore &)> handler);
  void retire(Action action);

  // Reads.
  bool sendQuery(int channel, std::optional<int> confirmationGeneration);
  void setReadState(FixtureControlReadState readState, RequestKind kind, int channel);
  void armReadTimeout(RequestKey key);
  void cancelReadTimeout(RequestKey key);
  void handleReadTimeout(RequestKey key);
  bool anyRequestInFlight(int channel) const;
  void serviceLatestReadback(int channel);
  bool replyMatchesFixture(int channel, const Reply &reply) const;
  // The list and channel an "/eos/out/get/params|emitters/<n>" reply answers.
  static std::optional<RequestKey> replyKey(const OSCMessage &message);
  static std::optional<Reply> parseReplyArguments(const QList<OSCArgument> &arguments,
                                                  FixtureParameterSource source);

  // Writes and their confirmation.
  void recordMutation(int channel, const QString &name, double value);
  void handleSettle(int channel, int generation);
  void startConfirmationRead(int channel, int generation);
  void recordConfirmation(int channel, RequestKind kind, std::optional<int> generation);
  void abandonConfirmation(int channel, std::optional<int> generation);
  bool mayControl() const;

  // Colour reads.
  bool startColorRead(int channel);
  void startNextColorRead();
  void requeueColorRead(int channel);
  void armColorReadTimeout(int channel, const QUuid &operationID);
  void handleColorReadTimeout(int channel, const QUuid &operationID);
  void setColorReadState(FixtureControlReadState readState, int channel);

  // Park.
  bool requestPark(int channel, FixtureParkAction action);
  void setParkState(FixtureParkState parkState, int channel);

  std::map<int, FixtureControlState> statesByChannel_;
  std::optional<QUuid> sessionID_;
  std::optional<QString> showIdentity_;

  const Closures closures_;
  const double readTimeout_;
  const double parameterReadbackSettleDelay_;
  const int maximumQueuedColorReads_;
  const std::shared_ptr<LevelCommandScheduling> timeoutScheduler_;

  std::set<RequestKey> requestsInFlight_;
  std::set<int> needsLatestReadback_;
  std::map<RequestKey, Action> readTimeoutActions_;
  std::map<int, int> parameterMutationGenerations_;
  std::map<int, Action> parameterSettleActions_;
  std::map<int, int> parameterConfirmationGenerations_;
  std::map<int, std::set<RequestKind>> parameterConfirmationRemaining_;
  std::map<RequestKey, int> confirmationGenerationByRequest_;

  std::optional<int> colorReadInFlight_;
  std::optional<QUuid> colorReadOperationID_;
  std::deque<int> colorReadQueue_;
  std::set<int> queuedColorReads_;
  std::set<int> needsLatestColorReadback_;
  Action colorReadTimeoutAction_;

  // A handle dropped while a timer action runs may be that action's own: it waits here,
  // cancelled, until the next action starts or the store goes.
  int runningTimerActions_ = 0;
  std::vector<Action> retiredActions_;
};

}  // namespace tarnik
