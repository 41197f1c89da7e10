#include "shell/UpdateConfiguration.h"

#include "foundation/StrictBase64.h"

#include <QUrl>

namespace tarnik {

QString UpdateConfiguration::text(const InformationDictionary &information, const char *key) {
  const QVariant value = information.value(QString::fromLatin1(key));
  return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

bool UpdateConfiguration::isSecureFeed(const QString &feed) {
  const QUrl url(feed, QUrl::StrictMode);
  if (!url.isValid()) {
    return false;
  }
  if (url.scheme().toLower() != QStringLiteral("https")) {
    return false;
  }
  if (url.host().isEmpty()) {
    return false;
  }
  if (!url.userName().isEmpty() || !url.password().isEmpty()) {
    return false;
  }
  return !feed.contains(QStringLiteral("$("));
}

std::optional<QByteArray> UpdateConfiguration::publicEdKey(const QString &key) {
  auto bytes = decodeStrictBase64(key);
  if (!bytes || bytes->size() != publicEdKeyLength) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace tarnik
