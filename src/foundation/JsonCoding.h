#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <concepts>
#include <expected>
#include <optional>
#include <ranges>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tarnik {

// Why a stored value could not be read: where it sits (a key path such as
// "channels[2].parts[0].level") and what was wrong with it.
class JsonError {
 public:
  explicit JsonError(QString problem) : problem_(std::move(problem)) {}

  static JsonError missing() { return JsonError(QStringLiteral("no value")); }
  static JsonError expected(QStringView what) {
    return JsonError(QStringLiteral("expected ") + what.toString());
  }

  // The same problem seen from the enclosing object or array.
  JsonError inKey(QLatin1StringView key) &&;
  JsonError atIndex(qsizetype index) &&;

  const QString &path() const { return path_; }
  QString description() const;

  friend bool operator==(const JsonError &, const JsonError &) = default;

 private:
  JsonError &prefixPath(const QString &segment);

  QString path_;
  QString problem_;
};

// How one kind of value is written to and read from JSON. Defined below for texts,
// Booleans, 64-bit and 16-bit unsigned integers, dates (double seconds since 2001), UUIDs,
// enumerations stored as their raw text, records and lists.
template <class T>
struct JsonValueCoding {};

template <class T>
concept JsonCodable = requires(const T &value, const QJsonValue &json) {
  { JsonValueCoding<T>::encode(value) } -> std::convertible_to<QJsonValue>;
  { JsonValueCoding<T>::decode(json) } -> std::same_as<std::expected<T, JsonError>>;
};

// A record stored as one JSON object whose keys are its field names.
template <class T>
concept JsonRecord = requires(const T &value, const QJsonObject &object) {
  { value.toJson() } -> std::same_as<QJsonObject>;
  { T::fromJson(object) } -> std::same_as<std::expected<T, JsonError>>;
};

// An enumeration with a text raw value: rawValue(e) and allCases(e) are found by
// argument-dependent lookup next to the enumeration.
template <class E>
concept RawTextEnum = std::is_enum_v<E> && requires(E value) {
  { rawValue(value) } -> std::convertible_to<QString>;
  { allCases(value) } -> std::ranges::input_range;
};

template <RawTextEnum E>
std::optional<E> fromRawValue(QStringView text) {
  for (const E candidate : allCases(E{})) {
    if (rawValue(candidate) == text) return candidate;
  }
  return std::nullopt;
}

template <>
struct JsonValueCoding<QString> {
  static QJsonValue encode(const QString &value) { return value; }
  static std::expected<QString, JsonError> decode(const QJsonValue &json);
};

template <>
struct JsonValueCoding<bool> {
  static QJsonValue encode(bool value) { return value; }
  static std::expected<bool, JsonError> decode(const QJsonValue &json);
};

template <>
struct JsonValueCoding<qint64> {
  static QJsonValue encode(qint64 value) { return value; }
  static std::expected<qint64, JsonError> decode(const QJsonValue &json);
};

template <>
struct JsonValueCoding<quint16> {
  static QJsonValue encode(quint16 value) { return static_cast<qint64>(value); }
  static std::expected<quint16, JsonError> decode(const QJsonValue &json);
};

// A date: fractional seconds since 2001-01-01 00:00:00 UTC as a JSON number.
template <>
struct JsonValueCoding<double> {
  static QJsonValue encode(double value) { return value; }
  static std::expected<double, JsonError> decode(const QJsonValue &json);
};

template <>
struct JsonValueCoding<QUuid> {
  static QJsonValue encode(const QUuid &value);
  static std::expected<QUuid, JsonError> decode(const QJsonValue &json);
};

template <RawTextEnum E>
struct JsonValueCoding<E> {
  static QJsonValue encode(E value) { return QJsonValue(QString(rawValue(value))); }
  static std::expected<E, JsonError> decode(const QJsonValue &json) {
    if (!json.isString()) return std::unexpected(JsonError::expected(u"text"));
    const QString text = json.toString();
    if (const std::optional<E> value = fromRawValue<E>(text)) return *value;
    return std::unexpected(JsonError(QStringLiteral("unknown value \"") + text + u'"'));
  }
};

template <JsonRecord T>
struct JsonValueCoding<T> {
  static QJsonValue encode(const T &value) { return value.toJson(); }
  static std::expected<T, JsonError> decode(const QJsonValue &json) {
    if (!json.isObject()) return std::unexpected(JsonError::expected(u"an object"));
    return T::fromJson(json.toObject());
  }
};

template <JsonCodable T>
struct JsonValueCoding<QList<T>> {
  static QJsonValue encode(const QList<T> &values) {
    QJsonArray array;
    for (const T &value : values) array.append(JsonValueCoding<T>::encode(value));
    return array;
  }
  static std::expected<QList<T>, JsonError> decode(const QJsonValue &json) {
    if (!json.isArray()) return std::unexpected(JsonError::expected(u"an array"));
    const QJsonArray array = json.toArray();
    QList<T> values;
    values.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
      std::expected<T, JsonError> value = JsonValueCoding<T>::decode(array.at(index));
      if (!value) return std::unexpected(std::move(value.error()).atIndex(index));
      values.append(std::move(*value));
    }
    return values;
  }
};

// Reads the fields of one record in field order. The first failure is kept and every
// later read is skipped, so finish() reports the first problem in field order.
class JsonObjectReader {
 public:
  explicit JsonObjectReader(const QJsonObject &object) : object_(object) {}

  // Absent or null fails the record.
  template <JsonCodable T>
  T required(QLatin1StringView key) {
    if (error_) return T{};
    const QJsonValue json = object_.value(key);
    if (json.isUndefined() || json.isNull()) {
      error_ = JsonError::missing().inKey(key);
      return T{};
    }
    return decoded<T>(key, json).value_or(T{});
  }

  // Absent and null are the same; a present value of the wrong type still fails.
  template <JsonCodable T>
  std::optional<T> optional(QLatin1StringView key) {
    if (error_) return std::nullopt;
    const QJsonValue json = object_.value(key);
    if (json.isUndefined() || json.isNull()) return std::nullopt;
    return decoded<T>(key, json);
  }

  template <class T>
  std::expected<T, JsonError> finish(T record) const {
    if (error_) return std::unexpected(*error_);
    return record;
  }

 private:
  template <JsonCodable T>
  std::optional<T> decoded(QLatin1StringView key, const QJsonValue &json) {
    std::expected<T, JsonError> value = JsonValueCoding<T>::decode(json);
    if (value) return std::move(*value);
    error_ = std::move(value.error()).inKey(key);
    return std::nullopt;
  }

  const QJsonObject &object_;
  std::optional<JsonError> error_;
};

template <JsonCodable T>
void insertJson(QJsonObject &object, QLatin1StringView key, const T &value) {
  object.insert(key, JsonValueCoding<T>::encode(value));
}

// Optional fields are left out when absent.
template <JsonCodable T>
void insertJson(QJsonObject &object, QLatin1StringView key, const std::optional<T> &value) {
  if (value) insertJson(object, key, *value);
}

// One stored field of a record: its key, its member and whether a missing key takes the
// member's value in a default-made record. A std::optional member is always optional: left
// out when absent, and absent when missing or null.
template <class Record, class Member>
struct JsonField {
  QLatin1StringView key;
  Member Record::*member;
  bool hasDefault;
};

template <class Record, class Member>
constexpr JsonField<Record, Member> jsonField(QLatin1StringView key, Member Record::*member) {
  return {key, member, false};
}

template <class Record, class Member>
constexpr JsonField<Record, Member> jsonFieldWithDefault(QLatin1StringView key,
                                                         Member Record::*member) {
  return {key, member, true};
}

namespace detail {
template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class Record, class Member>
void readField(JsonObjectReader &reader, Record &record, const JsonField<Record, Member> &field) {
  Member &target = record.*field.member;
  if constexpr (IsOptional<Member>::value) {
    target = reader.optional<typename Member::value_type>(field.key);
  } else if (field.hasDefault) {
    if (std::optional<Member> value = reader.optional<Member>(field.key))
      target = std::move(*value);
  } else {
    target = reader.required<Member>(field.key);
  }
}
}  // namespace detail

// A record's JSON object from its field table (a tuple of JsonField in field order).
template <class Record, class... Fields>
QJsonObject encodeJsonFields(const Record &record, const std::tuple<Fields...> &fields) {
  QJsonObject object;
  std::apply(
      [&](const auto &...field) { (insertJson(object, field.key, record.*field.member), ...); },
      fields);
  return object;
}

// Reads the fields in table order; unknown keys are ignored and the first failure wins.
template <class Record, class... Fields>
std::expected<Record, JsonError> decodeJsonFields(const QJsonObject &object,
                                                  const std::tuple<Fields...> &fields) {
  JsonObjectReader reader(object);
  Record record{};
  std::apply([&](const auto &...field) { (detail::readField(reader, record, field), ...); },
             fields);
  return reader.finish(std::move(record));
}

namespace detail {
QByteArray jsonDocumentText(const QJsonValue &value);
std::expected<QJsonValue, JsonError> parseJsonDocument(const QByteArray &text);
}  // namespace detail

// The stored text of a record or a list of records (compact JSON).
template <JsonCodable T>
  requires JsonRecord<T> || JsonRecord<typename T::value_type>
QByteArray encodeJsonText(const T &value) {
  return detail::jsonDocumentText(JsonValueCoding<T>::encode(value));
}

template <JsonCodable T>
  requires JsonRecord<T> || JsonRecord<typename T::value_type>
std::expected<T, JsonError> decodeJsonText(const QByteArray &text) {
  const std::expected<QJsonValue, JsonError> json = detail::parseJsonDocument(text);
  if (!json) return std::unexpected(json.error());
  return JsonValueCoding<T>::decode(*json);
}

}  // namespace tarnik
