#include "app/AppViewModel.h"
#include "foundation/TextRules.h"
#include "model/ShowIdentity.h"

using namespace Qt::StringLiterals;

namespace tarnik {

QString AppViewModel::showDisplayName(const QString &path) {
  // By hand rather than through a file-system type: the path is the console's, not ours.
  QStringView name = path;
  while (name.endsWith(u'/')) name.chop(1);
  name = name.sliced(name.lastIndexOf(u'/') + 1);
  // A name whose only dot leads it (".esf") has no extension to remove.
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot > 0) name.truncate(dot);
  return name.isEmpty() ? path : name.toString();
}

void AppViewModel::handleShowPath(const QString &reportedPath) {
  const QString path = showIdentity(reportedPath);
  if (path.isEmpty()) return handleShowCleared();
  session_.showIsCleared = false;

  if (session_.liveShowIdentity && !isSameShow(*session_.liveShowIdentity, path)) {
    // Another show is loaded: nothing of the old one may stay on screen under its name.
    const std::optional<QString> previousIdentity = session_.liveShowIdentity;
    resetLiveControls();
    cancelIdentifyTimers();
    session_.liveShowIdentity = path;
    session_.publishedShowIdentity.reset();
    session_.completedSyncSessionID.reset();
    announce();
    assign(cues_, QList<Cue>(), &AppViewModel::cuesChanged);
    assign(channels_, QList<Channel>(), &AppViewModel::channelsChanged);
    assign(dataStatusMessage_, u"Show changed — reloading"_s,
           &AppViewModel::dataStatusMessageChanged);
    if (syncGeneration_) return failSync(syncGeneration_->id, u"Show changed during sync"_s);
    if (oscManager_->isConnected()) {
      // A throw-away sync, failed at once: the reconnect that follows reads the new show.
      syncGeneration_ = std::make_unique<SyncGeneration>(session_.id, previousIdentity);
      return failSync(syncGeneration_->id, u"Show changed"_s);
    }
    return;
  }

  session_.liveShowIdentity = path;
  if (!session_.liveShowName) {
    session_.liveShowName = showDisplayName(path);
    publish(showFileName_, *session_.liveShowName, &AppViewModel::showFileNameChanged);
  }

  if (SyncGeneration *generation = currentSyncGeneration()) {
    if (generation->showName && !isSameShow(*generation->showName, path)) {
      return failSync(generation->id, u"Show identity changed during sync"_s);
    }
    generation->showName = path;
    completeSync(*generation);
  }

  if (session_.publishedShowIdentity && !isSameShow(*session_.publishedShowIdentity, path) &&
      (!cues_.isEmpty() || !channels_.isEmpty())) {
    session_.publishedShowIdentity.reset();
    announce();
    assign(cues_, QList<Cue>(), &AppViewModel::cuesChanged);
    assign(channels_, QList<Channel>(), &AppViewModel::channelsChanged);
    assign(dataStatusMessage_, u"Show changed — awaiting sync"_s,
           &AppViewModel::dataStatusMessageChanged);
  }
}

void AppViewModel::cancelIdentifyTimers() {
  // The old show's flash belongs to a show that is gone: nothing is sent for it.
  identifyWorkItems_.clear();
  ownedFlash_.reset();
}

void AppViewModel::handleShowName(const QString &name) {
  const QString trimmed = trimmedText(name);
  if (trimmed.isEmpty()) return;
  session_.liveShowName = trimmed;
  publish(showFileName_, trimmed, &AppViewModel::showFileNameChanged);
}

}  // namespace tarnik
