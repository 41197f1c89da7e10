#pragma once

#include "model/PatchSubmissionState.h"

#include <QString>

#include <optional>

namespace tarnik {

// The editor's status section after a submit, as the published write state says. The
// model's texts are carried as they are and shown as plain text.
struct PatchSubmissionStatus {
  enum class Action { none, done, syncAndClose, reviewAgain };

  QString header;
  std::optional<QString> progressText;  // checking, sending, verifying
  std::optional<QString> resultText;    // the model's own text
  QString resultSymbol;
  QString resultName;  // objectName of the result line, or empty
  bool isConfirmed = false;
  std::optional<QString> note;
  Action action = Action::none;

  friend bool operator==(const PatchSubmissionStatus &, const PatchSubmissionStatus &) = default;
};

// None for idle: no section.
std::optional<PatchSubmissionStatus> patchSubmissionStatus(const PatchSubmissionState &state);

}  // namespace tarnik
