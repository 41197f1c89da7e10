#include "link/EosVerification.h"

#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"
#include "foundation/UuidText.h"

#include <QUuid>

#include <charconv>

namespace tarnik {

namespace {

const QString pingAddress = QStringLiteral("/eos/ping");
const QString pingReplyAddress = QStringLiteral("/eos/out/ping");
const QString versionAddress = QStringLiteral("/eos/get/version");
const QString versionReplyAddress = QStringLiteral("/eos/out/get/version");
const QString processorsAddress = QStringLiteral("/eos/get/processors");
const QString processorsReplyAddress = QStringLiteral("/eos/out/get/processors");

const QString *stringArgument(const OSCMessage &message, qsizetype index) {
  if (message.arguments.size() <= index) return nullptr;
  return std::get_if<QString>(&message.arguments[index].value);
}

QString floatText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<std::pair<QString, QString>> dottedVersions(const OSCMessage &reply) {
  const QString *software = stringArgument(reply, 0);
  const QString *library = stringArgument(reply, 1);
  if (!software || !library) return std::nullopt;
  QString softwareText = trimmedText(*software);
  QString libraryText = trimmedText(*library);
  if (!EosVerification::isDottedNumeric(softwareText) ||
      !EosVerification::isDottedNumeric(libraryText)) {
    return std::nullopt;
  }
  return std::pair{std::move(softwareText), std::move(libraryText)};
}

}  // namespace

OSCMessage EosVerification::versionRequest() { return {versionAddress, {}}; }

OSCMessage EosVerification::processorsRequest() { return {processorsAddress, {}}; }

EosVerification::Ping EosVerification::startPing(quint64 nowNanoseconds) {
  QString token = uuidText(QUuid::createUuid());
  pings_.registerPing(token, nowNanoseconds);
  return {token, {pingAddress, {OSCArgument::fromString(token)}}};
}

void EosVerification::forgetPing(const QString &token) { pings_.remove(token); }

EosVerification::Outcome EosVerification::take(const OSCMessage &message,
                                               quint64 arrivalNanoseconds) {
  Outcome outcome;
  const QString &address = message.address;
  // Nearly every message is none of the three replies; they share this prefix, and the
  // letter after it tells the ping reply from the two others.
  constexpr QStringView repliesPrefix = u"/eos/out/";
  const QChar kind =
      address.size() > repliesPrefix.size() ? address[repliesPrefix.size()] : QChar();
  if ((kind == u'p' || kind == u'g') && address.startsWith(repliesPrefix)) {
    if (address == pingReplyAddress) {
      const QString *token = stringArgument(message, 0);
      if (std::optional<double> roundTrip =
              token ? pings_.match(*token, arrivalNanoseconds) : std::nullopt) {
        outcome.proof = Proof{roundTrip, std::nullopt};
      }
    } else if (address == versionReplyAddress) {
      if (auto versions = dottedVersions(message))
        outcome.proof = Proof{std::nullopt, std::move(versions)};
    } else if (address == processorsReplyAddress) {
      QStringList pieces = argumentDescriptions(message.arguments);
      pieces.removeAll(QString());
      QString identity = pieces.join(QStringLiteral(" • "));
      if (!identity.isEmpty()) pendingConsoleIdentity_ = std::move(identity);
    }
  }
  if (outcome.proof) verified_ = true;
  if (verified_) outcome.consoleIdentity = pendingConsoleIdentity_;
  return outcome;
}

void EosVerification::reset() {
  pings_.reset();
  verified_ = false;
  pendingConsoleIdentity_.reset();
}

bool EosVerification::isDottedNumeric(QStringView text) {
  const QList<QStringView> pieces = text.split(u'.');
  if (pieces.size() < 2) return false;
  return std::all_of(pieces.begin(), pieces.end(), [](QStringView piece) {
    return parseStrictInteger<qint64>(piece).has_value();
  });
}

QStringList EosVerification::argumentDescriptions(const QList<OSCArgument> &arguments) {
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

}  // namespace tarnik
