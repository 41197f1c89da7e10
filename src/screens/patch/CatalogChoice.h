#pragma once

#include "model/PatchFixtureChoice.h"
#include "model/catalog/FixtureCatalogRecords.h"

#include <QString>

#include <optional>

namespace tarnik {

// The patch request's fixture, copied from the picked mode exactly as the catalog stores it
// (underscores and all): the console is sent these texts, so nothing shown is fed back.
PatchFixtureChoice choiceFromMode(const FixtureCatalogMode &mode);

// The DMX addresses a mode takes: its total footprint, else its profile's; none when both
// are unknown.
std::optional<int> modeFootprint(const FixtureCatalogMode &mode);

// A catalog name as the screens show it: the catalog's "_" separators read as blanks. The
// stored text stays what searches, identities and choices use.
QString shownCatalogName(const QString &storedName);

}  // namespace tarnik
