// Feeds arbitrary bytes as a catalog resource file to both catalogs' loaders: the size
// checks, the container header, the bounded inflate and the digest, then the payloads.
#include "model/catalog/FixtureCatalogDatabase.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tarnik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArrayView resource(data, qsizetype(size));
  const auto fixtures = FixtureCatalogDatabase::load(resource);
  if (!fixtures && fixtures.error().description().isEmpty()) std::abort();
  const auto parameters = FixtureParameterCatalogDatabase::load(resource);
  if (!parameters && parameters.error().description().isEmpty()) std::abort();
  return 0;
}
