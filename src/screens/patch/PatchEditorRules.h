#pragma once

#include "model/PatchPlan.h"
#include "model/PatchSubmissionState.h"

#include <QString>

#include <cstddef>
#include <optional>

namespace tarnik {

// What the editor weighs once per change of its draft or of the model: the draft's plan, the
// reason patching is unavailable, the published write state and this editor's own submit.
struct PatchEditorSituation {
  PatchPlan plan{};
  std::optional<QString> unavailabilityReason{};
  PatchSubmissionState submission{};
  bool hasSubmitted = false;
  bool isEditingChannel = false;
  bool isFixtureOperation = false;

  friend bool operator==(const PatchEditorSituation &, const PatchEditorSituation &) = default;

  // Only a confirmation of this editor's own submit counts; an older one does not.
  bool isShowingConfirmedResult() const;
  bool canSubmit() const;
};

// Which sections the form shows, in their order on the form.
struct PatchEditorSectionsShown {
  bool fixtureMode = false;
  bool existingPatch = false;
  bool review = false;
  bool issues = false;
  bool unavailable = false;
  bool status = false;

  friend bool operator==(const PatchEditorSectionsShown &,
                         const PatchEditorSectionsShown &) = default;
};
PatchEditorSectionsShown patchEditorSectionsShown(const PatchEditorSituation &situation);

// The toolbar's confirm place: "Done" after a confirmation, a busy indicator while a write is
// under way, else "Patch" (new) or "Apply" (a channel's patch).
enum class PatchConfirmAction { done, busy, submit };
PatchConfirmAction patchConfirmAction(const PatchEditorSituation &situation);
QString patchSubmitTitle(bool isEditingChannel);

// The question asked before existing parts are replaced.
struct PatchReplacementQuestion {
  QString title;
  QString message;
  QString confirmTitle;
};
PatchReplacementQuestion patchReplacementQuestion(std::size_t partCount);

}  // namespace tarnik
