#include "shell/AppcastFeed.h"

#include "foundation/NumberRules.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace tarnik {

namespace {

AppcastItem itemFromEnclosure(const QXmlStreamAttributes &attributes) {
  AppcastItem item;
  item.version = attributes.value(QStringLiteral("sparkle:version")).toString();
  item.url = QUrl(attributes.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
  item.length = parseStrictInteger<qint64>(attributes.value(QStringLiteral("length"))).value_or(-1);
  item.edSignature = attributes.value(QStringLiteral("sparkle:edSignature")).toString();
  item.os = attributes.value(QStringLiteral("sparkle:os")).toString();
  return item;
}

bool isComplete(const AppcastItem &item) {
  return item.url.isValid() && item.length >= 0 && !item.edSignature.isEmpty();
}

// Reads the current element's subtree, keeping the enclosure of each item.
void readChannel(QXmlStreamReader &reader, AppcastFeed &feed) {
  while (reader.readNextStartElement()) {
    if (reader.name() != QStringLiteral("item")) {
      reader.skipCurrentElement();
      continue;
    }
    while (reader.readNextStartElement()) {
      if (reader.name() == QStringLiteral("enclosure")) {
        feed.items.append(itemFromEnclosure(reader.attributes()));
      }
      reader.skipCurrentElement();
    }
  }
}

}  // namespace

std::optional<DottedVersion> DottedVersion::parse(const QString &text) {
  DottedVersion version;
  for (const QStringView part : QStringView(text).split(u'.')) {
    // Digits only: the integer rule alone would let "1.+2" read as a version.
    const std::optional<quint64> number = parseStrictInteger<quint64>(part);
    if (!number || part.front() == u'+' || part.front() == u'-') {
      return std::nullopt;
    }
    version.parts_.append(*number);
  }
  return version;
}

std::strong_ordering operator<=>(const DottedVersion &lhs, const DottedVersion &rhs) {
  const qsizetype count = std::max(lhs.parts_.size(), rhs.parts_.size());
  for (qsizetype i = 0; i < count; ++i) {
    const quint64 left = lhs.parts_.value(i, 0);
    const quint64 right = rhs.parts_.value(i, 0);
    if (left != right) {
      return left <=> right;
    }
  }
  return std::strong_ordering::equal;
}

std::expected<AppcastFeed, QString> AppcastFeed::parse(const QByteArray &xml) {
  QXmlStreamReader reader(xml);
  AppcastFeed feed;
  bool sawChannel = false;
  if (reader.readNextStartElement()) {
    if (reader.name() == QStringLiteral("rss") &&
        reader.attributes().value(QStringLiteral("version")) == QStringLiteral("2.0")) {
      while (reader.readNextStartElement()) {
        if (reader.name() == QStringLiteral("channel") && !sawChannel) {
          sawChannel = true;
          readChannel(reader, feed);
        } else {
          reader.skipCurrentElement();
        }
      }
    } else {
      reader.skipCurrentElement();
    }
  }
  // Reading on to the end is what finds a broken tail after the channel.
  while (!reader.atEnd()) {
    reader.readNext();
  }
  if (reader.hasError()) {
    return std::unexpected(QStringLiteral("The update feed is not valid XML (line %1: %2).")
                               .arg(reader.lineNumber())
                               .arg(reader.errorString()));
  }
  if (!sawChannel) {
    return std::unexpected(QStringLiteral("The update feed is not an RSS 2.0 channel."));
  }
  return feed;
}

std::optional<AppcastItem> AppcastFeed::newestUpdate(const QString &currentVersion) const {
  return newestLinuxItem(currentVersion, isComplete);
}

std::optional<AppcastItem> AppcastFeed::newestUnsignedUpdate(const QString &currentVersion) const {
  return newestLinuxItem(currentVersion,
                         [](const AppcastItem &item) { return item.edSignature.isEmpty(); });
}

std::optional<AppcastItem> AppcastFeed::newestLinuxItem(
    const QString &currentVersion, const std::function<bool(const AppcastItem &)> &counts) const {
  std::optional<DottedVersion> newest = DottedVersion::parse(currentVersion);
  std::optional<AppcastItem> offered;
  for (const AppcastItem &item : items) {
    const std::optional<DottedVersion> version = DottedVersion::parse(item.version);
    if (item.os != QStringLiteral("linux") || !version || !counts(item)) {
      continue;
    }
    if (!newest || *version > *newest) {
      newest = version;
      offered = item;
    }
  }
  return offered;
}

}  // namespace tarnik
