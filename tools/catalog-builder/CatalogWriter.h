#pragma once

#include "CatalogDescriptions.h"

#include <QByteArray>

namespace tarnik {

inline constexpr char fixtureContainerMagic[] = "TFCATZ01";
inline constexpr char parameterContainerMagic[] = "TFPSZ001";

QByteArray writeFixturePayload(const FixtureCatalogDescription &description);
QByteArray writeParameterPayload(const ParameterCatalogDescription &description);
QByteArray writeContainer(const ContainerDescription &description);

// A raw DEFLATE stream (no zlib header or trailer) at the best compression; the same input
// always gives the same bytes with the same zlib.
QByteArray rawDeflate(const QByteArray &data);

}  // namespace tarnik
