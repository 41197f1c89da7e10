#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

// Steps that the show sync and the show identity call into but that belong to other flows.
// Each body here is the least the step must do while its flow is not built yet; the flow
// that owns a step replaces its body with its own file.

namespace tarnik {

void AppViewModel::replayDeferredPatchReads() {
  // No single-channel read can be deferred until the direct-read flow exists.
}

void AppViewModel::applyPatchWrite() {
  // No patch write can be pending until the patch-write flow exists.
}

}  // namespace tarnik
