#include "app/SettingsChanges.h"

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

// Keeps a list that cannot be read under the first name of its aside key that is free, or
// that holds the same text already: one kept earlier is never written over.
QString keepAside(SettingsValues &values, const QString &asideKey, const QVariant &list) {
  QString name = asideKey;
  for (int next = 2; values.contains(name) && !sameSettingsValue(values.value(name), list);
       ++next) {
    name = asideKey + u'.' + QString::number(next);
  }
  values.insert(name, list);
  return name;
}

}  // namespace

bool sameSettingsValue(const QVariant &value, const QVariant &other) {
  return value == other && value.metaType() == other.metaType();
}

void SettingsChange::add(const SettingsChange &later) {
  if (later.replacesValue) {
    *this = later;
    return;
  }
  list = later.list;
  shown = later.shown;
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

std::optional<SettingsListSetAside> layOver(SettingsValues &values, const SettingsValues &fallbacks,
                                            const QString &key, const SettingsChange &change) {
  if (change.replacesValue) {
    if (change.value) {
      values.insert(key, *change.value);
    } else {
      values.remove(key);
    }
  }
  if (change.records.isEmpty()) return std::nullopt;
  std::optional<SettingsListSetAside> setAside;
  QJsonArray records;
  const std::optional<QVariant> list = values.contains(key) ? std::optional(values.value(key))
                                       : fallbacks.contains(key)
                                           ? std::optional(fallbacks.value(key))
                                           : std::nullopt;
  if (list) {
    if (std::optional<QJsonArray> read = readRecords(*list, change.list)) {
      records = std::move(*read);
    } else {
      setAside = SettingsListSetAside{key, keepAside(values, change.list.asideKey, *list)};
      records = change.shown;
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
  return setAside;
}

QList<SettingsListSetAside> layOver(SettingsValues &values, const SettingsValues &fallbacks,
                                    const SettingsChanges &changes) {
  QList<SettingsListSetAside> setAside;
  for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
    if (auto moved = layOver(values, fallbacks, change.key(), change.value())) {
      setAside.append(*std::move(moved));
    }
  }
  return setAside;
}

}  // namespace tarnik
