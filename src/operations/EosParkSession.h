#pragma once

#include "operations/EosIsolatedSession.h"
#include "operations/FixtureParkAction.h"

#include <QString>
#include <QStringView>

#include <expected>
#include <optional>
#include <set>

namespace tarnik {

// Reads which channels are parked on the console and, when asked, parks or unparks one
// channel first, on a console user of its own: barrier, cleared line and Live mode before
// it types anything; the parked list before acting (nothing is typed when the channel is
// already as asked) and again after; the show checked once more at the end. Its one
// output is one completion call per run. Nothing it sent is ever replayed.
class EosParkSession final : public EosIsolatedSession {
  Q_OBJECT

 public:
  struct Failure {
    QString text;
    const QString &description() const { return text; }
    friend bool operator==(const Failure &, const Failure &) = default;
  };
  using Result = std::expected<std::set<int>, Failure>;
  using Completion = std::function<void(Result)>;

  struct Action {
    int channel = 0;
    FixtureParkAction action = FixtureParkAction::park;
  };

  static constexpr int maximumChannelCount = 100'000;

  explicit EosParkSession(Options options, QObject *parent = nullptr);

  // Starts a run: the set of parked channels after the action, or just the set when no
  // action is given. Refused, with the text returned and nothing started, while a run is
  // active, or without a show, with an action's channel outside 1...999999, or when the
  // gate does not answer true.
  std::optional<QString> start(QString expectedShow, std::optional<Action> action, Gate gate,
                               Completion completion, const OSCEndpoint &endpoint,
                               OSCTCPFraming framing);
  // Ends an active run once and calls its completion as the very last step; an owner may
  // drop the session from inside it (with deleteLater()).
  void finish(Result result);
  void finish(const QString &failureText) { finish(std::unexpected(Failure{failureText})); }

  // "1-5, 7, 10 - 12": channels and ranges separated by commas or blanks, each channel in
  // 1...999999, at most maximumChannelCount in all; nothing when the list cannot be read.
  static std::optional<std::set<int>> parseChannelList(QStringView text);
  // The channels of an "/eos/out/get/chans" reply: ints and list texts, in order.
  static std::optional<std::set<int>> parkedChannelSet(const OSCMessage &message);
  static QString parkCommandText(int channel, FixtureParkAction action);

 private:
  enum class Phase {
    idle,
    preparing,  // the user's preparation, which EosIsolatedSession carries
    awaitingLive,
    awaitingAction,
    awaitingQuery,
    awaitingChannels,
    awaitingPostQueryShow,
    finished,
  };
  enum class QueryStage { preAction, postAction };

  void userReady() override;
  void endWithFailure(const QString &text) override { finish(text); }
  void connectionLost() override;
  void messageReceived(const OSCMessage &message) override;
  void deadlinePassed() override;

  bool sendStep(const OSCMessage &message, const QString &failureText);
  void handleShowPath(const OSCMessage &message);
  void handleEcho(const OSCMessage &message);
  void handleOperationEcho(const QString &normalized, qint32 status);
  // Adds the line to this command's feedback; false when it was already there.
  bool recordFeedback(const QString &key);
  void sendQuery(QueryStage stage);
  void handleChannels(const OSCMessage &message);
  void revalidate(std::set<int> channels);
  bool requestHolds(const std::set<int> &channels) const;

  Phase phase_ = Phase::idle;
  QString expectedShow_;
  std::optional<Action> action_;
  Completion completion_;
  std::optional<QueryStage> queryStage_;
  bool queryReportedEmpty_ = false;
  std::optional<std::set<int>> pendingParkedChannels_;
  std::set<QString> acceptedClosedFeedback_;
  std::set<QString> currentPhaseFeedback_;
};

}  // namespace tarnik
