#include "DebianChangelog.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include <zlib.h>

namespace tarnik {
namespace {

std::expected<QByteArray, QString> gunzip(const QByteArray &compressed) {
  z_stream stream{};
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
    return std::unexpected(QStringLiteral("zlib failed"));
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data()));
  stream.avail_in = uInt(compressed.size());
  QByteArray out;
  int status = Z_OK;
  while (status == Z_OK) {
    char buffer[65536];
    stream.next_out = reinterpret_cast<Bytef *>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END)
    return std::unexpected(QStringLiteral("the changelog is not a complete gzip stream"));
  return out;
}

}  // namespace

std::expected<DebianChangelogEntry, QString> readNewestChangelogEntry(const QString &gzipPath) {
  QFile file(gzipPath);
  if (!file.open(QIODevice::ReadOnly))
    return std::unexpected(gzipPath + QStringLiteral(": ") + file.errorString());
  const auto text = gunzip(file.readAll());
  if (!text) return std::unexpected(gzipPath + QStringLiteral(": ") + text.error());
  const QString changelog = QString::fromUtf8(*text);

  // "package (epoch:upstream-revision) distribution; urgency=..."
  static const QRegularExpression heading(QStringLiteral(R"(^\S+ \(([^)]+)\))"));
  // " -- Maintainer <address>  Mon, 29 Aug 2022 15:25:10 +0200"
  static const QRegularExpression trailer(QStringLiteral(R"(^ -- .*>  (.+)$)"),
                                          QRegularExpression::MultilineOption);
  const QRegularExpressionMatch version = heading.match(changelog);
  const QRegularExpressionMatch signature = trailer.match(changelog);
  if (!version.hasMatch() || !signature.hasMatch())
    return std::unexpected(gzipPath + QStringLiteral(": no changelog entry"));

  DebianChangelogEntry entry;
  entry.packageVersion = version.captured(1);
  QString upstream = entry.packageVersion.section(u':', -1);
  if (const qsizetype revision = upstream.lastIndexOf(u'-'); revision > 0)
    upstream.truncate(revision);
  entry.upstreamVersion = upstream;
  const QDateTime when = QDateTime::fromString(signature.captured(1).trimmed(), Qt::RFC2822Date);
  if (!when.isValid())
    return std::unexpected(gzipPath + QStringLiteral(": unreadable date ") + signature.captured(1));
  entry.date = when.date().toString(Qt::ISODate);
  return entry;
}

}  // namespace tarnik
