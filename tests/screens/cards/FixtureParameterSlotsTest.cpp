#include "screens/patch/FixtureParameterSlots.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Value = FixtureParameterPartDMX::Value;

EosPatchPart part(qint64 number, const QString &address, const QString &addressEnd,
                  std::optional<QString> intensityAddress = std::nullopt) {
  EosPatchPart made;
  made.channelNumber = 5;
  made.partNumber = number;
  made.manufacturer = u"Acme"_s;
  made.model = u"Spot"_s;
  made.address = address;
  made.addressEnd = addressEnd;
  made.intensityAddress = std::move(intensityAddress);
  return made;
}

FixtureParameterSlotMapping mapping(const QString &name, QList<int> offsets) {
  return {{1, name, std::nullopt, std::nullopt}, std::move(offsets)};
}

// A 16-slot profile; synthetic, so it may carry what the decoder never gives: negative
// offsets, and a name without offsets.
FixtureParameterSlotMap spotMap(std::optional<int> footprint = 16) {
  return {u"mode"_s,
          u"Acme"_s,
          u"Spot"_s,
          footprint,
          {mapping(u"Pan"_s, {2, 3}), mapping(u"Tilt"_s, {4}), mapping(u"Pan"_s, {3, 5}),
           mapping(u"Gobo"_s, {-1}), mapping(u"Gobo"_s, {-2}), mapping(u"Prism"_s, {-1, 6}),
           mapping(u"Macro"_s, {})}};
}

Value resolved(const QString &name, const EosPatchPart &patched,
               const std::optional<FixtureParameterSlotMap> &map = spotMap()) {
  return resolveParameterPartDMX(name, patched, map ? &*map : nullptr);
}

// Evaluated by the compiler too, which refuses any signed overflow on the way, so the
// smallest universe cannot slip through an unchecked first step.
static_assert(!absoluteDMXSlot(std::numeric_limits<qint64>::min(), 1));
static_assert(!absoluteDMXSlot(std::numeric_limits<qint64>::max(), 512));
static_assert(absoluteDMXSlot(2, 101) == 613);

TEST(FixtureParameterSlots, SlotArithmeticIsCheckedOverTheWhole64BitRange) {
  EXPECT_EQ(absoluteDMXSlot(1, 1), 1);
  EXPECT_EQ(absoluteDMXSlot(2, 101), 613);
  constexpr qint64 top = std::numeric_limits<qint64>::max();
  EXPECT_EQ(absoluteDMXSlot(top / 512 + 1, 1), (top / 512) * 512 + 1);
  EXPECT_FALSE(absoluteDMXSlot(top / 512 + 2, 1));
  EXPECT_FALSE(absoluteDMXSlot(top, 512));
  EXPECT_FALSE(absoluteDMXSlot(std::numeric_limits<qint64>::min(), 1));
}

TEST(FixtureParameterSlots, IntensityComesFromThePartsOwnIntensityAddress) {
  const EosPatchPart spot = part(1, u"2/101"_s, u"2/116"_s, u" 2/101 "_s);
  for (const QString &name : {u"Intens"_s, u"INTENSITY"_s, u"In_tens ity"_s, u"intensity"_s})
    EXPECT_EQ(resolved(name, spot, std::nullopt), Value::slotList({613})) << name.toStdString();
  EXPECT_EQ(resolved(u"intensity2"_s, spot, std::nullopt), Value::unknown());
  // A span, none, or text that does not parse: unknown even with a map that knows the name.
  EXPECT_EQ(resolved(u"Intens"_s, part(1, u"1/1"_s, u"1/16"_s, u"1/45-46"_s)), Value::unknown());
  EXPECT_EQ(resolved(u"Intens"_s, part(1, u"1/1"_s, u"1/16"_s)), Value::unknown());
  EXPECT_EQ(resolved(u"Intens"_s, part(1, u"1/1"_s, u"1/16"_s, u"45"_s)), Value::unknown());
}

TEST(FixtureParameterSlots, OtherParametersNeedAMapAndTheFootprintTheyArePatchedFor) {
  const EosPatchPart universe1 = part(1, u"1/1"_s, u"1/16"_s);
  const EosPatchPart universe2 = part(1, u"2/1"_s, u"2/16"_s);
  EXPECT_EQ(resolved(u"Pan"_s, universe1), Value::slotList({2, 3, 5}));
  EXPECT_EQ(resolved(u"Pan"_s, universe2), Value::slotList({514, 515, 517}));
  EXPECT_EQ(resolved(u"Tilt"_s, universe2), Value::slotList({516}));

  const struct {
    const char *why;
    QString name;
    EosPatchPart part;
    std::optional<FixtureParameterSlotMap> map;
  } unknowns[] = {
      {"the name matches exactly", u"pan"_s, universe1, spotMap()},
      {"no mapping has the name", u"Zoom"_s, universe1, spotMap()},
      {"no slot map", u"Pan"_s, universe1, std::nullopt},
      {"footprint 18 against 16 patched", u"Pan"_s, universe1, spotMap(18)},
      {"no occupied range", u"Pan"_s, part(1, u"1/1"_s, {}), spotMap()},
      {"negative offsets mixed with positive", u"Prism"_s, universe1, spotMap()},
      {"mappings without offsets", u"Macro"_s, universe1, spotMap()},
  };
  for (const auto &row : unknowns)
    EXPECT_EQ(resolved(row.name, row.part, row.map), Value::unknown()) << row.why;
  // Without a known footprint the span is taken as it is patched.
  EXPECT_EQ(resolved(u"Tilt"_s, universe1, spotMap(std::nullopt)), Value::slotList({4}));
  EXPECT_EQ(resolved(u"Gobo"_s, universe1), Value::virtualSlot());
}

TEST(FixtureParameterSlots, AUniverseNearThe64BitLimitIsUnknownWithoutACrash) {
  const QString universe = QString::number(std::numeric_limits<qint64>::max() / 256);
  const EosPatchPart far = part(1, universe + u"/1"_s, universe + u"/16"_s, universe + u"/1"_s);
  ASSERT_TRUE(far.occupiedRange());
  EXPECT_EQ(resolved(u"Pan"_s, far), Value::unknown());
  EXPECT_EQ(resolved(u"Intens"_s, far), Value::unknown());
  // Virtual needs no arithmetic, so it still shows.
  EXPECT_EQ(resolved(u"Gobo"_s, far), Value::virtualSlot());
}

TEST(FixtureParameterSlots, EveryNameGetsOneEntryPerPartInPartOrder) {
  const EosPatchPart first = part(2, u"1/1"_s, u"1/16"_s, u"1/1"_s);
  const EosPatchPart second = part(1, u"1/17"_s, u"1/32"_s);
  const FixtureParameterSlotMaps maps{{first.id(), spotMap()}};
  const FixtureParameterDMXByName dmx =
      resolveFixtureParameterDMX({u"Pan"_s, u"Intens"_s, u"Pan"_s}, {first, second}, maps);
  EXPECT_EQ(dmx.size(), 2);
  EXPECT_EQ(dmx.value(u"Pan"_s), (QList<FixtureParameterPartDMX>{{2, Value::slotList({2, 3, 5})},
                                                                 {1, Value::unknown()}}));
  EXPECT_EQ(dmx.value(u"Intens"_s),
            (QList<FixtureParameterPartDMX>{{2, Value::slotList({1})}, {1, Value::unknown()}}));
  EXPECT_TRUE(resolveFixtureParameterDMX({u"Pan"_s}, {}, maps).isEmpty());
}

TEST(FixtureParameterSlots, TheLibraryLineNeedsAParameterTheCatalogPlaced) {
  const auto only = [](const QString &name, Value value) {
    return FixtureParameterDMXByName{{name, {{1, std::move(value)}}}};
  };
  EXPECT_FALSE(catalogResolvedAnyParameter({}));
  EXPECT_FALSE(catalogResolvedAnyParameter(only(u"Intens"_s, Value::slotList({1}))));
  EXPECT_FALSE(catalogResolvedAnyParameter(only(u"Pan"_s, Value::unknown())));
  EXPECT_TRUE(catalogResolvedAnyParameter(only(u"Gobo"_s, Value::virtualSlot())));
  EXPECT_TRUE(catalogResolvedAnyParameter(only(u"Pan"_s, Value::slotList({2}))));
}

}  // namespace
}  // namespace tarnik
