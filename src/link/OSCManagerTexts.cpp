#include "foundation/NumberRules.h"
#include "link/OSCManager.h"

#include <arpa/inet.h>
#include <charconv>
#include <cmath>

namespace tarnik {

namespace {

bool isIPv4Literal(const QString &text) {
  in_addr address{};
  // A NUL would end the text early for inet_pton and let trailing junk through.
  return !text.contains(QChar(u'\0')) &&
         inet_pton(AF_INET, text.toLatin1().constData(), &address) == 1;
}

QString floatText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, result.ptr - buffer);
}

}  // namespace

std::optional<QString> OSCManager::normalizedHost(const QString &host) {
  if (isIPv4Literal(host)) return host.toLower();
  QHostAddress address;
  if (host.contains(u':') && address.setAddress(host) &&
      address.protocol() == QAbstractSocket::IPv6Protocol) {
    return host.toLower();
  }
  return std::nullopt;
}

std::optional<QString> OSCManager::normalizedHost(const OSCEndpoint &endpoint) {
  if (const OSCEndpoint::HostPort *target = endpoint.asHostPort())
    return normalizedHost(target->host);
  return std::nullopt;
}

bool OSCManager::isDottedNumeric(QStringView text) {
  const QList<QStringView> pieces = text.split(u'.');
  if (pieces.size() < 2) return false;
  return std::all_of(pieces.begin(), pieces.end(), [](QStringView piece) {
    return parseStrictInteger<qint64>(piece).has_value();
  });
}

QStringList OSCManager::argumentDescriptions(const QList<OSCArgument> &arguments) {
  QStringList texts;
  texts.reserve(arguments.size());
  for (const OSCArgument &argument : arguments) {
    texts.append(std::visit(
        [](const auto &value) -> QString {
          using Value = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, qint32>) return QString::number(value);
          if constexpr (std::is_same_v<Value, float>) return floatText(value);
          if constexpr (std::is_same_v<Value, QString>) return value;
          if constexpr (std::is_same_v<Value, bool>)
            return value ? QStringLiteral("true") : QStringLiteral("false");
          if constexpr (std::is_same_v<Value, QByteArray>)
            return QString::number(value.size()) + QStringLiteral("-byte blob");
        },
        argument.value));
  }
  return texts;
}

QString OSCManager::secondsText(double seconds) {
  if (std::isfinite(seconds) && std::abs(seconds) < 9e15 && std::round(seconds) == seconds) {
    return QString::number(qint64(seconds)) + QStringLiteral(" seconds");
  }
  return formatFixed(seconds, 1) + QStringLiteral(" seconds");
}

}  // namespace tarnik
