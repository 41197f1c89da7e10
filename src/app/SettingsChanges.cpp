#include "app/SettingsChanges.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

bool sameId(const QString &id, const QString &other) {
  return id.compare(other, Qt::CaseInsensitive) == 0;
}

QString recordId(const QJsonValue &record) { return record.toObject().value(u"id"_s).toString(); }

// The records of a list as the file holds it, or none when the program cannot read it.
std::optional<QJsonArray> readRecords(const QVariant &value, const SettingsRecordList &list) {
  const QByteArray text = value.toByteArray();
  if (list.readable && !list.readable(text)) return std::nullopt;
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError || !document.isArray()) return std::nullopt;
  QJsonArray records = document.array();
  const bool named = std::ranges::all_of(records, [](const QJsonValue &record) {
    return record.isObject() && record.toObject().value(u"id"_s).isString();
  });
  return named ? std::optional(std::move(records)) : std::nullopt;
}

}  // namespace

void SettingsChange::add(const SettingsChange &later) {
  if (later.replacesValue) {
    *this = later;
    return;
  }
  list = later.list;
  for (const SettingsRecord &record : later.records) {
    const auto same = std::ranges::find_if(
        records, [&](const SettingsRecord &held) { return sameId(held.id, record.id); });
    if (same != records.end()) {
      same->value = record.value;
    } else {
      records.append(record);
    }
  }
}

void layOver(SettingsValues &values, const QString &key, const SettingsChange &change) {
  if (change.replacesValue) {
    if (change.value) {
      values.insert(key, *change.value);
    } else {
      values.remove(key);
    }
  }
  if (change.records.isEmpty()) return;
  QJsonArray records;
  if (const auto held = values.constFind(key); held != values.cend()) {
    if (std::optional<QJsonArray> read = readRecords(*held, change.list)) {
      records = std::move(*read);
    } else {
      values.insert(change.list.asideKey, *held);
    }
  }
  for (const SettingsRecord &record : change.records) {
    const auto same = std::ranges::find_if(
        records, [&](const QJsonValue &held) { return sameId(recordId(held), record.id); });
    if (same == records.end()) {
      if (record.value) records.append(*record.value);
    } else if (record.value) {
      *same = *record.value;
    } else {
      records.erase(same);
    }
  }
  values.insert(key, QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Compact)));
}

void layOver(SettingsValues &values, const SettingsChanges &changes) {
  for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
    layOver(values, change.key(), change.value());
  }
}

}  // namespace tarnik
