#include "screens/patch/FixtureLibraryBanner.h"

#include "screens/patch/PatchTexts.h"

namespace tarnik {

FixtureLibraryBanner FixtureLibraryBanner::of(const std::optional<QString> &reportedVersion,
                                              bool matches) {
  if (!reportedVersion) {
    return {QStringLiteral("Eos has not reported its fixture library version. A mode can be "
                           "selected for planning, but Tarnik will verify support before "
                           "patching."),
            QStringLiteral("questionmark.circle"), Style::caption};
  }
  if (!matches) {
    return {QStringLiteral("Eos reports ") + reportedVersionText(*reportedVersion) +
                QStringLiteral(". Matching fixture libraries are required before patching a "
                               "fixture profile."),
            QStringLiteral("exclamationmark.triangle"), Style::warningCaption};
  }
  return {QStringLiteral("Matches Eos fixture library ") + reportedVersionText(*reportedVersion),
          QStringLiteral("checkmark.circle"), Style::body};
}

}  // namespace tarnik
