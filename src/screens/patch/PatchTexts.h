#pragma once

#include <QString>

namespace tarnik {

// How the patch screens write a DMX address: three digits at least, "%03d" ("005", "512").
QString dmxAddressText(qint64 address);

// A catalog name (manufacturer, model, mode) as shown: every "_" as a blank. The stored
// name stays unchanged for searching and identity.
QString catalogDisplayName(const QString &name);

// The fixture library version the console reports, as a sentence shows it: as sent, cut with
// "…" after 64 characters, far more than any real version takes.
QString reportedVersionText(const QString &version);

}  // namespace tarnik
