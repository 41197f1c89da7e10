#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <expected>
#include <functional>
#include <optional>

namespace tarnik {

// A version as dotted whole numbers ("1.10.2"). Parts are compared one by one, a missing
// part counting as 0, so "1.2" equals "1.2.0".
class DottedVersion {
 public:
  static std::optional<DottedVersion> parse(const QString &text);
  friend std::strong_ordering operator<=>(const DottedVersion &, const DottedVersion &);
  friend bool operator==(const DottedVersion &lhs, const DottedVersion &rhs) {
    return (lhs <=> rhs) == 0;
  }

 private:
  QList<quint64> parts_;
};

// One downloadable release, read from an item's enclosure.
struct AppcastItem {
  QString version;
  QUrl url;
  qint64 length = 0;
  QString edSignature;  // base64, checked when the download is verified
  QString os;
  friend bool operator==(const AppcastItem &, const AppcastItem &) = default;
};

// An RSS 2.0 update feed. Reading fails with a readable reason when the text is not
// well-formed XML or not an RSS 2.0 channel; items without an enclosure are left out.
struct AppcastFeed {
  QList<AppcastItem> items;

  static std::expected<AppcastFeed, QString> parse(const QByteArray &xml);

  // The newest Linux item above the current version. Items whose version is not dotted
  // whole numbers, or whose enclosure lacks an address, a length or a signature, are
  // skipped: they could never be verified.
  std::optional<AppcastItem> newestUpdate(const QString &currentVersion) const;
  // The newest Linux item above the current version that carries no signature: found, but
  // never offered, and the user is told so rather than that Tarnik is up to date.
  std::optional<AppcastItem> newestUnsignedUpdate(const QString &currentVersion) const;

 private:
  std::optional<AppcastItem> newestLinuxItem(
      const QString &currentVersion, const std::function<bool(const AppcastItem &)> &counts) const;
};

}  // namespace tarnik
