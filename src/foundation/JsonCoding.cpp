#include "foundation/JsonCoding.h"

#include "foundation/UuidText.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>

#include <cmath>
#include <limits>

namespace tarnik {

JsonError JsonError::inKey(QLatin1StringView key) && { return std::move(prefixPath(QString(key))); }

JsonError JsonError::atIndex(qsizetype index) && {
  return std::move(prefixPath(u'[' + QString::number(index) + u']'));
}

JsonError &JsonError::prefixPath(const QString &segment) {
  if (path_.isEmpty() || path_.startsWith(u'[')) {
    path_.prepend(segment);
  } else {
    path_.prepend(segment + u'.');
  }
  return *this;
}

QString JsonError::description() const {
  if (path_.isEmpty()) return problem_;
  return path_ + QStringLiteral(": ") + problem_;
}

std::expected<QString, JsonError> JsonValueCoding<QString>::decode(const QJsonValue &json) {
  if (!json.isString()) return std::unexpected(JsonError::expected(u"text"));
  return json.toString();
}

std::expected<bool, JsonError> JsonValueCoding<bool>::decode(const QJsonValue &json) {
  if (!json.isBool()) return std::unexpected(JsonError::expected(u"true or false"));
  return json.toBool();
}

std::expected<qint64, JsonError> JsonValueCoding<qint64>::decode(const QJsonValue &json) {
  const auto notWhole = [] { return std::unexpected(JsonError::expected(u"a whole number")); };
  if (!json.isDouble()) return notWhole();
  // The parser keeps every integer that fits 64 bits exactly; anything else arrives as a
  // double, which is accepted only when it is whole and inside the signed 64-bit range.
  const QVariant exact = json.toVariant();
  if (exact.typeId() == QMetaType::LongLong) return exact.toLongLong();
  const double value = json.toDouble();
  constexpr double limit = 9223372036854775808.0;  // 2^63
  if (!(value >= -limit && value < limit) || std::trunc(value) != value) return notWhole();
  return static_cast<qint64>(value);
}

std::expected<quint16, JsonError> JsonValueCoding<quint16>::decode(const QJsonValue &json) {
  const std::expected<qint64, JsonError> value = JsonValueCoding<qint64>::decode(json);
  if (!value || *value < 0 || *value > std::numeric_limits<quint16>::max()) {
    return std::unexpected(JsonError::expected(u"a whole number from 0 through 65535"));
  }
  return static_cast<quint16>(*value);
}

std::expected<double, JsonError> JsonValueCoding<double>::decode(const QJsonValue &json) {
  // JSON has no infinities; refusing them here keeps every decoded value writable again.
  if (!json.isDouble() || !std::isfinite(json.toDouble())) {
    return std::unexpected(JsonError::expected(u"a number"));
  }
  return json.toDouble();
}

QJsonValue JsonValueCoding<QUuid>::encode(const QUuid &value) { return uuidText(value); }

std::expected<QUuid, JsonError> JsonValueCoding<QUuid>::decode(const QJsonValue &json) {
  if (json.isString()) {
    if (const std::optional<QUuid> id = parseUuidText(json.toString())) return *id;
  }
  return std::unexpected(JsonError::expected(u"a UUID text"));
}

namespace detail {

QByteArray jsonDocumentText(const QJsonValue &value) {
  const QJsonDocument document =
      value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
  return document.toJson(QJsonDocument::Compact);
}

std::expected<QJsonValue, JsonError> parseJsonDocument(const QByteArray &text) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    return std::unexpected(JsonError(QStringLiteral("not JSON (%1 at offset %2)")
                                         .arg(parseError.errorString())
                                         .arg(parseError.offset)));
  }
  if (document.isArray()) return QJsonValue(document.array());
  return QJsonValue(document.object());
}

}  // namespace detail

}  // namespace tarnik
