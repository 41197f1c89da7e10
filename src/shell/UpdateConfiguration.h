#pragma once

#include "shell/BundleInformation.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarnik {

// The two values that say where updates come from and who signs them, and the rules that
// make them usable. Neither value is trimmed: a key that carries a line break is a broken key.
struct UpdateConfiguration {
  static inline constexpr char feedUrlKey[] = "SUFeedURL";
  static inline constexpr char publicEdKeyKey[] = "SUPublicEDKey";
  static inline constexpr qsizetype publicEdKeyLength = 32;

  // The value under the key when it is a text, else the empty text.
  static QString text(const InformationDictionary &information, const char *key);

  // An https address with a host, no user name or password, and no unexpanded "$(" left
  // over from a build setting.
  static bool isSecureFeed(const QString &feed);

  // The 32 raw key bytes, when the text is strict base64 of exactly that many.
  static std::optional<QByteArray> publicEdKey(const QString &key);
};

}  // namespace tarnik
