#pragma once

#include "app/SettingsFileText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <optional>

namespace tarnik {

// Whether two values are the same, of the same kind: a number is not its text.
bool sameSettingsValue(const QVariant &value, const QVariant &other);

// A list of records kept under one key, as the compact JSON text of an array of objects,
// each named by its "id" (a UUID text, either case). Two copies of the program that each
// save a record keep both, so such a list is changed record by record, never laid over whole.
struct SettingsRecordList {
  // Where a list this version cannot read goes before records are laid over it: it may be
  // all the person has, or a newer version's. A key that holds another such list already
  // keeps it, and the next goes under this key followed by ".2", ".3"…
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
  // The whole list as this copy shows it, with these records: it goes in place of a list
  // that cannot be read, so that nothing the person saw is lost with it.
  QJsonArray shown{};

  // This change, and then `later`.
  void add(const SettingsChange &later);
};

// What one copy of the program changed since its last write, by key.
using SettingsChanges = QMap<QString, SettingsChange>;

// A list that could not be read, moved from its key to another before records were laid
// where it was.
struct SettingsListSetAside {
  QString key;
  QString asideKey;
};

// Lays a copy's changes over the values as the file holds them. Records go into the list as
// the program shows it: the file's, or where the file has none, the fallbacks' (which are
// never written themselves). Says where a list that could not be read went.
std::optional<SettingsListSetAside> layOver(SettingsValues &values, const SettingsValues &fallbacks,
                                            const QString &key, const SettingsChange &change);
QList<SettingsListSetAside> layOver(SettingsValues &values, const SettingsValues &fallbacks,
                                    const SettingsChanges &changes);

}  // namespace tarnik
