#include "CatalogTestCatalogs.h"
#include "ShippedCatalogs.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "model/catalog/ShippedFixtureLibrary.h"
#include "support/InstalledPrerequisites.h"
#include "support/QtTestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

// The application's own catalogs, found the way the application finds them.
class ShippedCatalogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ensureCoreApplication();
    fixtures_ = new FixtureCatalogStore;
    parameters_ = new FixtureParameterCatalogStore;
    fixtures_->loadIfNeeded(CatalogResourceLocator::standard());
    parameters_->loadIfNeeded(CatalogResourceLocator::standard());
    // Each test checks the outcome; a load still running by then shows as not ready.
    (void)QTest::qWaitFor(
        [] {
          return fixtures_->state().kind != FixtureCatalogStore::State::Kind::loading &&
                 parameters_->state().kind != FixtureParameterCatalogStore::State::Kind::loading;
        },
        30'000);
  }
  static void TearDownTestSuite() {
    delete fixtures_;
    delete parameters_;
  }

  static inline FixtureCatalogStore *fixtures_ = nullptr;
  static inline FixtureParameterCatalogStore *parameters_ = nullptr;
};

TEST_F(ShippedCatalogs, LoadAndPassTheirIntegrityChecks) {
  ASSERT_EQ(fixtures_->state().kind, FixtureCatalogStore::State::Kind::ready)
      << fixtures_->state().message.toStdString();
  ASSERT_EQ(parameters_->state().kind, FixtureParameterCatalogStore::State::Kind::ready)
      << parameters_->state().message.toStdString();
  EXPECT_EQ(fixtures_->metadata()->libraryVersion, shippedFixtureLibraryVersion);
  EXPECT_EQ(parameters_->metadata()->libraryVersion, shippedFixtureLibraryVersion);
  EXPECT_TRUE(fixtures_->compareLibraryVersion(QString::fromLatin1(shippedFixtureLibraryVersion)));
  EXPECT_GT(fixtures_->metadata()->modeCount, 3000);
  EXPECT_EQ(parameters_->metadata()->profileCount, fixtures_->metadata()->modeCount);
}

TEST_F(ShippedCatalogs, FindAWellKnownFixtureAndItsModes) {
  const auto database = fixtures_->database();
  ASSERT_TRUE(database);
  const QList<FixtureCatalogMode> found = database->searchModes(u"mac250 entour", 100);
  ASSERT_FALSE(found.isEmpty());
  EXPECT_EQ(found[0].manufacturer, "Martin");
  EXPECT_EQ(found[0].model, "MAC250 Entour");

  const auto martin =
      std::find_if(fixtures_->manufacturers().begin(), fixtures_->manufacturers().end(),
                   [](const FixtureCatalogManufacturer &m) { return m.name == u"Martin"; });
  ASSERT_NE(martin, fixtures_->manufacturers().end());
  const QList<FixtureCatalogModel> models =
      database->modelsOfManufacturer(martin->id, u"mac250 entour");
  ASSERT_EQ(models.size(), 1);
  const QList<FixtureCatalogMode> modes = database->modesOfModel(models[0].id, {}, 100);
  ASSERT_EQ(modes.size(), 2);
  EXPECT_EQ(modes[1].mode, "16 Ex (16 Bit Extended)");
  EXPECT_EQ(modes[1].name, "MAC250_Entour_16_Ex_(16_Bit_Extended)");
  EXPECT_EQ(modes[1].totalFootprint, 18);
}

TEST_F(ShippedCatalogs, MapParametersToTheSlotsOfTheDefinition) {
  const auto mode = fixtures_->database()->searchModes(u"mac250 entour 16 ex", 1).value(0);
  // The console reports the type name with blanks where the catalog has "_".
  const auto map =
      parameters_->database()->slotMap(QString::fromLatin1(shippedFixtureLibraryVersion), u"Martin",
                                       QString(mode.name).replace(u'_', u' '));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->modeID, mode.id);
  EXPECT_EQ(map->totalFootprint, 18);
  // Martin-MAC250-Entour.qxf, mode "16 Ex": Dimmer on channels 2 and 3 (coarse, fine),
  // Pan on 13 and 14, Tilt on 15 and 16.
  const QHash<QString, QList<int>> offsets = map->offsetsByParameterName();
  EXPECT_EQ(offsets.value("Intens"), (QList<int>{2, 3}));
  EXPECT_EQ(offsets.value("Pan"), (QList<int>{13, 14}));
  EXPECT_EQ(offsets.value("Tilt"), (QList<int>{15, 16}));
  EXPECT_EQ(map->absoluteSlots(u"Pan", 513, 530), (QList<qint64>{525, 526}));
}

// Whole slot maps of well-known modes, read off their definitions by hand: a spot with a
// rotating and a static gobo wheel, a wash with a CTO flag, an LED PAR whose white
// emitters are named by colour temperature, a moving light with iris and strobe on their
// own channels, and a scanner whose dimmer is defined in the shutter group. Every channel
// the console can drive is listed, in slot order.
TEST_F(ShippedCatalogs, MapWellKnownModesChannelByChannel) {
  using Expected = QList<std::pair<QString, QList<int>>>;
  const struct {
    const char *manufacturer;
    const char *fixtureType;
    Expected mappings;
  } modes[] = {
      {"Martin",
       "MAC 700 Profile 16-bit Extended Mode",
       {{"Strobe", {1}},
        {"Intens", {2, 3}},
        {"Cyan", {4, 5}},
        {"Magenta", {6, 7}},
        {"Yellow", {8, 9}},
        {"Color Select", {10, 11}},
        {"Gobo Select", {12}},
        {"Gobo Index/Speed", {13, 14}},
        {"Gobo Select", {15}},
        {"Prism", {19}},
        {"Iris", {20, 21}},
        {"Edge", {22, 23}},
        {"Zoom", {24, 25}},
        {"Pan", {26, 27}},
        {"Tilt", {28, 29}}}},
      {"Martin",
       "MAC Viper Wash DX Extended",
       {{"Strobe", {1}},
        {"Intens", {2, 3}},
        {"Cyan", {4}},
        {"Magenta", {5}},
        {"Yellow", {6}},
        {"CTO", {7}},
        {"Color Select", {8}},
        {"Iris", {9}},
        {"Zoom", {13}},
        {"Edge", {14}},
        {"Pan", {15, 16}},
        {"Tilt", {17, 18}}}},
      {"Flash-Butrym",
       "LED PAR 64 COB 250W 2xWhite Mk2 05",
       {{"Intens", {1, 2}},
        {"CTC", {3}},
        {"White", {4}},
        {"White", {5}},
        {"Strobe", {6}},
        {"Color Select", {7}}}},
      {"Chauvet",
       "Q-Spot 560 LED Advanced",
       {{"Pan", {1, 2}},
        {"Tilt", {3, 4}},
        {"Color Select", {6}},
        {"Gobo Select", {7}},
        {"Gobo Select", {8}},
        {"Gobo Index/Speed", {9}},
        {"Prism", {10}},
        {"Iris", {12}},
        {"Edge", {13, 14}},
        {"Intens", {15}},
        {"Strobe", {16}}}},
      {"Studio Due",
       "Shark 150C 8bit",
       {{"Color Select", {2}},
        {"Gobo Select", {3}},
        {"Strobe", {4}},
        {"Pan", {5}},
        {"Tilt", {6}},
        {"Intens", {7}},
        {"Edge", {8}},
        {"Gobo Select", {9}}}},
  };
  ASSERT_TRUE(parameters_->database());
  for (const auto &mode : modes) {
    const auto map = parameters_->database()->slotMap(
        QString::fromLatin1(shippedFixtureLibraryVersion), QString::fromUtf8(mode.manufacturer),
        QString::fromUtf8(mode.fixtureType));
    ASSERT_TRUE(map) << mode.fixtureType;
    Expected mapped;
    for (const FixtureParameterSlotMapping &mapping : map->mappings)
      mapped.append({mapping.parameter.name, mapping.relativeOffsets});
    EXPECT_EQ(mapped, mode.mappings) << mode.fixtureType;
  }
}

TEST_F(ShippedCatalogs, RebuildToTheSameBytes) {
  const FixtureDataSource source = FixtureDataSource::installed();
  TARNIK_REQUIRE_INSTALLED(QDir(source.fixturesFolder).exists() ? "" : "qlcplus-data");
  const auto rebuilt = buildShippedCatalogs(source);
  ASSERT_TRUE(rebuilt) << rebuilt.error().toStdString();
  EXPECT_EQ(rebuilt->libraryVersion, shippedFixtureLibraryVersion);
  const auto committed = [](const QString &name, const QString &extension) {
    QFile file(CatalogResourceLocator::standard().url(name, extension).value_or(QString()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  EXPECT_TRUE(rebuilt->fixtureCatalog ==
              committed(FixtureCatalogStore::resourceName, FixtureCatalogStore::resourceExtension));
  EXPECT_TRUE(rebuilt->parameterCatalog ==
              committed(FixtureParameterCatalogStore::resourceName,
                        FixtureParameterCatalogStore::resourceExtension));
}

// The catalogs are part of the program: a copy of this test program, started in a folder
// far from the build and source trees, still loads them.
TEST(ShippedCatalogsTravel, WithTheProgramToAnotherFolder) {
  testing::ensureCoreApplication();
  const auto url = CatalogResourceLocator::standard().url(FixtureCatalogStore::resourceName,
                                                          FixtureCatalogStore::resourceExtension);
  ASSERT_TRUE(url);
  EXPECT_TRUE(url->startsWith(u":/")) << "not the program's own copy: " << url->toStdString();
  const QTemporaryDir elsewhere;
  ASSERT_TRUE(elsewhere.isValid());
  const QString copy = elsewhere.filePath(QStringLiteral("moved-tests"));
  ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
  QProcess child;
  child.setWorkingDirectory(elsewhere.path());
  child.start(copy,
              {QStringLiteral("--gtest_filter=ShippedCatalogs.LoadAndPassTheirIntegrityChecks")});
  ASSERT_TRUE(child.waitForFinished(120'000));
  const QByteArray output = child.readAllStandardOutput();
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

}  // namespace
}  // namespace tarnik
