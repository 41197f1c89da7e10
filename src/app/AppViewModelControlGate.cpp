#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

namespace tarnik {

bool AppViewModel::ensureControlAllowed(const QString &action, bool requiresShowData) {
  QString reason;
  if (interactionMode_ == InteractionMode::viewer)
    reason = u"Viewer mode"_s;
  else if (!oscManager_->isConnected())
    reason = u"console transport is not ready"_s;
  else if (!hasFreshMatchedPing())
    reason = u"no recent matched console ping"_s;
  else if (requiresShowData && !isShowDataCurrent())
    reason = u"current console session has not completed show sync"_s;
  else
    return true;
  reportCommandRejected(action, reason);
  return false;
}

}  // namespace tarnik
