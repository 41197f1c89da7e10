#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

namespace tarnik {

// Stands in for the show sync until it joins: it only shows what a starting sync shows.
void AppViewModel::requestFullSync(const QString &reason) {
  publish(dataStatusMessage_,
          reconnectFailureStatus_ ? *reconnectFailureStatus_ + u" — syncing reconnect"_s : reason,
          &AppViewModel::dataStatusMessageChanged);
}

}  // namespace tarnik
