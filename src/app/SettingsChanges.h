#pragma once

#include "app/SettingsFileText.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <optional>

namespace tarnik {

// A list of records kept under one key, as the compact JSON text of an array of objects,
// each named by its "id" (a UUID text, either case). Two copies of the program that each
// save a record keep both, so such a list is changed record by record, never laid over whole.
struct SettingsRecordList {
  // Where a list this version cannot read goes before records are laid over it: it may be
  // all the person has, or a newer version's.
  QString asideKey;
  // Whether the program reads the list's text; none: any array of objects that have ids.
  bool (*readable)(const QByteArray &text) = nullptr;
};

// A record put in its list in place of the one with its id, or at the end; none: taken out.
struct SettingsRecord {
  QString id;
  std::optional<QJsonObject> value{};
};

// What one copy of the program changed of one key since its last write: the value put in
// place of the file's (none: the key removed), or the file's value kept, then the records
// changed in it.
struct SettingsChange {
  bool replacesValue = true;
  std::optional<QVariant> value{};
  SettingsRecordList list{};
  QList<SettingsRecord> records{};  // one for each id, the last made

  // This change, and then `later`.
  void add(const SettingsChange &later);
};

// What one copy of the program changed since its last write, by key.
using SettingsChanges = QMap<QString, SettingsChange>;

// Lays a copy's changes over the values as the file holds them.
void layOver(SettingsValues &values, const QString &key, const SettingsChange &change);
void layOver(SettingsValues &values, const SettingsChanges &changes);

}  // namespace tarnik
