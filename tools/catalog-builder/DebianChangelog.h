#pragma once

#include <QString>

#include <expected>

namespace tarnik {

// The newest entry of a Debian package changelog (changelog.Debian.gz): the upstream
// version without epoch or Debian revision, and the entry's date as YYYY-MM-DD.
struct DebianChangelogEntry {
  QString packageVersion;   // as Debian writes it, e.g. 4.12.6-1
  QString upstreamVersion;  // e.g. 4.12.6
  QString date;             // e.g. 2022-08-29
};

std::expected<DebianChangelogEntry, QString> readNewestChangelogEntry(const QString &gzipPath);

}  // namespace tarnik
