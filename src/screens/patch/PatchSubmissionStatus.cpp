#include "screens/patch/PatchSubmissionStatus.h"

using namespace Qt::StringLiterals;

namespace tarnik {

std::optional<PatchSubmissionStatus> patchSubmissionStatus(const PatchSubmissionState &state) {
  using Kind = PatchSubmissionState::Kind;
  PatchSubmissionStatus status;
  switch (state.kind) {
    case Kind::idle:
      return std::nullopt;
    case Kind::checking:
      status.header = u"Status"_s;
      status.progressText = u"Checking the current Eos patch…"_s;
      return status;
    case Kind::sending:
      status.header = u"Status"_s;
      status.progressText = u"Sending patch to Eos…"_s;
      return status;
    case Kind::verifying:
      status.header = u"Status"_s;
      status.progressText = u"Reading back every patched part…"_s;
      return status;
    case Kind::confirmed:
      status.header = u"Confirmed by Eos"_s;
      status.resultSymbol = u"checkmark.circle.fill"_s;
      status.resultName = u"patch.submission.confirmed"_s;
      status.isConfirmed = true;
      status.action = PatchSubmissionStatus::Action::done;
      break;
    case Kind::sentUnconfirmed:
      status.header = u"Sent to Eos · Not Confirmed"_s;
      status.resultSymbol = u"exclamationmark.triangle"_s;
      status.note =
          u"Eos may contain partial changes. Inspect the current patch before submitting again."_s;
      status.action = PatchSubmissionStatus::Action::syncAndClose;
      break;
    case Kind::failed:
      status.header = u"Not Confirmed"_s;
      status.resultSymbol = u"exclamationmark.triangle"_s;
      status.resultName = u"patch.submission.failed"_s;
      status.action = PatchSubmissionStatus::Action::reviewAgain;
      break;
  }
  status.resultText = state.text;
  return status;
}

}  // namespace tarnik
