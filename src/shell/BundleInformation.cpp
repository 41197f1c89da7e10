#include "shell/BundleInformation.h"

#include "shell/UpdateConfiguration.h"

namespace tarnik {

namespace {

InformationDictionary compiledInformation() {
  InformationDictionary information;
  const auto add = [&information](const char *key, const char *hex) {
    const QString value = QString::fromUtf8(QByteArray::fromHex(hex));
    // An empty cache variable means "not configured": the key is then absent.
    if (!value.isEmpty()) {
      information.insert(QString::fromLatin1(key), value);
    }
  };
  add(UpdateConfiguration::feedUrlKey, TARNIK_FEED_URL_HEX);
  add(UpdateConfiguration::publicEdKeyKey, TARNIK_PUBLIC_ED_KEY_HEX);
  return information;
}

}  // namespace

const InformationDictionary &mainBundleInformation() {
  static const InformationDictionary information = compiledInformation();
  return information;
}

QString programVersion() { return QStringLiteral(TARNIK_VERSION); }

}  // namespace tarnik
