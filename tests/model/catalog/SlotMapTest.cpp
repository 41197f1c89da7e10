#include "CatalogTestCatalogs.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

using catalogtest::numberedId;
using catalogtest::smallParameterCatalog;
using Description = ParameterCatalogDescription;

const std::optional<QString> version = QStringLiteral("3.2.1.75");

FixtureParameterCatalogDatabase parse(const Description &catalog) {
  auto database = FixtureParameterCatalogDatabase::parse(writeParameterPayload(catalog));
  EXPECT_TRUE(database) << database.error().description().toStdString();
  return std::move(*database);
}

Description::Profile profile(quint64 id, QString name, quint16 footprint,
                             QList<Description::Channel> channels,
                             QList<Description::Part> parts = {}) {
  return {numberedId(id), "Acme", name, footprint, std::move(channels), std::move(parts), {}, {}};
}

// Appends a profile with an alias "Acme"/<name> and returns its index.
quint32 addProfile(Description &catalog, Description::Profile added) {
  const quint32 index = quint32(catalog.profiles.size());
  catalog.aliases.append({"Acme", added.name.bytes, index});
  catalog.profiles.append(std::move(added));
  return index;
}

std::optional<FixtureParameterSlotMap> slotMapOf(const Description &catalog, const QString &type) {
  return parse(catalog).slotMap(version, u"Acme", type);
}

QHash<QString, QList<int>> offsetsOf(const std::optional<FixtureParameterSlotMap> &map) {
  return map ? map->offsetsByParameterName() : QHash<QString, QList<int>>{{"(no slot map)", {}}};
}

TEST(ParameterSlotMaps, AnswersOnlyForTheCatalogsLibraryVersion) {
  const FixtureParameterCatalogDatabase database = parse(smallParameterCatalog());
  EXPECT_TRUE(database.slotMap(QStringLiteral(" 3.2.1.75\n"), u"Acme", u"Spot 300"));
  EXPECT_FALSE(database.slotMap(QStringLiteral("3.2.1.76"), u"Acme", u"Spot 300"));
  EXPECT_FALSE(database.slotMap(std::nullopt, u"Acme", u"Spot 300"));
}

TEST(ParameterSlotMaps, FindsTheProfileByItsFoldedNames) {
  const FixtureParameterCatalogDatabase database = parse(smallParameterCatalog());
  const auto map = database.slotMap(version, u"ACME", u"SPOT  300");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->modeID, "00000000-0000-0000-0000-000000000001");
  EXPECT_EQ(map->nativeManufacturerToken, "Acme");
  EXPECT_EQ(map->nativeTypeName, "Spot_300");
  EXPECT_EQ(map->totalFootprint, 16);
  ASSERT_EQ(map->mappings.size(), 2);
  EXPECT_EQ(map->mappings[0].parameter,
            (FixtureParameterDefinition{1, "Intens", 1, QStringLiteral("Intensity")}));
  EXPECT_EQ(map->mappings[1].parameter,
            (FixtureParameterDefinition{2, "Pan", std::nullopt, std::nullopt}));
  EXPECT_EQ(map->mappings[1].relativeOffsets, (QList<int>{2, 3}));
  EXPECT_FALSE(database.slotMap(version, u"Acme", u"Spot 3000"));
  EXPECT_FALSE(database.slotMap(version, u"", u"Spot 300"));

  Description underscored = smallParameterCatalog();
  underscored.aliases[0].manufacturer = "acme  Lights";
  EXPECT_TRUE(parse(underscored).slotMap(version, u"Acme_Lights", u"spot_300"));
}

TEST(ParameterSlotMaps, FlattensPartsAtTheirOffsets) {
  Description catalog = smallParameterCatalog();
  catalog.parameters.append({3, "Red", 3, "Color"});
  const quint32 cell = addProfile(catalog, profile(2, "Cell", 2, {{{1}, {3}}, {{2}, {1}}}));
  // Own channel first, then the parts in order; a channel with a slot of 0 or 0x8000 and
  // above stands for no slot and is left out.
  addProfile(catalog, profile(3, "Bar", 12, {{{12}, {1}}, {{0}, {2}}, {{0x8000}, {2}}},
                              {{cell, 5}, {cell, 9}}));
  const auto map = slotMapOf(catalog, "Bar");
  ASSERT_TRUE(map);
  QList<QPair<QString, QList<int>>> mappings;
  for (const FixtureParameterSlotMapping &mapping : map->mappings)
    mappings.append({mapping.parameter.name, mapping.relativeOffsets});
  const QList<QPair<QString, QList<int>>> expected = {
      {"Intens", {12}}, {"Red", {5}}, {"Intens", {6}}, {"Red", {9}}, {"Intens", {10}}};
  EXPECT_EQ(mappings, expected);
  EXPECT_EQ(map->offsetsByParameterName().value("Intens"), (QList<int>{12, 6, 10}));

  // A profile without channels or parts still answers, with nothing in it.
  addProfile(catalog, profile(4, "Blank", 0, {}));
  const auto blank = slotMapOf(catalog, "Blank");
  ASSERT_TRUE(blank);
  EXPECT_TRUE(blank->mappings.isEmpty());
}

TEST(ParameterSlotMaps, RefusesProfilesThatCannotBeFlattened) {
  Description catalog = smallParameterCatalog();
  const quint32 cell = addProfile(catalog, profile(2, "Cell", 2, {{{1}, {1}}, {{2}, {2}}}));
  addProfile(catalog, profile(3, "Itself", 4, {}, {{3, 1}}));
  addProfile(catalog, profile(4, "Ping", 4, {}, {{5, 1}}));
  addProfile(catalog, profile(5, "Pong", 4, {}, {{4, 1}}));
  addProfile(catalog, profile(6, "No footprint", 0, {}, {{cell, 1}}));
  addProfile(catalog, profile(7, "Too small", 5, {}, {{cell, 5}}));
  addProfile(catalog, profile(8, "Fits", 6, {}, {{cell, 5}}));
  addProfile(catalog, profile(9, "Own slot past footprint", 2, {{{3}, {1}}}));
  const FixtureParameterCatalogDatabase database = parse(catalog);
  for (const char *type :
       {"Itself", "Ping", "No footprint", "Too small", "Own slot past footprint"}) {
    EXPECT_FALSE(database.slotMap(version, u"Acme", QString::fromUtf8(type))) << type;
  }
  EXPECT_TRUE(database.slotMap(version, u"Acme", u"Fits"));
}

// A chain of `levels` nested parts below the root, each part holding one slot.
Description chain(int levels) {
  Description catalog = smallParameterCatalog();
  const quint32 first = quint32(catalog.profiles.size());
  for (int level = 0; level <= levels; ++level) {
    QList<Description::Part> parts;
    if (level < levels) parts = {{first + quint32(level) + 1, 1}};
    addProfile(catalog, profile(100 + level, QStringLiteral("Level %1").arg(level), 1,
                                level == levels ? QList<Description::Channel>{{{1}, {1}}}
                                                : QList<Description::Channel>{},
                                parts));
  }
  return catalog;
}

TEST(ParameterSlotMaps, AllowsThirtyTwoLevelsOfNesting) {
  EXPECT_EQ(offsetsOf(slotMapOf(chain(32), "Level 0")).value("Intens"), QList<int>{1});
  EXPECT_FALSE(slotMapOf(chain(33), "Level 0"));
}

// Every level holds the next one twice, so the root reaches the leaf 2^levels times.
Description doubling(int levels, QList<Description::Channel> leafChannels) {
  Description catalog = smallParameterCatalog();
  const quint32 first = quint32(catalog.profiles.size());
  for (int level = 0; level <= levels; ++level) {
    const quint32 next = first + quint32(level) + 1;
    QList<Description::Part> parts;
    if (level < levels) parts = {{next, 1}, {next, 1}};
    addProfile(catalog,
               profile(200 + level, QStringLiteral("Level %1").arg(level), 1,
                       level == levels ? leafChannels : QList<Description::Channel>{}, parts));
  }
  return catalog;
}

TEST(ParameterSlotMaps, SharedChildrenResolveOncePerPathWithinBudget) {
  const auto map = slotMapOf(doubling(6, {{{1}, {1}}}), "Level 0");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->mappings.size(), 64);
  EXPECT_EQ(map->offsetsByParameterName().value("Intens"), QList<int>{1});
}

TEST(ParameterSlotMaps, ResolvesALargeTwoLevelWall) {
  // 14 tiles of 1,500 RGB cells: 63,000 slots, 21,015 profile visits, every cell mapped.
  Description catalog = smallParameterCatalog();
  catalog.parameters.append({3, "Red", 3, "Color"});
  catalog.parameters.append({4, "Green", 3, "Color"});
  catalog.parameters.append({5, "Blue", 3, "Color"});
  const quint32 cell =
      addProfile(catalog, profile(2, "Cell", 3, {{{1}, {3}}, {{2}, {4}}, {{3}, {5}}}));
  QList<Description::Part> cells;
  for (int i = 0; i < 1'500; ++i) cells.append({cell, quint16(1 + 3 * i)});
  const quint32 tile = addProfile(catalog, profile(3, "Tile", 4'500, {}, cells));
  QList<Description::Part> tiles;
  for (int i = 0; i < 14; ++i) tiles.append({tile, quint16(1 + 4'500 * i)});
  addProfile(catalog, profile(4, "Wall", 63'000, {}, tiles));

  const auto map = slotMapOf(catalog, "Wall");
  ASSERT_TRUE(map);
  ASSERT_EQ(map->mappings.size(), 63'000);
  EXPECT_EQ(map->mappings.first().relativeOffsets, QList<int>{1});
  EXPECT_EQ(map->mappings.last().parameter.name, "Blue");
  EXPECT_EQ(map->mappings.last().relativeOffsets, QList<int>{63'000});
}

TEST(ParameterSlotMaps, ResolvesAFullFootprintOfOwnChannels) {
  // 65,535 channels of 17 parameters each, more mappings than parts may add: all resolve
  // but those at stored slots of 32,768 and above, which stand for no slot.
  Description catalog = smallParameterCatalog();
  QList<quint32> parameters;
  for (quint32 id = 1; id <= 17; ++id) {
    if (id > 2) catalog.parameters.append({id, QString::number(id), 1, "x"});
    parameters.append(id);
  }
  QList<Description::Channel> channels;
  channels.reserve(65'535);
  for (int slot = 1; slot <= 65'535; ++slot) channels.append({{quint16(slot)}, parameters});
  addProfile(catalog, profile(2, "Wide", 65'535, channels));
  const auto map = slotMapOf(catalog, "Wide");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->mappings.size(), 17 * 32'767);
  EXPECT_EQ(map->mappings.last().relativeOffsets, QList<int>{32'767});
}

TEST(ParameterSlotMaps, StopsAnExponentialExpansionInsteadOfHanging) {
  // 2^32 paths to the leaf: with or without mappings at the end, expanding them all would
  // take the program hours; the budget ends it with no slot map.
  EXPECT_FALSE(slotMapOf(doubling(32, {{{1}, {1}}}), "Level 0"));
  EXPECT_FALSE(slotMapOf(doubling(32, {}), "Level 0"));
}

TEST(ParameterSlotMaps, TurnsOffsetsIntoSlotsOfThePatchedRange) {
  FixtureParameterSlotMap map;
  map.mappings = {
      {{2, "Pan", {}, {}}, {1, 2}}, {{2, "Pan", {}, {}}, {2}}, {{4, "Tilt", {}, {}}, {3}}};
  EXPECT_EQ(map.absoluteSlots(u"Pan", 101, 120), (QList<qint64>{101, 102}));
  EXPECT_EQ(map.absoluteSlots(u"Pan", 513, 528), (QList<qint64>{513, 514}));
  EXPECT_FALSE(map.absoluteSlots(u"Pan", 101, 101));  // slot 102 lies outside
  EXPECT_FALSE(map.absoluteSlots(u"Pan", 0, 10));
  EXPECT_FALSE(map.absoluteSlots(u"Pan", 10, 9));
  EXPECT_FALSE(map.absoluteSlots(u"pan", 101, 120));  // names match exactly
  EXPECT_EQ(map.absoluteSlots(u"Tilt", 1, 3), QList<qint64>{3});

  // At the 64-bit edge the slot is found without adding past the limit.
  constexpr qint64 top = std::numeric_limits<qint64>::max();
  EXPECT_EQ(map.absoluteSlots(u"Pan", top - 1, top), (QList<qint64>{top - 1, top}));
  EXPECT_FALSE(map.absoluteSlots(u"Pan", top, top));
  EXPECT_FALSE(map.absoluteSlots(u"Tilt", top, top));
  EXPECT_EQ(map.absoluteSlots(u"Tilt", 1, top), QList<qint64>{3});
}

}  // namespace
}  // namespace tarnik
