// The fixture catalog's cost. Decoding the shipped resource (container check, inflate,
// SHA-256, every field, every search text and index) is compared with a plain zlib inflate
// of the same compressed bytes, the least any decoder must do; the SHA-256 of the payload
// is timed on its own too, as the integrity check is a fixed part of every decode. A synthetic
// catalog at the mode limit (500,000 modes) from the catalog writer shows the decode and the ranked
// search at full size; the search time is printed beside the ratio.

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "RatioReporting.h"
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

// 2,000 makers of 50 models with 5 modes each, named the way fixture libraries name them.
const QByteArray &largeCatalog() {
  static const QByteArray payload = [] {
    FixtureCatalogDescription catalog;
    catalog.libraryVersion = "3.2.1.75";
    catalog.libraryDate = "2024-05-01";
    catalog.sourceFile = "synthetic.xml";
    catalog.sourceSHA256 = QByteArray(64, 'a');
    catalog.sourceBytes = 1;
    const char *kinds[] = {"Spot", "Wash", "Beam", "Profile", "Fresnel", "Strip", "Par"};
    const char *modes[] = {"Basic", "Standard", "Extended", "Pixel", "Studio"};
    catalog.manufacturers.reserve(2'000);
    catalog.models.reserve(100'000);
    catalog.modes.reserve(500'000);
    for (int maker = 0; maker < 2'000; ++maker) {
      catalog.manufacturers.append(QStringLiteral("Maker_%1").arg(maker));
      for (int model = 0; model < 50; ++model) {
        const QString name = QStringLiteral("%1 %2")
                                 .arg(QString::fromLatin1(kinds[model % 7]))
                                 .arg(100 + model * 13 + maker);
        catalog.models.append({quint32(maker), name});
        for (int mode = 0; mode < 5; ++mode) {
          const quint16 footprint = quint16(8 + 4 * ((model + mode) % 15));
          const QString text = QString::fromLatin1(modes[mode]);
          catalog.modes.append({QUuid::createUuidV5(QUuid(), QString::number(catalog.modes.size())),
                                quint32(catalog.models.size() - 1), text,
                                QString(name + u' ' + text).replace(u' ', u'_'), footprint,
                                footprint, 0});
        }
      }
    }
    return writeFixturePayload(catalog);
  }();
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
