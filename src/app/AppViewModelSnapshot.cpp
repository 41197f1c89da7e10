#include "app/AppViewModel.h"

namespace tarnik {

void AppViewModel::saveShowSnapshot() {
  if (!session_.publishedShowIdentity || showFileName_.isEmpty()) return;

  SavedShowFile snapshot;
  const std::optional<ConsoleConnectionProfile> &active = activeConnectionSettings();
  snapshot.consoleIP = active ? active->host : consoleIP();
  snapshot.consoleName = active ? active->name : consoleName();
  snapshot.storageKey = showStorageKey(*session_.publishedShowIdentity, snapshot.consoleIP);
  snapshot.name = showFileName_;
  snapshot.savedAt = lastDataRefresh_ ? *lastDataRefresh_ : timing_->date();
  snapshot.cues = cues_;
  snapshot.channels = channels_;
  snapshot.activeCueNumber = activeCueNumber();
  snapshot.activeCueLabel = activeCueLabel();
  savedShows_->store(std::move(snapshot));
}

}  // namespace tarnik
