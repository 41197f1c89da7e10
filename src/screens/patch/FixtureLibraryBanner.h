#pragma once

#include <QString>

#include <optional>

namespace tarnik {

// The status line under the bundled library's version: whether the console has told its
// fixture library version, and whether it is the bundled one. Information only; nothing
// is blocked by it.
struct FixtureLibraryBanner {
  enum class Style { caption, warningCaption, body };

  QString text;
  QString symbol;
  Style style = Style::caption;

  // `matches` is the store's comparison of the reported text with the bundled version.
  // The reported text is shown as it came, blanks included (`reportedVersionText`).
  static FixtureLibraryBanner of(const std::optional<QString> &reportedVersion, bool matches);

  bool operator==(const FixtureLibraryBanner &) const = default;
};

}  // namespace tarnik
