#pragma once

#include "foundation/TextRules.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <set>
#include <tuple>
#include <type_traits>

// Field-by-field equality and hashing for the value records. Texts compare by canonical
// equivalence (a precomposed "é" equals "e" + U+0301) and hash by their composed form, so
// equal records always hash alike. Each record lists its fields once, in field order, and
// uses these helpers for both operations.
namespace tarnik::values {

template <class T>
bool equal(const T &lhs, const T &rhs) {
  return lhs == rhs;
}

inline bool equal(const QString &lhs, const QString &rhs) { return canonicallyEqual(lhs, rhs); }

template <class T>
bool equal(const std::optional<T> &lhs, const std::optional<T> &rhs) {
  if (lhs.has_value() != rhs.has_value()) return false;
  return !lhs || equal(*lhs, *rhs);
}

template <class T>
bool equal(const QList<T> &lhs, const QList<T> &rhs) {
  if (lhs.size() != rhs.size()) return false;
  for (qsizetype i = 0; i < lhs.size(); ++i) {
    if (!equal(lhs[i], rhs[i])) return false;
  }
  return true;
}

template <class T>
size_t hash(const T &value, size_t seed) {
  using ::qHash;  // Qt's own overloads for numbers and QUuid; records bring theirs by lookup
  if constexpr (std::is_enum_v<T>) {
    return qHash(static_cast<std::underlying_type_t<T>>(value), seed);
  } else {
    return qHash(value, seed);
  }
}

inline size_t hash(const QString &text, size_t seed) {
  return qHash(text.normalized(QString::NormalizationForm_C), seed);
}

template <class T>
size_t hash(const std::optional<T> &value, size_t seed) {
  seed = qHashMulti(seed, value.has_value());
  return value ? hash(*value, seed) : seed;
}

template <class T>
size_t hash(const QList<T> &values, size_t seed) {
  seed = qHashMulti(seed, values.size());
  for (const T &value : values) seed = hash(value, seed);
  return seed;
}

template <class T>
size_t hash(const std::set<T> &values, size_t seed) {
  seed = qHashMulti(seed, values.size());
  for (const T &value : values) seed = hash(value, seed);
  return seed;
}

// A field list entry is a member pointer or anything that carries one as `member` (such
// as a record's JSON field table).
template <class Field>
constexpr auto memberOf(const Field &field) {
  if constexpr (std::is_member_object_pointer_v<Field>) {
    return field;
  } else {
    return field.member;
  }
}

template <class Record, class... Fields>
bool fieldsEqual(const Record &lhs, const Record &rhs, const std::tuple<Fields...> &fields) {
  return std::apply(
      [&](const auto &...field) {
        return (equal(lhs.*memberOf(field), rhs.*memberOf(field)) && ...);
      },
      fields);
}

template <class Record, class... Fields>
size_t fieldsHash(const Record &record, size_t seed, const std::tuple<Fields...> &fields) {
  std::apply([&](const auto &...field) { ((seed = hash(record.*memberOf(field), seed)), ...); },
             fields);
  return seed;
}

}  // namespace tarnik::values
