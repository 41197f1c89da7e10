#pragma once

#include "foundation/JsonCoding.h"
#include "model/Channel.h"
#include "model/Cue.h"

#include <QList>
#include <QString>

namespace tarnik {

// A stored snapshot of one synchronised show; a newer snapshot with the same storageKey
// replaces the older one.
struct SavedShowFile {
  QString storageKey{};
  QString name{};
  QString consoleName{};
  QString consoleIP{};
  double savedAt = 0;  // seconds since 2001
  QList<Cue> cues{};
  QList<Channel> channels{};
  QString activeCueNumber{};
  QString activeCueLabel{};

  const QString &id() const { return storageKey; }

  QJsonObject toJson() const;
  static std::expected<SavedShowFile, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const SavedShowFile &, const SavedShowFile &);
};

size_t qHash(const SavedShowFile &show, size_t seed = 0);

// The stored text of a list of shows. JSON has no form for a date that is not a finite
// number: it would be written as null, and the whole list would fail to read back. Such a
// list is refused with the path of the first such date, and nothing is written.
std::expected<QByteArray, JsonError> encodeSavedShows(const QList<SavedShowFile> &shows);

}  // namespace tarnik
