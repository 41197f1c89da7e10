#pragma once

#include "operations/EosIsolatedSession.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <expected>
#include <optional>

namespace tarnik {

// Types the command lines of one patch write into a console user of its own, in Patch
// mode, one line at a time: each line only once the console's echo shows the previous one
// executed. Then it sets the labels and asks for the show path once more, so the write is
// reported done only while the same show is loaded. It never repeats a line; after a
// failure the console may hold part of the write, and the owner reads the patch back.
//
// Where it differs from the other isolated sessions, on purpose: a malformed reply is
// ignored and never ends the run; an echo's status may be an int or a bool; a ping reply
// counts only while it is fresh; the step deadline is always 8 s and only some sends
// re-arm it; and start() reports its refusals through the completion.
class EosPatchCommandSession final : public EosIsolatedSession {
  Q_OBJECT

 public:
  struct Failure {
    QString text;
    const QString &description() const { return text; }
    friend bool operator==(const Failure &, const Failure &) = default;
  };
  using Result = std::expected<void, Failure>;
  using Completion = std::function<void(Result)>;
  // Asked once, just before the first patch line is typed; false stops the run untyped.
  using WillSendFirstMutation = std::function<bool()>;

  struct Label {
    qint64 channel = 0;
    QString text;
    friend bool operator==(const Label &, const Label &) = default;
  };

  struct Options {
    // The private connection; none makes one with 8 s to connect and 5 s to verify.
    std::unique_ptr<OSCManager> transport;
    // Drives the step deadline; none makes a SystemLevelCommandScheduler.
    std::shared_ptr<LevelCommandScheduling> timeoutScheduler;
    // As EosIsolatedSession::Options: the clock of ping proofs, and how the preparation of a
    // new connection is deferred.
    UptimeSource pingClock;
    DeferConnectionPreparation deferConnectionPreparation;
  };

  static constexpr double stepTimeLimit = 8.0;
  static constexpr qsizetype maximumCommandCount = 512;

  explicit EosPatchCommandSession(Options options, QObject *parent = nullptr);

  // Starts a run that types `commands`, then sets `labels`. Refused, through the completion
  // at once and with no connection opened, while a run is active, or without a show, with
  // no lines or more than maximumCommandCount, or when the gate does not answer true. The
  // owner must therefore accept its completion being called from inside start().
  void start(QString expectedShow, QStringList commands, QList<Label> labels, Gate gate,
             WillSendFirstMutation willSendFirstMutation, Completion completion,
             const OSCEndpoint &endpoint, OSCTCPFraming framing, std::optional<QString> relayKey);
  // Ends an active run once and calls its completion as the very last step; an owner may
  // drop the session from inside it (with deleteLater()).
  void finish(Result result);
  void finish(const QString &failureText) { finish(std::unexpected(Failure{failureText})); }

  bool isActive() const { return phase_ != Phase::idle && phase_ != Phase::finished; }

 private:
  enum class Phase {
    idle,
    preparing,  // the user's preparation, which EosIsolatedSession carries
    context,    // "Patch Enter" typed
    command,    // the line at commandIndex_ typed
    labels,
    finished,
  };

  void userReady() override;
  void endWithFailure(const QString &text) override { finish(text); }
  void connectionLost() override;
  void messageReceived(const OSCMessage &message) override;
  void deadlinePassed() override;

  bool sendCommandLine(const QString &line);
  void handleShowPath(const OSCMessage &message);
  void handleEcho(const OSCMessage &message);
  void acknowledgeLine(const QString &text, qint32 status);
  void advance(qsizetype index);
  void sendLabels();

  Phase phase_ = Phase::idle;
  qsizetype commandIndex_ = 0;
  QString expectedShow_;
  bool verifiedShow_ = false;
  QStringList commands_;
  QList<Label> labels_;
  Completion completion_;
  QString lastAcknowledgedLine_;
  WillSendFirstMutation willSendFirstMutation_;
};

}  // namespace tarnik
