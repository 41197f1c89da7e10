#pragma once

#include "app/AddressComponents.h"
#include "app/AppTiming.h"
#include "app/ConsoleSession.h"
#include "app/FragmentAccumulator.h"
#include "app/ListReplySlice.h"
#include "app/PatchPartReply.h"
#include "foundation/ObservableObject.h"
#include "link/OSCArgument.h"
#include "link/OSCManager.h"
#include "model/Channel.h"
#include "model/Cue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace tarnik {

// The console's show as this application mirrors it: cue list 1 and the patch, read by a
// full sync and published in one step, the show's name, the console's versions and the
// data status the screens show beside them. A sync reads on the main connection and keeps
// everything it reads to itself until every record is in and the console has confirmed the
// show it started under. The session and show identity it binds its work to are the
// model's `ConsoleSession`; what it asks of the rest of the model is its `Owner`.
class ShowMirror final : public ObservableObject {
  Q_OBJECT

 public:
  static constexpr int maximumIndexCount = 20000;
  static constexpr int maximumInFlightIndexRequests = 12;
  // An index request without its record after this many seconds is asked again, up to this
  // many more times; a record whose reply never decodes (a text that is not UTF-8, an
  // argument of a kind the codec does not read) then counts as one that cannot be read, so
  // the sync completes without it instead of failing at its time limit.
  static constexpr double indexReplyWait = 5.0;
  static constexpr int maximumIndexReasks = 2;

  // What the mirror asks of the rest of the model. It outlives the mirror.
  class Owner {
   public:
    // A sync is refused while patch commands are being typed.
    virtual bool patchCommandsInProgress() const = 0;
    // True when single-channel reads are still out: the sync then waits for them, with
    // this reason.
    virtual bool holdsSyncForChannelReads(const QString &reason) = 0;
    // The reconnect's failure text, which a sync after a reconnect carries.
    virtual std::optional<QString> reconnectFailureStatus() const = 0;
    // A sync starts: park and Live-control state of the old data goes.
    virtual void syncStarting() = 0;
    // The sync failed with this status; the cached show stays, the link is dropped.
    virtual void syncFailed(const QString &status, const QString &reason) = 0;
    // The patch changed while the sync read it; the staged rows were thrown away.
    virtual void syncDiscardedForPatchChange() = 0;
    // A completed sync is on screen: the follow-on steps run.
    virtual void syncPublished(const QString &showIdentity) = 0;

   protected:
    ~Owner() = default;
  };

  // One running full sync: what is asked for, what is in flight and what has arrived.
  enum class IndexRequestKind { cue, patch };
  struct IndexRequest {
    double askedAt = 0;  // uptime of the latest ask
    int reasks = 0;
  };
  // The staged patch rows by channel and part: a console may answer one index with every
  // part of its channel.
  using PatchRowKey = std::pair<qint64, qint64>;
  struct SyncGeneration {
    SyncGeneration(const QUuid &sessionID, std::optional<QString> showName)
        : sessionID(sessionID), showName(std::move(showName)) {}
    QUuid id = QUuid::createUuid();
    QUuid sessionID;
    std::optional<QString> showName;
    std::optional<qint64> expectedCueCount{};
    std::optional<qint64> expectedPatchCount{};
    std::deque<qint64> pendingCueIndexes{};  // served from the front
    std::deque<qint64> pendingPatchIndexes{};
    std::map<qint64, IndexRequest> cueInFlight{};
    std::map<qint64, IndexRequest> patchInFlight{};
    QHash<QString, FragmentAccumulator> cueFragments{};
    QHash<QString, FragmentAccumulator> patchFragments{};
    std::map<qint64, Cue> cueRows{};
    std::map<PatchRowKey, PatchPart> patchRows{};
    // Patch indexes done with: answered by a row, by one that cannot be shown, or given up.
    std::set<qint64> answeredPatchIndexes{};
    // Cue records that cannot be shown (a cue number that is not a number) or were given up:
    // answered, so the sync can finish, but never published.
    qint64 skippedCueRecords = 0;
    // Records of either kind given up after their last ask, for the completed sync's note.
    qint64 unreadableRecords = 0;
    IndexRequestKind nextKind = IndexRequestKind::cue;
    double lastProgressPublicationAt = -std::numeric_limits<double>::infinity();  // uptime
    bool externalPatchChangedDuringRead = false;
  };

  // The connection, the timing, the session and the owner outlive the mirror. The time
  // limit of a sync is in seconds.
  ShowMirror(OSCManager &connection, std::shared_ptr<AppTiming> timing, ConsoleSession &session,
             Owner &owner, double syncTimeout, QObject *parent = nullptr);
  ~ShowMirror() override;

  // The name a show path is shown under: its last component without the final extension.
  static QString showDisplayName(const QString &path);

  // The full sync. The reason is the data status while it starts; a refusal becomes the
  // data status instead.
  void requestFullSync(const QString &reason);
  bool isSyncing() const { return bool(syncGeneration_); }
  // The published show is this session's completed sync of the show the console has loaded.
  bool isShowDataCurrent() const;
  // The running sync, for what only it tells (its counts and requests in flight).
  const SyncGeneration *syncGeneration() const { return syncGeneration_.get(); }
  double syncTimeout() const { return syncTimeout_; }

  // What the console sends: counts and list replies (a cue reply outside a sync replaces
  // that one published cue), its versions, the show's path and name.
  void handleCountReply(qint64 count, bool isPatch);
  void handleCueListReply(const QList<OSCArgument> &arguments, const AddressComponents &components);
  void handlePatchListReply(const QList<OSCArgument> &arguments,
                            const AddressComponents &components);
  void handleVersions(const QString &software, const QString &fixtureLibrary);
  // The identity of the show the console holds (not empty, without surrounding blanks).
  void handleShowPath(const QString &path);
  void handleShowName(const QString &name);
  // The console saved its show under this identity: a sync waiting for the show's path
  // takes it.
  void adoptSavedShowPath(const QString &path);

  // The console has no show: the sync, the lists and what the session knew of the show go.
  void clearShow();
  // The lists go with this status; the show identity is the caller's.
  void clearLists(const QString &status);
  // The running sync must not publish: the patch changed while it read.
  void markPatchChangedDuringRead();
  // The session ended: the sync, the versions and the refresh go. The session identity
  // moves on after this, then `showSessionEnded` publishes the idle state.
  void resetSession();
  void showSessionEnded(const QString &status);

  // A full sync once the console has been quiet for a moment; during a sync, right after it.
  void scheduleRefresh(const QString &reason = QStringLiteral("Console data changed"));
  void refreshAfterSync() { refreshNeededAfterSync_ = true; }
  void cancelRefresh();

  // One channel's level as a single read found it.
  void updateChannelLevel(qint64 channel, qint64 level);
  void reportStatus(const QString &text);

  // Published values
  const std::optional<QString> &eosSoftwareVersion() const { return eosSoftwareVersion_; }
  const std::optional<QString> &eosFixtureLibraryVersion() const {
    return eosFixtureLibraryVersion_;
  }
  const QList<Cue> &cues() const { return cues_; }
  const QList<Channel> &channels() const { return channels_; }
  const QString &showFileName() const { return showFileName_; }
  bool isLoadingCues() const { return isLoadingCues_; }
  bool isLoadingPatch() const { return isLoadingPatch_; }
  std::optional<double> lastDataRefresh() const { return lastDataRefresh_; }
  const QString &dataStatusMessage() const { return dataStatusMessage_; }
  const QString &syncProgressDescription() const { return syncProgressDescription_; }

 signals:
  void eosSoftwareVersionChanged(const std::optional<QString> &value);
  void eosFixtureLibraryVersionChanged(const std::optional<QString> &value);
  void cuesChanged(const QList<tarnik::Cue> &value);
  void channelsChanged(const QList<tarnik::Channel> &value);
  void showFileNameChanged(const QString &value);
  void isLoadingCuesChanged(bool value);
  void isLoadingPatchChanged(bool value);
  void lastDataRefreshChanged(std::optional<double> value);
  void dataStatusMessageChanged(const QString &value);
  void syncProgressDescriptionChanged(const QString &value);

 private:
  // The sync engine (ShowMirrorSync.cpp)
  SyncGeneration *currentSyncGeneration() const;
  void pumpIndexRequests(SyncGeneration &generation);
  bool sendIndexRequest(IndexRequestKind kind, qint64 index);
  void reaskLateIndexes(const QUuid &generationID);
  void cancelSyncWorkItems();
  void publishSyncProgress(SyncGeneration &generation);
  void failSync(const QUuid &generationID, const QString &reason);
  void syncTimedOut(const QUuid &generationID, const QUuid &sessionID);
  static QString syncProgressCountText(qint64 received, std::optional<qint64> expected);

  // List replies of a running sync (ShowMirrorSyncReplies.cpp)
  void parseCueListReply(const QList<OSCArgument> &arguments, const CueListSlice &slice);
  void parseCueFragment(const QList<OSCArgument> &arguments, const CueListSlice &slice);
  static QList<Channel> makeChannels(std::map<PatchRowKey, PatchPart> rows, double now);

  // Completion, the discard after a patch change, publication (ShowMirrorSyncCompletion.cpp)
  void completeSync(SyncGeneration &generation);
  void discardSyncAfterPatchChange();
  void publishSync(SyncGeneration &generation);

  void handleConsoleDataChanged(const QUuid &session, const QString &reason);

  OSCManager &connection_;
  const std::shared_ptr<AppTiming> timing_;
  ConsoleSession &session_;
  Owner &owner_;
  const double syncTimeout_;

  std::optional<QString> eosSoftwareVersion_;
  std::optional<QString> eosFixtureLibraryVersion_;
  QList<Cue> cues_;
  QList<Channel> channels_;
  QString showFileName_;
  bool isLoadingCues_ = false;
  bool isLoadingPatch_ = false;
  std::optional<double> lastDataRefresh_;
  QString dataStatusMessage_ = QStringLiteral("Not synced yet");
  QString syncProgressDescription_ = QStringLiteral("Not syncing");

  std::unique_ptr<SyncGeneration> syncGeneration_;
  AppTiming::WorkItem syncTimeoutWorkItem_;
  AppTiming::WorkItem indexReplyCheckWorkItem_;
  AppTiming::WorkItem notificationRefreshWorkItem_;
  bool refreshNeededAfterSync_ = false;
  // Slices of single cue replies outside a sync.
  QHash<QString, FragmentAccumulator> directCueFragments_;
};

}  // namespace tarnik
