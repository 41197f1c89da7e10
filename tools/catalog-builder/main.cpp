// catalog-builder: writes Tarnik's fixture catalog files.
//
//   catalog-builder shipped [--fixtures DIR] [--changelog FILE] [--mapping FILE] --out DIR
//       builds resources/FixtureCatalog.tfcat and resources/FixtureParameterCatalog.tfpc
//   catalog-builder sample --count N [--fixtures DIR] [--changelog FILE] [--mapping FILE] --out DIR
//       writes both payloads of the first N definitions, bare and in their containers
//   catalog-builder write DESCRIPTION.json OUTPUT
//       writes one catalog file, honest or broken, from a JSON description

#include "CatalogDescriptionJson.h"
#include "ShippedCatalogs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

using namespace tarnik;

int fail(const QString &message) {
  QTextStream(stderr) << "catalog-builder: " << message << '\n';
  return 1;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int writeFiles(const QString &folder, const QList<std::pair<QString, QByteArray>> &files) {
  if (!QDir().mkpath(folder)) return fail(folder + QStringLiteral(": cannot create the folder"));
  for (const auto &[name, bytes] : files) {
    const QString path = QDir(folder).filePath(name);
    if (!writeFile(path, bytes)) return fail(path + QStringLiteral(": cannot write"));
    QTextStream(stdout) << path << ": " << bytes.size() << " bytes\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  QCoreApplication application(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Writes Tarnik's fixture catalog files."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("command"),
                               QStringLiteral("shipped, sample or write"));
  const FixtureDataSource installed = FixtureDataSource::installed();
  const QCommandLineOption fixtures(QStringLiteral("fixtures"),
                                    QStringLiteral("Fixture definition folder."),
                                    QStringLiteral("dir"), installed.fixturesFolder);
  const QCommandLineOption changelog(QStringLiteral("changelog"),
                                     QStringLiteral("The data package's changelog.Debian.gz."),
                                     QStringLiteral("file"), installed.changelogPath);
  const QCommandLineOption mapping(QStringLiteral("mapping"),
                                   QStringLiteral("Parameter mapping table."),
                                   QStringLiteral("file"), installed.mappingPath);
  const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Output folder."),
                               QStringLiteral("dir"));
  const QCommandLineOption count(QStringLiteral("count"),
                                 QStringLiteral("Definitions in a sample."), QStringLiteral("n"),
                                 QStringLiteral("3"));
  parser.addOptions({fixtures, changelog, mapping, out, count});
  parser.process(application);

  const QStringList arguments = parser.positionalArguments();
  const QString command = arguments.value(0);
  if (command == QStringLiteral("write")) {
    if (arguments.size() != 3)
      return fail(QStringLiteral("write needs DESCRIPTION.json and OUTPUT"));
    QFile description(arguments[1]);
    if (!description.open(QIODevice::ReadOnly))
      return fail(arguments[1] + QStringLiteral(": ") + description.errorString());
    const auto bytes = writeCatalogFromJson(description.readAll());
    if (!bytes) return fail(arguments[1] + QStringLiteral(": ") + bytes.error());
    if (!writeFile(arguments[2], *bytes))
      return fail(arguments[2] + QStringLiteral(": cannot write"));
    return 0;
  }
  if (command != QStringLiteral("shipped") && command != QStringLiteral("sample"))
    parser.showHelp(1);
  if (!parser.isSet(out)) return fail(QStringLiteral("--out is required"));

  const FixtureDataSource source{parser.value(fixtures), parser.value(changelog),
                                 parser.value(mapping)};
  std::optional<int> limit;
  if (command == QStringLiteral("sample")) limit = parser.value(count).toInt();
  const auto catalogs = buildShippedCatalogs(source, limit);
  if (!catalogs) return fail(catalogs.error());
  QTextStream(stdout) << "library version " << catalogs->libraryVersion << '\n';
  if (command == QStringLiteral("shipped")) {
    QTextStream report(stdout);
    const ParameterMappingCounts &counts = catalogs->mappingCounts;
    for (auto rule = counts.slotsByRule.cbegin(); rule != counts.slotsByRule.cend(); ++rule)
      report << "slots " << rule.value() << '\t' << rule.key() << '\n';
    report << "unmapped slots " << counts.unmappedSlots << '\n';
    report << "unpaired fine slots " << counts.unpairedFineSlots << '\n';
    report.flush();
    return writeFiles(
        parser.value(out),
        {{QStringLiteral("FixtureCatalog.tfcat"), catalogs->fixtureCatalog},
         {QStringLiteral("FixtureParameterCatalog.tfpc"), catalogs->parameterCatalog}});
  }
  return writeFiles(parser.value(out),
                    {{QStringLiteral("fixture-payload.tfcat"), catalogs->fixturePayload},
                     {QStringLiteral("fixture-container.tfcat"), catalogs->fixtureCatalog},
                     {QStringLiteral("parameter-payload.tfpsl"), catalogs->parameterPayload},
                     {QStringLiteral("parameter-container.tfpc"), catalogs->parameterCatalog}});
}
