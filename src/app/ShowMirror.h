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
#include <QPointer>
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
// show it started under. It is the one writer of the show identity in the model's
// `ConsoleSession`, which every other part only reads. It asks nothing of the other parts:
// it announces a sync's start, failure, discard and publication, and the model connects
// each part's step to those announcements.
class ShowMirror final : public ObservableObject {
  Q_OBJECT

 public:
  static constexpr int maximumIndexCount = 20000;
  // Index requests the console has neither answered nor passed by (answered one asked after
  // it); one it has passed by leaves its place to the next.
  static constexpr int maximumInFlightIndexRequests = 12;
  // An index request still without its record this many seconds after the console answered
  // one asked after it is asked again, up to this many more times; a record whose reply
  // never decodes (a text that is not UTF-8, an argument of a kind the codec does not read)
  // then counts as one that cannot be read, so the sync completes without it instead of
  // failing at its time limit.
  static constexpr double indexReplyWait = 5.0;
  static constexpr int maximumIndexReasks = 2;
  // A channel's parts may follow the row that answered its index. While the rows announce
  // parts that have not come, the sync waits for them this long after the last row.
  static constexpr double missingPartsWait = 1.0;

  enum class DirectPatchReadPurpose { mutationConfirmation, levelRefresh };

  // Why a single-channel patch read was asked for: the count of changes sent when it was
  // asked, and what its answer is for.
  struct DirectPatchReadIntent {
    qint64 mutationSequence = 0;
    DirectPatchReadPurpose purpose = DirectPatchReadPurpose::mutationConfirmation;
    friend bool operator==(const DirectPatchReadIntent &, const DirectPatchReadIntent &) = default;
  };

  // One running full sync: what is asked for, what is in flight and what has arrived.
  enum class IndexRequestKind { cue, patch };
  struct IndexRequest {
    // The asks of a sync are numbered in the order they leave.
    qint64 firstAsk = 0;
    qint64 latestAsk = 0;
    int reasks = 0;
    // Uptime of the first answer to a request asked after the latest ask.
    std::optional<double> passedByAt{};
  };
  // A request neither answered nor passed by yet: an index, or a count asked again only to
  // learn whether the console still answers.
  struct OpenAsk {
    qint64 number = 0;
    IndexRequestKind kind = IndexRequestKind::cue;
    std::optional<qint64> index{};  // none for a count
    bool holdsSlot = false;         // the first ask of an index
    double askedAt = 0;             // uptime
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
    std::map<qint64, IndexRequest> &inFlight(IndexRequestKind kind) {
      return kind == IndexRequestKind::cue ? cueInFlight : patchInFlight;
    }
    std::deque<OpenAsk> openAsks{};  // in the order asked
    qint64 asksMade = 0;
    int slotsHeld = 0;  // first asks among the open ones
    QHash<QString, FragmentAccumulator> cueFragments{};
    QHash<QString, FragmentAccumulator> patchFragments{};
    std::map<qint64, Cue> cueRows{};
    std::map<PatchRowKey, PatchPart> patchRows{};
    double lastPatchRowAt = 0;  // uptime
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

  // The connection, the timing, the session and the reconnect's failure text (which a sync
  // after a reconnect carries) outlive the mirror. The time limits of a sync and of one
  // channel read are in seconds.
  ShowMirror(OSCManager &connection, std::shared_ptr<AppTiming> timing, ConsoleSession &session,
             const std::optional<QString> &reconnectFailureStatus, double syncTimeout,
             double channelReadTimeLimit, QObject *parent = nullptr);
  ~ShowMirror() override;

  // The name a show path is shown under: its last component without the final extension.
  static QString showDisplayName(const QString &path);

  // The full sync. The reason is the data status while it starts; a refusal becomes the
  // data status instead.
  void requestFullSync(const QString &reason);
  bool isSyncing() const { return bool(syncGeneration_); }
  // While patch commands are being typed no sync starts; the patch write places the hold
  // and releases it.
  void placePatchCommandHold() { patchCommandHold_ = true; }
  void releasePatchCommandHold() { patchCommandHold_ = false; }
  // The published show is this session's completed sync of the show the console has loaded.
  bool isShowDataCurrent() const;
  // The running sync, for what only it tells (its counts and requests in flight).
  const SyncGeneration *syncGeneration() const { return syncGeneration_.get(); }
  double syncTimeout() const { return syncTimeout_; }

  // What the console sends: counts and list replies (a cue reply outside a sync replaces
  // that one published cue, a patch reply outside a sync answers a channel read), its versions, the
  // show's path and name.
  void handleCountReply(qint64 count, bool isPatch);
  void handleCueListReply(const QList<OSCArgument> &arguments, const AddressComponents &components);
  void handlePatchListReply(const QList<OSCArgument> &arguments,
                            const AddressComponents &components);
  void handleVersions(const QString &software, const QString &fixtureLibrary);
  // The identity of the show the console holds (not empty, without surrounding blanks).
  void handleShowPath(const QString &path);
  void handleShowName(const QString &name);
  // The console saved its show under this identity: a sync waiting for the show's path
  // takes it. Unless the show is to be read again, the show on screen follows when it is
  // this session's sync of the show saved; true when it did. The outstanding channel reads
  // follow with moveChannelReads, once the owner has moved what it started on the old name.
  bool handleShowSaved(const QString &path, bool rereads);
  // The console loaded this show: nothing on screen is current any more, and the lists go
  // with the status. Without a connection the next one starts from this show.
  void handleShowLoaded(const QString &path, const QString &status);
  // The show on screen no longer counts as current (the lists stay, the status says why); a
  // running sync must not publish.
  void invalidateCompletedSync(const QString &status);

  // The console has no show: the sync, the reads, the lists and what the session knew of
  // the show go.
  void clearShow();
  // The lists go with this status; the show identity is the caller's.
  void clearLists(const QString &status);
  // The running sync must not publish: the patch changed while it read.
  void markPatchChangedDuringRead();
  // The session ended: the sync, the reads, the versions, the refresh and what the session
  // knew of the show go. The session identity moves on after this, then
  // `showSessionEnded` publishes the idle state.
  void resetSession();
  void showSessionEnded(const QString &status);

  // A full sync once the console has been quiet for a moment; during a sync, right after it.
  void scheduleRefresh(const QString &reason = QStringLiteral("Console data changed"));
  void refreshAfterSync() { refreshNeededAfterSync_ = true; }
  void cancelRefresh();

  // Single-channel patch reads (ShowMirrorChannelReads.cpp). Reads one channel's patch
  // rows on the main connection, for the given reason; during a sync, once it completed.
  void readChannelPatch(qint64 channel, DirectPatchReadIntent intent);
  // The reads deferred while the sync ran go out now.
  void replayDeferredPatchReads();
  // The outstanding reads now belong to the show under this identity.
  void moveChannelReads(const QString &showIdentity);
  qsizetype outstandingChannelReads() const { return pendingDirectPatchReads_.size(); }
  double channelReadTimeLimit() const { return channelReadTimeLimit_; }
  // A change went to the console: channel reads asked for before it no longer apply.
  void noteChangeSent() { ++changesSent_; }

  void reportStatus(const QString &text);
  // The data on screen is the last sync's, under a new name: its status again, with the
  // records it left out.
  void reportSyncedAgain();
  // Whether the snapshot of the show on screen could be stored.
  void noteSnapshotSaved(bool saved);

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

  // A sync starts: what was started on the old data goes.
  void syncStarting();
  // The sync failed with this status; the cached show stays, the link is to be dropped.
  void syncFailed(const QString &status, const QString &reason);
  // The patch changed while the sync read it; the staged rows were thrown away.
  void syncDiscardedForPatchChange();
  // A completed sync is on screen: the follow-on steps run, in the order they are connected.
  void syncPublished(const QString &showIdentity);
  // The show on screen stopped counting as current outside a sync.
  void completedSyncInvalidated();
  // A channel read went unanswered: the console is taken as lost, for this reason.
  void channelReadTimedOut(const QString &reason);

 private:
  // One single-channel patch read in flight.
  struct DirectPatchRead {
    QUuid sessionID{};
    QString showName{};
    DirectPatchReadIntent intent{};
  };

  // The sync engine (ShowMirrorSync.cpp)
  SyncGeneration *currentSyncGeneration() const;
  void pumpIndexRequests(SyncGeneration &generation);
  void reaskLateIndexes(const QUuid &generationID);

  // The asks of a sync and what their answers tell (ShowMirrorSyncAsks.cpp)
  bool askForIndex(SyncGeneration &generation, IndexRequestKind kind, qint64 index);
  bool sendIndexRequest(IndexRequestKind kind, qint64 index);
  void noteAnswered(SyncGeneration &generation, qint64 askNumber);
  void noteIndexAnswered(SyncGeneration &generation, IndexRequestKind kind, qint64 index);
  void noteCountAnswered(SyncGeneration &generation, IndexRequestKind kind);
  bool askWhetherConsoleAnswers(SyncGeneration &generation);
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
  static bool awaitsAnnouncedParts(const SyncGeneration &generation);
  void discardSyncAfterPatchChange();
  void publishSync(SyncGeneration &generation);

  void handleConsoleDataChanged(const QUuid &session, const QString &reason);
  // One channel's level as a single read found it.
  void updateChannelLevel(qint64 channel, qint64 level);

  // Single-channel reads (ShowMirrorChannelReads.cpp)
  void handleChannelPatchReply(const QList<OSCArgument> &arguments, const PatchListSlice &slice);
  void completeDirectPatchRead(qint64 channel, const PatchPart &part);
  static void directPatchReadTimedOut(const QPointer<ShowMirror> &mirror, const QUuid &session,
                                      qint64 channel, DirectPatchReadIntent intent);
  void runQueuedFullRefresh();
  void resetChannelReads();

  OSCManager &connection_;
  const std::shared_ptr<AppTiming> timing_;
  ConsoleSession &session_;
  const std::optional<QString> &reconnectFailureStatus_;
  const double syncTimeout_;
  const double channelReadTimeLimit_;

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
  qint64 syncedUnreadableRecords_ = 0;  // left out of the last sync that published

  std::unique_ptr<SyncGeneration> syncGeneration_;
  AppTiming::WorkItem syncTimeoutWorkItem_;
  AppTiming::WorkItem indexReplyCheckWorkItem_;
  AppTiming::WorkItem notificationRefreshWorkItem_;
  bool refreshNeededAfterSync_ = false;
  bool patchCommandHold_ = false;
  // Slices of single cue replies outside a sync.
  QHash<QString, FragmentAccumulator> directCueFragments_;

  // Single-channel reads, by channel
  std::map<qint64, AppTiming::WorkItem> directPatchReadTimeouts_;
  QHash<qint64, DirectPatchRead> pendingDirectPatchReads_;
  QHash<qint64, DirectPatchReadIntent> latestPatchReadIntents_;
  QHash<QString, FragmentAccumulator> directPatchFragments_;
  // The full sync asked for while reads were out.
  std::optional<QString> queuedFullRefreshReason_;
  // Goes up with every change sent to the console; a level read made before it is stale.
  qint64 changesSent_ = 0;
};

}  // namespace tarnik
