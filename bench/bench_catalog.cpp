// The fixture catalog's cost. Decoding the shipped resource (container check, inflate,
// SHA-256, every field, every search text and index) is compared with a plain zlib inflate
// of the same compressed bytes, the least any decoder must do; the SHA-256 of the payload
// is timed on its own too, as the integrity check is a fixed part of every decode. A synthetic
// catalog at the mode limit (500,000 modes) from the catalog writer shows the decode and the ranked
// search at full size; the search time is printed beside the ratio.

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "RatioReporting.h"
#include "SyntheticFixtureCatalog.h"
#include "model/catalog/CatalogContainer.h"
#include "model/catalog/FixtureCatalogDatabase.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

using namespace tarnik;

const QByteArray &shippedCatalog() {
  static const QByteArray bytes = [] {
    QFile file(QStringLiteral(TARNIK_SHIPPED_FIXTURE_CATALOG));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();
  return bytes;
}

// The synthetic catalog's payload, written once.
const QByteArray &largeCatalog() {
  static const QByteArray payload = writeFixturePayload(syntheticFixtureCatalog());
  return payload;
}

void decodeShippedCatalog(benchmark::State &state) {
  for (auto _ : state) {
    auto database = FixtureCatalogDatabase::load(shippedCatalog());
    if (!database) state.SkipWithError("the shipped catalog does not decode");
    benchmark::DoNotOptimize(database);
  }
}

// The floor: the same container's DEFLATE stream inflated into its declared size.
void inflateShippedCatalog(benchmark::State &state) {
  const QByteArray &resource = shippedCatalog();
  const quint64 size = qFromLittleEndian<quint64>(resource.constData() + 12);
  std::vector<unsigned char> output(size);
  for (auto _ : state) {
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(resource.constData() + 52));
    stream.avail_in = uInt(resource.size() - 52);
    stream.next_out = output.data();
    stream.avail_out = uInt(output.size());
    if (inflate(&stream, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
    inflateEnd(&stream);
    benchmark::DoNotOptimize(output.data());
  }
}

// What the integrity check alone costs: SHA-256 of the inflated payload.
void digestShippedPayload(benchmark::State &state) {
  const QByteArray payload = *FixtureCatalogDatabase::unwrap(shippedCatalog());
  for (auto _ : state) {
    auto digest = sha256Digest(payload);
    benchmark::DoNotOptimize(digest);
  }
}

void decodeLargeCatalog(benchmark::State &state) {
  for (auto _ : state) {
    auto database = FixtureCatalogDatabase::parse(largeCatalog());
    if (!database) state.SkipWithError("the large catalog does not decode");
    benchmark::DoNotOptimize(database);
  }
  state.SetLabel("500000 modes");
}

void searchLargeCatalog(benchmark::State &state) {
  static const FixtureCatalogDatabase database = *FixtureCatalogDatabase::parse(largeCatalog());
  for (auto _ : state) {
    auto modes = database.searchModes(u"wash 16ch", 100);
    benchmark::DoNotOptimize(modes);
  }
}

BENCHMARK(decodeShippedCatalog)->Unit(benchmark::kMillisecond);
BENCHMARK(inflateShippedCatalog)->Unit(benchmark::kMillisecond);
BENCHMARK(digestShippedPayload)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeLargeCatalog)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(searchLargeCatalog)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  tarnik::initializeRepeatedBenchmarks(argc, argv, 5, tarnik::BenchInterleaving::off);
  if (shippedCatalog().isEmpty()) {
    std::fprintf(stderr, "cannot read %s\n", TARNIK_SHIPPED_FIXTURE_CATALOG);
    return 1;
  }
  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Times are in milliseconds, as the benchmarks report them.
  if (const double search = reporter.time("searchLargeCatalog"); search > 0) {
    std::printf("TIME catalog_search_500k_modes_ms %.3f\n", search);
  }
  reporter.printRatio("catalog_decode_vs_inflate", "decodeShippedCatalog", "inflateShippedCatalog");
  benchmark::Shutdown();
  return 0;
}
