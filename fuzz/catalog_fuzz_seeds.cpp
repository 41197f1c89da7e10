// Writes the shipped catalogs as fuzzing seeds: the two resources as the program carries
// them, for the container target, and their inflated payloads, for the payload targets.
//
//   catalog_fuzz_seeds FOLDER
//       FOLDER/container/, FOLDER/fixture-payload/, FOLDER/parameter-payload/

#include "model/catalog/FixtureCatalogDatabase.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace tarnik;

namespace {

QByteArray readResource(const char *path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QDir &folder, const QString &subfolder, const QString &name,
           const QByteArray &bytes) {
  if (bytes.isEmpty() || !folder.mkpath(subfolder)) return false;
  QFile file(folder.filePath(subfolder + u'/' + name));
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: catalog_fuzz_seeds FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const QByteArray fixtures = readResource(":/catalogs/FixtureCatalog.tfcat");
  const QByteArray parameters = readResource(":/catalogs/FixtureParameterCatalog.tfpc");
  const bool written =
      write(folder, "container", "shipped.tfcat", fixtures) &&
      write(folder, "container", "shipped.tfpc", parameters) &&
      write(folder, "fixture-payload", "shipped.tfcat",
            FixtureCatalogDatabase::unwrap(fixtures).value_or(QByteArray())) &&
      write(folder, "parameter-payload", "shipped.tfpsl",
            FixtureParameterCatalogDatabase::unwrap(parameters).value_or(QByteArray()));
  if (!written) std::fprintf(stderr, "catalog_fuzz_seeds: cannot write the seeds\n");
  return written ? 0 : 1;
}
