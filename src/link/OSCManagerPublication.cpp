#include "link/OSCManager.h"

namespace tarnik {

void OSCManager::publishFor(Identity identity, std::function<void()> change) {
  enqueuePublication({++lastPublicationSerial_, identity, std::move(change)});
}

void OSCManager::publishIncoming(Identity identity, IncomingPublication incoming) {
  enqueuePublication({++lastPublicationSerial_, identity, std::move(incoming)});
}

void OSCManager::enqueuePublication(Publication publication) {
  publications_.push_back(std::move(publication));
  if (!publicationPosted_) {
    publicationPosted_ = true;
    QMetaObject::invokeMethod(this, &OSCManager::runPublications, Qt::QueuedConnection);
  }
}

void OSCManager::runPublications() {
  // Runs what was waiting when this turn began; what the subscribers cause meanwhile waits
  // for the next turn. Publications are taken one at a time, so an event loop nested in a
  // subscriber goes on with the next one in order. Each checks its identity as it runs.
  publicationPosted_ = false;
  const quint64 last = lastPublicationSerial_;
  while (publicationHead_ < publications_.size() &&
         publications_[publicationHead_].serial <= last) {
    Publication publication = std::move(publications_[publicationHead_++]);
    if (publicationHead_ == publications_.size()) {
      publications_.clear();
      publicationHead_ = 0;
    }
    if (publication.identity != activeConnectionID_) continue;
    if (auto *change = std::get_if<std::function<void()>>(&publication.change)) {
      (*change)();
    } else {
      applyIncoming(std::get<IncomingPublication>(publication.change));
    }
  }
}

}  // namespace tarnik
