#pragma once

// Small honest catalogs for the catalog tests; each test breaks a copy where it needs to.

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "support/TestFixtureCatalogs.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QUuid>

namespace tarnik::catalogtest {

// Two manufacturers ("Acme" with models "Spot 300" and "Wash 1", "Beta Lights" with
// "Bar"), modes 0 and 1 on Spot 300, mode 2 on Wash 1, mode 3 on Bar.
FixtureCatalogDescription smallFixtureCatalog();

// Parameters 1 "Intens" (category 1 "Intensity") and 2 "Pan" (no category); profile 0
// "Acme"/"Spot_300" with Intens at slot 1 and Pan at 2 and 3, footprint 16; alias
// "Acme"/"Spot 300" for it. Tests append profiles and aliases.
ParameterCatalogDescription smallParameterCatalog();

QByteArray fixtureContainer(const QByteArray &payload);
QByteArray parameterContainer(const QByteArray &payload);

// Writes `bytes` as the file `fileName` in `folder`.
void writeResource(const QTemporaryDir &folder, const QString &fileName, const QByteArray &bytes);

}  // namespace tarnik::catalogtest
