#include "app/AppViewModel.h"

namespace tarnik {

void AppViewModel::saveShowSnapshot() {
  if (!session_.publishedShowIdentity || showFileName().isEmpty()) return;

  SavedShowFile snapshot;
  const std::optional<ConsoleConnectionProfile> &active = activeConnectionSettings();
  snapshot.consoleIP = active ? active->host : consoleIP();
  snapshot.consoleName = active ? active->name : consoleName();
  snapshot.storageKey = showStorageKey(*session_.publishedShowIdentity, snapshot.consoleIP);
  snapshot.name = showFileName();
  snapshot.savedAt = lastDataRefresh() ? *lastDataRefresh() : timing_->date();
  snapshot.cues = cues();
  snapshot.channels = channels();
  snapshot.activeCueNumber = activeCueNumber();
  snapshot.activeCueLabel = activeCueLabel();
  savedShows_->store(std::move(snapshot));
}

}  // namespace tarnik
